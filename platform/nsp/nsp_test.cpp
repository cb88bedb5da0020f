// SPDX-License-Identifier: Apache-2.0
#include "platform/nsp/nsp.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Modified Bessel I0 by its power series in long double, independent of the library.
long double SeriesI0(long double x) {
    long double term = 1, sum = 1;
    for (int k = 1; k < 20000; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
        if (term < sum * 1e-21L)
            break;
    }
    return sum;
}

// alpha·h reaches 3464 at 1600 points, where I0 overflows double: the window is then formed
// from logarithms. A NaN alpha leaves the data alone.
TEST(NspKaiser, MatchesClosedFormForOddAndEvenLengths) {
    for (int n : {1, 2, 7, 8, 201, 1600}) {
        for (float alpha : {0.0f, 0.1f, -0.5f, 6.0f / 100, 13.0f / 3}) {
            std::vector<float> w(n, 2.0f);
            nspsWinKaiser(w.data(), n, alpha);
            const long double h = (n - 1) / 2.0L, a = std::fabs(alpha);
            for (int i = 0; i < n; ++i) {
                const long double d = i - h;
                const long double want = 2 * SeriesI0(a * sqrtl(h * h - d * d)) / SeriesI0(a * h);
                ASSERT_NEAR(w[i], double(want), 4e-7 * double(want) + 1e-30)
                    << "n " << n << " alpha " << alpha << " i " << i;
            }
        }
    }
    std::vector<float> v(5, 3.0f);
    nspsWinKaiser(v.data(), 5, std::nanf(""));
    EXPECT_EQ(v, std::vector<float>(5, 3.0f));
}

// The second argument of nspcbMpy2 receives the product; sums and magnitudes run in double.
TEST(NspVector, ProductDestinationAndDoubleIntermediates) {
    std::vector<SCplx> a = {{1, 2}}, b = {{0, 1}};
    nspcbMpy2(a.data(), b.data(), 1);
    EXPECT_EQ(b[0], SCplx(-2, 1));
    EXPECT_EQ(a[0], SCplx(1, 2));
    const std::vector<float> m = {3e38f, 3e38f, -1.0f};  // the float sum would overflow
    EXPECT_FLOAT_EQ(nspsMean(m.data(), 3), 2e38f);
    std::vector<SCplx> big = {{3e30f, 4e30f}};
    float mag = 0;
    nspcbMag(big.data(), &mag, 1);
    EXPECT_FLOAT_EQ(mag, 5e30f);
}

}  // namespace
