// Who is running: the adapter address, the launching process, the tool identity and the time.
#pragma once

#include <string>
#include <vector>

#include "platform/win_base.h"

// Pieces of `text` separated by runs of any character of `delimiters`; never an empty piece.
std::vector<std::string> SplitTokens(const std::string& text, const std::string& delimiters);

// Writes "XX-XX-XX-XX-XX-XX" into `out` (a zero-filled buffer of at least 18 bytes) and returns
// 0, or returns a non-zero code and leaves `out` untouched.
DWORD GetMacAddressText(char* out);

// The id of the process that created `pid`, or -1.
long GetParentProcessId(DWORD pid);
// The executable path of `pid`, or an empty text.
std::string GetProcessImagePath(DWORD pid);
// Copies the parent's executable path into `out` (MAX_PATH bytes, zero-filled by the caller),
// or leaves it unchanged when there is no readable parent.
void GetParentImagePath(char* out);

// ename from the launching (or own) executable's file name; runid only when the name has one.
void GetToolIdentity(std::string& ename, std::string& runid);
// The same rule applied to one executable path.
void ToolIdentityFromPath(const std::string& path, std::string& ename, std::string& runid);

// Seconds since the Unix epoch of the local wall-clock time, in decimal.
void GetUnixTimeText(std::string& out);
