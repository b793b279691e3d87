// Base64 with the program's own alphabet, used for the tool-log token.
#pragma once

#include <cstddef>
#include <string>

// Standard Base64 but for the last two characters: "@" for 62 and "!" for 63. Pad is "=".
inline constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789@!";

// The encoding of `length` bytes, padded to a multiple of four characters, without line breaks.
std::string Base64Encode(const void* data, size_t length);
