#include <time.h>

#include "platform/win_kernel.h"

namespace {

void FillSystemTime(const struct tm& t, long nanoseconds, SYSTEMTIME* st) {
    st->wYear = static_cast<WORD>(t.tm_year + 1900);
    st->wMonth = static_cast<WORD>(t.tm_mon + 1);
    st->wDayOfWeek = static_cast<WORD>(t.tm_wday);
    st->wDay = static_cast<WORD>(t.tm_mday);
    st->wHour = static_cast<WORD>(t.tm_hour);
    st->wMinute = static_cast<WORD>(t.tm_min);
    st->wSecond = static_cast<WORD>(t.tm_sec);
    st->wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
}

ULONGLONG MonotonicMilliseconds() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<ULONGLONG>(now.tv_sec) * 1000u +
           static_cast<ULONGLONG>(now.tv_nsec) / 1000000u;
}

}  // namespace

void GetLocalTime(SYSTEMTIME* st) {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm local;
    localtime_r(&now.tv_sec, &local);
    FillSystemTime(local, now.tv_nsec, st);
}

void GetSystemTime(SYSTEMTIME* st) {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm utc;
    gmtime_r(&now.tv_sec, &utc);
    FillSystemTime(utc, now.tv_nsec, st);
}

DWORD GetTickCount() {
    return static_cast<DWORD>(MonotonicMilliseconds());
}

ULONGLONG GetTickCount64() {
    return MonotonicMilliseconds();
}

void Sleep(DWORD milliseconds) {
    struct timespec wait {
        static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L
    };
    while (nanosleep(&wait, &wait) != 0) {
    }
}
