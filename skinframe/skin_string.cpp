#include "skinframe/skin_string.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/win_kernel.h"
#include "skinframe/wide_ctype.h"

namespace {

int ClampedLength(size_t length) {
    return length > static_cast<size_t>(INT_MAX - 1) ? INT_MAX - 1 : static_cast<int>(length);
}

int TextLength(LPCWSTR pstr, int nLength) {
    if (pstr == nullptr) return 0;
    if (nLength >= 0) {
        // Never read past a terminator that comes before the given length.
        int n = 0;
        while (n < nLength && pstr[n] != 0) ++n;
        return n;
    }
    return ClampedLength(std::wcslen(pstr));
}

// glibc's wide printf reads %s and %c as narrow; callers written for Windows pass wide text
// there. Rewrites the conversions so each argument is read as the caller meant it.
std::wstring ToNativeFormat(LPCWSTR fmt) {
    std::wstring out;
    out.reserve(std::wcslen(fmt) + 8);
    const WCHAR* p = fmt;
    while (*p != 0) {
        if (*p != L'%') {
            out += *p++;
            continue;
        }
        out += *p++;
        if (*p == L'%') {
            out += *p++;
            continue;
        }
        while (*p != 0 && std::wcschr(L"-+ #0'", *p) != nullptr) out += *p++;
        while (*p != 0 && (*p == L'*' || (*p >= L'0' && *p <= L'9'))) out += *p++;
        if (*p == L'.') {
            out += *p++;
            while (*p != 0 && (*p == L'*' || (*p >= L'0' && *p <= L'9'))) out += *p++;
        }
        // Length modifiers: remember whether the caller asked for narrow (h) or wide (l, w).
        enum { kNone, kNarrow, kWide } width = kNone;
        std::wstring modifier;
        for (;;) {
            if (*p == L'h') {
                width = kNarrow;
                modifier += *p++;
            } else if (*p == L'l' || *p == L'w') {
                width = kWide;
                modifier += L'l';
                ++p;
            } else if (*p == L'I' && p[1] == L'6' && p[2] == L'4') {
                modifier += L"ll";
                p += 3;
            } else if (*p == L'I' && p[1] == L'3' && p[2] == L'2') {
                p += 3;
            } else if (*p == L'I') {
                modifier += L'z';
                ++p;
            } else if (*p != 0 && std::wcschr(L"Lqjzt", *p) != nullptr) {
                modifier += *p++;
            } else {
                break;
            }
        }
        WCHAR conv = *p;
        if (conv == 0) break;
        ++p;
        if (conv == L's' || conv == L'c' || conv == L'S' || conv == L'C') {
            bool upper = conv == L'S' || conv == L'C';
            bool wide = width == kWide || (width == kNone && !upper);
            if (wide) out += L'l';
            out += static_cast<WCHAR>(upper ? conv + 32 : conv);
            continue;
        }
        out += modifier;
        out += conv;
    }
    return out;
}

}  // namespace

CSkinString::CSkinString() : m_pstr(m_szBuffer) {
    m_szBuffer[0] = 0;
}

CSkinString::CSkinString(WCHAR ch) : CSkinString() {
    m_szBuffer[0] = ch;
    m_szBuffer[1] = 0;
    m_nLength = ch == 0 ? 0 : 1;
}

CSkinString::CSkinString(LPCWSTR lpsz, int nLength) : CSkinString() {
    Assign(lpsz, nLength);
}

CSkinString::CSkinString(LPCSTR lpsz, int nLength) : CSkinString() {
    if (lpsz == nullptr) return;
    size_t bytes = nLength < 0 ? std::strlen(lpsz) : strnlen(lpsz, static_cast<size_t>(nLength));
    if (bytes == 0 || bytes > static_cast<size_t>(INT_MAX)) return;
    int chars = MultiByteToWideChar(CP_ACP, 0, lpsz, static_cast<int>(bytes), nullptr, 0);
    if (chars <= 0) return;
    Reserve(chars, 0);
    chars = MultiByteToWideChar(CP_ACP, 0, lpsz, static_cast<int>(bytes), m_pstr, chars);
    m_nLength = chars > 0 ? chars : 0;
    m_pstr[m_nLength] = 0;
}

CSkinString::CSkinString(const CSkinString& src) : CSkinString() {
    Assign(src.m_pstr, src.m_nLength);
}

CSkinString::CSkinString(CSkinString&& src) noexcept : CSkinString() {
    *this = static_cast<CSkinString&&>(src);
}

CSkinString::~CSkinString() {
    if (m_pstr != m_szBuffer) delete[] m_pstr;
}

