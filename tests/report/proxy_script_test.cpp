#include "platform/net/proxy_script.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/win_http.h"
#include "platform/win_kernel.h"
#include "support/form_server.h"
#include "support/temp_dir.h"

namespace {

const std::wstring kToolLogUrl = L"http://toollog.example/Api/saveToolLog";

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

struct Answer {
    bool ok = false;
    DWORD error = 0;
    DWORD accessType = 0;
    std::wstring list = L"-";  // "-" stands for absent
};

Answer Ask(const std::wstring& scriptUrl, const std::wstring& url = kToolLogUrl,
           int timeLimitMs = 0) {
    HINTERNET session =
        WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                    WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    EXPECT_NE(session, nullptr);
    if (timeLimitMs > 0) {
        EXPECT_TRUE(WinHttpSetTimeouts(session, 0, 0, 0, timeLimitMs));
    }
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = scriptUrl.c_str();
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info = {};
    Answer answer;
    answer.ok = WinHttpGetProxyForUrl(session, url.c_str(), &options, &info) != FALSE;
    answer.error = GetLastError();
    if (answer.ok) {
        answer.accessType = info.dwAccessType;
        if (info.lpszProxy != nullptr) answer.list = info.lpszProxy;
        GlobalFree(info.lpszProxy);
        GlobalFree(info.lpszProxyBypass);
    }
    EXPECT_TRUE(WinHttpCloseHandle(session));
    return answer;
}

std::string Returning(const std::string& expression) {
    return "function FindProxyForURL(url, host) { return " + expression + "; }";
}

// Scripts served by a real HTTP server, as a desktop's automatic configuration names them.
TEST(ProxyScript, AnswersBecomeProxyListsOrFailWithAnErrorNumber) {
    const struct Case {
        const char* name;
        std::string script;
        std::wstring url;
        bool ok;
        DWORD error;  // when not ok
        std::wstring list;
    } cases[] = {
        {"proxy", Returning("'PROXY 127.0.0.1:3128'"), kToolLogUrl, true, 0,
         L"http=127.0.0.1:3128;https=127.0.0.1:3128"},
        {"socks", Returning("'SOCKS s.example:1080'"), kToolLogUrl, true, 0,
         L"socks=s.example:1080"},
        {"socks5", Returning("'SOCKS5 s.example:9'"), kToolLogUrl, true, 0, L"socks=s.example:9"},
        {"direct", Returning("'DIRECT'"), kToolLogUrl, true, 0, L"-"},
        {"first usable entry", Returning("'HTTPS a.example:1; PROXY b.example:2; DIRECT'"),
         kToolLogUrl, true, 0, L"http=b.example:2;https=b.example:2"},
        {"sees the url and its host",
         Returning("'PROXY ' + host + ':' + (url.indexOf(':8080/Api?x=1') > 0 ? 1 : 2)"),
         L"http://User@TOOLLOG.Example:8080/Api?x=1", true, 0,
         L"http=toollog.example:1;https=toollog.example:1"},
        {"throws", "function FindProxyForURL(url, host) { throw new Error('boom'); }", kToolLogUrl,
         false, ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT, L""},
        {"throws while loading", "throw 1;\n" + Returning("'DIRECT'"), kToolLogUrl, false,
         ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT, L""},
        {"does not compile", "function FindProxyForURL(url, host) { return 'DIRECT';", kToolLogUrl,
         false, ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT, L""},
        {"no FindProxyForURL", "var FindProxy = 1;", kToolLogUrl, false,
         ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT, L""},
        {"answer not a text", Returning("42"), kToolLogUrl, false,
         ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT, L""},
        {"answer with nothing usable", Returning("'PROXY a=b:1; BOGUS x'"), kToolLogUrl, false,
         ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT, L""},
        {"runs out of its memory",
         "function FindProxyForURL(url, host) { var keep = [];"
         " for (var s = 'x';; s += s) keep.push(s + keep.length); }",
         kToolLogUrl, false, ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT, L""},
        {"url not http", Returning("'DIRECT'"), L"ftp://files.example/", false,
         ERROR_WINHTTP_UNRECOGNIZED_SCHEME, L""},
        {"url without host", Returning("'DIRECT'"), L"http:///path", false,
         ERROR_WINHTTP_INVALID_URL, L""},
    };
    FormServer server;
    std::map<std::string, std::string> scripts;
    for (const Case& c : cases) scripts["/" + std::to_string(scripts.size()) + ".pac"] = c.script;
    server.server().Get(
        R"(/\d+\.pac)", [&scripts](const httplib::Request& req, httplib::Response& res) {
            res.set_content(scripts.at(req.path), "application/x-ns-proxy-autoconfig");
        });
    server.Start();

    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Answer got = Ask(Wide(server.url("/" + std::to_string(index++) + ".pac")), c.url);
        EXPECT_EQ(got.ok, c.ok);
        if (!c.ok) {
            EXPECT_EQ(got.error, c.error);
            continue;
        }
        EXPECT_EQ(got.list, c.list);
        EXPECT_EQ(got.accessType,
                  c.list == L"-" ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY);
    }
}

