// The skin framework's wide-string value type: copyable, always zero-terminated, short texts kept
// inside the object.
#pragma once

#include <cstdarg>

#include "platform/win_base.h"

class CSkinString {
  public:
    enum { MAX_LOCAL_STRING_LEN = 63 };

    CSkinString();
    CSkinString(WCHAR ch);
    // nLength < 0 takes the text up to its terminator; a null text gives the empty string.
    CSkinString(LPCWSTR lpsz, int nLength = -1);
    // Narrow text in the ANSI code page.
    CSkinString(LPCSTR lpsz, int nLength = -1);
    CSkinString(const CSkinString& src);
    CSkinString(CSkinString&& src) noexcept;
    ~CSkinString();

    void Empty();
    int GetLength() const { return m_nLength; }
    bool IsEmpty() const { return m_nLength == 0; }
    // The character at nIndex; 0 outside the string.
    WCHAR GetAt(int nIndex) const;
    // Ignored outside the string.
    void SetAt(int nIndex, WCHAR ch);
    void Append(LPCWSTR pstr);
    void Assign(LPCWSTR pstr, int nLength = -1);
    LPCWSTR GetData() const { return m_pstr; }

    operator LPCWSTR() const { return m_pstr; }
    WCHAR operator[](int nIndex) const { return GetAt(nIndex); }

    CSkinString& operator=(const CSkinString& src);
    CSkinString& operator=(CSkinString&& src) noexcept;
    CSkinString& operator=(LPCWSTR pstr);
    CSkinString& operator=(LPCSTR pstr);
    CSkinString& operator=(WCHAR ch);

    CSkinString& operator+=(const CSkinString& src);
    CSkinString& operator+=(LPCWSTR pstr);
    CSkinString& operator+=(WCHAR ch);
    CSkinString operator+(const CSkinString& src) const;
    CSkinString operator+(LPCWSTR pstr) const;
    CSkinString operator+(WCHAR ch) const;
    friend CSkinString operator+(LPCWSTR lhs, const CSkinString& rhs);

    // A null text compares like the empty text.
    bool operator==(const CSkinString& str) const { return Compare(str) == 0; }
    bool operator==(LPCWSTR str) const { return Compare(str) == 0; }
    bool operator!=(LPCWSTR str) const { return Compare(str) != 0; }
    bool operator<(LPCWSTR str) const { return Compare(str) < 0; }
    bool operator<=(LPCWSTR str) const { return Compare(str) <= 0; }
    bool operator>(LPCWSTR str) const { return Compare(str) > 0; }
    bool operator>=(LPCWSTR str) const { return Compare(str) >= 0; }

    // <0, 0 or >0 by character code; CompareNoCase first maps both sides to lower case.
    int Compare(LPCWSTR pstr) const;
    int CompareNoCase(LPCWSTR pstr) const;

    void MakeUpper();
    void MakeLower();

    // Out-of-range counts and positions are clamped to the string.
    CSkinString Left(int nLength) const;
    CSkinString Mid(int iPos, int nLength = -1) const;
    CSkinString Right(int nLength) const;

    // Position of the first match at or after iPos, or -1.
    int Find(WCHAR ch, int iPos = 0) const;
    int Find(LPCWSTR pstr, int iPos = 0) const;
    // Position of the last occurrence, or -1.
    int ReverseFind(WCHAR ch) const;
    // Replaces every non-overlapping occurrence; returns how many were replaced.
    int Replace(LPCWSTR pstrFrom, LPCWSTR pstrTo);

    // printf-style formatting with the Windows wide conventions: %s and %c take wide text and
    // characters, %S and %C (or %hs, %hc) narrow ones. The result is bounded
    // (MAX_FORMAT_LENGTH characters); returns the new length, or -1 (and the string is empty)
    // when the text is malformed or would be longer.
    int Format(LPCWSTR pstrFormat, ...);
    int FormatV(LPCWSTR pstrFormat, va_list args);
    enum { MAX_FORMAT_LENGTH = 1 << 20 };

  private:
    // Makes room for nLength characters and a terminator, keeping the first nKeep characters.
    void Reserve(int nLength, int nKeep);

    LPWSTR m_pstr;
    int m_nLength = 0;
    int m_nCapacity = MAX_LOCAL_STRING_LEN;
    WCHAR m_szBuffer[MAX_LOCAL_STRING_LEN + 1];
};
