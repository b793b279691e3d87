#include "platform/display/backend.h"

#include <atomic>
#include <mutex>

namespace display {
namespace {

std::atomic<Backend*> g_backend{nullptr};
std::mutex g_install;

}  // namespace

Backend& Current() {
    Backend* b = g_backend.load(std::memory_order_acquire);
    if (b) return *b;
    std::lock_guard<std::mutex> l(g_install);
    b = g_backend.load(std::memory_order_acquire);
    if (!b) {
        // X11 joins here once it exists; until then every run is headless.
        b = CreateHeadless();
        g_backend.store(b, std::memory_order_release);
    }
    return *b;
}

void Install(Backend* backend) {
    std::lock_guard<std::mutex> l(g_install);
    // The previous backend is kept alive: windows may still hold on to it.
    g_backend.store(backend, std::memory_order_release);
}

}  // namespace display
