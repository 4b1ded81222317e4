// Arguments for checking the correctly rounded functions against MPFR:
// spread over each function's domain and packed where rounding is hard.
#ifndef TESTS_SUPPORT_CR_MATH_ARGUMENTS_H
#define TESTS_SUPPORT_CR_MATH_ARGUMENTS_H

#include <cstdint>
#include <cstring>
#include <random>

namespace test_support {

inline double from_bits_of(uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A double uniform in [0, 1) with all 53 bits random.
inline double unit(std::mt19937_64& random) { return static_cast<double>(random() >> 11) * 0x1p-53; }

// 2^-k for k in [0, bits), exactly.
inline double power_below_one(std::mt19937_64& random, int bits) {
    return from_bits_of(static_cast<uint64_t>(1023 - static_cast<int>(random() % bits)) << 52);
}

// One argument of sin, cos or tan in [-16, 16], drawn in turn from:
// the whole interval; magnitudes spread evenly over every binade down to
// the subnormals; the neighbourhood (a few ulps to 2^-20) of a multiple of
// pi/2 (pi included); random bit patterns of the right size.
inline double trig_argument(std::mt19937_64& random, uint64_t index) {
    double sign = random() & 1 ? -1.0 : 1.0;
    switch (index % 4) {
    case 0: return (unit(random) * 2.0 - 1.0) * 16.0;
    case 1: {
        // Binades from 2^3 down to the smallest subnormal.
        int binade = static_cast<int>(random() % 1078);
        uint64_t bits = binade < 1026 ? static_cast<uint64_t>(1026 - binade) << 52 | (random() >> 12)
                                      : random() >> (12 + binade - 1026);
        return sign * from_bits_of(bits);
    }
    case 2: {
        static const double half_pi = 1.5707963267948966;
        double multiple = static_cast<double>(1 + random() % 10) * half_pi;
        uint64_t bits;
        std::memcpy(&bits, &multiple, sizeof bits);
        int64_t step = static_cast<int64_t>(random() % 2001) - 1000;
        if (random() & 1) step *= static_cast<int64_t>(random() % (1 << 20));
        return sign * from_bits_of(bits + static_cast<uint64_t>(step));
    }
    default: {
        uint64_t bits = random() & 0x000fffffffffffff;
        bits |= static_cast<uint64_t>(1023 - 40 + static_cast<int>(random() % 44)) << 52;
        return sign * from_bits_of(bits);
    }
    }
}

// One argument of cr_sin_cos as the readers give it, a latitude in
// radians, drawn in turn from: every latitude up to 100 degrees; the
// neighbourhood of pi/4, where the latitude path turns to pi/2 - |x|; the
// neighbourhood of pi/2, where it hands over to the general reduction;
// and any argument of sin and cos.
inline double latitude_argument(std::mt19937_64& random, uint64_t index) {
    double sign = random() & 1 ? -1.0 : 1.0;
    switch (index % 4) {
    case 0: return (unit(random) * 2.0 - 1.0) * 1.7453292519943295;
    case 1:
    case 2: {
        double centre = index % 4 == 1 ? 0.78539816339744828 : 1.5707963267948966;
        uint64_t bits;
        std::memcpy(&bits, &centre, sizeof bits);
        int64_t step = static_cast<int64_t>(random() % 2001) - 1000;
        if (random() & 1) step *= static_cast<int64_t>(random() % (1 << 24));
        return sign * from_bits_of(bits + static_cast<uint64_t>(step));
    }
    default: return trig_argument(random, index / 4);
    }
}

// One argument of acos in [-1, 1], drawn in turn from: the whole interval;
// just below 1 and just above -1, 2^-1 to 2^-53 away; near 0, every binade
// down to the subnormals; random bit patterns below 1.
inline double acos_argument(std::mt19937_64& random, uint64_t index) {
    double sign = random() & 1 ? -1.0 : 1.0;
    switch (index % 4) {
    case 0: return unit(random) * 2.0 - 1.0;
    case 1: {
        double distance = power_below_one(random, 53) * (1.0 + unit(random));
        double x = 1.0 - distance * 0.5;
        return sign * x;
    }
    case 2: {
        int binade = static_cast<int>(random() % 1074);
        uint64_t bits = binade < 1022 ? static_cast<uint64_t>(1022 - binade) << 52 | (random() >> 12)
                                      : random() >> (12 + binade - 1022);
        return sign * from_bits_of(bits);
    }
    default: {
        uint64_t bits = random() & 0x000fffffffffffff;
        bits |= static_cast<uint64_t>(1022 - static_cast<int>(random() % 30)) << 52;
        return sign * from_bits_of(bits);
    }
    }
}

}  // namespace test_support

#endif
