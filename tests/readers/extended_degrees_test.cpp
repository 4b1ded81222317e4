#include "readers/nmea/extended_degrees.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>

#include "tests/support/test_support.h"

namespace {

using test_support::bits_of;

// The bits x87 extended precision gives, on every system: the sentences'
// stated figures, one where plain double arithmetic differs, zeros,
// subnormal results and a sum that cancels.
TEST(DegreesFromMinutes, GivesTheExtendedPrecisionBits) {
    const struct {
        int whole_degrees;
        double minutes;
        uint64_t bits;
    } cases[] = {
        {48, 7.038, 0x40480f03afb7e910},     // 48.1173
        {11, 31.0, 0x4027088888888889},      // 11.516666666666667; doubles give ...888
        {33, 45.0, 0x4040e00000000000},      // 33.75
        {151, 12.0, 0x4062e66666666666},     // 151.2
        {99, 60.0, 0x4059000000000000},      // exactly 100
        {369, 60.0, 0x4077200000000000},     // exactly 370
        {99, 61.0, 0x4059011111111111},      // 100.01666666666667
        {55, 1.8318, 0x404b83e86833c600},
        {82, 55.2305, 0x4054bae99bc8d72d},
        {0, 59.999999999999996, 0x3fefffffffffffff},
        {7, 0.3, 0x401c051eb851eb85},
        {-5, 30.0, 0xc012000000000000},      // a sign in the degrees: -4.5
        {0, -0.0, 0x0000000000000000},       // +0, as 0 + -0 is
        {0, 5e-324, 0x0000000000000000},     // the smallest subnormal over 60 rounds to 0
        {0, 1e-310, 0x0000004e8adb7b4e},     // a subnormal result
        {-1, 60.0, 0x0000000000000000},      // cancels exactly to +0
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.bits, bits_of(nmea::degrees_from_minutes(c.whole_degrees, c.minutes)))
            << c.whole_degrees << " " << c.minutes;
    }
    EXPECT_TRUE(std::isnan(nmea::degrees_from_minutes(12, std::nan(""))));
    EXPECT_EQ(-INFINITY, nmea::degrees_from_minutes(12, -INFINITY));
}

// Where long double is the x87 format (x86-64, Linux and Windows alike),
// the hardware is the reference: minutes as NMEA writes them and random
// doubles of every magnitude. The long check of 10^8 inputs is under
// bench/.
TEST(DegreesFromMinutes, AgreesWithTheX87Unit) {
    if (std::numeric_limits<long double>::digits != 64)
        GTEST_SKIP() << "long double here is not the x87 extended format";
    std::mt19937_64 random(60);
    const long double one_sixtieth = 1.0L / 60.0L;
    for (int i = 0; i < 1000000; ++i) {
        uint64_t bits = random();
        int whole = static_cast<int>(bits % 1999) - 999;
        double minutes;
        if (i % 2 == 0) {
            minutes = static_cast<double>(random() % 600000000) / 1e7;
        } else {
            uint64_t other = random();
            std::memcpy(&minutes, &other, sizeof minutes);
            if (!std::isfinite(minutes)) continue;
        }
        double expected = static_cast<double>(whole + minutes * one_sixtieth);
        ASSERT_EQ(bits_of(expected), bits_of(nmea::degrees_from_minutes(whole, minutes)))
            << whole << " " << std::hexfloat << minutes;
    }
}

}  // namespace
