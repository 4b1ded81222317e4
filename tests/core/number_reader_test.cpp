#include "core/number_reader.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "tests/support/test_support.h"

namespace {

using test_support::bits_of;

// Texts and the bits glibc's strtod gives for them: blanks, signs, the
// plain fast path, long digit strings, ties, hexadecimal forms, subnormals,
// overflow and underflow, infinities and NaN with sign and payload. The
// same bits are expected on every system.
TEST(ReadNumber, GivesTheBitsOfTheReferenceReader) {
    const struct {
        std::string text;
        uint64_t bits;
    } cases[] = {
        {"0", 0x0000000000000000},
        {"-0", 0x8000000000000000},
        {"+0", 0x0000000000000000},
        {"55.123456", 0x404b8fcd67fd3f5b},
        {"  82.654321,0", 0x4054a9e065300581},
        {"\t-151.2", 0xc062e66666666666},
        {"4807.038", 0x40b2c709ba5e353f},
        {"07.038,N", 0x401c26e978d4fdf4},
        {"1.", 0x3ff0000000000000},
        {".5", 0x3fe0000000000000},
        {"-.5", 0xbfe0000000000000},
        {".", 0x0000000000000000},
        {"-", 0x0000000000000000},
        {"", 0x0000000000000000},
        {"abc", 0x0000000000000000},
        {"1e5", 0x40f86a0000000000},
        {"1.5E-3", 0x3f589374bc6a7efa},
        {"1e", 0x3ff0000000000000},
        {"1e+", 0x3ff0000000000000},
        {"0x1A", 0x403a000000000000},
        {"-0x10", 0xc030000000000000},
        {"0x", 0x0000000000000000},
        {"inf", 0x7ff0000000000000},
        {"-INFINITY", 0xfff0000000000000},
        {"infinit", 0x7ff0000000000000},
        {"nan", 0x7ff8000000000000},
        {"-nan", 0xfff8000000000000},
        {"NaN(123)", 0x7ff800000000007b},
        {"nan(0x1f)", 0x7ff800000000001f},
        {"nan(abc)", 0x7ff8000000000000},
        {"nan(", 0x7ff8000000000000},
        {"nan()", 0x7ff8000000000000},
        {"1,5", 0x3ff0000000000000},
        {"12345678901234567890.5", 0x43e56a95319d63e1},
        {"9007199254740993", 0x4340000000000000},
        {"9007199254740992.0", 0x4340000000000000},
        {"0.30000000000000004", 0x3fd3333333333334},
        {"123.4567890123456789", 0x405edd3c07fb4c99},
        {"1234567890123456789", 0x43b12210f47de981},
        {"0.0000000000000000000001", 0x3b5e392010175ee6},
        {"99.999999999999999999", 0x4059000000000000},
        {"00000000000000000000000001", 0x3ff0000000000000},
        {"3.14159265358979323846", 0x400921fb54442d18},
        {"179.99999991618097", 0x40667fffffd30000},
        {"0x1.8p3", 0x4028000000000000},
        {"0X1P-1074", 0x0000000000000001},
        {"0x1p-1075", 0x0000000000000000},
        {"0x1.8p-1075", 0x0000000000000001},
        {"+0xe1FFBp+-03", 0x412c3ff600000000},
        {"1e+-5", 0x3ff0000000000000},
        {"0x1p-+2", 0x3ff0000000000000},
        {"0x1.8p", 0x3ff8000000000000},
        {"2.5e-x", 0x4004000000000000},
        {"0x.8", 0x3fe0000000000000},
        {"0x.p1", 0x0000000000000000},
        {"0xg", 0x0000000000000000},
        {"0x-1", 0x0000000000000000},
        {"--5", 0x0000000000000000},
        {"+-5", 0x0000000000000000},
        {"+.5e1", 0x4014000000000000},
        {"1e309", 0x7ff0000000000000},
        {"-1e309", 0xfff0000000000000},
        {"1e-400", 0x0000000000000000},
        {"-1e-400", 0x8000000000000000},
        {"4.9406564584124654e-324", 0x0000000000000001},
        {"2.4703282292062327e-324", 0x0000000000000000},
        {"2.4703282292062328e-324", 0x0000000000000001},
        {"1.7976931348623157e308", 0x7fefffffffffffff},
        {"1.7976931348623158e308", 0x7fefffffffffffff},
        {"1.7976931348623159e308", 0x7ff0000000000000},
        {"2.2250738585072011e-308", 0x000fffffffffffff},
        {"2.2250738585072014e-308", 0x0010000000000000},
        {"0." + std::string(371, '0') + "1e400", 0x45c027e72f1f1281},
        {"1" + std::string(302, '0') + "e-300", 0x4059000000000000},
        {"0.1000000000000000055511151231257827021181583404541015625", 0x3fb999999999999a},
        {"0.1000000000000000055511151231257827021181583404541015624", 0x3fb999999999999a},
        {"5e-324x", 0x0000000000000001},
        {" \n\v\f\r1", 0x3ff0000000000000},
        {"1e99999999999999999999", 0x7ff0000000000000},
        {"1e-99999999999999999999", 0x0000000000000000},
        {"0e99999", 0x0000000000000000},
        {"2.5e+1", 0x4039000000000000},
        {"12.5e-1", 0x3ff4000000000000},
        {"0x1.00000000000008p0", 0x3ff0000000000000},
        {"0x1.00000000000018p0", 0x3ff0000000000002},
        {"0x1.000000000000080000001p0", 0x3ff0000000000001},
        {"0x1.fffffffffffff8p1023", 0x7ff0000000000000},
        {"0x1.fffffffffffff7ffp1023", 0x7fefffffffffffff},
        {"0x0.00000000000008p-1022", 0x0000000000000000},
        {"0x0.000000000000080001p-1022", 0x0000000000000001},
        {"0x0.00000000000018p-1022", 0x0000000000000002},
        {"0x0.fffffffffffff8p-1022", 0x0010000000000000},
        {"0x123456789abcdef0123456789p-100", 0x3fb23456789abcdf},
        {"0x0000000000000000000001p0", 0x3ff0000000000000},
        {"0x1p99999999999", 0x7ff0000000000000},
        {"0x1p-99999999999", 0x0000000000000000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.bits, bits_of(core::read_number(c.text.c_str()))) << c.text;
    }
}

// The C library as the reference, where it is glibc: the bits compared,
// NaN included with its sign and payload.
class ReadNumberAgainstStrtod : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test_support::reference_libc) GTEST_SKIP() << "the C library here is not the reference";
    }
    static void expect_same(const char* text) {
        ASSERT_EQ(bits_of(std::strtod(text, nullptr)), bits_of(core::read_number(text))) << text;
    }
};

