#include "report/md5.h"

#include <bit>
#include <cstring>

namespace {

inline uint32_t LoadLittle(const unsigned char* p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof(v));
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
    return v;
}

inline void StoreLittle(unsigned char* p, uint32_t v) {
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
    std::memcpy(p, &v, sizeof(v));
}

// One step: a = b + ((a + f + x + t) <<< s). The round functions below are the usual
// equivalents of F, G, H and I with fewer operations.
#define MD5_STEP(f, a, b, c, d, x, t, s)              \
    a += f(b, c, d) + (x) + static_cast<uint32_t>(t); \
    a = std::rotl(a, s);                              \
    a += b

inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) {
    return z ^ (x & (y ^ z));
}
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) {
    return y ^ (z & (x ^ y));
}
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) {
    return x ^ y ^ z;
}
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) {
    return y ^ (x | ~z);
}

// Runs the block transform over `blocks` consecutive 64-byte blocks, keeping the chaining
// values in registers between them.
void ProcessBlocks(uint32_t state[4], const unsigned char* data, size_t blocks) {
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (; blocks > 0; --blocks, data += 64) {
        uint32_t x[16];
        for (int i = 0; i < 16; ++i) x[i] = LoadLittle(data + 4 * i);
        const uint32_t aa = a, bb = b, cc = c, dd = d;

        MD5_STEP(F, a, b, c, d, x[0], 0xd76aa478, 7);
        MD5_STEP(F, d, a, b, c, x[1], 0xe8c7b756, 12);
        MD5_STEP(F, c, d, a, b, x[2], 0x242070db, 17);
        MD5_STEP(F, b, c, d, a, x[3], 0xc1bdceee, 22);
        MD5_STEP(F, a, b, c, d, x[4], 0xf57c0faf, 7);
        MD5_STEP(F, d, a, b, c, x[5], 0x4787c62a, 12);
        MD5_STEP(F, c, d, a, b, x[6], 0xa8304613, 17);
        MD5_STEP(F, b, c, d, a, x[7], 0xfd469501, 22);
        MD5_STEP(F, a, b, c, d, x[8], 0x698098d8, 7);
        MD5_STEP(F, d, a, b, c, x[9], 0x8b44f7af, 12);
        MD5_STEP(F, c, d, a, b, x[10], 0xffff5bb1, 17);
        MD5_STEP(F, b, c, d, a, x[11], 0x895cd7be, 22);
        MD5_STEP(F, a, b, c, d, x[12], 0x6b901122, 7);
        MD5_STEP(F, d, a, b, c, x[13], 0xfd987193, 12);
        MD5_STEP(F, c, d, a, b, x[14], 0xa679438e, 17);
        MD5_STEP(F, b, c, d, a, x[15], 0x49b40821, 22);

        MD5_STEP(G, a, b, c, d, x[1], 0xf61e2562, 5);
        MD5_STEP(G, d, a, b, c, x[6], 0xc040b340, 9);
        MD5_STEP(G, c, d, a, b, x[11], 0x265e5a51, 14);
        MD5_STEP(G, b, c, d, a, x[0], 0xe9b6c7aa, 20);
        MD5_STEP(G, a, b, c, d, x[5], 0xd62f105d, 5);
        MD5_STEP(G, d, a, b, c, x[10], 0x02441453, 9);
        MD5_STEP(G, c, d, a, b, x[15], 0xd8a1e681, 14);
        MD5_STEP(G, b, c, d, a, x[4], 0xe7d3fbc8, 20);
        MD5_STEP(G, a, b, c, d, x[9], 0x21e1cde6, 5);
        MD5_STEP(G, d, a, b, c, x[14], 0xc33707d6, 9);
        MD5_STEP(G, c, d, a, b, x[3], 0xf4d50d87, 14);
        MD5_STEP(G, b, c, d, a, x[8], 0x455a14ed, 20);
        MD5_STEP(G, a, b, c, d, x[13], 0xa9e3e905, 5);
        MD5_STEP(G, d, a, b, c, x[2], 0xfcefa3f8, 9);
        MD5_STEP(G, c, d, a, b, x[7], 0x676f02d9, 14);
        MD5_STEP(G, b, c, d, a, x[12], 0x8d2a4c8a, 20);

        MD5_STEP(H, a, b, c, d, x[5], 0xfffa3942, 4);
        MD5_STEP(H, d, a, b, c, x[8], 0x8771f681, 11);
        MD5_STEP(H, c, d, a, b, x[11], 0x6d9d6122, 16);
        MD5_STEP(H, b, c, d, a, x[14], 0xfde5380c, 23);
        MD5_STEP(H, a, b, c, d, x[1], 0xa4beea44, 4);
        MD5_STEP(H, d, a, b, c, x[4], 0x4bdecfa9, 11);
        MD5_STEP(H, c, d, a, b, x[7], 0xf6bb4b60, 16);
        MD5_STEP(H, b, c, d, a, x[10], 0xbebfbc70, 23);
        MD5_STEP(H, a, b, c, d, x[13], 0x289b7ec6, 4);
        MD5_STEP(H, d, a, b, c, x[0], 0xeaa127fa, 11);
        MD5_STEP(H, c, d, a, b, x[3], 0xd4ef3085, 16);
        MD5_STEP(H, b, c, d, a, x[6], 0x04881d05, 23);
        MD5_STEP(H, a, b, c, d, x[9], 0xd9d4d039, 4);
        MD5_STEP(H, d, a, b, c, x[12], 0xe6db99e5, 11);
        MD5_STEP(H, c, d, a, b, x[15], 0x1fa27cf8, 16);
        MD5_STEP(H, b, c, d, a, x[2], 0xc4ac5665, 23);

        MD5_STEP(I, a, b, c, d, x[0], 0xf4292244, 6);
        MD5_STEP(I, d, a, b, c, x[7], 0x432aff97, 10);
        MD5_STEP(I, c, d, a, b, x[14], 0xab9423a7, 15);
        MD5_STEP(I, b, c, d, a, x[5], 0xfc93a039, 21);
        MD5_STEP(I, a, b, c, d, x[12], 0x655b59c3, 6);
        MD5_STEP(I, d, a, b, c, x[3], 0x8f0ccc92, 10);
        MD5_STEP(I, c, d, a, b, x[10], 0xffeff47d, 15);
        MD5_STEP(I, b, c, d, a, x[1], 0x85845dd1, 21);
        MD5_STEP(I, a, b, c, d, x[8], 0x6fa87e4f, 6);
        MD5_STEP(I, d, a, b, c, x[15], 0xfe2ce6e0, 10);
        MD5_STEP(I, c, d, a, b, x[6], 0xa3014314, 15);
        MD5_STEP(I, b, c, d, a, x[13], 0x4e0811a1, 21);
        MD5_STEP(I, a, b, c, d, x[4], 0xf7537e82, 6);
        MD5_STEP(I, d, a, b, c, x[11], 0xbd3af235, 10);
        MD5_STEP(I, c, d, a, b, x[2], 0x2ad7d2bb, 15);
        MD5_STEP(I, b, c, d, a, x[9], 0xeb86d391, 21);

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}

#undef MD5_STEP

}  // namespace

