#include <cstdlib>
#include <cstring>

#include "platform/win_kernel.h"

HGLOBAL GlobalAlloc(UINT flags, size_t bytes) {
    void* memory = std::malloc(bytes == 0 ? 1 : bytes);
    if (memory != nullptr && (flags & GMEM_ZEROINIT) != 0) std::memset(memory, 0, bytes);
    return memory;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
    std::free(memory);
    return nullptr;
}
