#include <gtest/gtest.h>

#include <string>

#include "report/tool_log_uploader.h"
#include "upload_server.h"

namespace {

ToolLogRecord Record() {
    ToolLogRecord record;
    record.ename = "12";
    record.runid = "7788";
    record.uid = "00-1A-2B-3C-4D-5E";
    record.pid = "4242";
    record.state = "6";
    record.data = "\xE4\xBF\xAE\xE5\xA4\x8D 5";  // narrow text goes out byte for byte
    record.remarks = "";
    record.t = "1709314200";
    record.key = "never sent";
    return record;
}

class Upload : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearProxyEnvironment();
        uploader_.SetServerBaseUrl(server_.BaseUrl().c_str());
    }
    ToolLogServer server_;
    HttpClient client_;
    ToolLogUploader uploader_{client_};
};

TEST_F(Upload, SendsTheSignedFormInByteOrderOfItsNames) {
    const ToolLogRecord record = Record();
    EXPECT_EQ(uploader_.Upload(record), 1);
    const auto forms = server_.Forms();
    ASSERT_EQ(forms.size(), 1u);
    const ReceivedForm& form = forms[0];
    EXPECT_EQ(form.contentType.rfind("multipart/form-data", 0), 0u) << form.contentType;
    EXPECT_EQ(form.Names(), kToolLogPartOrder);
    struct Expected {
        const char* name;
        std::string value;
    };
    const Expected expected[] = {
        {"_t", record.t},         {"data", record.data},
        {"pid", record.pid},      {"remarks", ""},
        {"runid", record.runid},  {"state", record.state},
        {"toolid", record.ename}, {"uid", record.uid},
        {"submit", "send"},       {"token", MakeToolLogToken(record)},
    };
    for (const auto& e : expected) EXPECT_EQ(form.Value(e.name), e.value) << e.name;
    EXPECT_EQ(form.Value("token"), ServerSideToken(form));
}

TEST_F(Upload, OnlyA200AnswerWithAZeroCountsAsDelivered) {
    struct Case {
        int status;
        std::string body;
        int delivered;
    };
    const Case cases[] = {
        {200, "0", 1},
        {200, "{\"code\":10}", 1},  // a zero inside a larger number will do
        {200, "ok", 0},
        {200, "", 0},
        {404, "0", 0},
        {500, "0", 0},
        {200, std::string(300, 'x') + "0", 0},  // past the 260 characters looked at
    };
    size_t posted = 0;
    for (const auto& c : cases) {
        server_.Answer(c.status, c.body);
        EXPECT_EQ(uploader_.Upload(Record()), c.delivered) << c.status << " " << c.body;
        // An answer of any status is one request: no retry.
        EXPECT_EQ(server_.Forms().size(), ++posted) << c.status << " " << c.body;
    }
}

TEST_F(Upload, NoServerFailsAfterThreeAttempts) {
    HangUpServer silent;
    uploader_.SetServerBaseUrl(silent.BaseUrl().c_str());
    EXPECT_EQ(uploader_.Upload(Record()), 0);
    EXPECT_EQ(silent.connections(), 3);

    uploader_.SetServerBaseUrl(ClosedPortBaseUrl().c_str());
    EXPECT_EQ(uploader_.Upload(Record()), 0);
    EXPECT_TRUE(server_.Forms().empty());
}

}  // namespace