TEST(ProxyScript, AScriptThatNeverReturnsIsEndedAtTheLimit) {
    FormServer server;
    server.server().Get("/loop.pac", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("function FindProxyForURL(url, host) { for (;;) {} }", "text/plain");
    });
    server.Start();
    auto start = std::chrono::steady_clock::now();
    Answer got = Ask(Wide(server.url("/loop.pac")), kToolLogUrl, 300);
    EXPECT_FALSE(got.ok);
    EXPECT_EQ(got.error, ERROR_WINHTTP_TIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST(ProxyScript, ScriptAddressesThatCannotBeRead) {
    TempDir dir;
    TempDir::Write(dir.File("p a.pac"), Returning("'SOCKS s.example:5'"));
    FormServer server;
    server.server().Get("/gone.pac", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content(Returning("'DIRECT'"), "text/plain");
    });
    server.Start();

    Answer local = Ask(Wide("file://" + dir.path() + "p%20a.pac"));
    EXPECT_TRUE(local.ok);
    EXPECT_EQ(local.list, L"socks=s.example:5");

    for (const std::string& address :
         {"file://" + dir.path() + "missing.pac", "file://" + dir.path(), server.url("/gone.pac"),
          std::string("ftp://127.0.0.1/p.pac"), std::string("http://127.0.0.1:1/p.pac")}) {
        SCOPED_TRACE(address);
        Answer got = Ask(Wide(address));
        EXPECT_FALSE(got.ok);
        EXPECT_EQ(got.error, ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT);
    }
}

TEST(ProxyScript, RefusesBadHandlesAndOptions) {
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    WINHTTP_PROXY_INFO info = {};
    int notASession = 0;
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = L"http://127.0.0.1:1/p.pac";
    EXPECT_FALSE(WinHttpGetProxyForUrl(&notASession, kToolLogUrl.c_str(), &options, &info));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(WinHttpCloseHandle(&notASession));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    HINTERNET session = WinHttpOpen(nullptr, 0, nullptr, nullptr, 0);
    ASSERT_NE(session, nullptr);
    EXPECT_FALSE(WinHttpGetProxyForUrl(session, kToolLogUrl.c_str(), nullptr, &info));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    EXPECT_FALSE(WinHttpGetProxyForUrl(session, kToolLogUrl.c_str(), &options, &info));
    EXPECT_EQ(GetLastError(), ERROR_WINHTTP_AUTODETECTION_FAILED);
    EXPECT_TRUE(WinHttpCloseHandle(session));
    EXPECT_FALSE(WinHttpCloseHandle(session));
}

