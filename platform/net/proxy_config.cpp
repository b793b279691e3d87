#include "platform/net/proxy_config.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "platform/net/child_process.h"

namespace {

constexpr size_t kMaxListingBytes = 64 * 1024;
constexpr int kGsettingsTimeLimitMs = 2000;
constexpr size_t kMaxHostBytes = 255;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsSpace(text[begin])) ++begin;
    while (end > begin && IsSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The list and bypass texts use ";" and "=" as separators, so no entry may carry them.
bool FitsInList(const std::string& text) {
    if (text.empty() || text.size() > kMaxHostBytes) return false;
    for (unsigned char c : text) {
        if (c <= 0x20 || c == 0x7f || c == ';' || c == '=') return false;
    }
    return true;
}

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x110000) {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// One quoted string of GVariant text ('...' or "..." with backslash escapes) at `pos`.
bool ParseQuoted(const std::string& text, size_t& pos, std::string& out) {
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    if (pos >= text.size() || (text[pos] != '\'' && text[pos] != '"')) return false;
    char quote = text[pos++];
    out.clear();
    while (pos < text.size()) {
        char c = text[pos++];
        if (c == quote) return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= text.size()) return false;
        char escaped = text[pos++];
        size_t hexDigits = escaped == 'u' ? 4 : escaped == 'U' ? 8 : 0;
        if (hexDigits == 0) {
            out += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped == 'r' ? '\r' : escaped;
            continue;
        }
        if (pos + hexDigits > text.size()) return false;
        std::string hex = text.substr(pos, hexDigits);
        char* end = nullptr;
        unsigned long code = std::strtoul(hex.c_str(), &end, 16);
        if (end != hex.c_str() + hexDigits) return false;
        AppendUtf8(out, code);
        pos += hexDigits;
    }
    return false;
}

bool ParseString(const std::string& value, std::string& out) {
    size_t pos = 0;
    if (!ParseQuoted(value, pos, out)) return false;
    return Trim(value.substr(pos)).empty();
}

// ['a', 'b'] or @as [].
bool ParseStringArray(const std::string& value, std::vector<std::string>& out) {
    std::string text = Trim(value);
    if (text.compare(0, 3, "@as") == 0) text = Trim(text.substr(3));
    if (text.empty() || text[0] != '[') return false;
    size_t pos = 1;
    out.clear();
    for (;;) {
        while (pos < text.size() && IsSpace(text[pos])) ++pos;
        if (pos >= text.size()) return false;
        if (text[pos] == ']') return true;
        std::string item;
        if (!ParseQuoted(text, pos, item)) return false;
        out.push_back(item);
        while (pos < text.size() && IsSpace(text[pos])) ++pos;
        if (pos < text.size() && text[pos] == ',') ++pos;
    }
}

// "3128", or with a type annotation such as "int32 3128".
int ParsePort(const std::string& value) {
    std::string text = Trim(value);
    size_t space = text.find_last_of(' ');
    if (space != std::string::npos) text = text.substr(space + 1);
    if (text.empty() || text.size() > 5) return 0;
    int port = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        port = port * 10 + (c - '0');
    }
    return port <= 65535 ? port : 0;
}

std::string HostPort(std::string host, int port) {
    if (!FitsInList(host) || port <= 0) return {};
    if (host.find(':') != std::string::npos && host[0] != '[') host = "[" + host + "]";
    return host + ":" + std::to_string(port);
}

// "http://user@host:3128/" gives "user@host:3128"; schemes curl names a proxy type by are kept.
// `kind` receives the scheme ("" when there was none).
std::string EnvProxyAddress(const std::string& value, std::string& kind) {
    std::string text = Trim(value);
    kind.clear();
    size_t separator = text.find("://");
    if (separator != std::string::npos) {
        kind = Lower(text.substr(0, separator));
        text = text.substr(separator + 3);
    }
    text = text.substr(0, text.find_first_of("/?#"));
    if (!FitsInList(text)) return {};
    if (kind.empty() || kind == "http") return text;
    if (kind == "https" || kind == "socks4" || kind == "socks4a" || kind == "socks5" ||
        kind == "socks5h") {
        return kind + "://" + text;
    }
    return {};
}

bool IsSocksKind(const std::string& kind) {
    return kind.compare(0, 5, "socks") == 0;
}

std::string Env(const char* lower, const char* upper) {
    const char* value = std::getenv(lower);
    if ((value == nullptr || value[0] == '\0') && upper != nullptr) value = std::getenv(upper);
    return value != nullptr ? value : "";
}

