#include "webengine/resource_loader.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "webengine/text_util.h"

namespace webengine {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int hi = HexValue(text[i + 1]);
            int lo = HexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

bool HasScheme(std::string_view ref, std::string* scheme) {
    size_t colon = ref.find(':');
    if (colon == std::string_view::npos || colon < 2)
        return false;  // "c:" is a drive, not a scheme
    for (size_t i = 0; i < colon; ++i) {
        char c = ref[i];
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                  (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok) return false;
    }
    if (scheme != nullptr) *scheme = AsciiLower(ref.substr(0, colon));
    return true;
}

// Removes "." and ".." segments of an absolute path; ".." never climbs above the root.
std::string NormalizePath(std::string_view path) {
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t slash = path.find('/', pos);
        if (slash == std::string_view::npos) slash = path.size();
        std::string part(path.substr(pos, slash - pos));
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(std::move(part));
        }
        pos = slash + 1;
    }
    std::string out;
    for (const auto& p : parts) {
        out.push_back('/');
        out += p;
    }
    if (out.empty()) out = "/";
    if (!path.empty() && path.back() == '/' && out != "/") out.push_back('/');
    return out;
}

bool DecodeBase64(std::string_view text, std::string& out) {
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+' || c == '-') return 62;
        if (c == '/' || c == '_') return 63;
        return -1;
    };
    unsigned int acc = 0;
    int bits = 0;
    for (char c : text) {
        if (c == '=' || IsAsciiSpace(c)) continue;
        int v = value(c);
        if (v < 0) return false;
        acc = (acc << 6) | static_cast<unsigned int>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((acc >> bits) & 0xFF));
        }
        if (out.size() > kMaxResourceBytes) return false;
    }
    return true;
}

}  // namespace

std::string FileUrlFromPath(std::string_view absolutePath) {
    std::string out = "file://";
    static const char kHex[] = "0123456789ABCDEF";
    for (char ch : absolutePath) {
        unsigned char c = static_cast<unsigned char>(ch);
        bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '/' || c == '-' || c == '_' || c == '.' || c == '~' || c >= 0x80;
        if (safe) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

bool PathFromFileUrl(std::string_view url, std::string& path) {
    std::string scheme;
    if (!HasScheme(url, &scheme) || scheme != "file") return false;
    std::string_view rest = url.substr(5);
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        size_t slash = rest.find('/');
        if (slash == std::string_view::npos) return false;
        std::string_view host = rest.substr(0, slash);
        if (!host.empty() && host != "localhost") return false;
        rest.remove_prefix(slash);
    }
    size_t end = rest.find_first_of("?#");
    if (end != std::string_view::npos) rest = rest.substr(0, end);
    path = NormalizePath(PercentDecode(rest));
    return !path.empty() && path.find('\0') == std::string::npos;
}

std::string ResolveUrl(std::string_view base, std::string_view ref) {
    std::string_view trimmed = TrimAscii(ref);
    std::string cleaned;
    for (char c : trimmed) {
        if (c != '\n' && c != '\r' && c != '\t') cleaned.push_back(c == '\\' ? '/' : c);
    }
    size_t hash = cleaned.find('#');
    std::string fragmentless = hash == std::string::npos ? cleaned : cleaned.substr(0, hash);
    std::string scheme;
    if (HasScheme(cleaned, &scheme)) {
        if (scheme == "file") {
            std::string path;
            if (PathFromFileUrl(fragmentless, path)) return FileUrlFromPath(path);
        }
        return cleaned;
    }
    std::string basePath;
    if (!PathFromFileUrl(base, basePath)) basePath = "/";
    if (fragmentless.empty()) return FileUrlFromPath(basePath);
    size_t query = fragmentless.find('?');
    if (query != std::string::npos) fragmentless.resize(query);
    if (fragmentless.substr(0, 2) == "//") return "file:" + fragmentless;
    std::string joined;
    if (!fragmentless.empty() && fragmentless[0] == '/') {
        joined = fragmentless;
    } else {
        size_t slash = basePath.rfind('/');
        joined = basePath.substr(0, slash + 1) + fragmentless;
    }
    return FileUrlFromPath(NormalizePath(PercentDecode(joined)));
}

bool ReadLocalFile(const std::string& path, std::string& bytes) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (static_cast<unsigned long long>(st.st_size) > kMaxResourceBytes) return false;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) return false;
    bytes.clear();
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file.get())) > 0) {
        if (bytes.size() + got > kMaxResourceBytes) return false;
        bytes.append(buffer, got);
    }
    return std::ferror(file.get()) == 0;
}

bool ReadUrl(std::string_view url, std::string& bytes) {
    std::string scheme;
    if (!HasScheme(url, &scheme)) return false;
    if (scheme == "file") {
        std::string path;
        return PathFromFileUrl(url, path) && ReadLocalFile(path, bytes);
    }
    if (scheme == "data") {
        size_t comma = url.find(',');
        if (comma == std::string_view::npos) return false;
        std::string_view meta = url.substr(5, comma - 5);
        std::string_view payload = url.substr(comma + 1);
        bytes.clear();
        if (meta.size() >= 7 && EqualsIgnoreCase(meta.substr(meta.size() - 7), ";base64")) {
            return DecodeBase64(PercentDecode(payload), bytes);
        }
        bytes = PercentDecode(payload);
        return bytes.size() <= kMaxResourceBytes;
    }
    return false;
}

}  // namespace webengine
