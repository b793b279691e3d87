#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "platform/win_kernel.h"

namespace {

// The module handle of the executable; any non-null value distinct from other handles does.
HMODULE ExecutableModule() {
    static char anchor;
    return reinterpret_cast<HMODULE>(&anchor);
}

bool ReadExecutablePath(std::string& out) {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0) return false;
    out.assign(buffer, static_cast<size_t>(n));
    return true;
}

bool IsOwnModule(HMODULE hModule) {
    return hModule == nullptr || hModule == ExecutableModule();
}

}  // namespace

HMODULE GetModuleHandleW(LPCWSTR lpModuleName) {
    if (lpModuleName != nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return ExecutableModule();
}

DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    std::string path;
    if (!IsOwnModule(hModule) || lpFilename == nullptr || nSize == 0 || !ReadExecutablePath(path)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (path.size() >= nSize) {
        std::memcpy(lpFilename, path.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::memcpy(lpFilename, path.c_str(), path.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}

DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
    std::string path;
    if (!IsOwnModule(hModule) || lpFilename == nullptr || nSize == 0 || !ReadExecutablePath(path)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int wideLength = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    if (wideLength <= 0) return 0;
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), wideLength);
    DWORD chars = static_cast<DWORD>(wideLength - 1);
    if (chars >= nSize) {
        std::wmemcpy(lpFilename, wide.data(), nSize - 1);
        lpFilename[nSize - 1] = L'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::wmemcpy(lpFilename, wide.data(), chars + 1);
    SetLastError(ERROR_SUCCESS);
    return chars;
}
