// The client's one lock: posts from several threads reach the server one at a time, and each
// gets its own answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "report/http_client.h"
#include "support/form_server.h"
#include "support/proxy_env.h"

namespace {

TEST(HttpClientThreads, PostsFromManyThreadsAreSerialised) {
    ProxyEnvironment env;  // set before any thread starts: nothing configured, requests go direct
    FormServer server;
    std::atomic<int> inFlight{0};
    std::atomic<int> mostAtOnce{0};
    server.OnPost("/Api/saveToolLog", [&](const ReceivedPost& post, httplib::Response& res) {
        int now = ++inFlight;
        int seen = mostAtOnce.load();
        while (now > seen && !mostAtOnce.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        --inFlight;
        res.set_content("got " + post.parts.front().second + " 0", "text/plain");
    });
    server.Start();
    HttpClient& client = HttpClient::Instance();
    ASSERT_EQ(client.Init(server.baseUrl().c_str(), L""), 0);

    constexpr int kThreads = 4;
    constexpr int kPostsEach = 3;
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&client, &wrong, t] {
            for (int i = 0; i < kPostsEach; ++i) {
                std::string id = std::to_string(t * 100 + i);
                FormFields fields;
                fields.emplace("id", id);
                wchar_t response[260] = {0};
                int status = client.PostForm(L"/Api/saveToolLog", fields, response, 260);
                std::wstring expected = L"got " + std::wstring(id.begin(), id.end()) + L" 0";
                if (status != 200 || expected != response) ++wrong;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();

    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(server.posts().size(), static_cast<size_t>(kThreads * kPostsEach));
    EXPECT_EQ(mostAtOnce.load(), 1);
    EXPECT_EQ(&client, &HttpClient::Instance());
}

}  // namespace
