// Readers for the value syntax of control attributes: numbers, pairs, rectangles, colours and
// Booleans. A missing number reads as 0 and reading never runs past the end of the text.
#pragma once

#include <cwchar>

#include "platform/win_base.h"

namespace ui {

// Reads up to `count` integers separated by any single non-digit separator ("4,4,6,6").
inline int ParseInts(LPCWSTR text, long* out, int count) {
    int got = 0;
    const wchar_t* p = text ? text : L"";
    for (int i = 0; i < count; ++i) out[i] = 0;
    for (; got < count && *p; ++got) {
        wchar_t* end = nullptr;
        out[got] = std::wcstol(p, &end, 10);
        if (end == p) break;
        p = end;
        if (*p) ++p;  // one separator
    }
    return got;
}

inline int ParseInt(LPCWSTR text) {
    long v[1];
    ParseInts(text, v, 1);
    return static_cast<int>(v[0]);
}

inline RECT ParseRect(LPCWSTR text) {
    long v[4];
    ParseInts(text, v, 4);
    return {static_cast<LONG>(v[0]), static_cast<LONG>(v[1]), static_cast<LONG>(v[2]),
            static_cast<LONG>(v[3])};
}

inline SIZE ParseSize(LPCWSTR text) {
    long v[2];
    ParseInts(text, v, 2);
    return {static_cast<LONG>(v[0]), static_cast<LONG>(v[1])};
}

// "#AARRGGBB" (or without the "#"); a six-digit value has no alpha and is taken as opaque.
inline DWORD ParseColor(LPCWSTR text) {
    if (!text) return 0;
    while (*text == L' ') ++text;
    if (*text == L'#') ++text;
    wchar_t* end = nullptr;
    const DWORD value = static_cast<DWORD>(std::wcstoul(text, &end, 16));
    if (end - text == 6) return value | 0xFF000000;
    return value;
}

inline bool ParseBool(LPCWSTR text) {
    return text && std::wcscmp(text, L"true") == 0;
}

// True when `word` appears in the text as a whole word (words are separated by spaces, commas
// or bars), so "center" does not match inside "vcenter".
inline bool HasWord(LPCWSTR text, LPCWSTR word) {
    if (!text || !word || !*word) return false;
    const size_t len = std::wcslen(word);
    const auto separator = [](wchar_t c) { return c == 0 || c == L' ' || c == L',' || c == L'|'; };
    for (const wchar_t* p = std::wcsstr(text, word); p; p = std::wcsstr(p + 1, word)) {
        if ((p == text || separator(p[-1])) && separator(p[len])) return true;
    }
    return false;
}

}  // namespace ui
