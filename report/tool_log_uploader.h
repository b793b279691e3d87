// Delivers tool-log records to the tool-log server as signed form posts.
#pragma once

#include <string>

#include "report/http_client.h"
#include "report/tool_log_record.h"

// The tool-log server of this build, without a trailing slash.
inline constexpr wchar_t kToolLogBaseUrl[] = L"" IEFIX_TOOLLOG_BASE_URL;

class ToolLogUploader {
  public:
    // The process-wide uploader on the process-wide HTTP client, created on first use.
    static ToolLogUploader& Instance();

    // An uploader posting through `client`, which it points at kToolLogBaseUrl with no
    // custom-proxy settings file. Tests own private ones; the program uses Instance().
    explicit ToolLogUploader(HttpClient& client);
    ToolLogUploader(const ToolLogUploader&) = delete;
    ToolLogUploader& operator=(const ToolLogUploader&) = delete;

    // Points the client at another tool-log server (tests use one on loopback).
    void SetServerBaseUrl(const wchar_t* baseUrl);

    // Posts the record to "/Api/saveToolLog"; 1 when the server took it (status 200 and a "0"
    // somewhere in the answer), else 0.
    int Upload(const ToolLogRecord& record);

  private:
    HttpClient& m_client;
};

// MD5, in lower-case hexadecimal, of the Base64 of ename, uid, runid, t and the program's secret.
std::string MakeToolLogToken(const ToolLogRecord& record);
