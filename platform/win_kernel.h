// Process, module, time, error, code-page and debugger-output calls of the kernel.
#pragma once

#include "platform/win_base.h"

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

constexpr UINT CP_ACP = 0;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;
constexpr UINT CP_GBK = 936;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x08;

using HGLOBAL = void*;
constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_ZEROINIT = 0x0040;
// GlobalFree returns null on success and the handle itself when it cannot be released.
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
HGLOBAL GlobalFree(HGLOBAL memory);

DWORD GetLastError();
void SetLastError(DWORD code);

// hModule must be null (the executable itself); the path comes from /proc/self/exe.
// As on Windows: a path that does not fit is cut to nSize - 1 characters, the result is nSize
// and the last error is ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
HMODULE GetModuleHandleW(LPCWSTR lpModuleName);

DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();
void GetLocalTime(SYSTEMTIME* st);
void GetSystemTime(SYSTEMTIME* st);
DWORD GetTickCount();
ULONGLONG GetTickCount64();
void Sleep(DWORD milliseconds);
[[noreturn]] void ExitProcess(UINT exitCode);

// CP_ACP, CP_THREAD_ACP and CP_UTF8 are UTF-8; 936 is GBK. Lengths of -1 include the terminator;
// a zero destination size asks for the length; a destination that is too small fails with 0.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH src, int srcBytes, LPWSTR dst,
                        int dstChars);
// A character the target cannot hold becomes the default character ("?" unless one is given).
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH src, int srcChars, LPSTR dst,
                        int dstBytes, LPCCH defaultChar, LPBOOL usedDefaultChar);

// Text reaches standard error only when someone is looking: a debugger (tracer) is attached,
// or the environment variable IEFIX_DEBUG_OUTPUT is set to a non-empty value.
void OutputDebugStringA(LPCSTR text);
void OutputDebugStringW(LPCWSTR text);
