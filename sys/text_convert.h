// Crossings between wide text and narrow text in fixed code pages.
#pragma once

#include <string>

#include "platform/win_base.h"

// Converts `src` with its terminator into `dst` (dstBytes bytes) in `codePage`; returns dst, or
// null when an argument is null or the result does not fit. dst[0] is cleared first.
char* WideToNarrowInto(char* dst, const wchar_t* src, int dstBytes, UINT codePage);

// Narrow text in the ANSI code page to wide text, up to the first zero byte; empty on failure.
std::wstring AnsiToWide(const std::string& text);
// Wide text to narrow text in the ANSI code page, up to the first zero; empty on failure.
std::string WideToAnsi(const std::wstring& text);

// The code page in which request URLs are handed to the HTTP library.
UINT RequestCodePage();
