#include "skinframe/wide_ctype.h"

#include <locale.h>
#include <wctype.h>

namespace skin {
namespace {

// C.UTF-8 classifies and maps all of Unicode; plain "C" would only know ASCII.
locale_t UnicodeLocale() {
    static const locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        if (l == static_cast<locale_t>(0))
            l = newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
        return l;
    }();
    return loc;
}

}  // namespace

bool IsWideAlnum(WCHAR ch) {
    if (static_cast<unsigned>(ch) < 0x80) {
        return (ch >= L'0' && ch <= L'9') || (ch >= L'a' && ch <= L'z') ||
               (ch >= L'A' && ch <= L'Z');
    }
    return iswalnum_l(static_cast<wint_t>(ch), UnicodeLocale()) != 0;
}

WCHAR ToWideLower(WCHAR ch) {
    if (static_cast<unsigned>(ch) < 0x80) return (ch >= L'A' && ch <= L'Z') ? ch + 32 : ch;
    return static_cast<WCHAR>(towlower_l(static_cast<wint_t>(ch), UnicodeLocale()));
}

WCHAR ToWideUpper(WCHAR ch) {
    if (static_cast<unsigned>(ch) < 0x80) return (ch >= L'a' && ch <= L'z') ? ch - 32 : ch;
    return static_cast<WCHAR>(towupper_l(static_cast<wint_t>(ch), UnicodeLocale()));
}

bool IsCombiningMark(WCHAR ch) {
    const unsigned c = static_cast<unsigned>(ch);
    return (c >= 0x0300 && c <= 0x036F) ||  // combining diacritical marks
           (c >= 0x0483 && c <= 0x0489) ||  // Cyrillic
           (c >= 0x0591 && c <= 0x05BD) ||  // Hebrew points
           (c >= 0x064B && c <= 0x065F) ||  // Arabic
           (c >= 0x1AB0 && c <= 0x1AFF) ||  // diacritical marks extended
           (c >= 0x1DC0 && c <= 0x1DFF) ||  // diacritical marks supplement
           (c >= 0x20D0 && c <= 0x20FF) ||  // marks for symbols
           (c >= 0x3099 && c <= 0x309A) ||  // kana voicing marks
           (c >= 0xFE00 && c <= 0xFE0F) ||  // variation selectors
           (c >= 0xFE20 && c <= 0xFE2F);    // half marks
}

}  // namespace skin
