#include "tessel/format/trace_math.h"

#include <algorithm>
#include <complex>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using namespace Tessel;
using Cd = std::complex<double>;

std::vector<TsComplex> RandomTrace(std::mt19937& rng, int n) {
    std::uniform_real_distribution<float> u(-4.0f, 4.0f);
    std::vector<TsComplex> v(n);
    for (auto& z : v) {
        z = TsComplex(u(rng), u(rng));
    }
    return v;
}

TEST(TraceMath, EachOperationOverTheWholeVectorMatchesComplexArithmeticInDouble) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    const auto a = RandomTrace(rng, 100), b = RandomTrace(rng, 100);
    std::vector<TsComplex> sum, diff, prod, quot;
    ASSERT_EQ(TraceMathAdd(a, b, sum, 0, -1), kOk);  // last -1: the length of a
    ASSERT_EQ(TraceMathSubtract(a, b, diff, 0, -1), kOk);
    ASSERT_EQ(TraceMathMultiply(a, b, prod, 0, -1), kOk);
    ASSERT_EQ(TraceMathDivide(a, b, quot, 0, -1), kOk);
    ASSERT_EQ(sum.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        const Cd x(a[i].re, a[i].im), y(b[i].re, b[i].im), p = x * y, q = x / y;
        EXPECT_EQ(sum[i].re, float(x.real() + y.real()));
        EXPECT_EQ(diff[i].im, float(x.imag() - y.imag()));
        EXPECT_NEAR(prod[i].re, p.real(), 1e-5 * std::abs(p));
        EXPECT_NEAR(prod[i].im, p.imag(), 1e-5 * std::abs(p));
        EXPECT_NEAR(quot[i].re, q.real(), 1e-5 * std::abs(q));
        EXPECT_NEAR(quot[i].im, q.imag(), 1e-5 * std::abs(q));
    }
}

TEST(TraceMath, FormsTouchOnlyTheRunAndVectorFormsCheckTheirArguments) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    const auto b = RandomTrace(rng, 8);
    auto a = RandomTrace(rng, 8);
    const auto original = a;
    ASSERT_EQ(TraceMathMultiply(a.data(), b.data(), a.data(), 2, 5), kOk);  // in place
    EXPECT_TRUE(a[1] == original[1] && a[5] == original[5]);
    EXPECT_EQ(a[3], original[3] * b[3]);
    EXPECT_EQ(TraceMathAdd(nullptr, nullptr, nullptr, 6, 2), kOk);  // empty run: nothing read

    const std::vector<TsComplex> shortB(b.begin(), b.begin() + 4);
    std::vector<TsComplex> out;
    EXPECT_EQ(TraceMathAdd({}, b, out, 0, -1), kInvalidArg);
    EXPECT_EQ(TraceMathAdd(a, {}, out, 0, -1), kInvalidArg);
    EXPECT_EQ(TraceMathAdd(a, b, out, -1, 3), kInvalidArg);
    EXPECT_EQ(TraceMathAdd(a, shortB, out, 0, -1), kInvalidArg);
    EXPECT_EQ(TraceMathAdd(a, b, out, 0, 9), kInvalidArg);
    EXPECT_EQ(out, std::vector<TsComplex>(8));  // resized before the range check
    ASSERT_EQ(TraceMathSubtract(a, shortB, out, 1, 4), kOk);
    EXPECT_TRUE(out[0] == TsComplex() && out[4] == TsComplex());
    EXPECT_EQ(out[3], a[3] - b[3]);
    // In place on the shorter input: its length before the resize bounds the run.
    auto inPlace = shortB;
    EXPECT_EQ(TraceMathAdd(a, inPlace, inPlace, 0, -1), kInvalidArg);
    EXPECT_TRUE(std::equal(shortB.begin(), shortB.end(), inPlace.begin()));
}

}  // namespace
