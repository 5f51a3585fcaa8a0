// writeFixed4 against glibc's snprintf "%0.4f", byte for byte: every float of the
// binades real coordinates live in, samples of all the others, and random bit patterns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "tessoid/fixed_decimal.h"

using tessoid::FIXED4_MAX_LENGTH;
using tessoid::writeFixed4;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool SANITIZED = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool SANITIZED = true;
#else
constexpr bool SANITIZED = false;
#endif
#else
constexpr bool SANITIZED = false;
#endif

// Volumes. glibc takes 150 to 800 ns a number, so all floats of the dense binades and
// 10^8 random patterns cost five minutes of CPU, too much for every test run; by default
// the binades where rounding turns are checked float by float and the others sampled
// (odd strides, to meet every low-bit pattern). Sanitized builds, which CI runs as well, sample
// throughout. TESSOID_FLOAT_CHECK=full in the environment checks it all.
// The dense binades, 2^-17 < 10^-5 to 2^17 > 10^5; below them all prints as a signed
// zero.
bool volumeIs(const char* name) {
    const char* volume = std::getenv("TESSOID_FLOAT_CHECK");
    return volume && std::strcmp(volume, name) == 0;
}
bool fullVolume() {
    return volumeIs("full");
}
// TESSOID_FLOAT_CHECK=sampled takes the sanitized builds' volume, for runs under an
// emulator, where the C library's formatting is ten times as slow.
const bool SAMPLED = SANITIZED || volumeIs("sampled");

constexpr int DENSE_LOW_EXPONENT = -17;
constexpr int DENSE_HIGH_EXPONENT = 16;
// The first ties (1/32), 9.99995 carrying into 10.0000, and the step from 32- to
// 64-bit arithmetic at 429,496.7296 with the last ties.
constexpr int TURNING_BINADES[] = {-5, 3, 18};
const uint32_t TURNING_STRIDE = SAMPLED ? 15 : 1;
const uint32_t DENSE_STRIDE = SAMPLED ? 331 : 67;
const uint32_t SPARSE_STRIDE = SAMPLED ? 16381 : 1021; // every other binade
const uint32_t TIE_STRIDE = SAMPLED ? 31 : 7;
const uint32_t DECIMAL_HALVES = SAMPLED ? 100000 : 1000000;
const uint64_t RANDOM_PATTERNS = SAMPLED ? 2000000 : 10000000;
constexpr uint64_t FULL_RANDOM_PATTERNS = 100000000;

float fromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

uint32_t toBits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

std::string reference(float value) {
    char text[64];
    const int length = std::snprintf(text, sizeof(text), "%0.4f", double(value));
    return std::string(text, static_cast<size_t>(length));
}

std::string formatted(float value) {
    char text[FIXED4_MAX_LENGTH];
    return std::string(text, writeFixed4(text, value));
}

bool agrees(uint32_t bits) {
    const float value = fromBits(bits);
    char expected[64];
    char got[FIXED4_MAX_LENGTH]; // exact size, so that ASan sees any overrun
    const int length = std::snprintf(expected, sizeof(expected), "%0.4f", double(value));
    const char* end = writeFixed4(got, value);
    return end - got == length && std::memcmp(got, expected, static_cast<size_t>(length)) == 0;
}

struct Outcome {
    uint64_t checked = 0;
    uint64_t differing = 0;
    uint32_t first = 0; // the differing pattern of the lowest index
};

// Compares patternAt(0) .. patternAt(count - 1), split over the cores.
template <typename PatternAt> Outcome compareAll(uint64_t count, PatternAt patternAt) {
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, 16u);
    std::vector<Outcome> parts(workers);
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w)
        threads.emplace_back([&, w] {
            Outcome& part = parts[w];
            for (uint64_t i = count * w / workers; i < count * (w + 1) / workers; ++i) {
                const uint32_t bits = patternAt(i);
                ++part.checked;
                if (!agrees(bits) && part.differing++ == 0)
                    part.first = bits;
            }
        });
    Outcome all;
    for (unsigned w = 0; w < workers; ++w) {
        threads[w].join();
        all.checked += parts[w].checked;
        if (parts[w].differing && !all.differing)
            all.first = parts[w].first;
        all.differing += parts[w].differing;
    }
    return all;
}

::testing::AssertionResult noneDiffer(const Outcome& outcome) {
    if (outcome.checked == 0)
        return ::testing::AssertionFailure() << "nothing checked";
    if (outcome.differing == 0)
        return ::testing::AssertionSuccess();
    char bits[16];
    std::snprintf(bits, sizeof(bits), "0x%08x", static_cast<unsigned>(outcome.first));
    const float value = fromBits(outcome.first);
    return ::testing::AssertionFailure()
           << outcome.differing << " of " << outcome.checked << " differ; first " << bits
           << ": snprintf \"" << reference(value) << "\", writeFixed4 \"" << formatted(value)
           << "\"";
}

// Both signs of every stride-th float with a binary exponent in [low, high]; 128 for
// infinities and NaNs.
Outcome compareBinades(int low, int high, uint32_t stride) {
    const uint32_t begin = static_cast<uint32_t>(low + 127) << 23;
    const uint32_t end = static_cast<uint32_t>(high + 128) << 23;
    const uint64_t perSign = (end - begin + stride - 1) / stride;
    return compareAll(2 * perSign, [=](uint64_t i) {
        const uint32_t sign = i < perSign ? 0 : 0x80000000u;
        return sign | (begin + static_cast<uint32_t>(i % perSign) * stride);
    });
}

} // namespace

