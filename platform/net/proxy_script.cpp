#include "platform/net/proxy_script.h"

#include <curl/curl.h>
#include <duktape.h>
#include <fcntl.h>
#include <grp.h>
#include <strings.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/net/child_process.h"
#include "platform/net/proxy_script_library.h"
#include "platform/win_http.h"

namespace {

constexpr size_t kMaxScriptHeapBytes = 64 * 1024 * 1024;
constexpr size_t kMaxAddressBytes = 255;
constexpr uid_t kNobody = 65534;

// Answers from the evaluating child: one status byte, then the text.
constexpr char kAnswered = 'A';
constexpr char kScriptFailed = 'F';

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    size_t length = std::strlen(prefix);
    return text.size() >= length && strncasecmp(text.c_str(), prefix, length) == 0;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool PercentDecode(const std::string& text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        int high = HexValue(text[i + 1]);
        int low = HexValue(text[i + 2]);
        if (high < 0 || low < 0) return false;
        char decoded = static_cast<char>(high * 16 + low);
        if (decoded == '\0') return false;
        out += decoded;
        i += 2;
    }
    return true;
}

DWORD ReadScriptFile(const std::string& address, std::string& script) {
    // file:///path or file://localhost/path
    std::string rest = address.substr(std::strlen("file://"));
    if (StartsWithNoCase(rest, "localhost/")) rest = rest.substr(std::strlen("localhost"));
    std::string path;
    if (rest.empty() || rest[0] != '/' || !PercentDecode(rest, path)) {
        return ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT;
    }
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<size_t>(info.st_size) > kMaxProxyScriptBytes) {
        close(fd);
        return ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT;
    }
    script.clear();
    char chunk[8192];
    for (;;) {
        ssize_t got = read(fd, chunk, sizeof(chunk));
        if (got < 0) {
            close(fd);
            return ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT;
        }
        if (got == 0) break;
        if (script.size() + static_cast<size_t>(got) > kMaxProxyScriptBytes) {
            close(fd);
            return ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT;
        }
        script.append(chunk, static_cast<size_t>(got));
    }
    close(fd);
    return 0;
}

size_t CollectBounded(char* data, size_t size, size_t count, void* userData) {
    auto* body = static_cast<std::string*>(userData);
    size_t bytes = size * count;
    if (body->size() + bytes > kMaxProxyScriptBytes) return 0;  // refuses the transfer
    body->append(data, bytes);
    return bytes;
}

DWORD DownloadScript(const std::string& address, int connectTimeoutMs, int totalTimeoutMs,
                     std::string& script) {
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_ALL); });
    CURL* curl = curl_easy_init();
    if (curl == nullptr) return ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT;
    script.clear();
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(totalTimeoutMs));
    // The script is fetched directly; the proxy it names is not known yet.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectBounded);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &script);
    CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    return result == CURLE_OK && status == 200 ? 0 : ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT;
}

// Allocation inside the evaluating child, capped so a runaway script fails instead of eating
// the machine. Each block carries its size in front.
struct HeapBudget {
    size_t used = 0;
};
constexpr size_t kBlockHeader = alignof(std::max_align_t);

void* BudgetAlloc(void* userData, duk_size_t size) {
    auto* budget = static_cast<HeapBudget*>(userData);
    if (size == 0) return nullptr;
    if (size > kMaxScriptHeapBytes - budget->used) return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(size + kBlockHeader));
    if (block == nullptr) return nullptr;
    std::memcpy(block, &size, sizeof(size));
    budget->used += size;
    return block + kBlockHeader;
}

void BudgetFree(void* userData, void* pointer) {
    if (pointer == nullptr) return;
    auto* budget = static_cast<HeapBudget*>(userData);
    unsigned char* block = static_cast<unsigned char*>(pointer) - kBlockHeader;
    size_t size = 0;
    std::memcpy(&size, block, sizeof(size));
    budget->used -= size;
    std::free(block);
}

void* BudgetRealloc(void* userData, void* pointer, duk_size_t size) {
    if (pointer == nullptr) return BudgetAlloc(userData, size);
    if (size == 0) {
        BudgetFree(userData, pointer);
        return nullptr;
    }
    auto* budget = static_cast<HeapBudget*>(userData);
    unsigned char* block = static_cast<unsigned char*>(pointer) - kBlockHeader;
    size_t old = 0;
    std::memcpy(&old, block, sizeof(old));
    if (size > old && size - old > kMaxScriptHeapBytes - budget->used) return nullptr;
    auto* grown = static_cast<unsigned char*>(std::realloc(block, size + kBlockHeader));
    if (grown == nullptr) return nullptr;
    std::memcpy(grown, &size, sizeof(size));
    budget->used = budget->used - old + size;
    return grown + kBlockHeader;
}

void FatalInChild(void*, const char*) {
    _exit(3);
}

void WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}

void Reply(int fd, char status, const char* text) {
    size_t length = std::strlen(text);
    if (length > kMaxProxyAnswerBytes) length = kMaxProxyAnswerBytes;
    WriteAll(fd, &status, 1);
    WriteAll(fd, text, length);
}

