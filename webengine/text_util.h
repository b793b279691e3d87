// Text helpers shared by the engine: UTF-8 and wide text, HTML escaping, small string tools.
#pragma once

#include <string>
#include <string_view>

namespace webengine {

// wchar_t holds one code point here; UTF-16 surrogate pairs are joined as well.
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);
// Replaces invalid UTF-8 sequences with U+FFFD so later stages only see valid text.
std::string SanitizeUtf8(std::string_view text);

// Decodes one code point at text[pos]; advances pos; invalid bytes give U+FFFD.
char32_t NextCodePoint(std::string_view text, size_t& pos);
void AppendUtf8(std::string& out, char32_t cp);

std::string AsciiLower(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
std::string_view TrimAscii(std::string_view text);
bool IsAsciiSpace(char c);

void AppendEscapedText(std::string& out, std::string_view text);
void AppendEscapedAttribute(std::string& out, std::string_view text);

}  // namespace webengine
