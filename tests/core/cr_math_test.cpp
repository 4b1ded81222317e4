#include "core/cr_math.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "core/cr_math_slow.h"
#include "tests/support/test_support.h"

namespace {

using test_support::bits_of;

enum class Function { sine, cosine, tangent, acos };

double call(Function function, double x) {
    switch (function) {
    case Function::sine: return core::cr_sin(x);
    case Function::cosine: return core::cr_cos(x);
    case Function::tangent: return core::cr_tan(x);
    default: return core::cr_acos(x);
    }
}

// MPFR's correctly rounded results, the same bits on every system: the
// first arguments of each function whose fast result could not be
// rounded safely (so the fixed-point road decides them), then arguments
// far beyond the thinning's range, down to the largest double.
TEST(CrMath, HardCasesGiveTheCorrectlyRoundedBits) {
    const struct {
        Function function;
        double x;
        double expected;
    } cases[] = {
        {Function::sine, 0x1.27c4404f79bp-1, 0x1.1796da13a965fp-1},
        {Function::sine, 0x1.6321678f543b2p+3, -0x1.fd535e3c75ffcp-1},
        {Function::sine, -0x1.7d6049e8f7d07p-15, -0x1.7d6049e6c38a8p-15},
        {Function::sine, 0x1.a699e6a9b4304p-7, 0x1.a696e6ead880bp-7},
        {Function::sine, 0x1.d1400670328acp+2, 0x1.ab042f6055ae8p-1},
        {Function::sine, 0x1.08be27235e46p+2, -0x1.ad72c4bcd9244p-1},
        {Function::cosine, -0x1.f4ba067b752adp+1, -0x1.6f73789b4f518p-1},
        {Function::cosine, 0x1.85134a5ea78dp+2, 0x1.f565351d9ed32p-1},
        {Function::cosine, -0x1.5634d36bd05d6p+3, -0x1.3033e8cc6257fp-2},
        {Function::cosine, 0x1.bbfb61026a6d8p+1, -0x1.e4ddd5e5f2876p-1},
        {Function::cosine, 0x1.7b88dabbe9cd9p-8, 0x1.fffdcd51e63ebp-1},
        {Function::cosine, -0x1.edb94cf5e1604p+2, 0x1.1cdd7b0e414d8p-3},
        {Function::tangent, -0x1.8677891c7bc04p+3, 0x1.86726bb7c3639p-2},
        {Function::tangent, -0x1.0b545277f7108p+3, 0x1.d48948553cb89p+0},
        {Function::tangent, 0x1.5b635d076dc1cp-5, 0x1.5b98b56df9f31p-5},
        {Function::tangent, 0x1.1be877d99f74p+2, 0x1.c35f351938693p+1},
        {Function::tangent, 0x1.d625033a5f00ep-14, 0x1.d625035b67f0dp-14},
        {Function::tangent, -0x1.ff71c9fe22f28p+3, -0x1.20902912e2f68p-2},
        {Function::acos, 0x1.d5bb81046ff21p-1, 0x1.a300e09cebc8fp-2},
        {Function::acos, -0x1.3bcc7739f5cep-3, 0x1.b9c1bf784eac1p+0},
        {Function::acos, -0x1.fe8022e3960e9p-24, 0x1.921fb742c2f46p+0},
        {Function::acos, -0x1.cccbd9cd37ae3p-14, 0x1.9226e873aa449p+0},
        {Function::acos, -0x1.c01ed461f255p-12, 0x1.923bb731973e4p+0},
        {Function::acos, 0x1.917e1db8e9be2p-1, 0x1.56c1ae32afafbp-1},
        {Function::sine, 0x1.7e43c8800759cp+996, -0x1.a2c16b010e385p-1},
        {Function::cosine, 0x1.7e43c8800759cp+996, -0x1.2699022adc4c1p-1},
        {Function::tangent, 0x1.7e43c8800759cp+996, 0x1.6be411f37ac77p+0},
        {Function::sine, 0x1.fffffffffffffp+1023, 0x1.452fc98b34e97p-8},
        {Function::cosine, 0x1.fffffffffffffp+1023, -0x1.fffe62ecfab75p-1},
        {Function::tangent, 0x1.fffffffffffffp+1023, -0x1.4530cfe729484p-8},
        {Function::sine, 0x1.0f0cf064dd592p+73, -0x1.b453ab76bf397p-1},
        {Function::cosine, 0x1.0f0cf064dd592p+73, 0x1.0be2cef01c8f4p-1},
        {Function::tangent, 0x1.0f0cf064dd592p+73, -0x1.a0f79c1b6b257p+0},
        {Function::sine, 0x1p+62, -0x1.67e57355f0147p-1},
        {Function::cosine, 0x1p+62, -0x1.6c2b1f820c708p-1},
        {Function::tangent, 0x1p+62, 0x1.f9fe5be664fa7p-1},
        {Function::sine, 0x1.78c29dccccccdp+23, -0x1.cb6bcc6c2b873p-1},
        {Function::cosine, 0x1.78c29dccccccdp+23, 0x1.c4004c876f9c8p-2},
        {Function::tangent, 0x1.78c29dccccccdp+23, -0x1.0433d1eb1db31p+1},
        {Function::sine, 0x1.08p+5, 0x1.fff4728416238p-1},
        {Function::cosine, 0x1.08p+5, -0x1.b30d6d8f65f78p-7},
        {Function::tangent, 0x1.08p+5, -0x1.2d4086f3a61e2p+6},
        {Function::sine, -0x1.92p+6, 0x1.fb3f833470ff1p-6},
        {Function::cosine, -0x1.92p+6, 0x1.ffc12adaecec2p-1},
        {Function::tangent, -0x1.92p+6, 0x1.fb7dcab49130dp-6},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bits_of(c.expected), bits_of(call(c.function, c.x)))
            << static_cast<int>(c.function) << " " << std::hexfloat << c.x;
    }
    EXPECT_FALSE(core::slow_rounding_undecided);
}

