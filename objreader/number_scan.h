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

} // namespace tessoid::obj