void CSkinString::Reserve(int nLength, int nKeep) {
    if (nLength <= m_nCapacity) return;
    int capacity = nLength < INT_MAX / 2 ? nLength + nLength / 2 : nLength;
    LPWSTR buffer = new WCHAR[static_cast<size_t>(capacity) + 1];
    if (nKeep > 0) std::wmemcpy(buffer, m_pstr, static_cast<size_t>(nKeep));
    buffer[nKeep] = 0;
    if (m_pstr != m_szBuffer) delete[] m_pstr;
    m_pstr = buffer;
    m_nCapacity = capacity;
}

void CSkinString::Empty() {
    if (m_pstr != m_szBuffer) delete[] m_pstr;
    m_pstr = m_szBuffer;
    m_nCapacity = MAX_LOCAL_STRING_LEN;
    m_nLength = 0;
    m_szBuffer[0] = 0;
}

WCHAR CSkinString::GetAt(int nIndex) const {
    return nIndex >= 0 && nIndex < m_nLength ? m_pstr[nIndex] : 0;
}

void CSkinString::SetAt(int nIndex, WCHAR ch) {
    if (nIndex < 0 || nIndex >= m_nLength) return;
    m_pstr[nIndex] = ch;
    // A zero written inside ends the string there, as with any zero-terminated text.
    if (ch == 0) m_nLength = nIndex;
}

void CSkinString::Assign(LPCWSTR pstr, int nLength) {
    int n = TextLength(pstr, nLength);
    if (n == 0) {
        m_nLength = 0;
        m_pstr[0] = 0;
        return;
    }
    if (pstr >= m_pstr && pstr <= m_pstr + m_nLength) {
        // Assigning part of ourselves: copy out first.
        CSkinString copy(pstr, n);
        *this = static_cast<CSkinString&&>(copy);
        return;
    }
    Reserve(n, 0);
    std::wmemcpy(m_pstr, pstr, static_cast<size_t>(n));
    m_pstr[n] = 0;
    m_nLength = n;
}

void CSkinString::Append(LPCWSTR pstr) {
    int n = TextLength(pstr, -1);
    if (n == 0) return;
    if (n > INT_MAX - 1 - m_nLength) n = INT_MAX - 1 - m_nLength;
    if (pstr >= m_pstr && pstr <= m_pstr + m_nLength) {
        CSkinString copy(pstr, n);
        Append(copy.m_pstr);
        return;
    }
    Reserve(m_nLength + n, m_nLength);
    std::wmemcpy(m_pstr + m_nLength, pstr, static_cast<size_t>(n));
    m_nLength += n;
    m_pstr[m_nLength] = 0;
}

CSkinString& CSkinString::operator=(const CSkinString& src) {
    if (this != &src) Assign(src.m_pstr, src.m_nLength);
    return *this;
}

CSkinString& CSkinString::operator=(CSkinString&& src) noexcept {
    if (this == &src) return *this;
    if (src.m_pstr == src.m_szBuffer) {
        // Short texts live inside the object and are copied.
        if (m_pstr != m_szBuffer) delete[] m_pstr;
        m_pstr = m_szBuffer;
        m_nCapacity = MAX_LOCAL_STRING_LEN;
        std::wmemcpy(m_szBuffer, src.m_szBuffer, static_cast<size_t>(src.m_nLength) + 1);
        m_nLength = src.m_nLength;
    } else {
        if (m_pstr != m_szBuffer) delete[] m_pstr;
        m_pstr = src.m_pstr;
        m_nCapacity = src.m_nCapacity;
        m_nLength = src.m_nLength;
        src.m_pstr = src.m_szBuffer;
        src.m_nCapacity = MAX_LOCAL_STRING_LEN;
    }
    src.m_nLength = 0;
    src.m_szBuffer[0] = 0;
    return *this;
}

CSkinString& CSkinString::operator=(LPCWSTR pstr) {
    Assign(pstr);
    return *this;
}

CSkinString& CSkinString::operator=(LPCSTR pstr) {
    CSkinString converted(pstr);
    *this = static_cast<CSkinString&&>(converted);
    return *this;
}

CSkinString& CSkinString::operator=(WCHAR ch) {
    WCHAR text[2] = {ch, 0};
    Assign(text);
    return *this;
}

CSkinString& CSkinString::operator+=(const CSkinString& src) {
    Append(src.m_pstr);
    return *this;
}

CSkinString& CSkinString::operator+=(LPCWSTR pstr) {
    Append(pstr);
    return *this;
}

CSkinString& CSkinString::operator+=(WCHAR ch) {
    WCHAR text[2] = {ch, 0};
    Append(text);
    return *this;
}

CSkinString CSkinString::operator+(const CSkinString& src) const {
    CSkinString result(*this);
    result.Append(src.m_pstr);
    return result;
}

CSkinString CSkinString::operator+(LPCWSTR pstr) const {
    CSkinString result(*this);
    result.Append(pstr);
    return result;
}

CSkinString CSkinString::operator+(WCHAR ch) const {
    CSkinString result(*this);
    result += ch;
    return result;
}

