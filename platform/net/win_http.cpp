// WinHTTP's proxy services over the desktop's proxy settings and our own script evaluation.
#include "platform/win_http.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "platform/net/proxy_config.h"
#include "platform/net/proxy_script.h"
#include "platform/win_kernel.h"

namespace {

constexpr int kDefaultTimeoutMs = 5000;

struct Session {
    int connectTimeoutMs = kDefaultTimeoutMs;
    int receiveTimeoutMs = kDefaultTimeoutMs;
};

// Handles are checked against the live set so a stale or foreign one fails instead of crashing.
std::mutex g_sessionsLock;
std::set<Session*>& Sessions() {
    static std::set<Session*> sessions;
    return sessions;
}

bool FindSession(HINTERNET handle, Session& copy) {
    std::lock_guard<std::mutex> hold(g_sessionsLock);
    auto* session = static_cast<Session*>(handle);
    if (Sessions().count(session) == 0) return false;
    copy = *session;
    return true;
}

std::string ToUtf8(LPCWSTR text) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), bytes, nullptr, nullptr);
    narrow.resize(std::strlen(narrow.c_str()));
    return narrow;
}

// A GlobalAlloc'd wide copy, or null for an empty text (or no memory).
LPWSTR GlobalWide(const std::string& utf8) {
    if (utf8.empty()) return nullptr;
    int chars = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    if (chars <= 0) return nullptr;
    auto* wide = static_cast<LPWSTR>(GlobalAlloc(GMEM_FIXED, sizeof(WCHAR) * chars));
    if (wide == nullptr) return nullptr;
    if (MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, chars) <= 0) {
        GlobalFree(wide);
        return nullptr;
    }
    return wide;
}

// The host part of an http(s) URL, lower-cased, without user, port or IPv6 brackets.
bool HostOfUrl(const std::string& url, std::string& host) {
    size_t start = url.find("://");
    if (start == std::string::npos) return false;
    start += 3;
    size_t end = url.find_first_of("/?#", start);
    std::string authority = url.substr(start, end == std::string::npos ? end : end - start);
    size_t at = authority.rfind('@');
    if (at != std::string::npos) authority = authority.substr(at + 1);
    if (!authority.empty() && authority[0] == '[') {
        size_t close = authority.find(']');
        if (close == std::string::npos) return false;
        host = authority.substr(1, close - 1);
    } else {
        host = authority.substr(0, authority.find(':'));
    }
    for (char& c : host) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return !host.empty();
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

BOOL WinHttpGetIEProxyConfigForCurrentUser(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG* config) {
    if (config == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    UserProxyConfig user = ReadUserProxyConfig();
    config->fAutoDetect = user.autoDetect ? TRUE : FALSE;
    config->lpszAutoConfigUrl = GlobalWide(user.scriptUrl);
    config->lpszProxy = GlobalWide(user.proxyList);
    config->lpszProxyBypass = GlobalWide(user.bypassList);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

HINTERNET WinHttpOpen(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD) {
    auto* session = new Session();
    std::lock_guard<std::mutex> hold(g_sessionsLock);
    Sessions().insert(session);
    return session;
}

BOOL WinHttpSetTimeouts(HINTERNET handle, int, int connectTimeout, int, int receiveTimeout) {
    std::lock_guard<std::mutex> hold(g_sessionsLock);
    auto* session = static_cast<Session*>(handle);
    if (Sessions().count(session) == 0) return Fail(ERROR_INVALID_HANDLE);
    if (connectTimeout > 0) session->connectTimeoutMs = connectTimeout;
    if (receiveTimeout > 0) session->receiveTimeoutMs = receiveTimeout;
    return TRUE;
}

BOOL WinHttpGetProxyForUrl(HINTERNET handle, LPCWSTR url, WINHTTP_AUTOPROXY_OPTIONS* options,
                           WINHTTP_PROXY_INFO* proxyInfo) {
    if (url == nullptr || options == nullptr || proxyInfo == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    Session session;
    if (!FindSession(handle, session)) return Fail(ERROR_INVALID_HANDLE);

    std::string target = ToUtf8(url);
    if (strncasecmp(target.c_str(), "http://", 7) != 0 &&
        strncasecmp(target.c_str(), "https://", 8) != 0) {
        return Fail(ERROR_WINHTTP_UNRECOGNIZED_SCHEME);
    }
    std::string host;
    if (!HostOfUrl(target, host)) return Fail(ERROR_WINHTTP_INVALID_URL);

    // Only a named script is supported; there is no discovery of one on the network.
    if ((options->dwFlags & WINHTTP_AUTOPROXY_CONFIG_URL) == 0 ||
        options->lpszAutoConfigUrl == nullptr || options->lpszAutoConfigUrl[0] == L'\0') {
        return Fail((options->dwFlags & WINHTTP_AUTOPROXY_AUTO_DETECT) != 0
                        ? ERROR_WINHTTP_AUTODETECTION_FAILED
                        : ERROR_INVALID_PARAMETER);
    }

    std::string script;
    DWORD error = FetchProxyScript(ToUtf8(options->lpszAutoConfigUrl), session.connectTimeoutMs,
                                   session.connectTimeoutMs + session.receiveTimeoutMs, script);
    if (error != 0) return Fail(error);
    std::string answer;
    error = EvaluateProxyScript(script, target, host, session.receiveTimeoutMs, answer);
    if (error != 0) return Fail(error);
    std::string list;
    if (!ProxyListFromScriptAnswer(answer, list)) return Fail(ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT);

    proxyInfo->dwAccessType =
        list.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY;
    proxyInfo->lpszProxy = GlobalWide(list);
    proxyInfo->lpszProxyBypass = nullptr;
    if (!list.empty() && proxyInfo->lpszProxy == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WinHttpCloseHandle(HINTERNET handle) {
    std::lock_guard<std::mutex> hold(g_sessionsLock);
    auto* session = static_cast<Session*>(handle);
    if (Sessions().erase(session) == 0) return Fail(ERROR_INVALID_HANDLE);
    delete session;
    return TRUE;
}
