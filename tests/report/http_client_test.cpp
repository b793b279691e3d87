#include "report/http_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cwchar>
#include <mutex>

#include "support/form_server.h"
#include "support/proxy_env.h"
#include "support/proxy_servers.h"
#include "support/temp_dir.h"

namespace {

using Parts = std::vector<std::pair<std::string, std::string>>;

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

class HttpClientTest : public ::testing::Test {
  protected:
    void SetUp() override { std::wcscpy(response, L"untouched"); }

    // Starts the server and points the client at it, with no settings file.
    void Connect() {
        server.Start();
        ASSERT_EQ(client.Init(server.baseUrl().c_str(), L""), 0);
    }

    int Post(const wchar_t* path, int capacity = 260) {
        FormFields fields;
        fields.emplace("a", "1");
        return client.PostForm(path, fields, response, capacity);
    }

    ProxyEnvironment env;  // no proxy configured anywhere: requests go direct
    FormServer server;
    HttpClient client;
    wchar_t response[2600];
};

TEST_F(HttpClientTest, FormPartsGoOutInByteOrderOfNamesWithSubmitLast) {
    server.OnPost("/Api/saveToolLog", [](const ReceivedPost&, httplib::Response& res) {
        res.set_content("ok 0", "text/plain");
    });
    Connect();
    FormFields fields;
    for (const char* name :
         {"toolid", "uid", "runid", "pid", "state", "data", "remarks", "_t", "token"}) {
        fields.emplace(name, std::string(name) == "data" || std::string(name) == "remarks"
                                 ? ""
                                 : std::string("v-") + name);
    }
    fields.emplace("uid", "second value is ignored");

    EXPECT_EQ(client.PostForm(L"/Api/saveToolLog", fields, response, 260), 200);
    EXPECT_STREQ(response, L"ok 0");
    auto posts = server.posts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].method, "POST");
    EXPECT_EQ(posts[0].contentType.rfind("multipart/form-data; boundary=", 0), 0u);
    Parts expected = {{"_t", "v-_t"},       {"data", ""},           {"pid", "v-pid"},
                      {"remarks", ""},      {"runid", "v-runid"},   {"state", "v-state"},
                      {"token", "v-token"}, {"toolid", "v-toolid"}, {"uid", "v-uid"},
                      {"submit", "send"}};
    EXPECT_EQ(posts[0].parts, expected);
}

TEST_F(HttpClientTest, AnswersBecomeStatusAndResponse) {
    struct Case {
        const char* path;
        int status;
        std::string body;
        int capacity;
        int expectedStatus;
        std::wstring expectedResponse;
    };
    const std::string longBody(600, 'x');
    const Case cases[] = {
        {"/plain", 200, "saved 10", 260, 200, L"saved 10"},
        {"/empty", 200, "", 260, 200, L""},
        {"/long", 200, longBody, 260, 200, std::wstring(259, L'x')},
        {"/tiny", 200, "abc", 1, 200, L""},
        {"/utf8", 200, "\xE5\xAE\x8C\xE6\x88\x90 0", 260, 200, L"\u5B8C\u6210 0"},
        {"/nul", 200, std::string("ab\0cd", 5), 260, 200, L"ab"},
        {"/missing", 404, "0", 260, 404, L"untouched"},
        {"/broken", 500, "0", 260, 500, L"untouched"},
    };
    for (const Case& c : cases) {
        server.OnPost(c.path, [&c](const ReceivedPost&, httplib::Response& res) {
            res.status = c.status;
            res.set_content(c.body, "text/plain");
        });
    }
    Connect();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::wcscpy(response, L"untouched");
        EXPECT_EQ(Post(Wide(c.path).c_str(), c.capacity), c.expectedStatus);
        EXPECT_EQ(std::wstring(response), c.expectedResponse);
    }
}

TEST_F(HttpClientTest, RedirectsAreFollowedAtMostFiveTimes) {
    auto redirect = [this](const std::string& path, int left, httplib::Response& res) {
        if (left == 0) {
            res.set_content("arrived 0", "text/plain");
            return;
        }
        res.set_redirect(path.substr(0, path.rfind('/') + 1) + std::to_string(left - 1));
    };
    server.OnPost(R"(/hop/(\d+))", [redirect](const ReceivedPost& post, httplib::Response& res) {
        redirect(post.path, std::stoi(post.path.substr(5)), res);
    });
    // A 302 turns the post into a GET, as browsers do.
    server.server().Get(R"(/hop/(\d+))",
                        [redirect](const httplib::Request& req, httplib::Response& res) {
                            redirect(req.path, std::stoi(req.path.substr(5)), res);
                        });
    Connect();

    EXPECT_EQ(Post(L"/hop/5"), 200);
    EXPECT_STREQ(response, L"arrived 0");

    std::wcscpy(response, L"untouched");
    EXPECT_EQ(Post(L"/hop/6"), 302);
    EXPECT_STREQ(response, L"untouched");
}

