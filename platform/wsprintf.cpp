// wsprintfW and wsprintfA: the system's small formatter. %s is text of the function's own width,
// %S (or %ls / %hs) the other width; l and h are 32-bit as on Windows, I64 and ll 64-bit, I and
// z pointer-sized. At most 1024 characters, the terminator included, are written.
#include <cstdarg>
#include <cstdint>
#include <string>

#include "platform/win_kernel.h"
#include "platform/win_user.h"

namespace {

constexpr size_t kLimit = 1024;

template <typename Ch>
std::basic_string<Ch> FromOther(const void* p, bool wideSource);

template <>
std::wstring FromOther<wchar_t>(const void* p, bool) {
    const char* s = static_cast<const char*>(p);
    int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s, -1, out.data(), n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

template <>
std::string FromOther<char>(const void* p, bool) {
    const wchar_t* s = static_cast<const wchar_t*>(p);
    int n = WideCharToMultiByte(CP_ACP, 0, s, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, s, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

template <typename Ch>
int Format(Ch* buffer, const Ch* fmt, va_list ap) {
    if (!buffer) return 0;
    std::basic_string<Ch> out;
    constexpr bool kWide = sizeof(Ch) != 1;
    for (const Ch* p = fmt; p && *p && out.size() < kLimit - 1; ++p) {
        if (*p != '%') {
            out.push_back(*p);
            continue;
        }
        ++p;
        if (*p == '%') {
            out.push_back('%');
            continue;
        }
        bool left = false, zero = false, alt = false;
        for (;; ++p) {
            if (*p == '-')
                left = true;
            else if (*p == '0')
                zero = true;
            else if (*p == '#')
                alt = true;
            else
                break;
        }
        int width = 0;
        while (*p >= '0' && *p <= '9') width = width * 10 + (*p++ - '0');
        int precision = -1;
        if (*p == '.') {
            ++p;
            precision = 0;
            while (*p >= '0' && *p <= '9') precision = precision * 10 + (*p++ - '0');
        }
        enum { kInt, kShort, kLongLong, kPtr } size = kInt;
        int textWidth = 0;  // 0: the function's own, 1: narrow, 2: wide
        if (*p == 'l') {
            ++p;
            textWidth = 2;
            if (*p == 'l') {
                ++p;
                size = kLongLong;
            }
        } else if (*p == 'h') {
            ++p;
            size = kShort;
            textWidth = 1;
        } else if (*p == 'I' && p[1] == '6' && p[2] == '4') {
            p += 3;
            size = kLongLong;
        } else if (*p == 'I' || *p == 'z') {
            ++p;
            size = kPtr;
        }
        if (!*p) break;
        std::basic_string<Ch> field;
        Ch conv = *p;
        bool numeric = false;
        auto pushNumber = [&](unsigned long long v, bool negative, int base, bool upper) {
            const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
            std::string d;
            do {
                d.insert(d.begin(), digits[v % static_cast<unsigned>(base)]);
                v /= static_cast<unsigned>(base);
            } while (v);
            while (precision >= 0 && static_cast<int>(d.size()) < precision)
                d.insert(d.begin(), '0');
            if (alt && base == 16) d.insert(0, upper ? "0X" : "0x");
            if (negative) d.insert(d.begin(), '-');
            field.assign(d.begin(), d.end());
            numeric = true;
        };
        switch (conv) {
            case 'd':
            case 'i': {
                long long v = size == kLongLong ? va_arg(ap, long long)
                              : size == kPtr    ? static_cast<long long>(va_arg(ap, intptr_t))
                              : size == kShort  ? static_cast<short>(va_arg(ap, int))
                                                : va_arg(ap, int);
                unsigned long long mag = v < 0 ? 0ull - static_cast<unsigned long long>(v)
                                               : static_cast<unsigned long long>(v);
                pushNumber(mag, v < 0, 10, false);
                break;
            }
            case 'u':
            case 'x':
            case 'X': {
                unsigned long long v = size == kLongLong ? va_arg(ap, unsigned long long)
                                       : size == kPtr    ? va_arg(ap, uintptr_t)
                                       : size == kShort
                                           ? static_cast<unsigned short>(va_arg(ap, unsigned))
                                           : va_arg(ap, unsigned);
                pushNumber(v, false, conv == 'u' ? 10 : 16, conv == 'X');
                break;
            }
            case 'p': {
                uintptr_t v = reinterpret_cast<uintptr_t>(va_arg(ap, void*));
                precision = static_cast<int>(sizeof(void*) * 2);
                pushNumber(v, false, 16, true);
                break;
            }
            case 'c':
            case 'C': {
                int c = va_arg(ap, int);
                bool other = conv == 'C' || (kWide ? textWidth == 1 : textWidth == 2);
                if (other && kWide) {
                    char nc[2] = {static_cast<char>(c), 0};
                    field = FromOther<Ch>(nc, false);
                } else {
                    field.push_back(static_cast<Ch>(c));
                }
                break;
            }
            case 's':
            case 'S': {
                const void* s = va_arg(ap, const void*);
                bool other = conv == 'S' ? textWidth != (kWide ? 2 : 1)
                                         : (kWide ? textWidth == 1 : textWidth == 2);
                if (!s) {
                    static const char null[] = "(null)";
                    field.assign(null, null + 6);
                } else if (other) {
                    field = FromOther<Ch>(s, !kWide);
                } else {
                    field = static_cast<const Ch*>(s);
                }
                if (precision >= 0 && field.size() > static_cast<size_t>(precision)) {
                    field.resize(static_cast<size_t>(precision));
                }
                break;
            }
            default:
                field.push_back(conv);
                break;
        }
        if (static_cast<int>(field.size()) < width) {
            size_t pad = static_cast<size_t>(width) - field.size();
            if (left) {
                field.append(pad, ' ');
            } else if (zero && numeric && precision < 0) {
                size_t at = (!field.empty() && field[0] == '-') ? 1 : 0;
                field.insert(at, pad, '0');
            } else {
                field.insert(0, pad, ' ');
            }
        }
        out += field;
    }
    if (out.size() > kLimit - 1) out.resize(kLimit - 1);
    out.copy(buffer, out.size());
    buffer[out.size()] = 0;
    return static_cast<int>(out.size());
}

}  // namespace

int wsprintfW(LPWSTR buffer, LPCWSTR format, ...) {
    va_list ap;
    va_start(ap, format);
    int n = Format<wchar_t>(buffer, format, ap);
    va_end(ap);
    return n;
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
    va_list ap;
    va_start(ap, format);
    int n = Format<char>(buffer, format, ap);
    va_end(ap);
    return n;
}
