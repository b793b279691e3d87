// The user's browser proxy configuration and automatic proxy scripts, shaped like WinHTTP.
//
// There is no WinHTTP here. The configuration comes from the desktop's proxy settings (GNOME's
// org.gnome.system.proxy, read through `gsettings`) when they name a manual or automatic proxy,
// and otherwise from the variables http_proxy, https_proxy, all_proxy and no_proxy. An automatic
// proxy script (file:// or http(s):// address) is fetched and its FindProxyForURL evaluated with
// duktape in a child process that is ended when it runs past its time limit.
#pragma once

#include "platform/win_base.h"
#include "platform/win_kernel.h"

using HINTERNET = void*;

// Memory handed out by the calls below (the texts of the records) is released with GlobalFree.

// Access types of WinHttpOpen and of WINHTTP_PROXY_INFO.
constexpr DWORD WINHTTP_ACCESS_TYPE_DEFAULT_PROXY = 0;
constexpr DWORD WINHTTP_ACCESS_TYPE_NO_PROXY = 1;
constexpr DWORD WINHTTP_ACCESS_TYPE_NAMED_PROXY = 3;
constexpr DWORD WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY = 4;
#define WINHTTP_NO_PROXY_NAME nullptr
#define WINHTTP_NO_PROXY_BYPASS nullptr

constexpr DWORD WINHTTP_FLAG_ASYNC = 0x10000000;

// WINHTTP_AUTOPROXY_OPTIONS::dwFlags and dwAutoDetectFlags.
constexpr DWORD WINHTTP_AUTOPROXY_AUTO_DETECT = 0x00000001;
constexpr DWORD WINHTTP_AUTOPROXY_CONFIG_URL = 0x00000002;
constexpr DWORD WINHTTP_AUTO_DETECT_TYPE_DHCP = 0x00000001;
constexpr DWORD WINHTTP_AUTO_DETECT_TYPE_DNS_A = 0x00000002;

// Error numbers reported through GetLastError.
constexpr DWORD ERROR_WINHTTP_TIMEOUT = 12002;
constexpr DWORD ERROR_WINHTTP_INTERNAL_ERROR = 12004;
constexpr DWORD ERROR_WINHTTP_INVALID_URL = 12005;
constexpr DWORD ERROR_WINHTTP_UNRECOGNIZED_SCHEME = 12006;
constexpr DWORD ERROR_WINHTTP_INCORRECT_HANDLE_TYPE = 12018;
constexpr DWORD ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT = 12166;
constexpr DWORD ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT = 12167;
constexpr DWORD ERROR_WINHTTP_AUTODETECTION_FAILED = 12180;

// Texts are null when the configuration does not have them; each one that is set is released
// with GlobalFree.
struct WINHTTP_CURRENT_USER_IE_PROXY_CONFIG {
    BOOL fAutoDetect;
    LPWSTR lpszAutoConfigUrl;
    LPWSTR lpszProxy;        // "host:port" or "http=host:port;https=host:port;socks=host:port"
    LPWSTR lpszProxyBypass;  // entries separated by ";"
};

struct WINHTTP_AUTOPROXY_OPTIONS {
    DWORD dwFlags;
    DWORD dwAutoDetectFlags;
    LPCWSTR lpszAutoConfigUrl;
    LPVOID lpvReserved;
    DWORD dwReserved;
    BOOL fAutoLogonIfChallenged;
};

struct WINHTTP_PROXY_INFO {
    DWORD dwAccessType;  // WINHTTP_ACCESS_TYPE_NAMED_PROXY, or _NO_PROXY for a direct connection
    LPWSTR lpszProxy;    // same list shape as the configuration's; null for a direct connection
    LPWSTR lpszProxyBypass;
};

// Fills `config` with the current user's proxy configuration; FALSE (ERROR_INVALID_PARAMETER)
// only for a null record. A user without any proxy gets a record of nulls and TRUE.
BOOL WinHttpGetIEProxyConfigForCurrentUser(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG* config);

HINTERNET WinHttpOpen(LPCWSTR agent, DWORD accessType, LPCWSTR proxyName, LPCWSTR proxyBypass,
                      DWORD flags);

// Time limits of a session in milliseconds (0 or less keeps the current value). The automatic
// proxy script is fetched within the connect and receive limits and evaluated within the
// receive limit. Defaults: 5000 each.
BOOL WinHttpSetTimeouts(HINTERNET session, int resolveTimeout, int connectTimeout, int sendTimeout,
                        int receiveTimeout);

// Asks the script named by `options` which proxy to use for `url` (http or https). The answer's
// first usable entry becomes the list: "PROXY h:p" (or "HTTP h:p") gives "http=h:p;https=h:p",
// "SOCKS h:p" or "SOCKS5 h:p" gives "socks=h:p", and "DIRECT" gives no list. On failure the last
// error is ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT (fetch), _BAD_AUTO_PROXY_SCRIPT (the script
// does not compile, throws, lacks FindProxyForURL or gives no usable answer), _TIMEOUT (it ran
// past the limit), _AUTODETECTION_FAILED (no script address given), _UNRECOGNIZED_SCHEME or
// _INVALID_URL (the url), ERROR_INVALID_HANDLE or ERROR_INVALID_PARAMETER.
BOOL WinHttpGetProxyForUrl(HINTERNET session, LPCWSTR url, WINHTTP_AUTOPROXY_OPTIONS* options,
                           WINHTTP_PROXY_INFO* proxyInfo);

BOOL WinHttpCloseHandle(HINTERNET handle);
