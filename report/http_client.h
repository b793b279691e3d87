// The program's one HTTP client: multipart form posts to the tool-log server through the proxy
// that the custom-proxy settings or the user's browser configuration name.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "report/proxy_discovery.h"

// Form fields ordered by ascending byte comparison of their names, which is also the order in
// which the parts go out. Insert with `emplace`/`insert`: a name already present keeps its first
// value.
using FormFields = std::map<std::string, std::string>;

class HttpClient {
  public:
    // The process-wide client, created on first use and never destroyed.
    static HttpClient& Instance();

    // Tests own private clients; the program uses Instance().
    HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Stores the server base URL (at most 259 characters) and the INI file holding the
    // "SelectCustomProxy" section (may be empty), and initialises libcurl. -1 when either is null.
    int Init(const wchar_t* baseUrl, const wchar_t* settingsFile);

    // Posts `fields` (then a last "submit"="send" part) to baseUrl + path. Returns the HTTP status
    // of the answer, 0 when none arrived, -1 for missing arguments, -2 when no libcurl handle
    // could be made. For status 200 the body, cut to fit, is copied into `response` (`capacity`
    // characters, terminator included); otherwise `response` is left as the caller prepared it.
    int PostForm(const wchar_t* path, const FormFields& fields, wchar_t* response, int capacity);

    // Sets the proxy from "Address" and "Port" of the custom-proxy section; returns 0.
    int LoadCustomProxy();
    // Sets the proxy and its scheme flags from the user's browser configuration; returns 0.
    int DiscoverProxy();

    // The proxy state left by the last request (read without the lock: for tests and diagnostics).
    const ProxyState& proxyState() const { return m_proxyState; }

  private:
    std::mutex m_lock;
    std::wstring m_baseUrl;
    std::wstring m_settingsFile;
    ProxyState m_proxyState;
};
