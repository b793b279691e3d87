// Character classification and case mapping for wide text, the same whatever locale the process
// runs in: skin files name their elements and attributes in any script, and a case-insensitive
// name match must not depend on the user's environment.
#pragma once

#include "platform/win_base.h"

namespace skin {

bool IsWideAlnum(WCHAR ch);
WCHAR ToWideLower(WCHAR ch);
WCHAR ToWideUpper(WCHAR ch);

// A mark that attaches to the character before it (combining diacritics and the like), so that
// scanning steps over a character and its marks together.
bool IsCombiningMark(WCHAR ch);

// The next character position: one character and the combining marks after it; never past the
// terminating zero.
inline const WCHAR* NextChar(const WCHAR* p) {
    if (*p == 0) return p;
    ++p;
    while (static_cast<unsigned>(*p) >= 0x300 && IsCombiningMark(*p)) ++p;
    return p;
}
inline WCHAR* NextChar(WCHAR* p) {
    return const_cast<WCHAR*>(NextChar(static_cast<const WCHAR*>(p)));
}

}  // namespace skin