TEST(CrMath, SpecialValues) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (Function f : {Function::sine, Function::cosine, Function::tangent}) {
        EXPECT_TRUE(std::isnan(call(f, nan)));
        EXPECT_TRUE(std::isnan(call(f, inf)));
        EXPECT_TRUE(std::isnan(call(f, -inf)));
    }
    for (double x : {nan, 1.0000000000000002, -1.0000000000000002, inf, -inf})
        EXPECT_TRUE(std::isnan(core::cr_acos(x))) << x;
    EXPECT_EQ(bits_of(-0.0), bits_of(core::cr_sin(-0.0)));
    EXPECT_EQ(bits_of(-0.0), bits_of(core::cr_tan(-0.0)));
    EXPECT_EQ(1.0, core::cr_cos(-0.0));
    EXPECT_EQ(bits_of(5e-324), bits_of(core::cr_sin(5e-324)));
    EXPECT_EQ(1.0, core::cr_cos(0x1p-27));
    EXPECT_EQ(bits_of(0.0), bits_of(core::cr_acos(1.0)));
    EXPECT_EQ(0x1.921fb54442d18p+1, core::cr_acos(-1.0));
    EXPECT_EQ(0x1.921fb54442d18p+0, core::cr_acos(0.0));
    EXPECT_EQ(0x1.921fb54442d18p+0, core::cr_acos(-0.0));
}

// sin and cos at once give the bits of each alone.
TEST(CrMath, SinCosAgreesWithEach) {
    for (double x : {0.3, -1.2, 2.5, 55.0 * 0.017453292519943295, -3.14159, 1e-9, 40.0, -1e300}) {
        double sine, cosine;
        core::cr_sin_cos(x, &sine, &cosine);
        EXPECT_EQ(bits_of(core::cr_sin(x)), bits_of(sine)) << x;
        EXPECT_EQ(bits_of(core::cr_cos(x)), bits_of(cosine)) << x;
    }
}

}  // namespace
