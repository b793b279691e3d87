#include "platform/kernel/process_info.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

long QueryParentProcessId(DWORD pid) {
    char path[64];
    std::snprintf(path, sizeof(path), "/proc/%u/status", static_cast<unsigned>(pid));
    FILE* status = std::fopen(path, "r");
    if (status == nullptr) return -1;
    char line[256];
    long parent = -1;
    while (std::fgets(line, sizeof(line), status) != nullptr) {
        if (std::strncmp(line, "PPid:", 5) == 0) {
            char* end = nullptr;
            long value = std::strtol(line + 5, &end, 10);
            if (end != line + 5) parent = value;
            break;
        }
    }
    std::fclose(status);
    return parent;
}

std::string QueryProcessImagePath(DWORD pid) {
    char link[64];
    std::snprintf(link, sizeof(link), "/proc/%u/exe", static_cast<unsigned>(pid));
    char target[PATH_MAX];
    ssize_t n = readlink(link, target, sizeof(target) - 1);
    if (n <= 0) return {};
    return std::string(target, static_cast<size_t>(n));
}
