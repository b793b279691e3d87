// A real HTTP server on loopback (cpp-httplib) that records the multipart forms posted to it,
// part by part in the order they arrived.
#pragma once

#include <httplib.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct ReceivedPost {
    std::string method;
    std::string path;
    std::string contentType;
    std::string via;         // the Via header an HTTP proxy adds
    std::string remoteAddr;  // who connected: 127.0.0.1 direct, a proxy's own address otherwise
    std::vector<std::pair<std::string, std::string>> parts;
};

class FormServer {
  public:
    using Handler = std::function<void(const ReceivedPost&, httplib::Response&)>;

    FormServer();
    ~FormServer();
    FormServer(const FormServer&) = delete;
    FormServer& operator=(const FormServer&) = delete;

    // Records every form posted to a path matching `pattern` (httplib's regular expression),
    // then lets `handler` answer. Register before Start().
    void OnPost(const std::string& pattern, Handler handler);
    // The underlying server, for other handlers (GET and the like). Before Start().
    httplib::Server& server() { return server_; }
    void Start();

    int port() const { return port_; }
    std::string url(const std::string& path = "") const;
    std::wstring baseUrl() const;
    std::vector<ReceivedPost> posts() const;

  private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex lock_;
    std::vector<ReceivedPost> posts_;
};
