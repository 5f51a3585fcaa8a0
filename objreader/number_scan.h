// Number scanners with exactly the acceptance, extent and value of the C library's
// formatted input conversions "%g" (into a float) and "%d", as the reference C library
// implements them, but without their cost: no locale lookups, no copying, no stream.
//
// Each scanner works on [p, end), where end stands for the terminating NUL of the
// string the conversion would have seen. It skips leading white space (space, \t, \n,
// \v, \f, \r), then consumes the longest text the conversion consumes and returns the
// position after it, or nullptr when the conversion would fail (matching or input
// failure). Quirks that are part of that meaning and kept on purpose:
//  - an exponent without digits is consumed but ignored: "1e+x" consumes "1e+" and gives 1;
//  - "0x" starts a hexadecimal number; "0x" alone fails, "0x." gives 0;
//  - "nan", "inf" and "infinity" in any letter case, with an optional sign;
//  - a value outside the float range gives infinity or a (signed) zero or subnormal,
//    correctly rounded like every other value.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessoid::obj {

// "%g" into a float: value stored in *value on success.
const char* scanFloat(const char* p, const char* end, float* value);

// "%g" for form only: the same acceptance and extent, no value computed.
const char* skipFloat(const char* p, const char* end);

// "%d": value saturated to the int32 range on success.
const char* scanInt(const char* p, const char* end, int32_t* value);

inline bool isScanSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

namespace detail {

// The doubles nearest to 10^-k.
inline constexpr double NEG_POW10[] = {1e-0,  1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,
                                       1e-8,  1e-9,  1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15,
                                       1e-16, 1e-17, 1e-18, 1e-19, 1e-20, 1e-21, 1e-22};
// Mantissas below 2^24 with at most ten fraction digits need no halfway check.
inline constexpr uint32_t SHORT_MANTISSA_LIMIT = uint32_t(1) << 24;
inline constexpr int32_t SHORT_FRACTION_DIGITS = 10;
// At most this many digits in all keep a mantissa in 32 bits.
inline constexpr ptrdiff_t SHORT_DECIMAL_DIGITS = 9;

inline bool isDecimalDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

// w / 10^k for a short decimal (w < SHORT_MANTISSA_LIMIT, 1 <= k <= SHORT_FRACTION_DIGITS):
// w / 10^k lies at least 2^-25 / 5^k (relative) from any float halfway point, far beyond
// the product's error of about 2^-52, so the product rounds to the right float with no
// check.
inline float shortDecimalValue(uint32_t w, int32_t fractionDigits) {
    return static_cast<float>(static_cast<double>(static_cast<int32_t>(w)) *
                              NEG_POW10[fractionDigits]);
}

} // namespace detail

// scanFloat's common case, "-12.345678" after blanks: an optional sign, digits, a '.' and at
// least one digit, nine digits in all at most, a mantissa below 2^24 and no exponent.
// Gives what scanFloat gives for such a text, and nullptr for any other, which scanFloat
// then reads from the same start. It reads up to the first byte that is none of a blank,
// sign, digit or '.', so that byte must be readable: callers pass text that ends at a
// line end, a NUL or a '#'.
inline const char* scanShortDecimal(const char* p, float* value) {
    using namespace detail;
    while (*p == ' ' || *p == '\t')
        ++p;
    const bool negative = *p == '-';
    if (negative || *p == '+')
        ++p;
    const char* const integer = p;
    uint32_t w = 0; // wraps past nine digits, which are refused below
    while (isDecimalDigit(*p))
        w = w * 10 + uint32_t(*p++ - '0');
    if (*p != '.')
        return nullptr;
    const char* const fraction = ++p;
    while (isDecimalDigit(*p))
        w = w * 10 + uint32_t(*p++ - '0');
    const ptrdiff_t fractionDigits = p - fraction;
    if (fractionDigits == 0 || (fraction - 1 - integer) + fractionDigits > SHORT_DECIMAL_DIGITS ||
        w >= SHORT_MANTISSA_LIMIT || (*p | 0x20) == 'e')
        return nullptr;
    const float f = w == 0 ? 0.0f : shortDecimalValue(w, int32_t(fractionDigits));
    *value = negative ? -f : f;
    return p;
}

} // namespace tessoid::obj
