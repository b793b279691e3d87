#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/win_kernel.h"

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

DWORD GetCurrentThreadId() {
    return static_cast<DWORD>(syscall(SYS_gettid));
}

void ExitProcess(UINT exitCode) {
    std::exit(static_cast<int>(exitCode));
}
