// Differential target: the number scanners against the C library's "%g" and "%d" on the
// same text, for acceptance, extent and value bits, and the short-decimal path against
// scanFloat.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "objreader/number_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The library sees a C string: the text ends at the first NUL.
    const std::string text(reinterpret_cast<const char*>(data),
                           strnlen(reinterpret_cast<const char*>(data), size));
    const char* begin = text.c_str();
    const char* end = begin + text.size();

    float expected = 0;
    int consumed = -1;
    const int got = std::sscanf(begin, "%g%n", &expected, &consumed);
    float value = 0;
    const char* after = tessoid::obj::scanFloat(begin, end, &value);
    if (tessoid::obj::skipFloat(begin, end) != after)
        std::abort();
    if (got == 1) {
        if (!after || after - begin != consumed)
            std::abort();
        uint32_t a, b;
        std::memcpy(&a, &value, 4);
        std::memcpy(&b, &expected, 4);
        if (a != b)
            std::abort();
    } else if (after) {
        std::abort();
    }
    // The short-decimal path, where it takes the text, reads it as scanFloat does (the
    // string's NUL is the readable byte it stops on).
    float shortValue = 0;
    if (const char* shortAfter = tessoid::obj::scanShortDecimal(begin, &shortValue)) {
        if (shortAfter != after || std::memcmp(&shortValue, &value, 4) != 0)
            std::abort();
    }

    int expectedInt = 0;
    consumed = -1;
    const int gotInt = std::sscanf(begin, "%d%n", &expectedInt, &consumed);
    int32_t intValue = 0;
    const char* intAfter = tessoid::obj::scanInt(begin, end, &intValue);
    if (gotInt == 1) {
        if (!intAfter || intAfter - begin != consumed || intValue != expectedInt)
            std::abort();
    } else if (intAfter) {
        std::abort();
    }
    return 0;
}
