// One tool-log form post to a loopback server through the HTTP client (proxy discovery included,
// as every request does it), against one curl command-line post of the same form in the same
// run.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <thread>
#include <vector>

#include "report/http_client.h"

extern char** environ;

namespace {

class LoopbackServer {
  public:
    LoopbackServer() {
        server_.Post("/Api/saveToolLog", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("0", "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~LoopbackServer() {
        server_.stop();
        thread_.join();
    }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

  private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
};

LoopbackServer& Server() {
    static LoopbackServer server;
    return server;
}

FormFields Fields() {
    return {{"_t", "1709313000"},
            {"data", ""},
            {"pid", "explorer.exe"},
            {"remarks", ""},
            {"runid", "4711"},
            {"state", "0"},
            {"token", "0123456789abcdef0123456789abcdef"},
            {"toolid", "IEHomeFix"},
            {"uid", "00-11-22-33-44-55"}};
}

void BM_HttpClientPost(benchmark::State& state) {
    std::string base = Server().base();
    HttpClient client;
    client.Init(std::wstring(base.begin(), base.end()).c_str(), L"");
    FormFields fields = Fields();
    for (auto _ : state) {
        wchar_t response[260] = {0};
        if (client.PostForm(L"/Api/saveToolLog", fields, response, 260) != 200) {
            state.SkipWithError("post failed");
            break;
        }
    }
}
BENCHMARK(BM_HttpClientPost)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CurlCommandPost(benchmark::State& state) {
    std::vector<std::string> args = {"curl", "-s", "-o", "/dev/null", "--noproxy", "*"};
    for (const auto& [name, value] : Fields()) {
        args.push_back("-F");
        args.push_back(name + "=" + value);
    }
    args.push_back("-F");
    args.push_back("submit=send");
    args.push_back(Server().base() + "/Api/saveToolLog");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || status != 0) {
            state.SkipWithError("curl failed");
            break;
        }
    }
}
BENCHMARK(BM_CurlCommandPost)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
