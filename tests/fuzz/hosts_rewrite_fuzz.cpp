// Feeds arbitrary bytes to the hosts rewrite and compares it with the plain line-by-line rule;
// whatever the input, the result ends with the loopback line and leaves no active line that
// names the settings host.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/hosts_fixer.h"
#include "support/hosts_reference.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "hosts rewrite: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string host = kSettingsHost;
    const std::string in(reinterpret_cast<const char*>(data), size);
    const std::string out = HostsFixer::RewriteText(in);

    if (out != hosts_reference::Rewrite(in, host)) Fail("differs from the line-by-line rule");

    const std::string loopback = "\n127.0.0.1 " + host;
    if (out.size() < loopback.size() ||
        out.compare(out.size() - loopback.size(), loopback.size(), loopback) != 0) {
        Fail("does not end with the loopback line");
    }
    // Every line before the loopback line that names the host is a comment.
    const size_t body = out.size() - loopback.size() + 1;
    for (size_t start = 0; start < body;) {
        size_t lf = out.find('\n', start);
        size_t next = lf == std::string::npos || lf >= body ? body : lf + 1;
        const std::string line = out.substr(start, next - start);
        if (line.find(host) != std::string::npos && line[0] != '#') Fail("active host line left");
        start = next;
    }
    return 0;
}