TEST_F(ReadNumberAgainstStrtod, Coordinates) {
    char text[32];
    unsigned state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        int digits = 1 + state % 9;
        std::snprintf(text, sizeof text, "%.*f", digits, (state >> 8) / 46603.0 - 180.0);
        expect_same(text);
    }
}

// Random doubles printed with 17 significant digits and with fewer (near
// ties), in hexadecimal, tiny and subnormal values, and long random digit
// strings with exponents from the subnormals to past the largest double.
TEST_F(ReadNumberAgainstStrtod, RandomDoublesAndDigitStrings) {
    std::mt19937_64 random(20261208);
    char text[512];
    for (int i = 0; i < 1000000; ++i) {
        uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        int choice = i % 5;
        if (choice == 0) {
            std::snprintf(text, sizeof text, "%.17g", value);
        } else if (choice == 1) {
            std::snprintf(text, sizeof text, "%.*g", 15 + static_cast<int>(bits % 12), value);
        } else if (choice == 2) {
            std::snprintf(text, sizeof text, "%a", value);
        } else if (choice == 3) {
            double tiny = std::ldexp(static_cast<double>(bits >> 11), -1074 - static_cast<int>(bits % 64));
            std::snprintf(text, sizeof text, "%.*e", static_cast<int>(bits % 30), tiny);
        } else {
            int position = 0;
            if (bits & 1) text[position++] = '-';
            for (int d = 1 + static_cast<int>(random() % 60); d > 0; --d)
                text[position++] = static_cast<char>('0' + random() % 10);
            if (bits & 2)
                position += std::snprintf(text + position, 16, "e%d", static_cast<int>(random() % 700) - 380);
            text[position] = 0;
            if (bits & 4) text[1 + (bits & 1)] = '.';
        }
        expect_same(text);
    }
}

// Hexadecimal digit strings of every length, with and without a point,
// and exponents from below the subnormals to past the largest double: the
// rounding of the digits that do not fit, ties among them.
TEST_F(ReadNumberAgainstStrtod, HexadecimalDigitStrings) {
    std::mt19937_64 random(9122026);
    const char hex[] = "0123456789abcdef";
    char text[128];
    for (int i = 0; i < 200000; ++i) {
        uint64_t choice = random();
        int position = 0;
        if (choice & 1) text[position++] = '-';
        text[position++] = '0';
        text[position++] = 'x';
        int digits = 1 + static_cast<int>(random() % 40);
        int point = (choice & 2) ? static_cast<int>(random() % digits) : -1;
        for (int d = 0; d < digits; ++d) {
            if (d == point) text[position++] = '.';
            // Runs of 0 and f, and an 8 after them, make ties and near ties.
            uint64_t kind = random() % 8;
            text[position++] = kind < 3 ? '0' : kind < 5 ? 'f' : kind < 6 ? '8' : hex[random() % 16];
        }
        position += std::snprintf(text + position, 24, "p%d", static_cast<int>(random() % 2300) - 1200);
        text[position] = 0;
        expect_same(text);
    }
}

}  // namespace
