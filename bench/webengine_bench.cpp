// The web engine against headless Chromium on a page like the tool's: time to the first painted
// frame, one progress update with its repaint, and peak memory, measured in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "webengine/web_engine.h"

namespace {

const char kPage[] = R"H(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>修复工具</title><style>
body { margin: 0; font-family: "Microsoft YaHei", sans-serif; background: #ffffff; }
#header { height: 40px; line-height: 40px; background: #1e64c8; color: #fff; padding-left: 10px; }
#tip { margin: 20px 10px; font-size: 14px; color: #333; }
#bar { position: absolute; left: 10px; top: 100px; width: 500px; height: 20px; background: #ddd; }
#progress { height: 20px; width: 0%; background: #22aa22; }
#buttons { position: absolute; left: 10px; top: 140px; }
button { width: 120px; height: 32px; margin-right: 10px; }
</style></head><body>
<div id="header">主页修复</div><p id="tip">正在检测，请稍候…</p>
<div id="bar"><div id="progress"></div></div>
<div id="buttons"><button>开始修复</button><button>反馈</button><button>关闭</button></div>
<script>
function RenderMain(r) {
  document.getElementById('tip').textContent = r.progress_tip;
  document.getElementById('progress').style.width = r.progress_value + '%';
}
</script></body></html>)H";

constexpr int kWidth = 600;
constexpr int kHeight = 400;

std::string g_dir;
std::string g_page;
double g_chromiumSeconds = 0;

struct NullBuffer : _wvBufHandler {
    void onBufUpdated(HDC, int, int, int, int) override { ++updates; }
    int updates = 0;
};

void WritePage() {
    char templ[] = "/tmp/webengine-bench-XXXXXX";
    if (mkdtemp(templ) == nullptr) std::abort();
    g_dir = templ;
    g_page = g_dir + "/index.html";
    std::ofstream(g_page) << kPage;
}

// Runs a program from an argument vector (never a shell) and waits for it.
bool Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ChromiumScreenshot(int run) {
    std::string profile = g_dir + "/profile-" + std::to_string(run);
    mkdir(profile.c_str(), 0700);
    return Run({"/usr/bin/chromium", "--headless", "--no-sandbox", "--disable-gpu",
                "--disable-background-networking", "--disable-component-update", "--disable-sync",
                "--no-first-run", "--user-data-dir=" + profile,
                "--screenshot=" + g_dir + "/shot.png",
                "--window-size=" + std::to_string(kWidth) + "," + std::to_string(kHeight),
                "file://" + g_page});
}

void BM_ChromiumScreenshot(benchmark::State& state) {
    int run = 0;
    double total = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (!ChromiumScreenshot(run++)) {
            state.SkipWithError("chromium did not run");
            return;
        }
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    g_chromiumSeconds = total / run;
}
BENCHMARK(BM_ChromiumScreenshot)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FirstFrame(benchmark::State& state) {
    std::wstring page(g_page.begin(), g_page.end());
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        wvWebView* view = wvCreateWebView();
        NullBuffer buffer;
        view->setBufHandler(&buffer);
        view->resize(kWidth, kHeight);
        view->loadFile(page.c_str());
        view->tick();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++runs;
        if (buffer.updates == 0) state.SkipWithError("nothing was painted");
        wvDestroyWebView(view);
    }
    if (g_chromiumSeconds > 0 && runs > 0) {
        state.counters["chromium_over_engine"] = g_chromiumSeconds / (total / runs);
    }
}
BENCHMARK(BM_FirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProgressUpdateAndRepaint(benchmark::State& state) {
    std::wstring page(g_page.begin(), g_page.end());
    wvWebView* view = wvCreateWebView();
    NullBuffer buffer;
    view->setBufHandler(&buffer);
    view->resize(kWidth, kHeight);
    view->loadFile(page.c_str());
    view->tick();
    int value = 0;
    for (auto _ : state) {
        value = (value + 7) % 101;
        std::wstring script = L"RenderMain({\"progress_tip\":\"正在修复 " + std::to_wstring(value) +
                              L"\",\"progress_value\":" + std::to_wstring(value) + L"});";
        buffer.updates = 0;
        view->runJS(script.c_str());
        view->tick();
        if (buffer.updates == 0) state.SkipWithError("the update was not repainted");
    }
    wvDestroyWebView(view);
}
BENCHMARK(BM_ProgressUpdateAndRepaint)->Unit(benchmark::kMicrosecond);

// Peak resident memory of a process that shows the page, against Chromium's biggest process.
void ReportPeakMemory() {
    pid_t pid = fork();
    if (pid == 0) {
        wvInit();
        wvWebView* view = wvCreateWebView();
        std::wstring page(g_page.begin(), g_page.end());
        view->resize(kWidth, kHeight);
        view->loadFile(page.c_str());
        view->tick();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    long engineKb = usage.ru_maxrss;
    ChromiumScreenshot(99);
    getrusage(RUSAGE_CHILDREN, &usage);
    long chromiumKb = usage.ru_maxrss;
    std::printf("peak memory: engine process %ld KiB, largest chromium process %ld KiB (%.1fx)\n",
                engineKb, chromiumKb,
                engineKb > 0 ? static_cast<double>(chromiumKb) / engineKb : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    WritePage();
    ReportPeakMemory();
    wvInit();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    wvShutdown();
    std::string cleanup = g_dir;
    // The temporary folder holds Chromium profiles; removed with an argument vector, not a shell.
    Run({"/bin/rm", "-rf", cleanup});
    return 0;
}
