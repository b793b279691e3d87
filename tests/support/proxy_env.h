// Puts the proxy configuration that the code under test reads into the test's hands: the proxy
// variables (cleared, then set as the test asks) and the desktop settings (a private,
// file-backed GSettings store, empty until the test writes it). Everything is restored at the
// end. Not for use while other threads read the environment.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "support/temp_dir.h"

class ProxyEnvironment {
  public:
    ProxyEnvironment();
    ~ProxyEnvironment();
    ProxyEnvironment(const ProxyEnvironment&) = delete;
    ProxyEnvironment& operator=(const ProxyEnvironment&) = delete;

    void Set(const std::string& name, const std::string& value);
    // The desktop settings as GSettings' key file holds them, for example
    // "[system/proxy]\nmode='manual'\n[system/proxy/http]\nhost='h'\nport=3128\n".
    void SetDesktop(const std::string& keyfile);
    // Hides every program (gsettings among them) from PATH lookups.
    void HidePrograms();

  private:
    TempDir dir_;
    std::map<std::string, std::optional<std::string>> saved_;
};
