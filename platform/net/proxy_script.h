// Automatic proxy scripts: fetching, evaluating FindProxyForURL, reading its answer.
#pragma once

#include <string>

#include "platform/win_base.h"

// Scripts and answers larger than these are refused or cut.
constexpr size_t kMaxProxyScriptBytes = 1024 * 1024;
constexpr size_t kMaxProxyAnswerBytes = 4096;

// Reads a script from a file:// address or downloads it from an http(s):// one, directly (never
// through a proxy). Returns 0, or ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT.
DWORD FetchProxyScript(const std::string& address, int connectTimeoutMs, int totalTimeoutMs,
                       std::string& script);

// Runs FindProxyForURL(url, host) of `script`, with the standard helper functions of such
// scripts, in a child process killed after `timeLimitMs`. Returns 0 with the answer text, or
// ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT (does not compile, throws, no such function, no text),
// ERROR_WINHTTP_TIMEOUT or ERROR_WINHTTP_INTERNAL_ERROR (no child could be started).
DWORD EvaluateProxyScript(const std::string& script, const std::string& url,
                          const std::string& host, int timeLimitMs, std::string& answer);

// The first usable entry of an answer such as "PROXY a:8080; DIRECT" as a proxy list:
// "http=a:8080;https=a:8080" for PROXY or HTTP, "socks=a:1080" for SOCKS or SOCKS5, and an
// empty list for DIRECT. False when no entry is usable.
bool ProxyListFromScriptAnswer(const std::string& answer, std::string& list);
