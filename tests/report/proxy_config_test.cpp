#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win_http.h"
#include "platform/win_kernel.h"
#include "support/proxy_env.h"

namespace {

struct ConfigTexts {
    bool autoDetect = false;
    std::wstring scriptUrl, proxy, bypass;  // "-" stands for absent
};

std::wstring Take(LPWSTR text) {
    if (text == nullptr) return L"-";
    std::wstring copy = text;
    EXPECT_EQ(GlobalFree(text), nullptr);
    return copy;
}

ConfigTexts Read() {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
    EXPECT_TRUE(WinHttpGetIEProxyConfigForCurrentUser(&config));
    ConfigTexts texts;
    texts.autoDetect = config.fAutoDetect != FALSE;
    texts.scriptUrl = Take(config.lpszAutoConfigUrl);
    texts.proxy = Take(config.lpszProxy);
    texts.bypass = Take(config.lpszProxyBypass);
    return texts;
}

bool HaveGsettings() {
    return access("/usr/bin/gsettings", X_OK) == 0;
}

const char kManualDesktop[] =
    "[system/proxy]\nmode='manual'\nignore-hosts=['localhost', '127.0.0.0/8', \"it's\"]\n"
    "[system/proxy/http]\nhost='h.example'\nport=3128\n"
    "[system/proxy/https]\nhost='hs.example'\nport=443\n"
    "[system/proxy/ftp]\nhost='f.example'\nport=0\n"
    "[system/proxy/socks]\nhost='::1'\nport=1080\n";

TEST(BrowserProxyConfig, ComesFromTheDesktopOrElseTheEnvironment) {
    if (!HaveGsettings()) GTEST_SKIP() << "gsettings is not installed";
    using Vars = std::vector<std::pair<std::string, std::string>>;
    const struct Case {
        const char* name;
        std::string desktop;
        Vars vars;
        ConfigTexts expected;
    } cases[] = {
        {"nothing configured", "", {}, {false, L"-", L"-", L"-"}},
        {"http_proxy",
         "",
         {{"http_proxy", "http://user@p.example:3128/path"}},
         {false, L"-", L"http=user@p.example:3128", L"-"}},
        {"https and all",
         "",
         {{"HTTPS_PROXY", "s.example:8443"}, {"all_proxy", "http://a.example:1"}},
         {false, L"-", L"http=a.example:1;https=s.example:8443", L"-"}},
        {"HTTP_PROXY is not read", "", {{"HTTP_PROXY", "p.example:1"}}, {false, L"-", L"-", L"-"}},
        {"socks5 all_proxy",
         "",
         {{"all_proxy", "socks5://s.example:1080"}},
         {false, L"-", L"socks=s.example:1080", L"-"}},
        {"other proxy types keep their scheme for curl",
         "",
         {{"http_proxy", "socks5h://r.example:9"}, {"ALL_PROXY", "socks4://f.example:2"}},
         {false, L"-", L"http=socks5h://r.example:9;socks=socks4://f.example:2", L"-"}},
        {"no_proxy becomes the bypass list",
         "",
         {{"http_proxy", "p.example:1"}, {"no_proxy", " localhost, .corp.example ,10.0.0.1"}},
         {false, L"-", L"http=p.example:1", L"localhost;.corp.example;10.0.0.1"}},
        {"no_proxy star sends everything direct",
         "",
         {{"http_proxy", "p.example:1"}, {"NO_PROXY", "*"}},
         {false, L"-", L"-", L"-"}},
        {"values that would split the list are refused",
         "",
         {{"http_proxy", "p.example:1;socks=evil.example:2"}, {"https_proxy", "a=b:1"}},
         {false, L"-", L"-", L"-"}},
        {"unknown scheme refused",
         "",
         {{"http_proxy", "ftp://p.example:21"}},
         {false, L"-", L"-", L"-"}},
        {"desktop manual settings win over the environment",
         kManualDesktop,
         {{"http_proxy", "p.example:1"}},
         {false, L"-", L"http=h.example:3128;https=hs.example:443;socks=[::1]:1080",
          L"localhost;127.0.0.0/8;it's"}},
        {"desktop script address",
         "[system/proxy]\nmode='auto'\nautoconfig-url='http://w/p.pac'\n",
         {{"http_proxy", "p.example:1"}},
         {false, L"http://w/p.pac", L"-", L"-"}},
        {"desktop automatic without an address",
         "[system/proxy]\nmode='auto'\n",
         {},
         {true, L"-", L"-", L"-"}},
        {"desktop mode none leaves it to the environment",
         "[system/proxy]\nmode='none'\n"
         "[system/proxy/http]\nhost='h.example'\nport=3128\n",
         {{"http_proxy", "p.example:1"}},
         {false, L"-", L"http=p.example:1", L"-"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProxyEnvironment env;
        if (!c.desktop.empty()) env.SetDesktop(c.desktop);
        for (const auto& [name, value] : c.vars) env.Set(name, value);
        ConfigTexts got = Read();
        EXPECT_EQ(got.autoDetect, c.expected.autoDetect);
        EXPECT_EQ(got.scriptUrl, c.expected.scriptUrl);
        EXPECT_EQ(got.proxy, c.expected.proxy);
        EXPECT_EQ(got.bypass, c.expected.bypass);
    }
}

TEST(BrowserProxyConfig, WithoutGsettingsTheEnvironmentServes) {
    ProxyEnvironment env;
    env.SetDesktop(kManualDesktop);
    env.HidePrograms();
    env.Set("http_proxy", "p.example:1");
    ConfigTexts got = Read();
    EXPECT_EQ(got.proxy, L"http=p.example:1");
}

TEST(BrowserProxyConfig, RefusesANullRecord) {
    EXPECT_FALSE(WinHttpGetIEProxyConfigForCurrentUser(nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
