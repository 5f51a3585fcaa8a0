// Differential target: writeFixed4 against the C library's "%0.4f" for every 4-byte
// float pattern of the input, text and length.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tessoid/fixed_decimal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (size_t i = 0; i + 4 <= size; i += 4) {
        float value;
        std::memcpy(&value, data + i, sizeof(value));
        char expected[64];
        char got[tessoid::FIXED4_MAX_LENGTH]; // exact size, so that ASan sees any overrun
        const int length = std::snprintf(expected, sizeof(expected), "%0.4f", double(value));
        const char* end = tessoid::writeFixed4(got, value);
        if (end - got != length || std::memcmp(got, expected, static_cast<size_t>(length)) != 0)
            std::abort();
    }
    return 0;
}
