#include "report/base64.h"

std::string Base64Encode(const void* data, size_t length) {
    const unsigned char* in = static_cast<const unsigned char*>(data);
    std::string out;
    out.reserve((length + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        unsigned group =
            static_cast<unsigned>(in[i]) << 16 | static_cast<unsigned>(in[i + 1]) << 8 | in[i + 2];
        out += kBase64Alphabet[group >> 18];
        out += kBase64Alphabet[(group >> 12) & 63];
        out += kBase64Alphabet[(group >> 6) & 63];
        out += kBase64Alphabet[group & 63];
    }
    size_t rest = length - i;
    if (rest > 0) {
        unsigned group = static_cast<unsigned>(in[i]) << 16;
        if (rest == 2) group |= static_cast<unsigned>(in[i + 1]) << 8;
        out += kBase64Alphabet[group >> 18];
        out += kBase64Alphabet[(group >> 12) & 63];
        out += rest == 2 ? kBase64Alphabet[(group >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}
