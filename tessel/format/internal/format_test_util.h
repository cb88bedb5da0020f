// SPDX-License-Identifier: Apache-2.0
// Shared helpers of the formatting tests: seeded random traces and the direct window mean the
// smoothing kernels are checked against.
#pragma once

#include <algorithm>
#include <random>
#include <type_traits>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tessel/core/types.h"

namespace Tessel::testutil {

inline constexpr double kPi = 3.141592653589793;

// n samples uniform in [lo, hi) (both parts of complex ones), from the run's seed.
template <class T>
std::vector<T> Random(int n, double lo, double hi) {
    static std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    std::uniform_real_distribution<double> u(lo, hi);
    std::vector<T> v(n);
    for (auto& x : v) {
        if constexpr (std::is_same_v<T, TsComplex>) {
            x = TsComplex(float(u(rng)), float(u(rng)));
        } else {
            x = T(u(rng));
        }
    }
    return v;
}

// Mean of v over `a` points around i, summed directly: whole positions i - ⌊w⌋ .. i + ⌊w⌋ with
// w = (a - 1)/2, clamped to the trace (edges repeat), plus the values at i ± w (linear between
// points, clamped) weighted by the fraction of w. NaN and infinities propagate as in a sum.
template <class T>
double WindowMean(const std::vector<T>& v, int i, double a) {
    const double w = (a - 1) / 2;
    const int w0 = int(w), last = int(v.size()) - 1;
    const auto at = [&](double x) {
        const int k = std::min(int(x), last);
        return k == last ? double(v[k]) : v[k] + (double(v[k + 1]) - v[k]) * (x - k);
    };
    long double sum = 0;
    for (int j = i - w0; j <= i + w0; ++j) {
        sum += v[std::clamp(j, 0, last)];
    }
    if (w > w0) {
        sum += (w - w0) * (at(std::max(i - w, 0.0)) + at(std::min(i + w, double(last))));
    }
    return double(sum / a);
}

template <class T>
void ExpectWindowMeans(const std::vector<T>& in, const std::vector<T>& out, double a, double tol) {
    for (int i = 0; i < int(in.size()); ++i) {
        ASSERT_THAT(double(out[i]), testing::NanSensitiveDoubleNear(WindowMean(in, i, a), tol))
            << i;
    }
}

}  // namespace Tessel::testutil