void AppendEntry(std::string& list, const char* scheme, const std::string& address) {
    if (address.empty()) return;
    if (!list.empty()) list += ";";
    list += scheme;
    list += "=";
    list += address;
}

}  // namespace

bool ProxyConfigFromGnomeListing(const std::string& listing, UserProxyConfig& config) {
    // schema -> key -> value text
    std::map<std::string, std::map<std::string, std::string>> values;
    size_t start = 0;
    while (start < listing.size()) {
        size_t end = listing.find('\n', start);
        if (end == std::string::npos) end = listing.size();
        std::string line = listing.substr(start, end - start);
        start = end + 1;
        size_t first = line.find(' ');
        if (first == std::string::npos) continue;
        size_t second = line.find(' ', first + 1);
        if (second == std::string::npos) continue;
        values[line.substr(0, first)][line.substr(first + 1, second - first - 1)] =
            line.substr(second + 1);
    }
    auto& proxy = values["org.gnome.system.proxy"];
    std::string mode;
    if (!ParseString(proxy["mode"], mode)) return false;

    config = UserProxyConfig();
    if (mode == "auto") {
        std::string url;
        ParseString(proxy["autoconfig-url"], url);
        url = Trim(url);
        if (url.empty()) {
            config.autoDetect = true;
        } else {
            config.scriptUrl = url;
        }
        return true;
    }
    if (mode != "manual") return false;

    static const char* const kSchemes[][2] = {
        {"http", "org.gnome.system.proxy.http"},
        {"https", "org.gnome.system.proxy.https"},
        {"ftp", "org.gnome.system.proxy.ftp"},
        {"socks", "org.gnome.system.proxy.socks"},
    };
    for (const auto& scheme : kSchemes) {
        auto& keys = values[scheme[1]];
        std::string host;
        if (!ParseString(keys["host"], host)) continue;
        AppendEntry(config.proxyList, scheme[0], HostPort(Trim(host), ParsePort(keys["port"])));
    }
    std::vector<std::string> ignore;
    if (!config.proxyList.empty() && ParseStringArray(proxy["ignore-hosts"], ignore)) {
        for (const std::string& raw : ignore) {
            std::string entry = Trim(raw);
            if (!FitsInList(entry)) continue;
            if (!config.bypassList.empty()) config.bypassList += ";";
            config.bypassList += entry;
        }
    }
    return true;
}

UserProxyConfig ProxyConfigFromEnvironment() {
    UserProxyConfig config;
    std::string httpKind, httpsKind, allKind;
    // HTTP_PROXY is left alone on purpose: web servers put a request header there for CGI.
    std::string http = EnvProxyAddress(Env("http_proxy", nullptr), httpKind);
    std::string https = EnvProxyAddress(Env("https_proxy", "HTTPS_PROXY"), httpsKind);
    std::string all = EnvProxyAddress(Env("all_proxy", "ALL_PROXY"), allKind);
    std::string socks;
    if (!all.empty() && IsSocksKind(allKind)) {
        // The SOCKS5 type is what the client uses for a socks entry by default.
        socks = allKind == "socks5" ? all.substr(std::strlen("socks5://")) : all;
    } else if (!all.empty()) {
        if (http.empty()) http = all;
        if (https.empty()) https = all;
    }

    std::string bypass;
    std::string noProxy = Env("no_proxy", "NO_PROXY");
    size_t start = 0;
    while (start <= noProxy.size()) {
        size_t end = noProxy.find_first_of(",; \t", start);
        if (end == std::string::npos) end = noProxy.size();
        std::string entry = noProxy.substr(start, end - start);
        start = end + 1;
        if (entry.empty()) continue;
        if (entry == "*") return config;  // every host goes direct
        if (!FitsInList(entry)) continue;
        if (!bypass.empty()) bypass += ";";
        bypass += entry;
    }

    AppendEntry(config.proxyList, "http", http);
    AppendEntry(config.proxyList, "https", https);
    AppendEntry(config.proxyList, "socks", socks);
    if (!config.proxyList.empty()) config.bypassList = bypass;
    return config;
}

UserProxyConfig ReadUserProxyConfig() {
    // A desktop without gsettings, or without GNOME's schema, simply fails here.
    ChildResult listing = RunProgram({"gsettings", "list-recursively", "org.gnome.system.proxy"},
                                     kMaxListingBytes, kGsettingsTimeLimitMs);
    UserProxyConfig config;
    if (listing.outcome == ChildResult::Finished && listing.exitCode == 0 &&
        ProxyConfigFromGnomeListing(listing.output, config)) {
        return config;
    }
    return ProxyConfigFromEnvironment();
}
