#include "support/proxy_servers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

bool Accepts(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return ok;
}

constexpr int kLaunchAttempts = 5;

}  // namespace

int UnusedLoopbackPort() {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    int port = 0;
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (fd >= 0) close(fd);
    return port;
}

LoopbackProxy::~LoopbackProxy() {
    Stop();
}

std::string LoopbackProxy::Log() const {
    return TempDir::Read(dir_.File("log"));
}

void LoopbackProxy::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

bool LoopbackProxy::Launch(const std::vector<std::string>& argv, int port) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::string logPath = dir_.File("log");
    pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        int null = open("/dev/null", O_RDONLY);
        if (log >= 0 && null >= 0) {
            dup2(null, 0);
            dup2(log, 1);
            dup2(log, 2);
            execv(args[0], args.data());
        }
        _exit(127);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Accepts(port)) {
            pid_ = pid;
            port_ = port;
            return true;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) return false;  // the port was taken
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return false;
}

TinyProxy::TinyProxy() {
    for (int attempt = 0; attempt < kLaunchAttempts && !running(); ++attempt) {
        int port = UnusedLoopbackPort();
        std::string config = "Port " + std::to_string(port) +
                             "\n"
                             "Listen 127.0.0.1\n"
                             "Bind " +
                             kOutgoingAddress +
                             "\n"
                             "Timeout 30\n"
                             "LogLevel Connect\n"
                             "MaxClients 20\n"
                             "Allow 127.0.0.1\n"
                             "ViaProxyName \"" +
                             kViaName + "\"\n";
        TempDir::Write(dir_.File("tinyproxy.conf"), config);
        Launch({"/usr/bin/tinyproxy", "-d", "-c", dir_.File("tinyproxy.conf")}, port);
    }
    if (!running()) ADD_FAILURE() << "tinyproxy did not start: " << Log();
}

MicroSocks::MicroSocks() {
    for (int attempt = 0; attempt < kLaunchAttempts && !running(); ++attempt) {
        int port = UnusedLoopbackPort();
        Launch({"/usr/bin/microsocks", "-i", "127.0.0.1", "-p", std::to_string(port), "-b",
                kOutgoingAddress},
               port);
    }
    if (!running()) ADD_FAILURE() << "microsocks did not start: " << Log();
}
