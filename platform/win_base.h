// Base types of the Win32-shaped interface this layer offers: the integer widths, handles and
// small records every other platform header builds on.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = int32_t;
using ULONG = uint32_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using WCHAR = wchar_t;
using CHAR = char;
using UINT_PTR = uintptr_t;
using INT_PTR = intptr_t;
using LONG_PTR = intptr_t;
using ULONG_PTR = uintptr_t;
using DWORD_PTR = uintptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using ATOM = WORD;
using COLORREF = DWORD;

using LPSTR = char*;
using LPCSTR = const char*;
using LPCCH = const char*;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPCWCH = const wchar_t*;
using LPBOOL = BOOL*;
using LPVOID = void*;
using LPCVOID = const void*;
using PVOID = void*;
using LPDWORD = DWORD*;
using PDWORD_PTR = DWORD_PTR*;

// Calling-convention markers of the Win32 declarations; nothing on this platform.
#ifndef CALLBACK
#define CALLBACK
#endif
#ifndef WINAPI
#define WINAPI
#endif

#define IEFIX_DECLARE_HANDLE(name) \
    struct name##__;               \
    using name = name##__*
IEFIX_DECLARE_HANDLE(HWND);
IEFIX_DECLARE_HANDLE(HINSTANCE);
IEFIX_DECLARE_HANDLE(HDC);
IEFIX_DECLARE_HANDLE(HGDIOBJ_);
IEFIX_DECLARE_HANDLE(HBITMAP);
IEFIX_DECLARE_HANDLE(HBRUSH);
IEFIX_DECLARE_HANDLE(HPEN);
IEFIX_DECLARE_HANDLE(HFONT);
IEFIX_DECLARE_HANDLE(HRGN);
IEFIX_DECLARE_HANDLE(HICON);
IEFIX_DECLARE_HANDLE(HCURSOR_);
IEFIX_DECLARE_HANDLE(HMENU);
IEFIX_DECLARE_HANDLE(HMONITOR);
IEFIX_DECLARE_HANDLE(HIMC);
IEFIX_DECLARE_HANDLE(HKEY);
#undef IEFIX_DECLARE_HANDLE
using HANDLE = void*;
using HMODULE = HINSTANCE;
using HGDIOBJ = void*;
using HCURSOR = HICON;

// glib defines TRUE and FALSE as macros; whichever header comes first, these are the ones.
#undef TRUE
#undef FALSE
constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr DWORD MAX_PATH = 260;

struct POINT {
    LONG x;
    LONG y;
};
struct SIZE {
    LONG cx;
    LONG cy;
};
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;
using LPPOINT = POINT*;

constexpr WORD LOWORD(DWORD_PTR v) {
    return static_cast<WORD>(v & 0xffff);
}
constexpr WORD HIWORD(DWORD_PTR v) {
    return static_cast<WORD>((v >> 16) & 0xffff);
}
constexpr BYTE LOBYTE(DWORD_PTR v) {
    return static_cast<BYTE>(v & 0xff);
}
constexpr int GET_X_LPARAM(LPARAM lp) {
    return static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lp)));
}
constexpr int GET_Y_LPARAM(LPARAM lp) {
    return static_cast<short>(HIWORD(static_cast<DWORD_PTR>(lp)));
}
constexpr LPARAM MAKELPARAM(int lo, int hi) {
    return static_cast<LPARAM>(static_cast<DWORD>(
        (static_cast<WORD>(lo)) | (static_cast<DWORD>(static_cast<WORD>(hi)) << 16)));
}
constexpr WPARAM MAKEWPARAM(int lo, int hi) {
    return static_cast<WPARAM>(static_cast<DWORD>(
        (static_cast<WORD>(lo)) | (static_cast<DWORD>(static_cast<WORD>(hi)) << 16)));
}
constexpr LRESULT MAKELRESULT(int lo, int hi) {
    return MAKELPARAM(lo, hi);
}
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r | (static_cast<DWORD>(g) << 8) | (static_cast<DWORD>(b) << 16));
}
constexpr BYTE GetRValue(COLORREF c) {
    return static_cast<BYTE>(c & 0xff);
}
constexpr BYTE GetGValue(COLORREF c) {
    return static_cast<BYTE>((c >> 8) & 0xff);
}
constexpr BYTE GetBValue(COLORREF c) {
    return static_cast<BYTE>((c >> 16) & 0xff);
}

// Error codes this layer reports through GetLastError.
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INVALID_FLAGS = 1004;
constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_TLW_WITH_WSCHILD = 1406;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr DWORD ERROR_WINDOW_OF_OTHER_THREAD = 1408;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_CLASS_DOES_NOT_EXIST = 1411;
constexpr DWORD ERROR_CLASS_HAS_WINDOWS = 1412;
constexpr DWORD ERROR_INVALID_INDEX = 1413;
constexpr DWORD ERROR_INVALID_THREAD_ID = 1444;
constexpr DWORD ERROR_TIMEOUT = 1460;
constexpr DWORD ERROR_INVALID_MONITOR_HANDLE = 1461;
