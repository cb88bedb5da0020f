#include "tessel/format/trace_math.h"

#include <complex>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using Tessel::TsComplex;
using Cd = std::complex<double>;

std::vector<TsComplex> RandomTrace(std::mt19937& rng, int n) {
    std::uniform_real_distribution<float> u(-4.0f, 4.0f);
    std::vector<TsComplex> v(n);
    for (auto& z : v) {
        z = TsComplex(u(rng), u(rng));
    }
    return v;
}

Cd D(const TsComplex& z) {
    return {z.re, z.im};
}

TEST(TraceMath, EachOperationMatchesComplexArithmeticInDouble) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    const auto a = RandomTrace(rng, 100), b = RandomTrace(rng, 100);
    std::vector<TsComplex> sum, diff, prod, quot;
    ASSERT_EQ(Tessel::TraceMathAdd(a, b, sum, 0, -1), Tessel::kOk);
    ASSERT_EQ(Tessel::TraceMathSubtract(a, b, diff, 0, -1), Tessel::kOk);
    ASSERT_EQ(Tessel::TraceMathMultiply(a, b, prod, 0, -1), Tessel::kOk);
    ASSERT_EQ(Tessel::TraceMathDivide(a, b, quot, 0, -1), Tessel::kOk);
    ASSERT_EQ(sum.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        const Cd x = D(a[i]), y = D(b[i]);
        EXPECT_EQ(sum[i].re, float(x.real() + y.real()));
        EXPECT_EQ(diff[i].im, float(x.imag() - y.imag()));
        const Cd p = x * y, q = x / y;
        EXPECT_NEAR(prod[i].re, p.real(), 1e-5 * std::abs(p));
        EXPECT_NEAR(prod[i].im, p.imag(), 1e-5 * std::abs(p));
        EXPECT_NEAR(quot[i].re, q.real(), 1e-5 * std::abs(q));
        EXPECT_NEAR(quot[i].im, q.imag(), 1e-5 * std::abs(q));
    }
}

TEST(TraceMath, ArrayFormsTouchOnlyTheRunAndMayWorkInPlace) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    const auto b = RandomTrace(rng, 8);
    auto a = RandomTrace(rng, 8);
    const auto original = a;
    ASSERT_EQ(Tessel::TraceMathMultiply(a.data(), b.data(), a.data(), 2, 5), Tessel::kOk);
    EXPECT_EQ(a[1], original[1]);
    EXPECT_EQ(a[5], original[5]);
    EXPECT_EQ(a[3], original[3] * b[3]);
    ASSERT_EQ(Tessel::TraceMathDivide(a.data(), b.data(), a.data(), 2, 5), Tessel::kOk);
    EXPECT_NEAR(a[4].re, original[4].re, 1e-5);
    EXPECT_EQ(Tessel::TraceMathAdd(a.data(), b.data(), a.data(), 6, 6), Tessel::kOk);
    EXPECT_EQ(Tessel::TraceMathAdd(nullptr, nullptr, nullptr, 6, 2), Tessel::kOk);
    EXPECT_EQ(a[6], original[6]);
}

TEST(TraceMath, VectorFormsCheckTheirArguments) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    const auto a = RandomTrace(rng, 6), b = RandomTrace(rng, 4);
    std::vector<TsComplex> out;
    EXPECT_EQ(Tessel::TraceMathAdd({}, b, out, 0, -1), Tessel::kInvalidArg);
    EXPECT_EQ(Tessel::TraceMathAdd(a, {}, out, 0, -1), Tessel::kInvalidArg);
    EXPECT_EQ(Tessel::TraceMathAdd(a, b, out, -1, 3), Tessel::kInvalidArg);
    EXPECT_EQ(out.size(), 6u);  // resized before the range check
    EXPECT_EQ(Tessel::TraceMathAdd(a, b, out, 0, -1), Tessel::kInvalidArg);  // b too short
    EXPECT_EQ(Tessel::TraceMathAdd(a, b, out, 0, 7), Tessel::kInvalidArg);
    EXPECT_EQ(out, std::vector<TsComplex>(6));
    ASSERT_EQ(Tessel::TraceMathSubtract(a, b, out, 1, 4), Tessel::kOk);
    EXPECT_EQ(out[0], TsComplex());
    EXPECT_EQ(out[3], a[3] - b[3]);
    EXPECT_EQ(out[4], TsComplex());
}

// Any sample type with float members re and im instantiates the global kernels.
struct Pair {
    float re, im;
};

TEST(TraceMath, GlobalTemplatesServeOtherSampleLayouts) {
    const Pair a[2] = {{1.0f, 2.0f}, {1e8f, 1.0f}}, b[2] = {{0.5f, -1.0f}, {1.0f, 1.0f}};
    Pair out[2];
    EXPECT_EQ(TraceMathAdd<Pair>(a, b, out, 0, 2), 0);
    EXPECT_EQ(out[0].re, 1.5f);
    EXPECT_EQ(out[1].re, 1e8f);
    EXPECT_EQ(TraceMathSubtract<Pair>(a, b, out, 0, 1), 0);
    EXPECT_EQ(out[0].im, 3.0f);
}

}  // namespace
