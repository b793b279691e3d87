#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "report/tool_log_event.h"
#include "report/tool_log_uploader.h"
#include "support/temp_dir.h"
#include "sys/identity.h"
#include "sys/paths_config.h"
#include "upload_server.h"

namespace {

// Each test starts without "LogIni.ini" beside the test executable and leaves what was there.
class ReportToolLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearProxyEnvironment();
        GetConfigValue("logIni", logIni_);
        hadLogIni_ = std::filesystem::exists(logIni_);
        if (hadLogIni_) saved_ = TempDir::Read(logIni_);
        std::filesystem::remove(logIni_);
    }
    void TearDown() override {
        ClearProxyEnvironment();
        std::filesystem::remove(logIni_);
        if (hadLogIni_) TempDir::Write(logIni_, saved_);
    }
    std::string logIni_;
    bool hadLogIni_ = false;
    std::string saved_;
};

TEST_F(ReportToolLogTest, ArrivesAsASignedFormThroughTheUsersProxy) {
    TempDir dir;
    TinyProxy proxy(dir.path());
    ASSERT_TRUE(proxy.ready()) << "tinyproxy did not start";
    setenv("http_proxy", proxy.Url().c_str(), 1);
    ToolLogServer server;
    ToolLogUploader::Instance().SetServerBaseUrl(server.BaseUrl().c_str());

    const long long before = static_cast<long long>(std::time(nullptr));
    ReportToolLog("0", "", "");
    const long long after = static_cast<long long>(std::time(nullptr));

    const auto forms = server.Forms();
    ASSERT_EQ(forms.size(), 1u);
    const ReceivedForm& form = forms[0];
    EXPECT_NE(form.via.find("tinyproxy"), std::string::npos) << "Via: " << form.via;
    EXPECT_EQ(form.Names(), kToolLogPartOrder);
    std::string ename, runid;
    GetToolIdentity(ename, runid);
    EXPECT_EQ(form.Value("toolid"), ename);
    EXPECT_EQ(form.Value("runid"), runid);
    EXPECT_EQ(form.Value("pid"), std::to_string(getpid()));
    EXPECT_TRUE(std::regex_match(form.Value("uid"), std::regex("(([0-9A-F]{2}-){5}[0-9A-F]{2})?")))
        << form.Value("uid");
    EXPECT_EQ(form.Value("state"), "0");
    EXPECT_EQ(form.Value("data"), "");
    EXPECT_EQ(form.Value("remarks"), "");
    EXPECT_GE(std::stoll(form.Value("_t")), before);
    EXPECT_LE(std::stoll(form.Value("_t")), after);
    EXPECT_EQ(form.Value("token"), ServerSideToken(form));
    EXPECT_FALSE(std::filesystem::exists(logIni_)) << "a delivered event was also stored";

    // The server's host on the bypass list: the next report goes direct. This also leaves the
    // process-wide client without a proxy for the tests after this one, as a proxy found once
    // is kept while no proxy list is configured.
    setenv("no_proxy", "127.0.0.1", 1);
    ReportToolLog("2", "2", "");
    const auto direct = server.Forms();
    ASSERT_EQ(direct.size(), 2u);
    EXPECT_EQ(direct[1].via, "");
    EXPECT_EQ(direct[1].Value("state"), "2");
    EXPECT_EQ(direct[1].Value("token"), ServerSideToken(direct[1]));
}

TEST_F(ReportToolLogTest, UndeliveredEventsLandBesideTheExecutableInOrder) {
    ToolLogUploader::Instance().SetServerBaseUrl(ClosedPortBaseUrl().c_str());
    // Closing after a finished repair: "6" then "5", usually within one second.
    ReportToolLog("6", "5", "");
    ReportToolLog("5", "", "");

    const std::string text = TempDir::Read(logIni_);
    const std::regex section(
        "\\[sec_\\d{8}_\\d{6}(_2)?\\]\nename=[^\n]*\nrunid=[^\n]*\nuid=[^\n]*\npid=(\\d+)\n"
        "state=(\\d)\ndata=(\\d?)\nremarks=\nt=\\d+\nkey=\n");
    std::smatch first, second;
    ASSERT_TRUE(std::regex_search(text, first, section)) << text;
    const std::string rest = first.suffix();
    ASSERT_TRUE(std::regex_match(rest, second, section)) << text;
    EXPECT_EQ(first[3].str() + first[4].str(), "65");
    EXPECT_EQ(second[3].str() + second[4].str(), "5");
    EXPECT_EQ(first[2].str(), std::to_string(getpid()));
    EXPECT_EQ(first.prefix().str(), "");
}

}  // namespace
