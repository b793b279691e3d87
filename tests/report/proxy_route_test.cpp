// Requests travel through real proxies (tinyproxy, microsocks) as the user's configuration says.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "report/http_client.h"
#include "support/form_server.h"
#include "support/proxy_env.h"
#include "support/proxy_servers.h"

namespace {

constexpr const char* kDirect = "127.0.0.1";

class ProxyRouteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(tinyproxy.running());
        ASSERT_TRUE(socks.running());
        server.OnPost(".*", [](const ReceivedPost&, httplib::Response& res) {
            res.set_content("0", "text/plain");
        });
        server.server().Get(R"(/pac/(\w+)\.pac)", [this](const httplib::Request& req,
                                                         httplib::Response& res) {
            std::string name = req.matches[1];
            std::string answer = name == "proxy"   ? "PROXY " + tinyproxy.address()
                                 : name == "socks" ? "SOCKS5 " + socks.address()
                                                   : "DIRECT";
            std::string body =
                "function FindProxyForURL(url, host) { " +
                (name == "throws" ? "throw new Error('no');" : "return '" + answer + "';") + " }";
            res.set_content(body, "application/x-ns-proxy-autoconfig");
        });
        server.Start();
    }

    std::string Desktop(const std::string& scheme, int port) {
        return "[system/proxy]\nmode='manual'\nignore-hosts=@as []\n[system/proxy/" + scheme +
               "]\nhost='127.0.0.1'\nport=" + std::to_string(port) + "\n";
    }
    std::string DesktopScript(const std::string& name) {
        return "[system/proxy]\nmode='auto'\nautoconfig-url='" +
               server.url("/pac/" + name + ".pac") + "'\n";
    }

    // Posts once through `client`; the remote address the server saw, or "" when nothing came.
    std::string Route(HttpClient& client) {
        size_t before = server.posts().size();
        FormFields fields;
        fields.emplace("state", "0");
        wchar_t response[260] = {0};
        int status = client.PostForm(L"/Api/saveToolLog", fields, response, 260);
        auto posts = server.posts();
        if (posts.size() != before + 1) return "";
        EXPECT_EQ(status, 200);
        const ReceivedPost& post = posts.back();
        bool viaTinyproxy = post.via.find(TinyProxy::kViaName) != std::string::npos;
        EXPECT_EQ(viaTinyproxy, post.remoteAddr == TinyProxy::kOutgoingAddress);
        return post.remoteAddr;
    }

    HttpClient& FreshClient() {
        clients.push_back(std::make_unique<HttpClient>());
        clients.back()->Init(server.baseUrl().c_str(), L"");
        return *clients.back();
    }

    ProxyEnvironment env;
    TinyProxy tinyproxy;
    MicroSocks socks;
    FormServer server;
    std::vector<std::unique_ptr<HttpClient>> clients;
};

TEST_F(ProxyRouteTest, RequestsGoWhereTheConfigurationSendsThem) {
    const std::string viaHttp = TinyProxy::kOutgoingAddress;
    const std::string viaSocks = MicroSocks::kOutgoingAddress;
    const struct Case {
        const char* name;
        std::function<void(ProxyEnvironment&)> configure;
        std::string expected;
    } cases[] = {
        {"nothing configured", [](ProxyEnvironment&) {}, kDirect},
        {"environment http proxy",
         [&](ProxyEnvironment& env) { env.Set("http_proxy", "http://" + tinyproxy.address()); },
         viaHttp},
        {"environment socks proxy",
         [&](ProxyEnvironment& env) { env.Set("all_proxy", "socks5://" + socks.address()); },
         viaSocks},
        {"environment bypass",
         [&](ProxyEnvironment& env) {
             env.Set("http_proxy", tinyproxy.address());
             env.Set("no_proxy", "localhost,127.0.0.1");
         },
         kDirect},
        {"desktop http proxy; the environment's bypass does not count",
         [&](ProxyEnvironment& env) {
             env.SetDesktop(Desktop("http", tinyproxy.port()));
             env.Set("no_proxy", "127.0.0.1");
         },
         viaHttp},
        {"desktop socks proxy",
         [&](ProxyEnvironment& env) { env.SetDesktop(Desktop("socks", socks.port())); }, viaSocks},
        {"desktop ignore list; the environment's proxy does not count",
         [&](ProxyEnvironment& env) {
             std::string desktop = Desktop("http", tinyproxy.port());
             desktop.replace(desktop.find("@as []"), 6, "['localhost', '127.0.0.1']");
             env.SetDesktop(desktop);
             env.Set("http_proxy", "127.0.0.1:" + std::to_string(UnusedLoopbackPort()));
         },
         kDirect},
        {"script answers PROXY",
         [&](ProxyEnvironment& env) { env.SetDesktop(DesktopScript("proxy")); }, viaHttp},
        {"script answers SOCKS",
         [&](ProxyEnvironment& env) { env.SetDesktop(DesktopScript("socks")); }, viaSocks},
        {"script answers DIRECT",
         [&](ProxyEnvironment& env) { env.SetDesktop(DesktopScript("direct")); }, kDirect},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProxyEnvironment scoped;  // each case starts from nothing configured
        c.configure(scoped);
        EXPECT_EQ(Route(FreshClient()), c.expected);
    }
    EXPECT_NE(tinyproxy.Log().find("Request"), std::string::npos);
    EXPECT_NE(socks.Log().find("connected to 127.0.0.1:" + std::to_string(server.port())),
              std::string::npos);
}

TEST_F(ProxyRouteTest, AProxyThatIsDownFailsThePost) {
    env.Set("http_proxy", "127.0.0.1:" + std::to_string(UnusedLoopbackPort()));
    EXPECT_EQ(Route(FreshClient()), "");
    tinyproxy.Stop();
    env.Set("http_proxy", tinyproxy.address());
    EXPECT_EQ(Route(FreshClient()), "");
}

// The proxy of the previous request stays when the next discovery finds no list.
TEST_F(ProxyRouteTest, ADirectOrFailingScriptKeepsThePreviousProxy) {
    HttpClient& client = FreshClient();
    env.Set("http_proxy", tinyproxy.address());
    EXPECT_EQ(Route(client), TinyProxy::kOutgoingAddress);

    env.SetDesktop(DesktopScript("direct"));
    EXPECT_EQ(Route(client), TinyProxy::kOutgoingAddress);

    env.SetDesktop(DesktopScript("throws"));
    setenv("IEFIX_DEBUG_OUTPUT", "1", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Route(client), TinyProxy::kOutgoingAddress);
    std::string debugOutput = testing::internal::GetCapturedStderr();
    unsetenv("IEFIX_DEBUG_OUTPUT");
    EXPECT_NE(debugOutput.find("WinHttpGetProxyForUrl 12166\n"), std::string::npos);
}

}  // namespace
