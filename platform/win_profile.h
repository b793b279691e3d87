// Private-profile (INI) files.
//
// Files are text in the ANSI code page (UTF-8 here), read with either LF or CR LF line breaks.
// A "[name]" line starts a section; "key=value" lines belong to the section above them; lines
// starting with ";" or "#" are comments. Section and key names compare without regard to ASCII
// case; names and values are read with surrounding blanks removed, and a value enclosed in a
// matching pair of quotes loses the quotes. A file name is used as given; an empty or missing
// name reads as a file that does not exist.
#pragma once

#include "platform/win_base.h"

// The integer value of the key: leading blanks, an optional sign and the decimal digits up to
// the first other character. A missing key (or file, or section), or a key with an empty value,
// gives nDefault; a value with no digits gives 0, and so does a negative value.
UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName);

// Copies the value of the key, or lpDefault (an empty text when null, trailing blanks removed)
// when the key is missing, into the buffer of nSize characters and returns the number of
// characters copied without the terminator; a value that does not fit is cut to nSize - 1
// characters. A null lpKeyName lists the key names of the section, a null lpAppName the section
// names of the file: each name ends with a zero and the list with one more; a list that does
// not fit is cut and still ends with two zeros, and the result is then nSize - 2. The last
// error is ERROR_FILE_NOT_FOUND when the file does not exist.
DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                               LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName);

// Replaces the whole content of a section with the lines of lpString ("key=value", each ending
// with a zero, one more zero after the last). The file is created when missing; a missing
// section is added at the end; an existing one (the first of that name) keeps its place, its
// header and its comment and blank lines, and has all its keys replaced. Every other byte of
// the file stays as it was. A null lpString removes the section. A line break inside one line
// of lpString is written as a blank, so a value can never start a section of its own.
// The file is replaced whole (a new copy, then a rename), so a failed write leaves the old file
// as it was. Returns FALSE with the last error set when the file cannot be read or written.
BOOL WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName);
