// Choosing the proxy for the HTTP client from the user's browser proxy configuration
// (HttpClient::DiscoverProxy is defined beside these helpers).
#pragma once

#include <string>
#include <vector>

// The proxy handed to libcurl and its scheme flags; kept from one request to the next.
struct ProxyState {
    std::string proxy;  // code page 936
    bool hasHttpProxy = false;
    bool hasHttpsProxy = false;
    bool hasSocksProxy = false;
};

enum class UrlScheme { Ftp = 0, Http = 1, Https = 2, Other = 3 };

// The scheme of a wide URL: the first piece when split at ":" and "/" (case-sensitive).
UrlScheme ClassifyUrlScheme(const wchar_t* url);

// Updates `state` from one proxy list and bypass list (either may be null) for requests to
// `baseUrl`: the choice HttpClient::DiscoverProxy makes once it has read the configuration.
void ChooseProxy(const wchar_t* list, const wchar_t* bypass, const std::wstring& baseUrl,
                 ProxyState& state);

// Pieces of `text` separated by runs of any character of `delimiters`; never an empty piece.
std::vector<std::wstring> SplitWideTokens(const std::wstring& text, const std::wstring& delimiters);