// The program runs as root; a script from the user's settings is evaluated as nobody, or not
// at all.
bool DropPrivileges() {
    prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    if (geteuid() != 0) return true;
    return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0 &&
           geteuid() == kNobody;
}

// Runs in the child: the script cannot reach anything of the parent's but this pipe.
int EvaluateInChild(int fd, const std::string& script, const std::string& url,
                    const std::string& host) {
    if (!DropPrivileges()) {
        Reply(fd, kScriptFailed, "cannot drop privileges");
        return 0;
    }
    HeapBudget budget;
    duk_context* ctx =
        duk_create_heap(BudgetAlloc, BudgetRealloc, BudgetFree, &budget, FatalInChild);
    if (ctx == nullptr || !InstallProxyScriptLibrary(ctx)) return 2;
    if (duk_pcompile_lstring(ctx, 0, script.data(), script.size()) != 0 || duk_pcall(ctx, 0) != 0) {
        Reply(fd, kScriptFailed, duk_safe_to_string(ctx, -1));
        return 0;
    }
    duk_pop(ctx);
    if (!duk_get_global_string(ctx, "FindProxyForURL") || !duk_is_callable(ctx, -1)) {
        Reply(fd, kScriptFailed, "no FindProxyForURL");
        return 0;
    }
    duk_push_lstring(ctx, url.data(), url.size());
    duk_push_lstring(ctx, host.data(), host.size());
    if (duk_pcall(ctx, 2) != 0) {
        Reply(fd, kScriptFailed, duk_safe_to_string(ctx, -1));
        return 0;
    }
    if (!duk_is_string(ctx, -1)) {
        Reply(fd, kScriptFailed, "answer is not a text");
        return 0;
    }
    Reply(fd, kAnswered, duk_get_string(ctx, -1));
    // The heap goes with the process.
    return 0;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

bool UsableAddress(const std::string& address) {
    if (address.empty() || address.size() > kMaxAddressBytes) return false;
    for (unsigned char c : address) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '.' || c == '-' || c == '_' || c == ':' || c == '[' || c == ']';
        if (!ok) return false;
    }
    return true;
}

// "host" gets the scheme's usual port; "host:80" and "[::1]:80" keep theirs.
std::string WithPort(const std::string& address, const char* defaultPort) {
    size_t colons = static_cast<size_t>(std::count(address.begin(), address.end(), ':'));
    if (address[0] != '[' && colons > 1) return "[" + address + "]:" + defaultPort;  // bare IPv6
    size_t bracket = address.rfind(']');
    size_t colon = address.rfind(':');
    bool hasPort = colon != std::string::npos && (bracket == std::string::npos || colon > bracket);
    return hasPort ? address : address + ":" + defaultPort;
}

}  // namespace

DWORD FetchProxyScript(const std::string& address, int connectTimeoutMs, int totalTimeoutMs,
                       std::string& script) {
    if (StartsWithNoCase(address, "file://")) return ReadScriptFile(address, script);
    if (StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://")) {
        return DownloadScript(address, connectTimeoutMs, totalTimeoutMs, script);
    }
    return ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT;
}

DWORD EvaluateProxyScript(const std::string& script, const std::string& url,
                          const std::string& host, int timeLimitMs, std::string& answer) {
    ChildResult child = RunInChild([&](int fd) { return EvaluateInChild(fd, script, url, host); },
                                   kMaxProxyAnswerBytes + 1, timeLimitMs);
    answer.clear();
    switch (child.outcome) {
        case ChildResult::NotStarted:
            return ERROR_WINHTTP_INTERNAL_ERROR;
        case ChildResult::TimedOut:
            return ERROR_WINHTTP_TIMEOUT;
        case ChildResult::TooMuchOutput:
        case ChildResult::Finished:
            break;
    }
    if (child.output.empty() || child.output[0] != kAnswered) {
        return ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT;
    }
    answer = child.output.substr(1);
    return 0;
}

bool ProxyListFromScriptAnswer(const std::string& answer, std::string& list) {
    size_t start = 0;
    while (start <= answer.size()) {
        size_t end = answer.find(';', start);
        if (end == std::string::npos) end = answer.size();
        std::string entry = answer.substr(start, end - start);
        start = end + 1;

        std::vector<std::string> words;
        size_t pos = 0;
        while (pos < entry.size()) {
            size_t wordStart = entry.find_first_not_of(" \t\r\n", pos);
            if (wordStart == std::string::npos) break;
            size_t wordEnd = entry.find_first_of(" \t\r\n", wordStart);
            if (wordEnd == std::string::npos) wordEnd = entry.size();
            words.push_back(entry.substr(wordStart, wordEnd - wordStart));
            pos = wordEnd;
        }
        if (words.empty()) continue;
        std::string keyword = Upper(words[0]);
        if (keyword == "DIRECT" && words.size() == 1) {
            list.clear();
            return true;
        }
        if (words.size() != 2 || !UsableAddress(words[1])) continue;
        if (keyword == "PROXY" || keyword == "HTTP") {
            std::string address = WithPort(words[1], "80");
            list = "http=" + address + ";https=" + address;
            return true;
        }
        if (keyword == "SOCKS" || keyword == "SOCKS5") {
            list = "socks=" + WithPort(words[1], "1080");
            return true;
        }
    }
    return false;
}
