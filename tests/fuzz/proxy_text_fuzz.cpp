// The proxy texts that come from outside: the desktop settings listing, a proxy script's answer,
// and the proxy and bypass lists discovery splits. The first byte picks the parser.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/net/proxy_config.h"
#include "platform/net/proxy_script.h"
#include "report/proxy_discovery.h"

namespace {

// What reaches a list must never carry a blank, a control character or the given separators.
void CheckEntry(const std::string& text, const char* forbidden) {
    for (unsigned char c : text) {
        if (c <= 0x20 || c == 0x7f) std::abort();
        for (const char* f = forbidden; *f != '\0'; ++f) {
            if (c == static_cast<unsigned char>(*f)) std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
        case 0: {
            UserProxyConfig config;
            if (ProxyConfigFromGnomeListing(text, config)) {
                CheckEntry(config.proxyList, "");
                CheckEntry(config.bypassList, "");
            }
            break;
        }
        case 1: {
            std::string list;
            if (ProxyListFromScriptAnswer(text, list)) CheckEntry(list, ",");
            break;
        }
        case 2: {
            size_t cut = text.find('\n');
            size_t listEnd = cut == std::string::npos ? text.size() : cut;
            std::wstring list(text.begin(), text.begin() + static_cast<long>(listEnd));
            std::wstring bypass;
            if (cut != std::string::npos)
                bypass.assign(text.begin() + static_cast<long>(cut) + 1, text.end());
            ProxyState state;
            ChooseProxy(list.c_str(), bypass.c_str(), L"http://toollog.example/Api", state);
            break;
        }
    }
    return 0;
}