// A body cut short fails the attempt; the next attempt's body is added behind what arrived.
TEST_F(HttpClientTest, FailedAttemptsAreRetriedAndTheirBodiesKept) {
    std::atomic<int> recovering{0};
    std::atomic<int> neverWhole{0};
    auto cutShort = [](httplib::Response& res) {
        res.set_content_provider(100, "text/plain", [](size_t, size_t, httplib::DataSink& sink) {
            sink.write("ab", 2);
            return false;  // drops the connection mid-body
        });
    };
    server.OnPost("/recovering", [&](const ReceivedPost&, httplib::Response& res) {
        if (++recovering < 3) {
            cutShort(res);
        } else {
            res.set_content("c0", "text/plain");
        }
    });
    server.OnPost("/never-whole", [&](const ReceivedPost&, httplib::Response& res) {
        ++neverWhole;
        cutShort(res);
    });
    Connect();

    EXPECT_EQ(Post(L"/recovering"), 200);
    EXPECT_STREQ(response, L"ababc0");
    EXPECT_EQ(recovering.load(), 3);

    // The last attempt failed too, but after a 200 status line: that status and the partial
    // bodies still come back.
    EXPECT_EQ(Post(L"/never-whole"), 200);
    EXPECT_STREQ(response, L"ababab");
    EXPECT_EQ(neverWhole.load(), 3);
}

TEST_F(HttpClientTest, NoServerGivesZeroAndLeavesTheResponse) {
    ASSERT_EQ(
        client.Init(Wide("http://127.0.0.1:" + std::to_string(UnusedLoopbackPort())).c_str(), L""),
        0);
    EXPECT_EQ(Post(L"/Api/saveToolLog"), 0);
    EXPECT_STREQ(response, L"untouched");
}

TEST_F(HttpClientTest, MissingArgumentsAreRefused) {
    server.OnPost(".*", [](const ReceivedPost&, httplib::Response& res) {
        res.set_content("0", "text/plain");
    });
    Connect();
    FormFields fields;
    EXPECT_EQ(client.PostForm(nullptr, fields, response, 260), -1);
    EXPECT_EQ(client.PostForm(L"/x", fields, nullptr, 260), -1);
    EXPECT_EQ(client.PostForm(L"/x", fields, response, 0), -1);
    EXPECT_EQ(client.PostForm(L"/x", fields, response, -5), -1);
    EXPECT_STREQ(response, L"untouched");
    EXPECT_TRUE(server.posts().empty());

    HttpClient fresh;
    EXPECT_EQ(fresh.Init(nullptr, L""), -1);
    EXPECT_EQ(fresh.Init(L"http://a", nullptr), -1);
    // A base URL longer than 259 characters would only be cut into a wrong address.
    EXPECT_EQ(fresh.Init((L"http://" + std::wstring(253, L'a')).c_str(), L""), -1);
    EXPECT_EQ(fresh.Init((L"http://" + std::wstring(252, L'a')).c_str(), L""), 0);
}

TEST_F(HttpClientTest, RequestUrlTooLongIsNotSent) {
    server.OnPost(".*", [](const ReceivedPost&, httplib::Response& res) {
        res.set_content("0", "text/plain");
    });
    Connect();
    std::wstring path = L"/" + std::wstring(1300, L'p');
    EXPECT_EQ(Post(path.c_str()), 0);
    EXPECT_TRUE(server.posts().empty());
}

// The one test that waits out the transfer time-out: the first attempt receives part of a body
// and then nothing; the second attempt answers at once.
class StalledTransferTest : public ::testing::Test {
  protected:
    void Release() {
        {
            std::lock_guard<std::mutex> hold(lock);
            released = true;
        }
        wake.notify_all();
    }

    // Declared before the server, so the server's handler threads end before these go.
    std::mutex lock;
    std::condition_variable wake;
    bool released = false;
    std::atomic<int> attempts{0};

    ProxyEnvironment env;
    FormServer server;
    HttpClient client;
};

