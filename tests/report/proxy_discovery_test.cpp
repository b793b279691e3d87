#include "report/proxy_discovery.h"

#include <gtest/gtest.h>

namespace {

TEST(ClassifyUrlScheme, TakesThePieceBeforeTheFirstColonOrSlash) {
    const struct {
        const wchar_t* url;
        UrlScheme expected;
    } cases[] = {
        {L"http://toollog.example", UrlScheme::Http},
        {L"https://toollog.example/x", UrlScheme::Https},
        {L"ftp://files.example", UrlScheme::Ftp},
        {L"HTTP://toollog.example", UrlScheme::Other},
        {L"gopher://x", UrlScheme::Other},
        {L"//http:x", UrlScheme::Http},
        {L":/:/", UrlScheme::Other},
        {L"", UrlScheme::Other},
        {nullptr, UrlScheme::Other},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url != nullptr ? c.url : L"(null)");
        EXPECT_EQ(ClassifyUrlScheme(c.url), c.expected);
    }
}

// One configuration applied to the state a previous request left.
TEST(ChooseProxy, ListsAndBypassesTurnIntoTheProxyAndItsFlags) {
    const ProxyState fresh;
    ProxyState socksBefore;
    socksBefore.proxy = "s:1";
    socksBefore.hasSocksProxy = true;
    ProxyState httpBefore;
    httpBefore.proxy = "old:1";
    httpBefore.hasHttpProxy = true;

    const std::wstring http = L"http://toollog.example/Api";
    const std::wstring https = L"https://toollog.example/Api";
    const struct Case {
        const char* name;
        ProxyState before;
        const wchar_t* list;
        const wchar_t* bypass;
        std::wstring baseUrl;
        std::string proxy;
        bool httpFlag, httpsFlag, socksFlag;
    } cases[] = {
        {"bare address serves every scheme, chosen as http", fresh, L"a:1", nullptr, http, "a:1",
         true, false, false},
        {"http entry wins for an http base", fresh, L"http=a:1;https=b:2", nullptr, http, "a:1",
         true, false, false},
        {"https entry wins for an https base", fresh, L"http=a:1;https=b:2", nullptr, https, "b:2",
         false, true, false},
        {"socks alone", fresh, L"socks=s:3", nullptr, http, "s:3", false, false, true},
        {"socks when the base scheme has no entry", fresh, L"http=a:1;socks=s:3", nullptr, https,
         "s:3", false, false, true},
        {"https alone chooses nothing", fresh, L"https=b:2", nullptr, http, "", false, true, false},
        {"an http flag from before empties the proxy", httpBefore, L"https=b:2", nullptr, http, "",
         true, false, false},
        {"three pieces count as one bare address", fresh, L"http=a=b", nullptr, http, "http", true,
         false, false},
        {"other names only enter the map", fresh, L"ftp=f:1", nullptr, http, "", false, false,
         false},
        {"a later entry replaces an earlier one", fresh, L"http=a:1;http=c:3", nullptr, http, "c:3",
         true, false, false},
        {"runs of separators and bare '=' entries are skipped", fresh, L";;=;http=a:1;;", nullptr,
         http, "a:1", true, false, false},
        {"flag from before picks an entry this list lacks", socksBefore, L"https=b:2", nullptr,
         http, "", false, false, true},
        {"no list changes nothing", socksBefore, nullptr, L"toollog", http, "s:1", false, false,
         true},
        {"bypass: host at the start of the address", fresh, L"a:1", L"toollog.example", http, "",
         true, false, false},
        {"bypass: any entry of the list", fresh, L"a:1", L"intranet;toollog", http, "", true, false,
         false},
        {"bypass: https skips its longer prefix", fresh, L"a:1", L"toollog", https, "", false, true,
         false},
        {"bypass compares case", fresh, L"a:1", L"TOOLLOG.example", http, "a:1", true, false,
         false},
        {"bypass has no wildcards", fresh, L"a:1", L"*.example;<local>", http, "a:1", true, false,
         false},
        {"bypass longer than the address", fresh, L"a:1", L"toollog.example/Api/more", http, "a:1",
         true, false, false},
        {"address in code page 936", fresh, L"http=\u4EE3\u7406:8080", nullptr, http,
         "\xB4\xFA\xC0\xED:8080", true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProxyState state = c.before;
        ChooseProxy(c.list, c.bypass, c.baseUrl, state);
        EXPECT_EQ(state.proxy, c.proxy);
        EXPECT_EQ(state.hasHttpProxy, c.httpFlag);
        EXPECT_EQ(state.hasHttpsProxy, c.httpsFlag);
        EXPECT_EQ(state.hasSocksProxy, c.socksFlag);
    }
}

}  // namespace
