// The fixed point of the slow road: carries and borrows across limbs,
// truncation of products, quotients and shifts, exact doubles in, and
// doubles out rounded half to even with the check of an error bound.
#include "core/fixed_point.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace {

using core::fixed_point::Signed;
using core::fixed_point::Wide;

constexpr uint64_t all_ones = ~uint64_t{0};
constexpr uint64_t half = uint64_t{1} << 63;

template <int L>
void expect_limbs(const Wide<L>& expected, const Wide<L>& actual) {
    for (int i = 0; i < L; ++i) EXPECT_EQ(expected.limb[i], actual.limb[i]) << "limb " << i;
}

TEST(FixedPointSum, CarriesAndBorrowsRunAcrossEveryLimb) {
    Wide<3> below_one = {{all_ones, all_ones, 0}}, unit = {{1, 0, 0}}, one = {{0, 0, 1}};
    expect_limbs(one, core::fixed_point::add(below_one, unit));
    expect_limbs(below_one, core::fixed_point::subtract(one, unit));
    expect_limbs(Wide<3>{{0, 0, 0}}, core::fixed_point::subtract(one, one));
}

TEST(FixedPointSum, SignedSumsTakeTheSignOfTheLarger) {
    Signed<2> one = {{{0, 1}}, false}, minus_three = {{{0, 3}}, true};
    Signed<2> sum = core::fixed_point::add(one, minus_three);
    EXPECT_TRUE(sum.negative);
    expect_limbs(Wide<2>{{0, 2}}, sum.magnitude);
    sum = core::fixed_point::add(core::fixed_point::negate(minus_three), core::fixed_point::negate(one));
    EXPECT_FALSE(sum.negative);
    expect_limbs(Wide<2>{{0, 2}}, sum.magnitude);
    sum = core::fixed_point::add(minus_three, minus_three);
    EXPECT_TRUE(sum.negative);
    expect_limbs(Wide<2>{{0, 6}}, sum.magnitude);
}

TEST(FixedPointProduct, ExactWhereItFitsTruncatedBelowTheLastLimb) {
    Wide<2> one_and_half = {{half, 1}}, two_and_half = {{half, 2}};
    expect_limbs(Wide<2>{{half >> 1 | half, 3}}, core::fixed_point::multiply(one_and_half, two_and_half));
    // 2^-64 squared is 2^-128: below the last limb.
    expect_limbs(Wide<2>{{0, 0}}, core::fixed_point::multiply(Wide<2>{{1, 0}}, Wide<2>{{1, 0}}));
    // (1 - 2^-128) squared is 1 - 2^-127 + 2^-256, truncated.
    Wide<3> below_one = {{all_ones, all_ones, 0}};
    expect_limbs(Wide<3>{{all_ones - 1, all_ones, 0}}, core::fixed_point::multiply(below_one, below_one));
}

TEST(FixedPointQuotient, DividesEveryLimbAndTruncates) {
    expect_limbs(Wide<3>{{0x5555555555555555, 0x5555555555555555, 0}},
                 core::fixed_point::divide(Wide<3>{{0, 0, 1}}, 3));
    expect_limbs(Wide<2>{{0x2492492492492492, 1}}, core::fixed_point::divide(Wide<2>{{0, 8}}, 7));
}

TEST(FixedPointReciprocal, OneThirdToTheLastLimb) {
    Wide<4> third = core::fixed_point::reciprocal(Wide<4>{{0, 0, 0, 3}});
    EXPECT_EQ(0u, third.limb[3]);
    EXPECT_EQ(0x5555555555555555u, third.limb[2]);
    EXPECT_EQ(0x5555555555555555u, third.limb[1]);
    EXPECT_NEAR(static_cast<double>(0x5555555555555555u), static_cast<double>(third.limb[0]), 16.0);
}

