// A float is m * 2^e with m < 2^24. For e < 0 the text is round(m * 10^4 / 2^-e), done
// exactly in 64 bits as m * 10^4 < 2^38; for e >= 0 the value is an integer, up to
// 128 bits wide, turned into digits nine at a time.
#include "tessoid/fixed_decimal.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace tessoid {

namespace {

struct DigitPairs {
    char text[200];
};

constexpr DigitPairs makeDigitPairs() {
    DigitPairs pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs.text[2 * i] = static_cast<char>('0' + i / 10);
        pairs.text[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}

// "00" to "99": digits go out two at a time, halving the divisions.
constexpr DigitPairs DIGIT_PAIRS = makeDigitPairs();

inline void writePair(char* out, uint32_t value) {
    std::memcpy(out, &DIGIT_PAIRS.text[2 * value], 2);
}

inline int digitCount(uint32_t value) {
    if (value < 10)
        return 1;
    if (value < 100)
        return 2;
    if (value < 1000)
        return 3;
    if (value < 10000)
        return 4;
    if (value < 100000)
        return 5;
    if (value < 1000000)
        return 6;
    if (value < 10000000)
        return 7;
    if (value < 100000000)
        return 8;
    if (value < 1000000000)
        return 9;
    return 10;
}

// `value` in decimal without leading zeros.
inline char* writeUnsigned(char* out, uint32_t value) {
    char* const end = out + digitCount(value);
    char* p = end;
    while (value >= 100) {
        p -= 2;
        writePair(p, value % 100);
        value /= 100;
    }
    if (value >= 10)
        writePair(p - 2, value);
    else
        p[-1] = static_cast<char>('0' + value);
    return end;
}

// `value` < 10^9 as exactly nine digits.
char* writeNineDigits(char* out, uint32_t value) {
    for (int i = 7; i >= 1; i -= 2) {
        writePair(out + i, value % 100);
        value /= 100;
    }
    out[0] = static_cast<char>('0' + value);
    return out + 9;
}

// m * 2^e for 8 < e <= 104, that is at least 2^32 and below 2^128. Divides by 10^9
// limb by limb; rare enough that the 64-bit divisions (library calls on 32-bit
// targets) do not matter.
char* writeLargeInteger(char* out, uint32_t m, int e) {
    constexpr uint32_t CHUNK = 1000000000;
    uint32_t limbs[5] = {};
    const uint64_t shifted = static_cast<uint64_t>(m) << (e % 32);
    limbs[e / 32] = static_cast<uint32_t>(shifted);
    limbs[e / 32 + 1] = static_cast<uint32_t>(shifted >> 32);
    int top = 4;
    while (limbs[top] == 0)
        --top;
    uint32_t chunks[5]; // 2^128 has 39 digits
    int count = 0;
    while (top >= 0) {
        uint32_t remainder = 0;
        for (int i = top; i >= 0; --i) {
            const uint64_t current = (static_cast<uint64_t>(remainder) << 32) | limbs[i];
            limbs[i] = static_cast<uint32_t>(current / CHUNK);
            remainder = static_cast<uint32_t>(current % CHUNK);
        }
        chunks[count++] = remainder;
        while (top >= 0 && limbs[top] == 0)
            --top;
    }
    out = writeUnsigned(out, chunks[--count]);
    while (count > 0)
        out = writeNineDigits(out, chunks[--count]);
    return out;
}

// The two digits of `value` < 100 as they lie in memory.
inline uint32_t pairBits(uint32_t value) {
    uint16_t bits;
    std::memcpy(&bits, &DIGIT_PAIRS.text[2 * value], 2);
    return bits;
}

// n / 10^4 with four decimals for n < 2^32, so the whole part has at most six digits.
// The six digits, leading zeros included, are put together in a register and shifted
// past the zeros that do not count: no branch on the digit count, which is random in
// real meshes, and no reloading of bytes just stored. Stores 8 bytes from `out`
// whatever the length.
inline char* writeShort(char* out, uint32_t n) {
    static_assert(std::endian::native == std::endian::little);
    const uint32_t whole = n / 10000;
    const uint32_t fraction = n % 10000;
    const uint32_t low = whole % 10000;
    const uint64_t digits = pairBits(whole / 10000) | pairBits(low / 100) << 16 |
                            static_cast<uint64_t>(pairBits(low % 100)) << 32;
    const uint32_t extraDigits =
        (whole >= 10) + (whole >= 100) + (whole >= 1000) + (whole >= 10000) + (whole >= 100000);
    const uint64_t kept = digits >> (8 * (5 - extraDigits));
    std::memcpy(out, &kept, 8);
    out += 1 + extraDigits;
    out[0] = '.';
    const uint32_t decimals = pairBits(fraction / 100) | pairBits(fraction % 100) << 16;
    std::memcpy(out + 1, &decimals, 4);
    return out + 5;
}

} // namespace

char* writeFixed4(char* out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    // No branch on the sign: it is a coin toss in real meshes.
    out[0] = '-';
    out += bits >> 31;
    const uint32_t biased = (bits >> 23) & 0xFF;
    uint32_t m = bits & 0x7FFFFF;
    if (biased == 0xFF) {
        std::memcpy(out, m ? "nan" : "inf", 3);
        return out + 3;
    }
    int e = -149; // subnormal
    if (biased != 0) {
        m |= 0x800000;
        e = static_cast<int>(biased) - 150;
    }
    if (e >= 0) {
        out = e <= 8 ? writeUnsigned(out, m << e) : writeLargeInteger(out, m, e);
        std::memcpy(out, ".0000", 5);
        return out + 5;
    }

    // n = m * 10^4 / 2^shift rounded to nearest, ties to even: adding half a unit less
    // one, plus the quotient's low bit, carries into the quotient exactly when the
    // remainder is above half, or at half with an odd quotient. Branch-free, as the
    // rounding direction is random. From a shift of 39 on, m * 10^4 < 2^38 is below
    // half a unit and n stays 0.
    const uint32_t shift = static_cast<uint32_t>(-e);
    uint64_t n = 0;
    if (shift <= 38) {
        const uint64_t scaled = static_cast<uint64_t>(m) * 10000;
        const uint64_t halfLessOne = (static_cast<uint64_t>(1) << (shift - 1)) - 1;
        n = (scaled + halfLessOne + ((scaled >> shift) & 1)) >> shift;
    }
    if (n >> 32 == 0)
        return writeShort(out, static_cast<uint32_t>(n));
    // At least 429,496.7296; the whole part still fits 32 bits (n < 2^38).
    out = writeUnsigned(out, static_cast<uint32_t>(n / 10000));
    const uint32_t fraction = static_cast<uint32_t>(n % 10000);
    out[0] = '.';
    writePair(out + 1, fraction / 100);
    writePair(out + 3, fraction % 100);
    return out + 5;
}

} // namespace tessoid
