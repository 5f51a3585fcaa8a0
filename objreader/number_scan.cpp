#include "objreader/number_scan.h"

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace tessoid::obj {
namespace {

inline bool isDigit(char c) {
    return detail::isDecimalDigit(c);
}
inline bool isHexDigit(char c) {
    return isDigit(c) || static_cast<unsigned char>((c | 0x20) - 'a') < 6;
}
inline char lower(char c) {
    return static_cast<char>(c | 0x20);
}

// Exactly representable powers of ten.
constexpr double POW10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
using detail::NEG_POW10;
// How close, in units of the last place of a double, a product by NEG_POW10 may come to a
// float halfway point before the exact quotient decides instead: the product is off by at
// most about 2.5 units (one rounding of the factor, one or two of the product).
constexpr uint32_t PRODUCT_ERROR_MARGIN = 8;
constexpr uint64_t MAX_EXACT_MANTISSA = uint64_t(1) << 53;
constexpr int MAX_DIGITS = 19;             // fits a uint64_t
constexpr int32_t EXPONENT_CLAMP = 100000; // beyond this every value is 0 or infinity anyway

// The rare texts the fast path can't settle: converted by the C library from a copy, with
// the '.' turned into whatever radix character the current locale expects.
float convertSlowly(const char* begin, const char* end) {
    std::string text(begin, end);
    const char* radix = std::localeconv()->decimal_point;
    if (radix && std::strcmp(radix, ".") != 0) {
        const size_t dot = text.find('.');
        if (dot != std::string::npos)
            text.replace(dot, 1, radix);
    }
    return std::strtof(text.c_str(), nullptr);
}

// w as a double. Below 2^31 through a 32-bit integer: on x87 a 64-bit integer is loaded
// from memory, and from two 32-bit halves just written that load stalls.
inline double toDouble(uint64_t w) {
    return w <= uint64_t(INT32_MAX) ? static_cast<double>(static_cast<int32_t>(w))
                                    : static_cast<double>(w);
}

// The float nearest to q (its bits as a double given) when q lies more than `margin`
// units of its last place away from every point halfway between two floats; false
// otherwise, and outside the float normal range [2^-126, 2^127), where rounding could
// leave it. (Rounding the unrounded x87 value straight to float gives the same float: a
// halfway point is itself a double, so the double rounding cannot have crossed it.)
bool roundsClearly(double q, uint32_t margin, float* out) {
    const uint64_t bits = std::bit_cast<uint64_t>(q);
    const uint32_t biased = static_cast<uint32_t>(bits >> 52) & 0x7ff;
    if (biased < 1023 - 126 || biased >= 1023 + 127)
        return false;
    // The 29 bits a float drops; the halfway point is the pattern 1000...0.
    const uint32_t dropped = static_cast<uint32_t>(bits) & ((uint32_t(1) << 29) - 1);
    constexpr uint32_t HALFWAY = uint32_t(1) << 28;
    if (dropped + margin >= HALFWAY && dropped <= HALFWAY + margin)
        return false;
    *out = static_cast<float>(q);
    return true;
}

// Rounds w * 10^e (w exact, no dropped digits) to float when double arithmetic settles
// it; false otherwise.
bool convertFast(uint64_t w, int32_t e, float* out) {
    if (w < detail::SHORT_MANTISSA_LIMIT && e < 0 && e >= -detail::SHORT_FRACTION_DIGITS) {
        *out = detail::shortDecimalValue(static_cast<uint32_t>(w), -e); // "0.123456"
        return true;
    }
    if (w > MAX_EXACT_MANTISSA || e < -22 || e > 22)
        return false;
    const double wd = toDouble(w);
    if (e < 0) {
        // Multiplying by the rounded 10^e is far cheaper than dividing, and lands within
        // PRODUCT_ERROR_MARGIN of the exact value: unless a halfway point lies that close,
        // both round to the same float. (A power of two between them is a float itself.)
        if (roundsClearly(wd * NEG_POW10[-e], PRODUCT_ERROR_MARGIN, out))
            return true;
    }
    // One correctly rounded double operation (or an x87 one rounded twice): neither can
    // move the result across a halfway point, only onto one, which roundsClearly refuses.
    return roundsClearly(e >= 0 ? wd * POW10[e] : wd / POW10[-e], 0, out);
}

template <bool WantValue> const char* scanFloatImpl(const char* p, const char* end, float* value) {
    while (p < end && isScanSpace(*p))
        ++p;
    if (p == end)
        return nullptr;
    const char* const start = p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        if (++p == end)
            return nullptr;
    }
    const char first = lower(*p);
    if (first == 'n') {
        if (end - p < 3 || lower(p[1]) != 'a' || lower(p[2]) != 'n')
            return nullptr;
        if (WantValue) {
            const float nan = std::numeric_limits<float>::quiet_NaN();
            *value = negative ? -nan : nan;
        }
        return p + 3;
    }
    if (first == 'i') {
        if (end - p < 3 || lower(p[1]) != 'n' || lower(p[2]) != 'f')
            return nullptr;
        p += 3;
        if (p < end && lower(*p) == 'i') {
            // Once "infi" is read, only "infinity" will do.
            if (end - p < 5 || lower(p[1]) != 'n' || lower(p[2]) != 'i' || lower(p[3]) != 't' ||
                lower(p[4]) != 'y')
                return nullptr;
            p += 5;
        }
        if (WantValue) {
            const float inf = std::numeric_limits<float>::infinity();
            *value = negative ? -inf : inf;
        }
        return p;
    }
    if (*p == '0' && end - p >= 2 && lower(p[1]) == 'x') {
        p += 2;
        const char* const digitsStart = p;
        bool gotDigit = false, gotDot = false, gotExp = false;
        while (p < end) {
            const char c = *p;
            if (isDigit(c) || (!gotExp && isHexDigit(c))) {
                gotDigit = true;
            } else if (gotExp && lower(p[-1]) == 'p' && (c == '+' || c == '-')) {
            } else if (gotDigit && !gotExp && lower(c) == 'p') {
                gotExp = gotDot = true;
            } else if (c == '.' && !gotDot) {
                gotDot = true;
            } else {
                break;
            }
            ++p;
        }
        if (p == digitsStart)
            return nullptr; // the prefix alone
        if (WantValue)
            *value = convertSlowly(start, p);
        return p;
    }

    // Decimal. Up to MAX_DIGITS significant digits are exact in w; longer mantissas (rare)
    // go to the slow path, so w may wrap for them unnoticed.
    uint64_t w = 0;
    int significant = 0;
    int32_t exponent = 0;
    const char* const mantissa = p;
    while (p < end && *p == '0')
        ++p;
    const char* digits = p;
    while (p < end && isDigit(*p))
        w = w * 10 + unsigned(*p++ - '0');
    significant = int(p - digits);
    bool gotDigit = p > mantissa;
    if (p < end && *p == '.') {
        const char* const fraction = ++p;
        if (significant == 0)
            while (p < end && *p == '0')
                ++p;
        digits = p;
        while (p < end && isDigit(*p))
            w = w * 10 + unsigned(*p++ - '0');
        significant += int(p - digits);
        exponent = -int32_t(p - fraction);
        gotDigit = gotDigit || p > fraction;
    }
    if (!gotDigit)
        return nullptr;
    if (p < end && lower(*p) == 'e') {
        ++p;
        bool expNegative = false;
        if (p < end && (*p == '+' || *p == '-'))
            expNegative = *p++ == '-';
        int32_t e = 0;
        for (; p < end && isDigit(*p); ++p)
            if (e < EXPONENT_CLAMP)
                e = e * 10 + (*p - '0');
        exponent += expNegative ? -e : e;
    }
    if (WantValue) {
        float f = 0.0f;
        if (significant > MAX_DIGITS || (w != 0 && !convertFast(w, exponent, &f))) {
            *value = convertSlowly(start, p);
            return p;
        }
        *value = negative ? -f : f;
    }
    return p;
}

} // namespace

const char* scanFloat(const char* p, const char* end, float* value) {
    return scanFloatImpl<true>(p, end, value);
}

const char* skipFloat(const char* p, const char* end) {
    return scanFloatImpl<false>(p, end, nullptr);
}

const char* scanInt(const char* p, const char* end, int32_t* value) {
    while (p < end && isScanSpace(*p))
        ++p;
    if (p == end)
        return nullptr;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (p == end || !isDigit(*p))
        return nullptr;
    int64_t v = 0;
    for (; p < end && isDigit(*p); ++p)
        if (v <= int64_t(1) << 32)
            v = v * 10 + (*p - '0');
    if (negative)
        v = -v;
    if (v > std::numeric_limits<int32_t>::max())
        v = std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min())
        v = std::numeric_limits<int32_t>::min();
    *value = static_cast<int32_t>(v);
    return p;
}

} // namespace tessoid::obj
