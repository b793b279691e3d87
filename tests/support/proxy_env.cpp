#include "support/proxy_env.h"

#include <cstdlib>
#include <filesystem>

namespace {

const char* const kVariables[] = {
    "http_proxy", "HTTP_PROXY", "https_proxy",       "HTTPS_PROXY",     "all_proxy", "ALL_PROXY",
    "no_proxy",   "NO_PROXY",   "GSETTINGS_BACKEND", "XDG_CONFIG_HOME", "PATH",
};

}  // namespace

ProxyEnvironment::ProxyEnvironment() {
    for (const char* name : kVariables) {
        const char* value = std::getenv(name);
        saved_[name] = value != nullptr ? std::optional<std::string>(value) : std::nullopt;
        if (std::string(name) != "PATH") unsetenv(name);
    }
    setenv("GSETTINGS_BACKEND", "keyfile", 1);
    setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
}

ProxyEnvironment::~ProxyEnvironment() {
    for (const auto& [name, value] : saved_) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
}

void ProxyEnvironment::Set(const std::string& name, const std::string& value) {
    setenv(name.c_str(), value.c_str(), 1);
}

void ProxyEnvironment::SetDesktop(const std::string& keyfile) {
    std::filesystem::create_directories(dir_.path() + "glib-2.0/settings");
    TempDir::Write(dir_.path() + "glib-2.0/settings/keyfile", keyfile);
}

void ProxyEnvironment::HidePrograms() {
    std::filesystem::create_directories(dir_.path() + "no-programs");
    setenv("PATH", (dir_.path() + "no-programs").c_str(), 1);
}
