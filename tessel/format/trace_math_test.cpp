// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/trace_math.h"

#include <algorithm>
#include <complex>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/format/internal/format_test_util.h"

namespace {

using namespace Tessel;
using Cd = std::complex<double>;
using Trace = std::vector<TsComplex>;

TEST(TraceMath, EachOperationOverTheWholeVectorMatchesComplexArithmeticInDouble) {
    const auto a = testutil::Random<TsComplex>(100, -4, 4),
               b = testutil::Random<TsComplex>(100, -4, 4);
    struct Op {
        long (*f)(const Trace&, const Trace&, Trace&, int, int);
        Cd (*reference)(Cd, Cd);
    };
    const Op ops[] = {{TraceMathAdd, [](Cd x, Cd y) { return x + y; }},
                      {TraceMathSubtract, [](Cd x, Cd y) { return x - y; }},
                      {TraceMathMultiply, [](Cd x, Cd y) { return x * y; }},
                      {TraceMathDivide, [](Cd x, Cd y) { return x / y; }}};
    for (const Op& op : ops) {
        Trace out;
        ASSERT_EQ(op.f(a, b, out, 0, -1), kOk);  // last -1: the length of a
        ASSERT_EQ(out.size(), 100u);
        for (int i = 0; i < 100; ++i) {
            const Cd want = op.reference(Cd(a[i].re, a[i].im), Cd(b[i].re, b[i].im));
            EXPECT_NEAR(out[i].re, want.real(), 1e-5 * std::abs(want)) << &op - ops << " " << i;
            EXPECT_NEAR(out[i].im, want.imag(), 1e-5 * std::abs(want)) << &op - ops << " " << i;
        }
    }
}

TEST(TraceMath, FormsTouchOnlyTheRunAndVectorFormsCheckTheirArguments) {
    const auto b = testutil::Random<TsComplex>(8, -4, 4), a = testutil::Random<TsComplex>(8, -4, 4);
    auto x = a;
    ASSERT_EQ(TraceMathMultiply(x.data(), b.data(), x.data(), 2, 5), kOk);  // in place
    EXPECT_TRUE(x[1] == a[1] && x[5] == a[5] && x[3] == a[3] * b[3]);
    EXPECT_EQ(TraceMathAdd(nullptr, nullptr, nullptr, 6, 2), kOk);  // empty run: nothing read
    const Trace shortB(b.begin(), b.begin() + 4);
    Trace out, inPlace = shortB;
    for (const auto& [p, q, first, last] : {std::tuple{a, Trace(), 0, -1},
                                            {Trace(), b, 0, -1},
                                            {a, b, -1, 3},
                                            {a, shortB, 0, -1},
                                            {a, b, 0, 9}}) {
        EXPECT_EQ(TraceMathAdd(p, q, out, first, last), kInvalidArg) << first << " " << last;
    }
    EXPECT_EQ(out, Trace(8));  // resized before the range check
    ASSERT_EQ(TraceMathSubtract(a, shortB, out, 1, 4), kOk);
    EXPECT_TRUE(out[0] == TsComplex() && out[4] == TsComplex() && out[3] == a[3] - b[3]);
    // In place on the shorter input: its length before the resize bounds the run.
    EXPECT_EQ(TraceMathAdd(a, inPlace, inPlace, 0, -1), kInvalidArg);
    EXPECT_TRUE(std::equal(shortB.begin(), shortB.end(), inPlace.begin()));
}

}  // namespace
