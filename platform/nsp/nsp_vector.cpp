// SPDX-License-Identifier: Apache-2.0
// Kaiser window and element-wise vector arithmetic.

#include <cmath>
#include <cstddef>

#include "platform/nsp/nsp.h"

namespace {

// Above this argument I0 overflows double (I0(713) ~ 1e308); beyond it the window is formed
// from logarithms.
constexpr double kLargeBesselArgument = 700.0;

// log I0(x) for x >= 0: exact below kLargeBesselArgument, otherwise the asymptotic series
// I0(x) ~ e^x / sqrt(2πx) · (1 + 1/(8x) + 9/(128x²)), whose next term is below 1e-9 there.
double LogI0(double x) {
    if (x <= kLargeBesselArgument) {
        return std::log(std::cyl_bessel_i(0.0, x));
    }
    const double inv = 1.0 / x;
    return x - 0.5 * std::log(2.0 * M_PI * x) + std::log1p(inv / 8.0 + 9.0 * inv * inv / 128.0);
}

}  // namespace

void nspsWinKaiser(float* vec, int n, float alpha) {
    if (vec == nullptr || n <= 0 || !std::isfinite(alpha)) {
        return;
    }
    const double a = std::fabs(static_cast<double>(alpha));
    const double h = (n - 1) / 2.0;
    const bool direct = a * h <= kLargeBesselArgument;
    const double den = direct ? std::cyl_bessel_i(0.0, a * h) : LogI0(a * h);
    // The window is even about h: each coefficient serves i and n - 1 - i.
    for (int i = 0; i <= (n - 1) / 2; ++i) {
        const double d = i - h;
        // h² - d² is exact: both are squares of halves of integers.
        const double x = a * std::sqrt(h * h - d * d);
        const double w = direct ? std::cyl_bessel_i(0.0, x) / den : std::exp(LogI0(x) - den);
        vec[i] = static_cast<float>(vec[i] * w);
        if (n - 1 - i != i) {
            vec[n - 1 - i] = static_cast<float>(vec[n - 1 - i] * w);
        }
    }
}

float nspsMean(const float* vec, int n) {
    if (vec == nullptr || n <= 0) {
        return 0.0f;
    }
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        sum += vec[i];
    }
    return static_cast<float>(sum / n);
}

void nspsbSet(float value, float* dst, int n) {
    for (int i = 0; dst != nullptr && i < n; ++i) {
        dst[i] = value;
    }
}

void nspsbMpy1(float value, float* dst, int n) {
    for (int i = 0; dst != nullptr && i < n; ++i) {
        dst[i] *= value;
    }
}

void nspcbZero(SCplx* dst, int n) {
    for (int i = 0; dst != nullptr && i < n; ++i) {
        dst[i] = SCplx();
    }
}

void nspcbCopy(const SCplx* src, SCplx* dst, int n) {
    if (src == nullptr || dst == nullptr || src == dst) {
        return;
    }
    for (int i = 0; i < n; ++i) {
        dst[i] = src[i];
    }
}

void nspcbMpy1(SCplx value, SCplx* dst, int n) {
    for (int i = 0; dst != nullptr && i < n; ++i) {
        dst[i] *= value;
    }
}

void nspcbMpy2(const SCplx* src, SCplx* dst, int n) {
    if (src == nullptr || dst == nullptr) {
        return;
    }
    for (int i = 0; i < n; ++i) {
        dst[i] *= src[i];
    }
}

void nspcbMpy3(const SCplx* src1, const SCplx* src2, SCplx* dst, int n) {
    if (src1 == nullptr || src2 == nullptr || dst == nullptr) {
        return;
    }
    for (int i = 0; i < n; ++i) {
        dst[i] = src1[i] * src2[i];
    }
}

void nspcbMag(const SCplx* src, float* mag, int n) {
    if (src == nullptr || mag == nullptr) {
        return;
    }
    for (int i = 0; i < n; ++i) {
        const double re = src[i].re, im = src[i].im;
        mag[i] = static_cast<float>(std::sqrt(re * re + im * im));
    }
}
