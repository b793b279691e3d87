#include "report/tool_log_uploader.h"

#include <cwchar>
#include <vector>

#include "report/base64.h"
#include "report/md5.h"

namespace {

// Shared with the tool-log server; only ever sent inside the token.
constexpr char kToolLogSecret[] = "Tq8VhN3wKp5ZrB2mXc7LdJ9sFy4GaE";

constexpr int kResponseChars = 2600;
constexpr int kResponseCapacity = 260;

}  // namespace

std::string MakeToolLogToken(const ToolLogRecord& record) {
    const std::string signed_text =
        record.ename + record.uid + record.runid + record.t + kToolLogSecret;
    return Md5HexOfText(Base64Encode(signed_text.data(), signed_text.size()));
}

ToolLogUploader& ToolLogUploader::Instance() {
    static ToolLogUploader uploader(HttpClient::Instance());
    return uploader;
}

ToolLogUploader::ToolLogUploader(HttpClient& client) : m_client(client) {
    m_client.Init(kToolLogBaseUrl, L"");
}

void ToolLogUploader::SetServerBaseUrl(const wchar_t* baseUrl) {
    m_client.Init(baseUrl, L"");
}

int ToolLogUploader::Upload(const ToolLogRecord& record) {
    FormFields fields;
    fields.emplace("toolid", record.ename);
    fields.emplace("uid", record.uid);
    fields.emplace("runid", record.runid);
    fields.emplace("pid", record.pid);
    fields.emplace("state", record.state);
    fields.emplace("data", record.data);
    fields.emplace("remarks", record.remarks);
    fields.emplace("_t", record.t);
    fields.emplace("token", MakeToolLogToken(record));

    std::vector<wchar_t> response(kResponseChars, L'\0');
    int status = m_client.PostForm(L"/Api/saveToolLog", fields, response.data(), kResponseCapacity);
    bool delivered = status > 0 && std::wcschr(response.data(), L'0') != nullptr;
    return delivered ? 1 : 0;
}
