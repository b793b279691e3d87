#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>

#include "platform/win_kernel.h"
#include "sys/paths_config.h"
#include "sys/text_convert.h"

namespace {

std::string OwnFolder() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    std::string full(path, static_cast<size_t>(n));
    return full.substr(0, full.find_last_of('/') + 1);
}

TEST(PathsConfig, ExecutableFolderEndsWithSeparator) {
    std::string folder;
    GetExeDirectory(folder);
    EXPECT_EQ(folder, OwnFolder());
    EXPECT_EQ(folder.back(), '/');
}

TEST(PathsConfig, KeysResolveExactlyAndOthersLeaveTheOutputAlone) {
    struct Case {
        const char* key;
        std::string expected;
    };
    const std::string folder = OwnFolder();
    const Case cases[] = {
        {"mainhtml", "./tpl/index.html"},
        {"cleanIni", folder + "CleanUp.ini"},
        {"logIni", folder + "LogIni.ini"},
        {"LogIni", "untouched"},
        {"", "untouched"},
        {"mainhtml ", "untouched"},
    };
    for (const auto& c : cases) {
        std::string out = "untouched";
        GetConfigValue(c.key, out);
        EXPECT_EQ(out, c.expected) << c.key;
    }
}

TEST(TextConvert, RoundTripsAndEdgeCases) {
    EXPECT_EQ(AnsiToWide(""), L"");
    EXPECT_EQ(WideToAnsi(L""), "");
    EXPECT_EQ(AnsiToWide("\xE4\xBF\xAE\xE5\xA4\x8D ok"), L"\u4FEE\u590D ok");
    EXPECT_EQ(WideToAnsi(L"\u4FEE\u590D ok"), "\xE4\xBF\xAE\xE5\xA4\x8D ok");
    // A zero byte ends the text, as it ends an HTTP body.
    EXPECT_EQ(AnsiToWide(std::string("ab\0cd", 5)), L"ab");
    EXPECT_EQ(RequestCodePage(), CP_THREAD_ACP);
}

TEST(TextConvert, WideToNarrowIntoFailsWhenTooSmallAndClearsTheBuffer) {
    char buffer[8] = "stale";
    EXPECT_EQ(WideToNarrowInto(buffer, L"too long for it", sizeof(buffer), CP_ACP), nullptr);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(WideToNarrowInto(nullptr, L"x", 8, CP_ACP), nullptr);
    EXPECT_EQ(WideToNarrowInto(buffer, nullptr, 8, CP_ACP), nullptr);
    EXPECT_STREQ(WideToNarrowInto(buffer, L"proxy", sizeof(buffer), CP_ACP), "proxy");
    EXPECT_STREQ(WideToNarrowInto(buffer, L"", sizeof(buffer), CP_ACP), "");
}

TEST(TextConvert, GbkForProxyAddressesAndDefaultCharacterForTheRest) {
    char buffer[32];
    // "代理" in GBK is B4 FA C0 ED.
    EXPECT_STREQ(WideToNarrowInto(buffer, L"\u4EE3\u7406:80", sizeof(buffer), CP_GBK),
                 "\xB4\xFA\xC0\xED:80");
    // An emoji has no GBK form: it becomes "?" and the conversion still succeeds.
    EXPECT_STREQ(WideToNarrowInto(buffer, L"a\U0001F600b", sizeof(buffer), CP_GBK), "a?b");
}

}  // namespace
