// A tool-log server on loopback for the upload and event tests: it records every form posted to
// "/Api/saveToolLog", part by part in the order they arrived, and answers as told.
#pragma once

#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "report/base64.h"
#include "report/md5.h"

struct FormPart {
    std::string name;
    std::string value;
};

struct ReceivedForm {
    std::string contentType;
    std::string via;  // the Via header a proxy adds
    std::vector<FormPart> parts;

    // The value of the first part of that name, or "<missing>".
    std::string Value(const std::string& name) const {
        for (const auto& part : parts) {
            if (part.name == name) return part.value;
        }
        return "<missing>";
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& part : parts) names.push_back(part.name);
        return names;
    }
};

// The names in the order the server expects them: ascending bytes, then the submit button.
inline const std::vector<std::string> kToolLogPartOrder = {
    "_t", "data", "pid", "remarks", "runid", "state", "token", "toolid", "uid", "submit"};

// The token as the server computes it from the form: MD5 of the "@!" Base64 of toolid, uid,
// runid, _t and the shared secret.
inline std::string ServerSideToken(const ReceivedForm& form) {
    const std::string text = form.Value("toolid") + form.Value("uid") + form.Value("runid") +
                             form.Value("_t") + "Tq8VhN3wKp5ZrB2mXc7LdJ9sFy4GaE";
    return Md5HexOfText(Base64Encode(text.data(), text.size()));
}

class ToolLogServer {
  public:
    ToolLogServer() {
        server_.Post("/Api/saveToolLog",
                     [this](const httplib::Request& request, httplib::Response& response,
                            const httplib::ContentReader& reader) {
                         ReceivedForm form;
                         form.contentType = request.get_header_value("Content-Type");
                         form.via = request.get_header_value("Via");
                         if (request.is_multipart_form_data()) {
                             reader(
                                 [&](const httplib::MultipartFormData& header) {
                                     form.parts.push_back({header.name, ""});
                                     return true;
                                 },
                                 [&](const char* data, size_t length) {
                                     form.parts.back().value.append(data, length);
                                     return true;
                                 });
                         } else {
                             reader([](const char*, size_t) { return true; });
                         }
                         std::lock_guard<std::mutex> lock(lock_);
                         forms_.push_back(form);
                         response.status = status_;
                         response.set_content(body_, "text/plain");
                     });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~ToolLogServer() {
        server_.stop();
        thread_.join();
    }

    int port() const { return port_; }
    std::wstring BaseUrl() const { return L"http://127.0.0.1:" + std::to_wstring(port_); }

    void Answer(int status, const std::string& body) {
        std::lock_guard<std::mutex> lock(lock_);
        status_ = status;
        body_ = body;
    }
    std::vector<ReceivedForm> Forms() const {
        std::lock_guard<std::mutex> lock(lock_);
        return forms_;
    }

  private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex lock_;
    int status_ = 200;
    std::string body_ = "0";
    std::vector<ReceivedForm> forms_;
};

// A listener that accepts connections and hangs up at once, counting them: a server that is
// there but never answers.
class HangUpServer {
  public:
    HangUpServer() {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(address);
        bind(fd_, reinterpret_cast<sockaddr*>(&address), size);
        listen(fd_, 16);
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] {
            while (!stop_) {
                pollfd waiting{fd_, POLLIN, 0};
                if (poll(&waiting, 1, 20) <= 0) continue;
                int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
                if (client < 0) continue;
                ++connections_;
                close(client);
            }
        });
    }
    ~HangUpServer() {
        stop_ = true;
        thread_.join();
        close(fd_);
    }
    std::wstring BaseUrl() const { return L"http://127.0.0.1:" + std::to_wstring(port_); }
    int connections() const { return connections_; }

  private:
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
};

// A loopback port where nothing listens. The socket stays bound (never listening) for the life of
// the process: connections to it are refused, and no server of a test running beside this one
// can be given the same port meanwhile.
inline std::wstring ClosedPortBaseUrl() {
    static const int port = [] {
        int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(address);
        bind(fd, reinterpret_cast<sockaddr*>(&address), size);
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        return static_cast<int>(ntohs(address.sin_port));
    }();
    return L"http://127.0.0.1:" + std::to_wstring(port);
}

// Requests in these tests go where the test says, whatever the machine's environment names.
inline void ClearProxyEnvironment() {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
        unsetenv(name);
    }
}

// A loopback port free a moment ago.
inline int FreeLoopbackPort() {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof(address);
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

// tinyproxy on loopback, in the foreground, as a real HTTP proxy; it marks what it forwards
// with its Via header.
class TinyProxy {
  public:
    explicit TinyProxy(const std::string& folder) {
        port_ = FreeLoopbackPort();
        const std::string config = folder + "tinyproxy.conf";
        std::ofstream(config) << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 10\n"
                              << "Allow 127.0.0.1\nLogLevel Critical\n";
        std::vector<char*> argv = {const_cast<char*>("tinyproxy"), const_cast<char*>("-d"),
                                   const_cast<char*>("-c"), const_cast<char*>(config.c_str()),
                                   nullptr};
        extern char** environ;
        if (posix_spawnp(&pid_, "tinyproxy", nullptr, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
            return;
        }
        // Ready once it takes connections.
        for (int i = 0; i < 500 && !ready_; ++i) {
            int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(static_cast<uint16_t>(port_));
            ready_ = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
            close(fd);
            if (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~TinyProxy() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    bool ready() const { return ready_; }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }

  private:
    pid_t pid_ = -1;
    int port_ = 0;
    bool ready_ = false;
};
