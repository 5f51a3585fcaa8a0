// Fixed-point text of floats for the scene text: the same bytes as glibc's
// snprintf(buffer, size, "%0.4f", double(value)) for every float, at a fraction of its
// cost, and the same on every C runtime the plug-in is built for.
//
// That is: the exact binary value times 10^4, rounded to nearest with ties to even;
// a '-' whenever the sign bit is set, so -0.0 and negatives that round to zero give
// "-0.0000"; every integer digit of large values (FLT_MAX has 39); "inf", "-inf",
// "nan" and "-nan" (the sign of a NaN is its sign bit) for the values that are not
// finite.
#pragma once

#include <cstddef>

namespace tessoid {

// Longest text writeFixed4 writes: '-', the 39 digits of FLT_MAX, ".0000".
constexpr size_t FIXED4_MAX_LENGTH = 45;

// Writes the text of `value` at `out`, without a NUL, and returns the position after
// it. Needs FIXED4_MAX_LENGTH bytes of room at `out` whatever the value: the bytes
// between the returned end and out + FIXED4_MAX_LENGTH may be overwritten, as the
// short texts are stored in whole words.
char* writeFixed4(char* out, float value);

} // namespace tessoid
