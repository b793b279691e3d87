#include "sys/identity.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/kernel/process_info.h"
#include "platform/net/adapter_address.h"
#include "platform/win_kernel.h"

std::vector<std::string> SplitTokens(const std::string& text, const std::string& delimiters) {
    std::vector<std::string> pieces;
    size_t start = text.find_first_not_of(delimiters);
    while (start != std::string::npos) {
        size_t end = text.find_first_of(delimiters, start);
        pieces.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        start = text.find_first_not_of(delimiters, end);
    }
    return pieces;
}

DWORD GetMacAddressText(char* out) {
    BYTE address[6];
    DWORD code = GetFirstAdapterAddress(address);
    if (code != 0) return code;
    std::snprintf(out, 18, "%02X-%02X-%02X-%02X-%02X-%02X", address[0], address[1], address[2],
                  address[3], address[4], address[5]);
    return 0;
}

long GetParentProcessId(DWORD pid) {
    return QueryParentProcessId(pid);
}

std::string GetProcessImagePath(DWORD pid) {
    std::string path = QueryProcessImagePath(pid);
    return path.size() < MAX_PATH ? path : std::string();
}

void GetParentImagePath(char* out) {
    long parent = GetParentProcessId(GetCurrentProcessId());
    if (parent <= 0) return;
    std::string path = GetProcessImagePath(static_cast<DWORD>(parent));
    std::memcpy(out, path.c_str(), path.size());
}

void GetToolIdentity(std::string& ename, std::string& runid) {
    char parentPath[MAX_PATH] = {};
    GetParentImagePath(parentPath);
    std::string path = parentPath;
    if (path.empty()) {
        char own[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, own, sizeof(own));
        path = own;
    }
    ToolIdentityFromPath(path, ename, runid);
}

void ToolIdentityFromPath(const std::string& path, std::string& ename, std::string& runid) {
    size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.resize(dot);

    std::vector<std::string> pieces = SplitTokens(name, ".");
    if (pieces.size() == 3) {
        size_t v = pieces[0].find('V');
        std::string head = v == std::string::npos ? pieces[0] : pieces[0].substr(v + 1);
        ename = head + pieces[1];
        runid = pieces[2];
    } else {
        ename = pieces.empty() ? std::string() : pieces[0];
    }
}

void GetUnixTimeText(std::string& out) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    long long seconds = 0;
    if (now.wYear >= 1900) {
        struct tm local {};
        local.tm_year = now.wYear - 1900;
        local.tm_mon = now.wMonth - 1;
        local.tm_mday = now.wDay;
        local.tm_hour = now.wHour;
        local.tm_min = now.wMinute;
        local.tm_sec = now.wSecond;
        local.tm_isdst = -1;
        seconds = static_cast<long long>(mktime(&local));
    }
    out = std::to_string(seconds);
}
