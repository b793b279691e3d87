// Real proxies on loopback for tests: tinyproxy (HTTP) and microsocks (SOCKS5). Each binds its
// outgoing connections to a loopback address of its own, so a server can tell from the remote
// address which way a request came.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

// A port on 127.0.0.1 that nothing listens on right now.
int UnusedLoopbackPort();

class LoopbackProxy {
  public:
    virtual ~LoopbackProxy();
    LoopbackProxy(const LoopbackProxy&) = delete;
    LoopbackProxy& operator=(const LoopbackProxy&) = delete;

    bool running() const { return pid_ > 0; }
    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    // What the proxy wrote to its standard output and error so far.
    std::string Log() const;
    void Stop();

  protected:
    LoopbackProxy() = default;
    // Starts the program with its output in the log and waits until it accepts on `port`;
    // false (and nothing left running) when it does not.
    bool Launch(const std::vector<std::string>& argv, int port);

    TempDir dir_;

  private:
    pid_t pid_ = -1;
    int port_ = 0;
};

class TinyProxy : public LoopbackProxy {
  public:
    static constexpr const char* kOutgoingAddress = "127.0.0.3";
    static constexpr const char* kViaName = "iefix-test-proxy";
    TinyProxy();
};

class MicroSocks : public LoopbackProxy {
  public:
    static constexpr const char* kOutgoingAddress = "127.0.0.2";
    MicroSocks();
};
