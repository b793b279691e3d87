// The hosts rewrite as the plain line-by-line rule, for cross-checks against the real rewrite
// (which searches the host once per occurrence rather than once per line).
#pragma once

#include <cstddef>
#include <string>

namespace hosts_reference {

// Without leading and trailing spaces (0x20 only); a line of nothing but spaces is kept as is.
inline std::string TrimSpaces(const std::string& line) {
    size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) return line;
    return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

// The new hosts content for `in`, naming `host`.
inline std::string Rewrite(const std::string& in, const std::string& host) {
    std::string text;  // text mode: a CR LF pair reads as a line feed
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n') continue;
        text += in[i];
    }
    std::string out;
    for (size_t start = 0; start < text.size();) {
        size_t lf = text.find('\n', start);
        size_t next = lf == std::string::npos ? text.size() : lf + 1;
        std::string line = TrimSpaces(text.substr(start, next - start));
        if (line[0] != '#' && line[0] != '\n' && line.find(host) != std::string::npos) out += '#';
        out += line;
        start = next;
    }
    return out + "\n127.0.0.1 " + host;
}

}  // namespace hosts_reference