// Each expression must hold inside a script; `now`, `days` and `months` describe this moment.
TEST(ProxyScriptHelpers, BehaveAsScriptsExpect) {
    const char* const expressions[] = {
        "isPlainHostName('www')",
        "!isPlainHostName('www.example.com')",
        "dnsDomainIs('www.netscape.com', '.netscape.com')",
        "!dnsDomainIs('www', '.netscape.com')",
        "!dnsDomainIs('www.mcom.com', '.netscape.com')",
        "localHostOrDomainIs('www.netscape.com', 'www.netscape.com')",
        "localHostOrDomainIs('www', 'www.netscape.com')",
        "!localHostOrDomainIs('www.mcom.com', 'www.netscape.com')",
        "!localHostOrDomainIs('home.netscape.com', 'www.netscape.com')",
        "isResolvable('localhost')",
        "!isResolvable('no-such-host.invalid')",
        "dnsResolve('localhost') === '127.0.0.1'",
        "dnsResolve('no-such-host.invalid') === null",
        "/^\\d+\\.\\d+\\.\\d+\\.\\d+$/.test(myIpAddress())",
        "isInNet('127.0.0.1', '127.0.0.0', '255.0.0.0')",
        "isInNet('localhost', '127.0.0.0', '255.0.0.0')",
        "isInNet('200.1.2.3', '200.0.0.0', '255.0.0.0')",
        "!isInNet('10.1.2.3', '10.0.0.0', '255.255.0.0')",
        "!isInNet('no-such-host.invalid', '10.0.0.0', '255.0.0.0')",
        "!isInNet('300.1.1.1', '0.0.0.0', '0.0.0.0')",
        "dnsDomainLevels('www') === 0 && dnsDomainLevels('www.netscape.com') === 2",
        "shExpMatch('http://home.netscape.com/people/ari/index.html', '*/ari/*')",
        "!shExpMatch('http://home.netscape.com/people/montulli/index.html', '*/ari/*')",
        "shExpMatch('a.b', 'a?b') && !shExpMatch('axb', 'a.b') && shExpMatch('a+(b', 'a+(b')",
        "weekdayRange('SUN', 'SAT')",
        "weekdayRange(days[now.getDay()])",
        "weekdayRange(days[now.getUTCDay()], 'GMT')",
        "!weekdayRange(days[(now.getDay() + 1) % 7])",
        "weekdayRange(days[(now.getDay() + 1) % 7], days[now.getDay()])",
        "!weekdayRange('XYZ')",
        "dateRange(now.getDate()) && dateRange(months[now.getMonth()])",
        "dateRange(now.getFullYear()) && !dateRange(1995)",
        "dateRange(1, 31) && dateRange('JAN', 'DEC') && dateRange(1995, 2999)",
        "dateRange(1, 'JAN', 2000, 31, 'DEC', 2999) && !dateRange(1, 'JAN', 1995, 31, 'DEC', 1995)",
        "dateRange(months[now.getMonth()], now.getFullYear(), 'DEC', 2999)",
        "dateRange(now.getDate(), months[now.getMonth()], now.getDate(), months[now.getMonth()])",
        "dateRange(now.getUTCDate(), 'GMT')",
        "timeRange(0, 0, 0, 23, 59, 59)",
        "timeRange(now.getHours())",
        "!timeRange((now.getHours() + 2) % 24)",
        "timeRange((now.getHours() + 23) % 24, (now.getHours() + 1) % 24)",
        "!timeRange('noon')",
        "(alert('seen'), true)",
    };
    const std::string prelude =
        "var now = new Date();"
        "var days = ['SUN', 'MON', 'TUE', 'WED', 'THU', 'FRI', 'SAT'];"
        "var months = ['JAN', 'FEB', 'MAR', 'APR', 'MAY', 'JUN', 'JUL', 'AUG', 'SEP', 'OCT',"
        " 'NOV', 'DEC'];";
    for (const char* expression : expressions) {
        SCOPED_TRACE(expression);
        std::string answer;
        DWORD error = EvaluateProxyScript(
            prelude + Returning("(" + std::string(expression) + ") ? 'yes' : 'no'"),
            "http://toollog.example/", "toollog.example", 5000, answer);
        EXPECT_EQ(error, 0u);
        EXPECT_EQ(answer, "yes");
    }
}

TEST(ProxyScriptAnswer, FirstUsableEntryBecomesTheList) {
    const struct {
        const char* answer;
        bool usable;
        const char* list;
    } cases[] = {
        {"PROXY a.example:3128", true, "http=a.example:3128;https=a.example:3128"},
        {"  proxy   a.example  ", true, "http=a.example:80;https=a.example:80"},
        {"HTTP 10.0.0.1:8", true, "http=10.0.0.1:8;https=10.0.0.1:8"},
        {"SOCKS s.example", true, "socks=s.example:1080"},
        {"SOCKS5 [::1]:9", true, "socks=[::1]:9"},
        {"PROXY ::1", true, "http=[::1]:80;https=[::1]:80"},
        {"DIRECT", true, ""},
        {"DIRECT; PROXY a.example:1", true, ""},
        {";; SOCKS4 f.example:1; PROXY b.example:2", true, "http=b.example:2;https=b.example:2"},
        {"PROXY a.example:1 extra", false, ""},
        {"PROXY a/b:1", false, ""},
        {"PROXY a=b:1", false, ""},
        {"PROXY", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        std::string list = "unchanged";
        EXPECT_EQ(ProxyListFromScriptAnswer(c.answer, list), c.usable);
        if (c.usable) {
            EXPECT_EQ(list, c.list);
        }
    }
}

}  // namespace
