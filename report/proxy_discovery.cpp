#include "report/proxy_discovery.h"

#include <cwchar>
#include <map>
#include <vector>

#include "platform/win_http.h"
#include "platform/win_kernel.h"
#include "report/http_client.h"
#include "sys/text_convert.h"

namespace {

// Owns the texts WinHTTP hands out.
class GlobalText {
  public:
    explicit GlobalText(LPWSTR text = nullptr) : m_text(text) {}
    ~GlobalText() { Reset(nullptr); }
    GlobalText(const GlobalText&) = delete;
    GlobalText& operator=(const GlobalText&) = delete;

    void Reset(LPWSTR text) {
        if (m_text != nullptr) GlobalFree(m_text);
        m_text = text;
    }
    LPCWSTR get() const { return m_text; }

  private:
    LPWSTR m_text;
};

class InternetHandle {
  public:
    explicit InternetHandle(HINTERNET handle) : m_handle(handle) {}
    ~InternetHandle() {
        if (m_handle != nullptr) WinHttpCloseHandle(m_handle);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return m_handle; }

  private:
    HINTERNET m_handle;
};

// Asks the script which proxy to use for `url`; on success `list` takes its answer (null for a
// direct connection), on failure it keeps the configured list.
void ApplyScriptAnswer(LPCWSTR scriptUrl, const std::wstring& url, GlobalText& list) {
    InternetHandle session(WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                                       WINHTTP_FLAG_ASYNC));
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.dwAutoDetectFlags = 0;
    options.lpszAutoConfigUrl = scriptUrl;
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info = {};
    if (WinHttpGetProxyForUrl(session.get(), url.c_str(), &options, &info)) {
        list.Reset(info.lpszProxy);
        if (info.lpszProxyBypass != nullptr) GlobalFree(info.lpszProxyBypass);
        return;
    }
    wchar_t line[260];
    std::swprintf(line, 260, L"WinHttpGetProxyForUrl %d\n", static_cast<int>(GetLastError()));
    OutputDebugStringW(line);
}

std::wstring Lookup(const std::map<std::wstring, std::wstring>& map, const wchar_t* name) {
    auto found = map.find(name);
    return found != map.end() ? found->second : std::wstring();
}

// Proxy addresses travel in code page 936; one that does not convert leaves no proxy.
std::string ToProxyText(const std::wstring& address) {
    std::vector<char> narrow(address.size() * 4 + 4);
    if (WideToNarrowInto(narrow.data(), address.c_str(), static_cast<int>(narrow.size()), CP_GBK) ==
        nullptr) {
        return {};
    }
    return std::string(narrow.data());
}

}  // namespace

std::vector<std::wstring> SplitWideTokens(const std::wstring& text,
                                          const std::wstring& delimiters) {
    std::vector<std::wstring> pieces;
    size_t start = text.find_first_not_of(delimiters);
    while (start != std::wstring::npos) {
        size_t end = text.find_first_of(delimiters, start);
        pieces.push_back(text.substr(start, end == std::wstring::npos ? end : end - start));
        if (end == std::wstring::npos) break;
        start = text.find_first_not_of(delimiters, end);
    }
    return pieces;
}

UrlScheme ClassifyUrlScheme(const wchar_t* url) {
    if (url == nullptr || url[0] == L'\0') return UrlScheme::Other;
    std::vector<std::wstring> pieces = SplitWideTokens(url, L":/");
    if (pieces.empty()) return UrlScheme::Other;
    if (pieces[0] == L"ftp") return UrlScheme::Ftp;
    if (pieces[0] == L"http") return UrlScheme::Http;
    if (pieces[0] == L"https") return UrlScheme::Https;
    return UrlScheme::Other;
}

void ChooseProxy(const wchar_t* list, const wchar_t* bypass, const std::wstring& baseUrl,
                 ProxyState& state) {
    if (list == nullptr) return;

    std::map<std::wstring, std::wstring> schemes;
    for (const std::wstring& entry : SplitWideTokens(list, L";")) {
        std::vector<std::wstring> pieces = SplitWideTokens(entry, L"=");
        if (pieces.size() == 2) {
            schemes[pieces[0]] = pieces[1];
            if (pieces[0] == L"http") {
                state.hasHttpProxy = true;
            } else if (pieces[0] == L"https") {
                state.hasHttpsProxy = true;
            } else if (pieces[0] == L"socks") {
                state.hasSocksProxy = true;
            }
        } else if (!pieces.empty()) {
            schemes[L"http"] = schemes[L"https"] = schemes[L"socks"] = pieces[0];
            state.hasHttpProxy = state.hasHttpsProxy = state.hasSocksProxy = true;
        }
    }

    UrlScheme scheme = ClassifyUrlScheme(baseUrl.c_str());
    if (scheme == UrlScheme::Https && state.hasHttpsProxy) {
        state.proxy = ToProxyText(Lookup(schemes, L"https"));
        state.hasHttpProxy = state.hasSocksProxy = false;
    } else if (scheme == UrlScheme::Http && state.hasHttpProxy) {
        state.proxy = ToProxyText(Lookup(schemes, L"http"));
        state.hasHttpsProxy = state.hasSocksProxy = false;
    } else if (state.hasSocksProxy) {
        state.proxy = ToProxyText(Lookup(schemes, L"socks"));
        state.hasHttpProxy = state.hasHttpsProxy = false;
    }

    if (bypass == nullptr) return;
    size_t skip = scheme == UrlScheme::Https ? 8 : scheme == UrlScheme::Http ? 7 : 0;
    std::wstring rest = skip <= baseUrl.size() ? baseUrl.substr(skip) : std::wstring();
    for (const std::wstring& entry : SplitWideTokens(bypass, L";")) {
        if (rest.size() >= entry.size() && rest.compare(0, entry.size(), entry) == 0) {
            state.proxy.clear();
            return;
        }
    }
}

int HttpClient::DiscoverProxy() {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return 0;
    GlobalText scriptUrl(config.lpszAutoConfigUrl);
    GlobalText list(config.lpszProxy);
    GlobalText bypass(config.lpszProxyBypass);

    // The bypass list stays the configured one, also when the script gives the proxy list.
    if (scriptUrl.get() != nullptr) ApplyScriptAnswer(scriptUrl.get(), m_baseUrl, list);
    ChooseProxy(list.get(), bypass.get(), m_baseUrl, m_proxyState);
    return 0;
}
