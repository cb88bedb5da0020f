// SPDX-License-Identifier: Apache-2.0
// Shared constants and per-sample helpers of the formatting functions (not installed).
#pragma once

#include <cmath>
#include <vector>

#include "tessel/core/status.h"
#include "tessel/core/types.h"

namespace Tessel {
namespace internal {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kInvTwoPi = 0.15915494309189535;
// Boltzmann's constant times 1000: k·T in mW per hertz.
inline constexpr double kBoltzmannMilli = 1.3806504e-20;

// Wraps a phase difference into -π..π by one turn: below -π gains 2π, above π loses 2π;
// exactly ±π stays.
inline double WrapPhaseStep(double d) {
    if (d < -kPi) {
        return d + kTwoPi;
    }
    if (d > kPi) {
        return d - kTwoPi;
    }
    return d;
}

// 10·log10(x) of a power-like x >= 0, or `zeroValue` when x is exactly 0.
inline double PowerToDb(double x, double zeroValue) {
    return x == 0.0 ? zeroValue : 10.0 * std::log10(x);
}

// Writes f(in[i]) to out[i], as float, for 0 <= i < n. Returns kInvalidArg for a null pointer
// when n >= 1, else 0.
template <class F>
long MapSamples(const TsComplex* in, float* out, int n, F f) {
    if (n < 1) {
        return kOk;
    }
    if (in == nullptr || out == nullptr) {
        return kInvalidArg;
    }
    for (int i = 0; i < n; ++i) {
        out[i] = static_cast<float>(f(in[i]));
    }
    return kOk;
}

// Vector form of MapSamples: resizes `out` to the input length and fills it (in any element
// type, float or double).
template <class T, class F>
long MapSamples(const std::vector<TsComplex>& in, std::vector<T>& out, F f) {
    out.resize(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        out[i] = static_cast<T>(f(in[i]));
    }
    return kOk;
}

}  // namespace internal
}  // namespace Tessel
