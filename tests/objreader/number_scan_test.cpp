#include "objreader/number_scan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using tessoid::obj::scanFloat;
using tessoid::obj::scanInt;
using tessoid::obj::scanShortDecimal;
using tessoid::obj::skipFloat;

namespace {

uint32_t bitsOf(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

// Compares the scanner with the C library's "%g" on one text: acceptance, extent, value bits.
void expectSameAsLibrary(const std::string& text) {
    float expected = 0;
    int consumed = -1;
    const int got = std::sscanf(text.c_str(), "%g%n", &expected, &consumed);
    float value = 0;
    const char* end = scanFloat(text.data(), text.data() + text.size(), &value);
    const char* formEnd = skipFloat(text.data(), text.data() + text.size());
    EXPECT_EQ(end, formEnd) << '"' << text << '"';
    if (got == 1) {
        ASSERT_NE(end, nullptr) << '"' << text << '"';
        EXPECT_EQ(end - text.data(), consumed) << '"' << text << '"';
        EXPECT_EQ(bitsOf(value), bitsOf(expected))
            << '"' << text << "\" " << value << " vs " << expected;
    } else {
        EXPECT_EQ(end, nullptr) << '"' << text << '"';
    }
}

} // namespace

TEST(ScanFloat, KnownValuesAndExtents) {
    struct Case {
        const char* text;
        float value;
        int consumed;
    } cases[] = {
        {"1.5", 1.5f, 3},
        {"  -2.25e1x", -22.5f, 9},
        {"1e+x", 1.0f, 3},
        {"0x1.8p1/", 3.0f, 7},
        {"0x.", 0.0f, 3},
        {"5e5e5", 500000.0f, 3},
        {"1..5", 1.0f, 2},
        {".5", 0.5f, 2},
        {"16777217", 16777216.0f, 8},
        {"16777219", 16777220.0f, 8},
        {"1e40", INFINITY, 4},
        {"-1e-50", -0.0f, 6},
        {"infinity!", INFINITY, 8},
        {"-InFx", -INFINITY, 4},
    };
    for (const Case& c : cases) {
        float v = 0;
        const char* end = scanFloat(c.text, c.text + std::strlen(c.text), &v);
        ASSERT_NE(end, nullptr) << c.text;
        EXPECT_EQ(end - c.text, c.consumed) << c.text;
        EXPECT_EQ(bitsOf(v), bitsOf(c.value)) << c.text;
    }
    float v = 0;
    const char* nanText = "-nan(1)";
    ASSERT_EQ(scanFloat(nanText, nanText + 7, &v), nanText + 4);
    EXPECT_TRUE(std::isnan(v) && std::signbit(v));
}

TEST(ScanFloat, Rejections) {
    for (const char* text : {"", "   ", "-", "+", ".", "-.", ".e5", "0x", "-0xp1", "e5", "infi",
                             "infinite", "na", "+-1", "/1", "#"}) {
        float v = 42;
        EXPECT_EQ(scanFloat(text, text + std::strlen(text), &v), nullptr) << '"' << text << '"';
        EXPECT_EQ(v, 42) << text;
    }
}

TEST(ScanFloat, StopsAtTheGivenEnd) {
    const char text[] = "12345";
    float v = 0;
    EXPECT_EQ(scanFloat(text, text + 2, &v), text + 2);
    EXPECT_EQ(v, 12.0f);
    EXPECT_EQ(scanFloat(text, text, &v), nullptr);
}

TEST(ScanFloat, MatchesTheLibraryOnAdversarialTexts) {
    for (const char* text : {"0",
                             "-0",
                             "0.0000000000000000000000000000000000000000000014",
                             "1.4e-45",
                             "7.006e-46",
                             "7.0064923216240862e-46",
                             "7.0064923216240861e-46",
                             "1.1754943e-38",
                             "1.17549428e-38",
                             "3.4028235e38",
                             "3.40282357e38",
                             "3.4028236e38",
                             "340282356779733661637539395458142568448",
                             "0.1",
                             "0.3",
                             "2.5000000000000000001",
                             "8.589973e9",
                             "4.294967296e9",
                             "9007199254740993",
                             "123456789012345678901234567890",
                             "1e-22",
                             "1e22",
                             "1e23",
                             "0.000001",
                             "1.00000005960464477539062",
                             "1.000000059604644775390625",
                             "1.0000000596046447753906251",
                             "33554431",
                             "33554433",
                             "0x1p-149",
                             "0x1.fffffep127",
                             "0x1.ffffffp127",
                             "0xAp-1x",
                             "0X1P-2",
                             "-0x1p",
                             "nAn",
                             "INFINITY",
                             "1e999999999999",
                             "1e-999999999999",
                             "\v\f\r\n 7",
                             "12e",
                             "12e-",
                             "0e",
                             "00x1"})
        expectSameAsLibrary(text);
}

TEST(ScanFloat, MatchesTheLibraryOnRandomDecimals) {
    std::mt19937 rng(2024);
    char buffer[64];
    for (int i = 0; i < 200000; ++i) {
        // Mix of OBJ-like fixed-point numbers and scientific ones around the float range ends.
        const uint32_t pick = rng() % 5;
        if (pick == 0) {
            std::snprintf(buffer, sizeof buffer, "%.6f",
                          std::ldexp(double(rng()) - 2147483648.0, -int(rng() % 40)));
        } else if (pick == 1) {
            std::snprintf(buffer, sizeof buffer, "%.*e", int(rng() % 20),
                          std::ldexp(double(rng() | 1), int(rng() % 300) - 180));
        } else if (pick == 2) {
            // Midpoints between neighbouring floats, printed exactly enough to hit ties.
            float f;
            const uint32_t bits = rng() & 0x7f7fffff;
            std::memcpy(&f, &bits, 4);
            std::snprintf(buffer, sizeof buffer, "%.17g",
                          (double(f) + double(std::nextafter(f, INFINITY))) / 2);
        } else if (pick == 3) {
            std::snprintf(buffer, sizeof buffer, "%u.%u", static_cast<unsigned>(rng() % 100000),
                          static_cast<unsigned>(rng()));
        } else {
            // Mantissas below 2^24 with one to ten fraction digits, which round without
            // a halfway check: the digits of w with the point k places from the end.
            const uint32_t w = rng() % (uint32_t(1) << 24);
            const int k = 1 + int(rng() % 10);
            std::string digits = std::to_string(w);
            if (int(digits.size()) <= k)
                digits.insert(0, size_t(k) + 1 - digits.size(), '0');
            digits.insert(digits.size() - size_t(k), ".");
            std::snprintf(buffer, sizeof buffer, "%s%s", rng() % 2 ? "-" : "", digits.c_str());
        }
        expectSameAsLibrary(buffer);
        if (HasFailure())
            return;
    }
}

// The short path gives scanFloat's extent and value bits for what it takes, and takes the
// common vertex coordinates.
TEST(ScanShortDecimal, TakesCommonCoordinatesAsScanFloatReadsThem) {
    std::mt19937 rng(77);
    std::vector<std::string> texts = {"0.059426", "-12.5", " \t-.5", "+3.25",    "-0.000000",
                                      "1.5 2",    "1.2.3", "0.1x",   "1234.5678"};
    char buffer[64];
    for (int i = 0; i < 100000; ++i) {
        std::snprintf(buffer, sizeof buffer, "%s%.*f", rng() % 2 ? " " : "", int(1 + rng() % 9),
                      std::ldexp(double(rng()) - 2147483648.0, -int(rng() % 44)));
        texts.push_back(buffer);
    }
    int taken = 0;
    for (const std::string& text : texts) {
        float fast = 0;
        const char* fastEnd = scanShortDecimal(text.c_str(), &fast);
        if (!fastEnd)
            continue;
        ++taken;
        float value = 0;
        const char* end = scanFloat(text.data(), text.data() + text.size(), &value);
        ASSERT_EQ(fastEnd, end) << '"' << text << '"';
        ASSERT_EQ(bitsOf(fast), bitsOf(value)) << '"' << text << '"';
    }
    for (size_t i = 0; i < 9; ++i) {
        float value = 0;
        EXPECT_NE(scanShortDecimal(texts[i].c_str(), &value), nullptr) << texts[i];
    }
    EXPECT_GT(taken, 30000);
}

// What it can't settle alone it leaves to scanFloat: exponents, no fraction digits, ten
// digits or more, mantissas from 2^24 up, and anything but a plain decimal.
TEST(ScanShortDecimal, RefusesWhatItCannotSettle) {
    for (const char* text : {"1.5e3", "1.5E-3", "5.", "5", ".", "-", "1234567.890", "16777216.0",
                             "0.16777216", "nan", "inf", "0x1.8p1", "\v1.5", "--1.5", "#1.5", ""}) {
        float value = 0;
        EXPECT_EQ(scanShortDecimal(text, &value), nullptr) << '"' << text << '"';
    }
    float value = 0;
    EXPECT_NE(scanShortDecimal("1677721.5", &value), nullptr); // just below 2^24
    EXPECT_EQ(value, 1677721.5f);
}

TEST(ScanInt, AcceptanceAndSaturation) {
    int32_t v = 0;
    const char* text = " -42x";
    EXPECT_EQ(scanInt(text, text + 5, &v), text + 4);
    EXPECT_EQ(v, -42);
    text = "99999999999";
    EXPECT_EQ(scanInt(text, text + 11, &v), text + 11);
    EXPECT_EQ(v, 2147483647);
    for (const char* bad : {"", "-", "+x", "x1", ".5"})
        EXPECT_EQ(scanInt(bad, bad + std::strlen(bad), &v), nullptr) << bad;
}
