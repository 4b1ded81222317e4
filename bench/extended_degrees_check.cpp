// The long check of the NMEA minutes step against the x87 unit: COUNT
// inputs (default 10^8) compared bit for bit with long double arithmetic,
// on a machine where long double is the x87 extended format.
//   extended_degrees_check [COUNT] [SEED]
// A third of the inputs are minutes as receivers write them (1 to 7
// decimals), a third random doubles of every magnitude, and a third
// minutes whose product with 1/60 lies near a rounding boundary of the
// extended format.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

#include "readers/nmea/extended_degrees.h"

int main(int argc, char** argv) {
    if (std::numeric_limits<long double>::digits != 64) {
        std::printf("long double is not the x87 format here: nothing to compare\n");
        return 0;
    }
    long long count = argc > 1 ? std::atoll(argv[1]) : 100000000;
    std::mt19937_64 random(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1);
    const long double one_sixtieth = 1.0L / 60.0L;
    const double scale[] = {1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
    long long differ = 0, compared = 0;
    for (long long i = 0; i < count; ++i) {
        uint64_t bits = random();
        int whole = static_cast<int>(bits % 1999) - 999;
        if (i % 3 != 1) whole = static_cast<int>(bits % 181);
        double minutes;
        if (i % 3 == 0) {
            double s = scale[(bits >> 20) % 7];
            minutes = static_cast<double>(random() % static_cast<uint64_t>(60 * s)) / s;
        } else if (i % 3 == 1) {
            uint64_t other = random();
            std::memcpy(&minutes, &other, sizeof minutes);
            if (!std::isfinite(minutes)) continue;
        } else {
            // 60 * k * 2^-e for a random k with a 64-bit product: the
            // product then sits on or next to a 64-bit boundary.
            uint64_t k = random() >> 8;
            minutes = std::ldexp(static_cast<double>(k) + static_cast<double>(bits % 3) - 1.0, -50) * 60.0;
        }
        ++compared;
        double expected = static_cast<double>(whole + minutes * one_sixtieth);
        double got = nmea::degrees_from_minutes(whole, minutes);
        if (std::memcmp(&expected, &got, sizeof got) != 0) {
            if (differ < 10) std::printf("differ: %d %a: x87 %a, ours %a\n", whole, minutes, expected, got);
            ++differ;
        }
    }
    std::printf("%lld inputs compared, %lld differ\n", compared, differ);
    return differ == 0 ? 0 : 1;
}
