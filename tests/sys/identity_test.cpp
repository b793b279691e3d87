#include "sys/identity.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <regex>

#include "platform/win_kernel.h"

namespace {

struct IdentityCase {
    const char* path;
    const char* ename;
    const char* runid;
};

TEST(ToolIdentity, FileNamesGiveIdentityAndRunId) {
    const IdentityCase cases[] = {
        {"/opt/tools/abcV1.2.7788.exe", "12", "7788"},
        {"/opt/tools/abc1.2.7788.exe", "abc12", "7788"},
        {"/opt/tools/x..y.z.exe", "xy", "z"},
        {"/opt/tools/tool.exe", "tool", ""},
        {"/opt/tools/a.b.exe", "a", ""},
        {"/opt/tools/p.q.r.s.exe", "p", ""},
        {"/opt/tools/abcv1.2.3.exe", "abcv12", "3"},
        {"IEHomeFix", "IEHomeFix", ""},
        {"/opt/tools/....exe", "", ""},
    };
    for (const auto& c : cases) {
        std::string ename, runid;
        ToolIdentityFromPath(c.path, ename, runid);
        EXPECT_EQ(ename, c.ename) << c.path;
        EXPECT_EQ(runid, c.runid) << c.path;
    }
}

TEST(ToolIdentity, RunIdIsLeftAloneWhenTheNameHasNone) {
    std::string ename, runid = "kept";
    ToolIdentityFromPath("/x/tool.exe", ename, runid);
    EXPECT_EQ(runid, "kept");
}

TEST(SplitTokens, RunsOfDelimitersSeparateLikeOne) {
    EXPECT_EQ(SplitTokens("..a..b..", "."), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(SplitTokens("", ".").empty());
    EXPECT_TRUE(SplitTokens("...", ".").empty());
    EXPECT_EQ(SplitTokens("a,b;c", ",;"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(SplitTokens("abc", "."), (std::vector<std::string>{"abc"}));
}

// The real machine: whatever it has, the answers must have the documented form.
TEST(MachineIdentity, RealAdapterAddressHasTheFixedFormOrLeavesTheBufferEmpty) {
    char mac[260] = {};
    DWORD code = GetMacAddressText(mac);
    if (code == 0) {
        EXPECT_TRUE(std::regex_match(mac, std::regex("([0-9A-F]{2}-){5}[0-9A-F]{2}"))) << mac;
    } else {
        EXPECT_EQ(mac[0], '\0');
    }
}

TEST(MachineIdentity, RealParentIsTheProcessThatStartedTheTests) {
    EXPECT_EQ(GetParentProcessId(GetCurrentProcessId()), static_cast<long>(getppid()));
    char parent[MAX_PATH] = {};
    GetParentImagePath(parent);
    ASSERT_NE(parent[0], '\0');
    EXPECT_EQ(parent[0], '/');
    EXPECT_EQ(std::string(parent), GetProcessImagePath(static_cast<DWORD>(getppid())));
}

TEST(MachineIdentity, GoneProcessHasNoParentAndNoPath) {
    // Pid numbers above the kernel's limit never name a process.
    EXPECT_EQ(GetParentProcessId(0x7ffffff0u), -1);
    EXPECT_EQ(GetProcessImagePath(0x7ffffff0u), "");
}

TEST(MachineIdentity, UnixTimeTextIsNowInDecimal) {
    std::string text;
    GetUnixTimeText(text);
    ASSERT_TRUE(std::regex_match(text, std::regex("[0-9]+"))) << text;
    long long value = std::stoll(text);
    long long now = static_cast<long long>(std::time(nullptr));
    EXPECT_LE(std::llabs(value - now), 2);
}

}  // namespace
