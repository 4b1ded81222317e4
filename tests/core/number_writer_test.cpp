#include "core/number_writer.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "core/number_reader.h"
#include "tests/support/test_support.h"

namespace {

double from_bits(uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string fixed(double value, int precision, int width) {
    char text[core::fixed_text_size];
    return std::string(text, core::format_fixed(text, value, precision, width));
}

// What glibc's printf writes for "%f", "%10.1f" and "%11.6f": ties to
// even on the exact binary value, negative zero, padding, infinities and
// NaN with their sign. The same bytes are expected on every system.
TEST(FormatFixed, WritesWhatTheReferencePrintfWrites) {
    const struct {
        uint64_t bits;
        int precision;
        int width;
        const char* text;
    } cases[] = {
        {0x0000000000000000, 6, 0, "0.000000"},
        {0x8000000000000000, 6, 0, "-0.000000"},
        {0x8000000000000000, 1, 10, "      -0.0"},
        {0x4014000000000000, 6, 0, "5.000000"},
        {0x408f400000000000, 6, 0, "1000.000000"},
        {0x3fc0000000000000, 6, 0, "0.125000"},
        {0x3fd8000000000000, 6, 0, "0.375000"},
        {0x3e90c6f7a0b5ed8d, 6, 0, "0.000000"},
        {0x3ea0c6f7a0b5ed8d, 6, 0, "0.000000"},
        {0xbea0c6f7a0b5ed8d, 6, 0, "-0.000000"},
        {0x3ff000008637bd06, 6, 0, "1.000001"},
        {0x3fa999999999999a, 6, 0, "0.050000"},
        {0x3fa999999999999a, 1, 10, "       0.1"},
        {0x404b83e92d55a3a1, 6, 0, "55.030554"},
        {0xc051900000000000, 6, 0, "-70.250000"},
        {0xc051900000000000, 6, 11, " -70.250000"},
        {0x3ff8000000000000, 6, 0, "1.500000"},
        {0x3ff8000000000000, 6, 11, "   1.500000"},
        {0x4028b0fcc5b8dc55, 6, 0, "12.345678"},
        {0x408f3fffffbce421, 6, 0, "999.999999"},
        {0x408f3fffffbce421, 6, 11, " 999.999999"},
        {0xc058fffffde7210c, 6, 0, "-100.000000"},
        {0xc058fffffde7210c, 6, 11, "-100.000000"},
        {0x444b1ae4d6e2ef50, 6, 0, "1000000000000000000000.000000"},
        {0x4480f0cf064dd592, 6, 0, "10000000000000000000000.000000"},
        {0x44ba249b1f10a06d, 6, 0, "123456789012345685803008.000000"},
        {0x0000000000000001, 6, 0, "0.000000"},
        {0x3fb999999999999a, 6, 0, "0.100000"},
        {0x3fee666666666666, 6, 0, "0.950000"},
        {0x3fee666666666666, 1, 10, "       0.9"},
        {0x3fd0000000000000, 6, 0, "0.250000"},
        {0x3fd0000000000000, 1, 10, "       0.2"},
        {0x3fd6666666666666, 6, 0, "0.350000"},
        {0x3fd6666666666666, 1, 10, "       0.3"},
        {0x4005666666666666, 6, 0, "2.675000"},
        {0x3e7ad7f29abcaf48, 6, 0, "0.000000"},
        {0xbe7ad7f29abcaf48, 6, 0, "-0.000000"},
        {0x406bce6666666666, 6, 0, "222.450000"},
        {0x406bce6666666666, 1, 10, "     222.4"},
        {0x406bcb3333333333, 6, 0, "222.350000"},
        {0x406bcb3333333333, 1, 10, "     222.3"},
        {0x409d9bcccccccccd, 6, 0, "1894.950000"},
        {0x409d9bcccccccccd, 1, 10, "    1895.0"},
        {0x416312cffe666666, 6, 0, "9999999.950000"},
        {0x416312cffe666666, 1, 10, " 9999999.9"},
        {0x7ff0000000000000, 6, 0, "inf"},
        {0x7ff0000000000000, 1, 10, "       inf"},
        {0xfff0000000000000, 6, 0, "-inf"},
        {0xfff0000000000000, 6, 11, "       -inf"},
        {0x7ff8000000000000, 6, 0, "nan"},
        {0x7ff8000000000000, 1, 10, "       nan"},
        {0xfff8000000000000, 6, 0, "-nan"},
        {0xfff8000000000000, 1, 10, "      -nan"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, fixed(from_bits(c.bits), c.precision, c.width))
            << std::hexfloat << from_bits(c.bits) << " " << c.precision << " " << c.width;
    }
    std::string largest = fixed(1.7976931348623157e308, 6, 0);
    EXPECT_EQ(316u, largest.size());
    EXPECT_EQ("17976931348623157081452742373170435679807056752584499659891747680315726078",
              largest.substr(0, 74));
    EXPECT_EQ(".000000", largest.substr(309));
}

TEST(FormatInteger, PadsWithBlanksOrZeros) {
    const struct {
        long long value;
        int width;
        bool zero_fill;
        const char* text;
    } cases[] = {
        {0, 6, false, "     0"},         {253, 6, false, "   253"},  {-12, 6, false, "   -12"},
        {1234567, 6, false, "1234567"},  {1, 6, true, "000001"},    {999999, 6, true, "999999"},
        {1000000, 6, true, "1000000"},   {-12, 6, true, "-00012"},  {-2147483648LL, 0, false, "-2147483648"},
    };
    for (const auto& c : cases) {
        char text[core::integer_text_size];
        EXPECT_EQ(c.text, std::string(text, core::format_integer(text, c.value, c.width, c.zero_fill)));
    }
}

// Against the C library where it is glibc: random doubles of every
// magnitude, and decimals whose next digit is a 5, often a tie in binary.
TEST(FormatFixed, AgreesWithSnprintf) {
    if (!test_support::reference_libc) GTEST_SKIP() << "the C library here is not the reference";
    std::mt19937_64 random(8122026);
    const char* formats[] = {"%f", "%10.1f", "%10.6f", "%11.6f"};
    const int precisions[] = {6, 1, 6, 6}, widths[] = {0, 10, 10, 11};
    char expected[400];
    for (int i = 0; i < 1000000; ++i) {
        uint64_t bits = random();
        double value = from_bits(bits);
        if (i % 2 == 0) {
            value = static_cast<double>(static_cast<int64_t>(bits % 2000000000) - 1000000000) /
                    (i % 4 == 0 ? 2e6 : 20.0);
        }
        int f = static_cast<int>(bits >> 60) % 4;
        std::snprintf(expected, sizeof expected, formats[f], value);
        ASSERT_EQ(expected, fixed(value, precisions[f], widths[f])) << std::hexfloat << value;
    }
}

// Every precision the writer takes, on dyadic fractions, whose decimal
// expansions end in a 5 and so round as exact ties at some precision, and
// on random doubles of every magnitude.
TEST(FormatFixed, AgreesWithSnprintfAtEveryPrecision) {
    if (!test_support::reference_libc) GTEST_SKIP() << "the C library here is not the reference";
    std::mt19937_64 random(9122026);
    char expected[400];
    for (int i = 0; i < 200000; ++i) {
        uint64_t bits = random();
        int precision = static_cast<int>(bits % 18);
        int width = static_cast<int>((bits >> 8) % 21);
        double value = i % 2 == 0 ? std::ldexp(static_cast<double>(static_cast<int64_t>(bits >> 16) >>
                                                                   (bits >> 10) % 40),
                                              -static_cast<int>((bits >> 5) % 60))
                                  : from_bits(random());
        std::snprintf(expected, sizeof expected, "%*.*f", width, precision, value);
        ASSERT_EQ(expected, fixed(value, precision, width)) << std::hexfloat << value << " " << precision;
    }
}

std::string shortest(double value) {
    char text[core::shortest_text_size];
    return std::string(text, core::format_shortest(text, value));
}

// The shortest text that reads back exactly, in the shorter notation, the
// fixed one when both are as long.
TEST(FormatShortest, WritesTheShortestNotation) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0"},           {-0.0, "-0"},         {5.0, "5"},
        {1000.0, "1000"},     {0.1, "0.1"},         {-2.5, "-2.5"},
        {0.0001, "1e-04"},    {0.00012, "0.00012"}, {0.001, "0.001"},
        {1e15, "1e+15"},      {123456.0, "123456"}, {1.2e20, "1.2e+20"},
        {1e100, "1e+100"},    {5e-324, "5e-324"},   {1.7976931348623157e308, "1.7976931348623157e+308"},
        {0.30000000000000004, "0.30000000000000004"},
        {2000.5, "2000.5"},   {1e21, "1e+21"},      {123456789012.0, "123456789012"},
        {-1e-7, "-1e-07"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, shortest(c.value));
    EXPECT_EQ("inf", shortest(HUGE_VAL));
    EXPECT_EQ("-nan", shortest(-std::nan("")));
}

TEST(FormatShortest, ReadsBackExactlyAndNoShorterTextDoes) {
    std::mt19937_64 random(10122026);
    for (int i = 0; i < 200000; ++i) {
        double value = from_bits(random());
        if (!std::isfinite(value)) continue;
        std::string text = shortest(value);
        ASSERT_EQ(test_support::bits_of(value), test_support::bits_of(core::read_number(text.c_str())))
            << text;
        // One significant digit fewer never reads back as the same value.
        char fewer[40];
        std::string significant;
        for (char c : text.substr(0, text.find('e')))
            if (c >= '0' && c <= '9' && (c != '0' || !significant.empty())) significant += c;
        while (!significant.empty() && significant.back() == '0') significant.pop_back();
        int digits = static_cast<int>(significant.size());
        if (digits <= 1) continue;
        std::snprintf(fewer, sizeof fewer, "%.*e", digits - 2, value);
        ASSERT_NE(test_support::bits_of(value), test_support::bits_of(core::read_number(fewer)))
            << text << " " << fewer;
    }
}

}  // namespace
