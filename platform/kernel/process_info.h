// What the system knows about other processes, read from /proc.
#pragma once

#include <cstddef>
#include <string>

#include "platform/win_base.h"

// The id of the process that created `pid`, or -1 when the process is gone or unreadable.
long QueryParentProcessId(DWORD pid);

// The full path of the executable of `pid`, or an empty text when it cannot be read.
std::string QueryProcessImagePath(DWORD pid);
