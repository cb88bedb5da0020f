// SPDX-License-Identifier: Apache-2.0
// Shared reference pieces of the time-domain tests: complex samples in double, the Kaiser
// window from its closed form, and random responses.
#pragma once

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/types.h"

namespace Tessel::test {

using Cd = std::complex<double>;
constexpr double kNs = 1e-9;

inline Cd ToCd(const TsComplex& z) {
    return {z.re, z.im};
}
inline Cd ToCd(const Cd& z) {
    return z;
}

// Kaiser window I0(alpha·sqrt(h² - (i - h)²))/I0(alpha·h) of n points, h = (n - 1)/2.
inline std::vector<double> Kaiser(int n, double alpha) {
    std::vector<double> w(n);
    const double h = (n - 1) / 2.0;
    for (int i = 0; i < n; ++i) {
        w[i] = std::cyl_bessel_i(0.0, alpha * std::sqrt(h * h - (i - h) * (i - h))) /
               std::cyl_bessel_i(0.0, alpha * h);
    }
    return w;
}

// Largest |got[i] - want[i]| over the points from `skip` to size - skip.
template <class Want>
double MaxError(const std::vector<TsComplex>& got, const std::vector<Want>& want,
                std::size_t skip = 0) {
    double err = 0;
    for (std::size_t i = skip; i + skip < got.size(); ++i) {
        err = std::max(err, std::abs(ToCd(got[i]) - ToCd(want[i])));
    }
    return err;
}

inline std::vector<TsComplex> RandomSamples(int n, std::mt19937& rng, float scale = 1.0f) {
    std::uniform_real_distribution<float> u(-scale, scale);
    std::vector<TsComplex> v(n);
    for (auto& z : v) {
        z = TsComplex(u(rng), u(rng));
    }
    return v;
}

inline std::mt19937 SeededRng() {
    return std::mt19937(::testing::UnitTest::GetInstance()->random_seed());
}

}  // namespace Tessel::test
