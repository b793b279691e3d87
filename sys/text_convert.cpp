#include "sys/text_convert.h"

#include <vector>

#include "platform/win_kernel.h"

char* WideToNarrowInto(char* dst, const wchar_t* src, int dstBytes, UINT codePage) {
    if (dst == nullptr || src == nullptr) return nullptr;
    if (dstBytes <= 0) return nullptr;
    dst[0] = '\0';
    int written = WideCharToMultiByte(codePage, 0, src, -1, dst, dstBytes, nullptr, nullptr);
    return written > 0 ? dst : nullptr;
}

std::wstring AnsiToWide(const std::string& text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length));
    if (MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer.data(), length) <= 0) return {};
    return std::wstring(buffer.data());
}

std::string WideToAnsi(const std::wstring& text) {
    int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<size_t>(length));
    if (WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer.data(), length, nullptr, nullptr) <=
        0) {
        return {};
    }
    return std::string(buffer.data());
}

UINT RequestCodePage() {
    return CP_THREAD_ACP;
}