TEST_F(StalledTransferTest, EndsAfterFiveSecondsAndIsRetried) {
    server.OnPost("/stalls", [this](const ReceivedPost&, httplib::Response& res) {
        if (++attempts > 1) {
            res.set_content("cd0", "text/plain");
            return;
        }
        res.set_chunked_content_provider(
            "text/plain", [this](size_t offset, httplib::DataSink& sink) {
                if (offset == 0) {
                    sink.write("ab", 2);
                    return true;
                }
                std::unique_lock<std::mutex> hold(lock);
                wake.wait_for(hold, std::chrono::seconds(10), [this] { return released; });
                return false;
            });
    });
    server.Start();
    ASSERT_EQ(client.Init(server.baseUrl().c_str(), L""), 0);

    wchar_t response[260] = {0};
    FormFields fields;
    auto start = std::chrono::steady_clock::now();
    int status = client.PostForm(L"/stalls", fields, response, 260);
    auto elapsed = std::chrono::steady_clock::now() - start;
    Release();

    EXPECT_EQ(status, 200);
    EXPECT_STREQ(response, L"abcd0");
    EXPECT_EQ(attempts.load(), 2);
    EXPECT_GE(elapsed, std::chrono::milliseconds(4900));
    EXPECT_LT(elapsed, std::chrono::seconds(9));
}

// The custom-proxy section of the settings file overrides whatever the desktop configures.
class CustomProxyTest : public HttpClientTest {
  protected:
    void WriteSettings(const std::string& yesOrNo, const std::string& address,
                       const std::string& port) {
        TempDir::Write(settings, "[SelectCustomProxy]\nYesOrNo=" + yesOrNo +
                                     "\nAddress=" + address + "\nPort=" + port + "\n");
    }
    void ConnectWithSettings() {
        server.OnPost(".*", [](const ReceivedPost&, httplib::Response& res) {
            res.set_content("0", "text/plain");
        });
        server.Start();
        ASSERT_EQ(client.Init(server.baseUrl().c_str(), Wide(settings).c_str()), 0);
    }

    TempDir dir;
    std::string settings = dir.File("settings.ini");
};

TEST_F(CustomProxyTest, SwitchedOnItCarriesTheRequestInsteadOfTheDesktopProxy) {
    TinyProxy tinyproxy;
    MicroSocks socks;
    env.Set("http_proxy", "http://" + socks.address());  // would fail: not an HTTP proxy
    WriteSettings("1", "127.0.0.1", std::to_string(tinyproxy.port()));
    ConnectWithSettings();

    EXPECT_EQ(Post(L"/x"), 200);
    EXPECT_EQ(client.proxyState().proxy, tinyproxy.address());
    auto posts = server.posts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].remoteAddr, TinyProxy::kOutgoingAddress);
    EXPECT_NE(posts[0].via.find(TinyProxy::kViaName), std::string::npos);

    // Switched off, discovery decides again: here the desktop sends the server's host direct.
    WriteSettings("0", "127.0.0.1", std::to_string(tinyproxy.port()));
    env.Set("http_proxy", "http://" + tinyproxy.address());
    env.Set("no_proxy", "127.0.0.1");
    EXPECT_EQ(Post(L"/x"), 200);
    EXPECT_EQ(server.posts().back().remoteAddr, "127.0.0.1");
}

TEST_F(CustomProxyTest, EmptyAddressAndPortStillNameAProxy) {
    WriteSettings("1", "", "");
    ConnectWithSettings();
    EXPECT_EQ(Post(L"/x"), 0);
    EXPECT_EQ(client.proxyState().proxy, ":");
    EXPECT_TRUE(server.posts().empty());
}

TEST_F(CustomProxyTest, KeepsTheSocksTypeAnEarlierDiscoveryChose) {
    MicroSocks socks;
    env.Set("all_proxy", "socks5://" + socks.address());
    WriteSettings("0", "", "");
    ConnectWithSettings();
    EXPECT_EQ(Post(L"/x"), 200);
    EXPECT_TRUE(client.proxyState().hasSocksProxy);

    // The desktop now names nothing; the custom proxy is the same SOCKS server, which only
    // works when it is spoken to as SOCKS5.
    env.Set("all_proxy", "");
    WriteSettings("1", "127.0.0.1", std::to_string(socks.port()));
    EXPECT_EQ(Post(L"/x"), 200);
    auto posts = server.posts();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[1].remoteAddr, MicroSocks::kOutgoingAddress);
}

}  // namespace
