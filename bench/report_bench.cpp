// The cost of one tool-log report to a loopback tool-log server, against one curl command line
// posting the same form to the same server in the same run.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "report/tool_log_event.h"
#include "report/tool_log_record.h"
#include "report/tool_log_uploader.h"

extern char** environ;

namespace {

using Form = std::map<std::string, std::string>;

// Answers "0" (delivered) and keeps the last form it was sent.
class Server {
  public:
    Server() {
        server_.Post("/Api/saveToolLog",
                     [this](const httplib::Request& request, httplib::Response& response) {
                         Form form;
                         for (const auto& [name, part] : request.files) form[name] = part.content;
                         {
                             std::lock_guard<std::mutex> lock(lock_);
                             last_ = form;
                         }
                         response.set_content("0", "text/plain");
                     });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~Server() {
        server_.stop();
        thread_.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::wstring WideUrl() const { return L"http://127.0.0.1:" + std::to_wstring(port_); }
    Form TakeLast() {
        std::lock_guard<std::mutex> lock(lock_);
        Form form;
        form.swap(last_);
        return form;
    }

  private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex lock_;
    Form last_;
};

Server& TheServer() {
    static Server server;
    return server;
}

void Prepare() {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
        unsetenv(name);
    }
    ToolLogUploader::Instance().SetServerBaseUrl(TheServer().WideUrl().c_str());
}

ToolLogRecord SampleRecord() {
    ToolLogRecord record;
    record.state = "6";
    record.data = "5";
    return record;
}

// The same form as the uploader's, on curl's command line, parts in the same order.
bool CurlPost(const ToolLogRecord& record) {
    const std::vector<std::pair<std::string, std::string>> parts = {
        {"_t", record.t},
        {"data", record.data},
        {"pid", record.pid},
        {"remarks", record.remarks},
        {"runid", record.runid},
        {"state", record.state},
        {"token", MakeToolLogToken(record)},
        {"toolid", record.ename},
        {"uid", record.uid},
        {"submit", "send"}};
    std::vector<std::string> args = {"curl", "-s", "-o", "/dev/null", "--max-time", "5"};
    for (const auto& [name, value] : parts) {
        args.push_back("--form-string");
        args.push_back(name + "=" + value);
    }
    args.push_back(TheServer().Url() + "/Api/saveToolLog");
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Both sides must post the same form, or the comparison means nothing.
bool SameFormOnBothSides() {
    Prepare();
    const ToolLogRecord record = SampleRecord();
    if (ToolLogUploader::Instance().Upload(record) != 1) return false;
    Form ours = TheServer().TakeLast();
    if (!CurlPost(record)) return false;
    return !ours.empty() && ours == TheServer().TakeLast();
}

void BM_ReportToolLog(benchmark::State& state) {
    if (!SameFormOnBothSides()) {
        state.SkipWithError("the forms differ, or a post failed");
        return;
    }
    for (auto _ : state) ReportToolLog("6", "5", "");
}

void BM_Upload(benchmark::State& state) {
    Prepare();
    const ToolLogRecord record = SampleRecord();
    for (auto _ : state) {
        if (ToolLogUploader::Instance().Upload(record) != 1) {
            state.SkipWithError("not delivered");
            break;
        }
    }
}

void BM_CurlCommandLine(benchmark::State& state) {
    if (!SameFormOnBothSides()) {
        state.SkipWithError("the forms differ, or a post failed");
        return;
    }
    const ToolLogRecord record = SampleRecord();
    for (auto _ : state) {
        if (!CurlPost(record)) {
            state.SkipWithError("curl failed");
            break;
        }
    }
}

BENCHMARK(BM_ReportToolLog)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Upload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlCommandLine)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