CMD5::CMD5() : m_buffer{}, m_count{0, 0}, m_state{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

CMD5::~CMD5() = default;

void CMD5::Update(const void* data, size_t length) {
    const unsigned char* input = static_cast<const unsigned char*>(data);
    size_t used = (m_count[0] >> 3) & 63;
    uint64_t bits = (static_cast<uint64_t>(m_count[1]) << 32 | m_count[0]) +
                    (static_cast<uint64_t>(length) << 3);
    m_count[0] = static_cast<uint32_t>(bits);
    m_count[1] = static_cast<uint32_t>(bits >> 32);

    if (used > 0) {
        size_t take = 64 - used < length ? 64 - used : length;
        std::memcpy(m_buffer + used, input, take);
        input += take;
        length -= take;
        if (used + take < 64) return;
        ProcessBlocks(m_state, m_buffer, 1);
    }
    size_t blocks = length / 64;
    if (blocks > 0) {
        ProcessBlocks(m_state, input, blocks);
        input += blocks * 64;
        length -= blocks * 64;
    }
    if (length > 0) std::memcpy(m_buffer, input, length);
}

std::string CMD5::FinalHex() {
    unsigned char lengthBytes[8];
    StoreLittle(lengthBytes, m_count[0]);
    StoreLittle(lengthBytes + 4, m_count[1]);
    size_t used = (m_count[0] >> 3) & 63;
    static const unsigned char kPadding[64] = {0x80};
    Update(kPadding, used < 56 ? 56 - used : 120 - used);
    Update(lengthBytes, sizeof(lengthBytes));

    static const char kHex[] = "0123456789abcdef";
    std::string hex(32, '0');
    for (int i = 0; i < 4; ++i) {
        unsigned char word[4];
        StoreLittle(word, m_state[i]);
        for (int j = 0; j < 4; ++j) {
            hex[static_cast<size_t>(8 * i + 2 * j)] = kHex[word[j] >> 4];
            hex[static_cast<size_t>(8 * i + 2 * j + 1)] = kHex[word[j] & 15];
        }
    }
    return hex;
}

std::string Md5HexOfText(const std::string& text) {
    CMD5 md5;
    if (!text.empty()) md5.Update(text.data(), text.size());
    return md5.FinalHex();
}