CSkinString operator+(LPCWSTR lhs, const CSkinString& rhs) {
    CSkinString result(lhs);
    result.Append(rhs.m_pstr);
    return result;
}

int CSkinString::Compare(LPCWSTR pstr) const {
    if (pstr == nullptr) pstr = L"";
    const WCHAR* a = m_pstr;
    while (*a != 0 && *a == *pstr) {
        ++a;
        ++pstr;
    }
    // Compare as unsigned code points, so the order does not depend on wchar_t's signedness.
    unsigned ca = static_cast<unsigned>(*a), cb = static_cast<unsigned>(*pstr);
    return ca < cb ? -1 : (ca > cb ? 1 : 0);
}

int CSkinString::CompareNoCase(LPCWSTR pstr) const {
    if (pstr == nullptr) pstr = L"";
    const WCHAR* a = m_pstr;
    for (;; ++a, ++pstr) {
        unsigned ca = static_cast<unsigned>(skin::ToWideLower(*a));
        unsigned cb = static_cast<unsigned>(skin::ToWideLower(*pstr));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}

void CSkinString::MakeUpper() {
    for (int i = 0; i < m_nLength; ++i) m_pstr[i] = skin::ToWideUpper(m_pstr[i]);
}

void CSkinString::MakeLower() {
    for (int i = 0; i < m_nLength; ++i) m_pstr[i] = skin::ToWideLower(m_pstr[i]);
}

CSkinString CSkinString::Left(int nLength) const {
    if (nLength < 0) nLength = 0;
    if (nLength > m_nLength) nLength = m_nLength;
    return CSkinString(m_pstr, nLength);
}

CSkinString CSkinString::Mid(int iPos, int nLength) const {
    if (iPos < 0) iPos = 0;
    if (iPos > m_nLength) iPos = m_nLength;
    int available = m_nLength - iPos;
    if (nLength < 0 || nLength > available) nLength = available;
    return CSkinString(m_pstr + iPos, nLength);
}

CSkinString CSkinString::Right(int nLength) const {
    if (nLength < 0) nLength = 0;
    if (nLength > m_nLength) nLength = m_nLength;
    return CSkinString(m_pstr + m_nLength - nLength, nLength);
}

int CSkinString::Find(WCHAR ch, int iPos) const {
    if (iPos < 0 || iPos > m_nLength || ch == 0) return -1;
    const WCHAR* p = std::wcschr(m_pstr + iPos, ch);
    return p == nullptr ? -1 : static_cast<int>(p - m_pstr);
}

int CSkinString::Find(LPCWSTR pstr, int iPos) const {
    if (pstr == nullptr || iPos < 0 || iPos > m_nLength) return -1;
    const WCHAR* p = std::wcsstr(m_pstr + iPos, pstr);
    return p == nullptr ? -1 : static_cast<int>(p - m_pstr);
}

int CSkinString::ReverseFind(WCHAR ch) const {
    if (ch == 0) return -1;
    const WCHAR* p = std::wcsrchr(m_pstr, ch);
    return p == nullptr ? -1 : static_cast<int>(p - m_pstr);
}

int CSkinString::Replace(LPCWSTR pstrFrom, LPCWSTR pstrTo) {
    if (pstrFrom == nullptr || *pstrFrom == 0) return 0;
    if (pstrTo == nullptr) pstrTo = L"";
    const int fromLength = ClampedLength(std::wcslen(pstrFrom));
    int count = 0;
    CSkinString result;
    int start = 0;
    for (int pos = Find(pstrFrom, 0); pos >= 0; pos = Find(pstrFrom, start)) {
        result += Mid(start, pos - start);
        result += pstrTo;
        start = pos + fromLength;
        ++count;
    }
    if (count == 0) return 0;
    result += Mid(start);
    *this = static_cast<CSkinString&&>(result);
    return count;
}

int CSkinString::Format(LPCWSTR pstrFormat, ...) {
    va_list args;
    va_start(args, pstrFormat);
    int result = FormatV(pstrFormat, args);
    va_end(args);
    return result;
}

int CSkinString::FormatV(LPCWSTR pstrFormat, va_list args) {
    Empty();
    if (pstrFormat == nullptr) return -1;
    const std::wstring format = ToNativeFormat(pstrFormat);
    // vswprintf cannot say how long the text would have been, so the buffer grows until the
    // text fits, up to a fixed bound.
    std::vector<WCHAR> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = std::vswprintf(buffer.data(), buffer.size(), format.c_str(), copy);
        va_end(copy);
        if (n >= 0) {
            Assign(buffer.data(), n);
            return m_nLength;
        }
        if (buffer.size() > MAX_FORMAT_LENGTH) return -1;
        buffer.resize(buffer.size() * 2 > MAX_FORMAT_LENGTH + 1 ? MAX_FORMAT_LENGTH + 1
                                                                : buffer.size() * 2);
    }
}