TEST(FixedDecimal, KnownTextsOfTiesCarriesSignsAndExtremes) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {0.03125f, "0.0312"}, // exact ties go to the even neighbour
        {0.09375f, "0.0938"},
        {-0.15625f, "-0.1562"},
        {1.03125f, "1.0312"},
        {0.00005f, "0.0000"},                       // the float is just below the half...
        {std::nextafter(0.00005f, 1.0f), "0.0001"}, // ...its successor above it
        {9.99995f, "10.0000"},
        {-99.99996f, "-100.0000"},
        {0.0f, "0.0000"},
        {-0.0f, "-0.0000"},
        {-1e-6f, "-0.0000"},
        {-FLT_TRUE_MIN, "-0.0000"},
        {429496.71875f, "429496.7188"}, // a tie just below 2^32 ten-thousandths
        {429496.75f, "429496.7500"},
        {500000.03125f, "500000.0312"},
        {16777216.0f, "16777216.0000"},
        {1e10f, "10000000000.0000"},
        {1e18f, "999999984306749440.0000"},
        {FLT_MAX, "340282346638528859811704183484516925440.0000"},
        {-FLT_MAX, "-340282346638528859811704183484516925440.0000"},
        {inf, "inf"},
        {-inf, "-inf"},
        {nan, "nan"},
        {std::copysign(nan, -1.0f), "-nan"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatted(c.value), c.text);
        EXPECT_EQ(reference(c.value), c.text) << "not the C library this text copies";
    }
}

TEST(FixedDecimal, EveryFloatOfTheBinadesWhereRoundingTurns) {
    for (int exponent : TURNING_BINADES)
        EXPECT_TRUE(
            noneDiffer(compareBinades(exponent, exponent, fullVolume() ? 1 : TURNING_STRIDE)))
            << "binade 2^" << exponent;
}

TEST(FixedDecimal, BinadesFromTenToTheMinusFiveToTenToTheFive) {
    const uint32_t stride = fullVolume() ? 1 : DENSE_STRIDE;
    EXPECT_TRUE(noneDiffer(compareBinades(DENSE_LOW_EXPONENT, DENSE_HIGH_EXPONENT, stride)));
}

// Ties need five fraction bits: the odd multiples of 1/32 below 2^19, and the floats
// next to them.
TEST(FixedDecimal, EveryTieAndItsNeighbours) {
    const uint64_t ties = (uint64_t(1) << 23) / TIE_STRIDE;
    EXPECT_TRUE(noneDiffer(compareAll(3 * ties, [=](uint64_t i) {
        const float tie = float(2 * (i / 3) * TIE_STRIDE + 1) / 32;
        const uint32_t bits = toBits(tie) + static_cast<uint32_t>(i % 3) - 1;
        return i % 2 ? bits | 0x80000000u : bits;
    })));
}

// The floats nearest to n + 0.00005 steps, two either side, where an inexact
// rounding goes wrong.
TEST(FixedDecimal, FloatsAroundDecimalHalves) {
    EXPECT_TRUE(noneDiffer(compareAll(5 * uint64_t(DECIMAL_HALVES), [](uint64_t i) {
        const float near = float(double(2 * (i / 5) + 1) / 20000);
        const uint32_t bits = toBits(near) + static_cast<uint32_t>(i % 5) - 2;
        return i % 2 ? bits | 0x80000000u : bits;
    })));
}

TEST(FixedDecimal, SampledOtherBinadesInfinitiesAndNaNs) {
    EXPECT_TRUE(noneDiffer(compareBinades(-127, DENSE_LOW_EXPONENT - 1, SPARSE_STRIDE)));
    EXPECT_TRUE(noneDiffer(compareBinades(DENSE_HIGH_EXPONENT + 1, 128, SPARSE_STRIDE)));
    // Each binade's ends, and the floats around powers of ten, where the digit count
    // and the nine-digit groups of large values change.
    std::vector<uint32_t> edges;
    for (uint32_t exponent = 0; exponent < 256; ++exponent)
        for (uint32_t m = 0; m < 64; ++m) {
            edges.push_back(exponent << 23 | m);
            edges.push_back(exponent << 23 | (0x7FFFFF - m));
        }
    for (int power = -5; power <= 38; ++power)
        for (int step = -16; step <= 16; ++step)
            edges.push_back(toBits(std::pow(10.0f, float(power))) + static_cast<uint32_t>(step));
    EXPECT_TRUE(noneDiffer(compareAll(
        2 * edges.size(), [&](uint64_t i) { return edges[i / 2] | (i % 2 ? 0x80000000u : 0); })));
}

TEST(FixedDecimal, RandomBitPatterns) {
    const uint64_t patterns = fullVolume() ? FULL_RANDOM_PATTERNS : RANDOM_PATTERNS;
    EXPECT_TRUE(noneDiffer(compareAll(patterns, [](uint64_t i) {
        uint64_t z = (i + 1) * 0x9E3779B97F4A7C15ull; // splitmix64
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<uint32_t>(z ^ (z >> 31));
    })));
}