TEST(FixedPointShift, BitsCrossLimbBoundaries) {
    expect_limbs(Wide<2>{{half, 0}}, core::fixed_point::shift_right(Wide<2>{{0, 1}}, 1));
    expect_limbs(Wide<2>{{1, 0}}, core::fixed_point::shift_right(Wide<2>{{0, 1}}, 64));
    expect_limbs(Wide<2>{{0, 0}}, core::fixed_point::shift_right(Wide<2>{{all_ones, 0}}, 64));
    expect_limbs(Wide<2>{{0, 1}}, core::fixed_point::shift_left(Wide<2>{{half, 0}}, 1));
    expect_limbs(Wide<2>{{0xf0000000000000f0, 0x0f}},
                 core::fixed_point::shift_left(Wide<2>{{0xff0000000000000f, 0}}, 4));
}

TEST(FixedPointDouble, ExactlyInAndNarrowedByTheTopLimbs) {
    expect_limbs(Wide<2>{{half | half >> 1, 0}}, core::fixed_point::from_double<2>(0.75));
    expect_limbs(Wide<2>{{0, 3}}, core::fixed_point::from_double<2>(-3.0));
    expect_limbs(Wide<3>{{uint64_t{1} << 58, 0, 0}}, core::fixed_point::from_double<3>(0x1p-70));
    expect_limbs(Wide<2>{{half | uint64_t{1} << 12, 1}}, core::fixed_point::from_double<2>(1.5 + 0x1p-52));
    expect_limbs(Wide<2>{{0x1234, 7}}, core::fixed_point::narrow<2>(Wide<4>{{9, 9, 0x1234, 7}}));
}

TEST(FixedPointRounding, NearestDoubleTiesToEven) {
    struct Case {
        Wide<3> value;
        double expected;
    } cases[] = {
        {{{0, uint64_t{1} << 11, 1}}, 1.0},                          // 1 + 2^-53: a tie, to even
        {{{0, uint64_t{3} << 11, 1}}, 1.0 + 0x1p-51},               // 1 + 3 2^-53: a tie, to even
        {{{uint64_t{1} << 28, uint64_t{1} << 11, 1}}, 1.0 + 0x1p-52},  // past the tie by 2^-100
        {{{all_ones, (uint64_t{1} << 11) - 1, 1}}, 1.0},               // just below the tie
        {{{0, 0, 0}}, 0.0},
        {{{1, 0, 0}}, 0x1p-128},
        {{{0, 0, 5}}, 5.0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, core::fixed_point::round_to_double(c.value));
}

TEST(FixedPointRounding, CheckedOnlyWhereTheErrorCannotCrossABoundary) {
    double result = 0.0;
    Wide<3> tiny = {{1, 0, 0}};
    // 1 + 2^-53 lies on the boundary between 1 and 1 + 2^-52.
    EXPECT_FALSE(core::fixed_point::round_checked(Signed<3>{{{0, uint64_t{1} << 11, 1}}, false}, tiny, &result));
    EXPECT_EQ(0.0, result);
    // 1 + 2^-54 is a quarter ulp from 1: an error of 2^-128 keeps it there.
    EXPECT_TRUE(core::fixed_point::round_checked(Signed<3>{{{0, uint64_t{1} << 10, 1}}, true}, tiny, &result));
    EXPECT_EQ(-1.0, result);
    // An error of 2^-54 reaches the boundary, where the tie goes to 1 as
    // well; one unit more crosses it.
    EXPECT_TRUE(core::fixed_point::round_checked(Signed<3>{{{0, uint64_t{1} << 10, 1}}, false},
                                                 Wide<3>{{0, uint64_t{1} << 10, 0}}, &result));
    EXPECT_FALSE(core::fixed_point::round_checked(Signed<3>{{{0, uint64_t{1} << 10, 1}}, false},
                                                  Wide<3>{{1, uint64_t{1} << 10, 0}}, &result));
    // The error bound: 2^-2 of 4 plus 2^-64.
    expect_limbs(Wide<2>{{1, 1}}, core::fixed_point::error_bound(Wide<2>{{0, 4}}, 2, 64));
}

}  // namespace
