// Message boxes on a display nobody sits in front of: the caption and text go to standard
// error and the box answers with its default button at once.
#include <cstdio>
#include <string>

#include "platform/win_kernel.h"
#include "platform/win_user.h"

namespace {

std::string Utf8(LPCWSTR text) {
    if (!text) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::wstring Wide(LPCSTR text) {
    if (!text) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

}  // namespace

int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    static const int buttons[][3] = {
        {IDOK, 0, 0},
        {IDOK, IDCANCEL, 0},
        {IDABORT, IDRETRY, IDIGNORE},
        {IDYES, IDNO, IDCANCEL},
        {IDYES, IDNO, 0},
        {IDRETRY, IDCANCEL, 0},
        {IDCANCEL, IDTRYAGAIN, IDCONTINUE},
    };
    UINT kind = type & 0xF;
    if (kind > 6) kind = 0;
    UINT def = (type >> 8) & 0xF;
    int answer = def < 3 ? buttons[kind][def] : 0;
    if (!answer) answer = buttons[kind][0];
    std::string line =
        "MessageBox: " + Utf8(caption ? caption : L"Error") + ": " + Utf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return answer;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    std::wstring t = Wide(text), c = Wide(caption);
    return MessageBoxW(owner, text ? t.c_str() : nullptr, caption ? c.c_str() : nullptr, type);
}
