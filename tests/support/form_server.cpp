#include "support/form_server.h"

#include <gtest/gtest.h>

#include <chrono>

FormServer::FormServer() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) ADD_FAILURE() << "the test server could not bind";
}

FormServer::~FormServer() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
}

void FormServer::OnPost(const std::string& pattern, Handler handler) {
    server_.Post(pattern,
                 [this, handler](const httplib::Request& request, httplib::Response& response,
                                 const httplib::ContentReader& reader) {
                     ReceivedPost post;
                     post.method = request.method;
                     post.path = request.path;
                     post.contentType = request.get_header_value("Content-Type");
                     post.via = request.get_header_value("Via");
                     post.remoteAddr = request.remote_addr;
                     if (request.is_multipart_form_data()) {
                         reader(
                             [&post](const httplib::MultipartFormData& part) {
                                 post.parts.emplace_back(part.name, std::string());
                                 return true;
                             },
                             [&post](const char* data, size_t length) {
                                 if (!post.parts.empty())
                                     post.parts.back().second.append(data, length);
                                 return true;
                             });
                     } else {
                         reader([](const char*, size_t) { return true; });
                     }
                     {
                         std::lock_guard<std::mutex> hold(lock_);
                         posts_.push_back(post);
                     }
                     handler(post, response);
                 });
}

void FormServer::Start() {
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!server_.is_running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::string FormServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::wstring FormServer::baseUrl() const {
    std::string narrow = url();
    return std::wstring(narrow.begin(), narrow.end());
}

std::vector<ReceivedPost> FormServer::posts() const {
    std::lock_guard<std::mutex> hold(lock_);
    return posts_;
}
