// How a jsValue carries a script value in 64 bits.
//
// Numbers are their IEEE bits (NaN is always the canonical quiet NaN). Everything else uses a
// NaN pattern no number produces: the top 16 bits are kTag, bits 40-47 the kind and the low
// 40 bits the payload (an int32, or a value slot of the view with its generation).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "webengine/web_engine.h"

namespace webengine::jsv {

constexpr uint64_t kTag = 0xFFF9ull << 48;
constexpr uint64_t kTagMask = 0xFFFFull << 48;
enum Kind : uint64_t { Undefined = 0, Null = 1, False = 2, True = 3, Int = 4, Slot = 5 };

constexpr jsValue Make(Kind kind, uint64_t payload = 0) {
    return static_cast<jsValue>(kTag | (static_cast<uint64_t>(kind) << 40) |
                                (payload & 0xFFFFFFFFFFull));
}
constexpr bool IsTagged(jsValue v) {
    return (static_cast<uint64_t>(v) & kTagMask) == kTag;
}
constexpr Kind KindOf(jsValue v) {
    return static_cast<Kind>((static_cast<uint64_t>(v) >> 40) & 0xFF);
}
constexpr uint64_t Payload(jsValue v) {
    return static_cast<uint64_t>(v) & 0xFFFFFFFFFFull;
}
inline jsValue FromInt(int32_t n) {
    return Make(Int, static_cast<uint32_t>(n));
}
inline int32_t IntOf(jsValue v) {
    return static_cast<int32_t>(static_cast<uint32_t>(Payload(v)));
}
inline jsValue FromDouble(double d) {
    if (std::isnan(d)) d = std::nan("");
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    if (std::isnan(d)) bits = 0x7FF8000000000000ull;
    return static_cast<jsValue>(bits);
}
inline double DoubleOf(jsValue v) {
    uint64_t bits = static_cast<uint64_t>(v);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}
inline jsValue FromSlot(uint32_t index, uint32_t generation) {
    return Make(Slot, (static_cast<uint64_t>(generation & 0x3FFFFFFF) << 10) | (index & 0x3FF));
}
inline uint32_t SlotIndex(jsValue v) {
    return static_cast<uint32_t>(Payload(v) & 0x3FF);
}
inline uint32_t SlotGeneration(jsValue v) {
    return static_cast<uint32_t>((Payload(v) >> 10) & 0x3FFFFFFF);
}

// ECMAScript ToInt32.
inline int32_t ToInt32(double d) {
    if (!std::isfinite(d)) return 0;
    double t = std::trunc(d);
    double m = std::fmod(t, 4294967296.0);
    if (m < 0) m += 4294967296.0;
    if (m >= 2147483648.0) m -= 4294967296.0;
    return static_cast<int32_t>(m);
}

}  // namespace webengine::jsv
