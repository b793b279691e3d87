// Rewriting a hosts file the size of a popular blocking list, against sed doing the same edit to
// the same file in the same run.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/hosts_fixer.h"

extern char** environ;

namespace {

constexpr int kLines = 200000;

std::string GenerateHosts() {
    std::string text = "# Blocking list\n#\n127.0.0.1 localhost\n::1 localhost\n\n";
    char line[128];
    for (int i = 0; i < kLines; ++i) {
        if (i % 1000 == 0) {
            snprintf(line, sizeof line, "# section %d\n", i / 1000);
        } else if (i % 997 == 0) {
            snprintf(line, sizeof line, "0.0.0.0 %s\n", kSettingsHost);
        } else if (i % 50 == 0) {
            snprintf(line, sizeof line, "    0.0.0.0 ads%d.tracker.example.net\n", i);
        } else if (i % 333 == 0) {
            snprintf(line, sizeof line, "\n");
        } else {
            snprintf(line, sizeof line, "0.0.0.0 ad%d.adserver%d.example.com\n", i, i % 89);
        }
        text += line;
    }
    text += "0.0.0.0 last.example.com";  // no final line break
    return text;
}

std::string EscapeForSed(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '.' || c == '*' || c == '[' || c == ']' || c == '\\' || c == '^' || c == '$' ||
            c == '/')
            out += '\\';
        out += c;
    }
    return out;
}

// The same edit in sed: trim leading spaces (and the last line's trailing ones), comment out
// every line that is neither a comment nor empty and names the host, append the loopback line.
std::string SedScript() {
    std::string host = EscapeForSed(kSettingsHost);
    return "s/^ *//;$s/ *$//;/^#/!{/^$/!{/" + host + "/s/^/#/}};$s/$/\\n127.0.0.1 " + host + "/";
}

struct Fixture {
    std::string folder;
    std::string path;
    std::string input;

    Fixture() {
        char pattern[] = "/tmp/iefix-bench-XXXXXX";
        folder = mkdtemp(pattern) ? pattern : "/tmp";
        path = folder + "/hosts";
        input = GenerateHosts();
    }
    ~Fixture() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    void Reset() const { std::ofstream(path, std::ios::binary | std::ios::trunc) << input; }
    std::string Read() const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
};

const Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

bool RunSed(const std::string& path) {
    std::string script = SedScript();
    std::vector<char*> argv = {const_cast<char*>("sed"),        const_cast<char*>("-i"),
                               const_cast<char*>("-e"),         script.data(),
                               const_cast<char*>(path.c_str()), nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, "sed", nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_FixHosts(benchmark::State& state) {
    const Fixture& f = TheFixture();
    for (auto _ : state) {
        state.PauseTiming();
        f.Reset();
        state.ResumeTiming();
        if (HostsFixer::Instance().FixHostsAt(f.path) != HostsFixResult::kReplaced) {
            state.SkipWithError("rewrite failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.input.size()));
}

// The edit alone, without the file's reading, syncing and replacing.
void BM_RewriteText(benchmark::State& state) {
    const Fixture& f = TheFixture();
    for (auto _ : state) benchmark::DoNotOptimize(HostsFixer::RewriteText(f.input));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.input.size()));
}

void BM_SedInPlace(benchmark::State& state) {
    const Fixture& f = TheFixture();
    // Both sides must do the same edit, or the comparison means nothing.
    f.Reset();
    if (!RunSed(f.path) || f.Read() != HostsFixer::RewriteText(f.input)) {
        state.SkipWithError("sed is missing or its edit differs from ours");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        f.Reset();
        state.ResumeTiming();
        if (!RunSed(f.path)) {
            state.SkipWithError("sed failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.input.size()));
}

BENCHMARK(BM_FixHosts)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SedInPlace)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RewriteText)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
