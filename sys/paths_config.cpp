#include "sys/paths_config.h"

#include <climits>

#include "platform/win_kernel.h"

void GetExeDirectory(std::string& out) {
    // A buffer of the system's path limit rather than 260: a longer path must not be cut into
    // a folder that does not exist.
    char path[PATH_MAX];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) {
        out.clear();
        return;
    }
    std::string full(path, length);
    size_t slash = full.find_last_of('/');
    out = slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

void GetConfigValue(const std::string& key, std::string& out) {
    std::string folder;
    GetExeDirectory(folder);
    if (key == "mainhtml") {
        out = "./tpl/index.html";
    } else if (key == "cleanIni") {
        out = folder + "CleanUp.ini";
    } else if (key == "logIni") {
        out = folder + "LogIni.ini";
    }
}
