#include "core/number_reader.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

// The fast path must give strtod's bits for every text, and the fallback
// must take over wherever the fast path does not apply.
TEST(ReadNumber, AgreesWithStrtod) {
    const char* texts[] = {
        "0", "-0", "+0", "55.123456", "  82.654321,0", "\t-151.2", "4807.038", "07.038,N",
        "1.", ".5", "-.5", ".", "-", "", "abc", "1e5", "1.5E-3", "1e", "1e+", "0x1A", "-0x10",
        "0x", "inf", "-INFINITY", "nan", "NaN(123)", "1,5", "12345678901234567890.5",
        "9007199254740993", "9007199254740992.0", "0.30000000000000004", "123.4567890123456789",
        "1234567890123456789", "0.0000000000000000000001", "99.999999999999999999",
        "00000000000000000000000001", "3.14159265358979323846", "179.99999991618097",
    };
    for (const char* text : texts) {
        double expected = std::strtod(text, nullptr);
        double got = core::read_number(text);
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(got)) << text;
            continue;
        }
        EXPECT_EQ(expected, got) << text;
        EXPECT_EQ(std::signbit(expected), std::signbit(got)) << text;
    }
}

TEST(ReadNumber, AgreesWithStrtodOnManyCoordinates) {
    char text[32];
    unsigned state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        int digits = 1 + state % 9;
        std::snprintf(text, sizeof text, "%.*f", digits, (state >> 8) / 46603.0 - 180.0);
        ASSERT_EQ(std::strtod(text, nullptr), core::read_number(text)) << text;
    }
}

}  // namespace
