#include "report/http_client.h"

#include <curl/curl.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_profile.h"
#include "sys/text_convert.h"

namespace {

constexpr size_t kMaxBaseUrlChars = 259;
constexpr size_t kRequestUrlChars = 1300;
constexpr int kAttempts = 3;
// The caller sees at most its capacity; a runaway answer is not kept beyond this.
constexpr size_t kMaxBodyBytes = 1024 * 1024;

const wchar_t kCustomProxySection[] = L"SelectCustomProxy";

size_t CollectBody(char* data, size_t size, size_t count, void* userData) {
    auto* body = static_cast<std::string*>(userData);
    size_t bytes = size * count;
    size_t room = kMaxBodyBytes - body->size();
    body->append(data, bytes < room ? bytes : room);
    return bytes;
}

struct EasyHandleDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct MimeDeleter {
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};

// Fields in map order, then "submit"="send"; texts end at their first zero byte.
curl_mime* BuildForm(CURL* curl, const FormFields& fields) {
    curl_mime* mime = curl_mime_init(curl);
    if (mime == nullptr) return nullptr;
    auto addPart = [mime](const char* name, const char* value) {
        curl_mimepart* part = curl_mime_addpart(mime);
        return part != nullptr && curl_mime_name(part, name) == CURLE_OK &&
               curl_mime_data(part, value, CURL_ZERO_TERMINATED) == CURLE_OK;
    };
    for (const auto& [name, value] : fields) {
        if (!addPart(name.c_str(), value.c_str())) {
            curl_mime_free(mime);
            return nullptr;
        }
    }
    if (!addPart("submit", "send")) {
        curl_mime_free(mime);
        return nullptr;
    }
    return mime;
}

}  // namespace

HttpClient& HttpClient::Instance() {
    static HttpClient* client = new HttpClient();
    return *client;
}

HttpClient::HttpClient() = default;

int HttpClient::Init(const wchar_t* baseUrl, const wchar_t* settingsFile) {
    if (baseUrl == nullptr || settingsFile == nullptr) return -1;
    // A longer base would only be cut into a wrong address.
    if (std::wcslen(baseUrl) > kMaxBaseUrlChars) return -1;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_baseUrl = baseUrl;
        m_settingsFile = settingsFile;
    }
    curl_global_init(CURL_GLOBAL_ALL);
    return 0;
}

int HttpClient::LoadCustomProxy() {
    wchar_t address[260] = {0};
    wchar_t port[260] = {0};
    GetPrivateProfileStringW(kCustomProxySection, L"Address", L"", address, 260,
                             m_settingsFile.c_str());
    GetPrivateProfileStringW(kCustomProxySection, L"Port", L"", port, 260, m_settingsFile.c_str());
    m_proxyState.proxy = WideToAnsi(address) + ":" + WideToAnsi(port);
    return 0;
}

int HttpClient::PostForm(const wchar_t* path, const FormFields& fields, wchar_t* response,
                         int capacity) {
    if (path == nullptr || response == nullptr || capacity <= 0) return -1;
    std::unique_ptr<CURL, EasyHandleDeleter> curl(curl_easy_init());
    if (!curl) return -2;
    std::lock_guard<std::mutex> hold(m_lock);

    // The URL is set only when it fits and converts; otherwise every attempt fails at once.
    wchar_t url[kRequestUrlChars];
    int length = std::swprintf(url, kRequestUrlChars, L"%ls%ls", m_baseUrl.c_str(), path);
    if (length >= 0) {
        // Four bytes per character: the request code page is UTF-8 here.
        std::vector<char> narrowUrl(static_cast<size_t>(length) * 4 + 4);
        if (WideToNarrowInto(narrowUrl.data(), url, static_cast<int>(narrowUrl.size()),
                             RequestCodePage()) != nullptr) {
            curl_easy_setopt(curl.get(), CURLOPT_URL, narrowUrl.data());
        }
    }

    if (GetPrivateProfileIntW(kCustomProxySection, L"YesOrNo", 0, m_settingsFile.c_str()) != 0) {
        LoadCustomProxy();
    } else {
        DiscoverProxy();
    }
    // The choice made above is final: libcurl must not add a proxy or a bypass of its own from
    // the environment.
    curl_easy_setopt(curl.get(), CURLOPT_PROXY, m_proxyState.proxy.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "");
    if (!m_proxyState.proxy.empty() && m_proxyState.hasSocksProxy) {
        curl_easy_setopt(curl.get(), CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_SOCKS5));
    }

    std::string body;
    curl_easy_setopt(curl.get(), CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl.get(), CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 5L);
    curl_easy_setopt(curl.get(), CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &body);

    // Without its form the request is not made at all, rather than sent as a bare GET.
    std::unique_ptr<curl_mime, MimeDeleter> form(BuildForm(curl.get(), fields));
    if (!form) return 0;
    curl_easy_setopt(curl.get(), CURLOPT_MIMEPOST, form.get());

    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (curl_easy_perform(curl.get()) == CURLE_OK) break;
    }

    long status = 0;
    if (curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status) == CURLE_OK &&
        status == 200) {
        std::wstring text = AnsiToWide(body);
        size_t keep = text.size() < static_cast<size_t>(capacity - 1) ? text.size() : capacity - 1;
        std::wmemcpy(response, text.c_str(), keep);
        response[keep] = L'\0';
    }
    return static_cast<int>(status);
}
