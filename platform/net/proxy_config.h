// Where the current user's proxy configuration comes from on a desktop without WinHTTP.
#pragma once

#include <string>

// Narrow (UTF-8) form of the browser proxy configuration; empty texts are absent.
struct UserProxyConfig {
    bool autoDetect = false;
    std::string scriptUrl;
    std::string proxyList;   // "http=h:p;https=h:p;socks=h:p"
    std::string bypassList;  // entries separated by ";"
};

// The desktop's settings when they name a manual or automatic proxy, else the environment.
UserProxyConfig ReadUserProxyConfig();

// Reads the output of `gsettings list-recursively org.gnome.system.proxy`. Returns false when
// the output names neither a manual nor an automatic proxy ("none", unreadable, or missing).
bool ProxyConfigFromGnomeListing(const std::string& listing, UserProxyConfig& config);

// From http_proxy, https_proxy, all_proxy and no_proxy (and the upper-case forms of the last
// three, as curl reads them).
UserProxyConfig ProxyConfigFromEnvironment();
