// SPDX-License-Identifier: Apache-2.0
// TsComplex: one complex receiver sample of the measurement utility library.
//
// Two 32-bit floats, real part then imaginary part, with no padding, so an array of TsComplex
// is a contiguous array of interleaved float pairs (the layout FFT and vector primitives use).
// Arithmetic rounds to float on store; quotients and magnitudes are formed in double so that
// the whole float range can be divided without overflow of the intermediate |z|².
#pragma once

#include <cmath>
#include <type_traits>

#include "tessel/core/export.h"

namespace QuorUtility {

class TESSEL_EXPORT TsComplex {
  public:
    float re;
    float im;

    constexpr TsComplex() : re(0.0f), im(0.0f) {}
    constexpr TsComplex(float real, float imag = 0.0f) : re(real), im(imag) {}

    // Complex product: (a + jb)(c + jd) = (ac - bd) + j(ad + bc).
    TsComplex& operator*=(const TsComplex& o) {
        const float r = re * o.re - im * o.im;
        im = re * o.im + im * o.re;
        re = r;
        return *this;
    }
    TsComplex& operator*=(float s) {
        re *= s;
        im *= s;
        return *this;
    }
    // Complex quotient by the textbook formula ((ac + bd) + j(bc - ad)) / (c² + d²), in
    // double. Division by zero yields the IEEE result (infinities or NaN), never a trap.
    TsComplex& operator/=(const TsComplex& o) {
        const double c = o.re, d = o.im;
        // One reciprocal of the double denominator; its rounding error stays far below the
        // float result's.
        const double inv = 1.0 / (c * c + d * d);
        const double r = (double(re) * c + double(im) * d) * inv;
        const double i = (double(im) * c - double(re) * d) * inv;
        re = static_cast<float>(r);
        im = static_cast<float>(i);
        return *this;
    }
    TsComplex& operator+=(const TsComplex& o) {
        re += o.re;
        im += o.im;
        return *this;
    }
    TsComplex& operator-=(const TsComplex& o) {
        re -= o.re;
        im -= o.im;
        return *this;
    }

    // Magnitude |z|, formed in double.
    double Mag() const { return std::hypot(double(re), double(im)); }
    // Squared magnitude re² + im², formed in double.
    double MagSquared() const { return double(re) * re + double(im) * im; }
    // Phase in radians, -π..π (atan2(im, re); 0 for a zero sample).
    double Phase() const { return std::atan2(double(im), double(re)); }
    // 20·log10|z| in dB; a zero sample gives m_logMagZeroValue, never -∞.
    double LogMag() const;
    // Standing-wave ratio (1 + |z|) / (1 - |z|) of a reflection coefficient z; a coefficient
    // of magnitude 1 or more (total reflection, or an active port) gives m_maxSWR.
    double SWR() const;
    // Impedance z0·(1 + Γ)/(1 - Γ) seen through the reflection coefficient Γ = *this.
    TsComplex Impedance(const TsComplex& z0) const;
    // Admittance (1 - Γ)/(z0·(1 + Γ)), the reciprocal of Impedance(z0).
    TsComplex Admittance(const TsComplex& z0) const;

    // The sample of magnitude mag and phase radians.
    static TsComplex FromMagPhase(double mag, double radians) {
        return TsComplex(static_cast<float>(mag * std::cos(radians)),
                         static_cast<float>(mag * std::sin(radians)));
    }

    // Marks missing complex data: the real sample 1e-10, whose log magnitude is exactly
    // -200 dB, the value that marks missing data in scalar arrays. Formatting a missing
    // complex sample therefore gives the scalar missing-data value.
    static const TsComplex m_minus200dB;
    // The log magnitude shown for a sample of magnitude exactly zero: -200 dB, the display
    // floor and scalar missing-data value. A zero sample carries no signal, and -200 dB keeps
    // plots and statistics finite; nonzero magnitudes below 1e-10 still format to their true,
    // lower values because changing measured data would be worse than a non-monotonic floor.
    static double m_logMagZeroValue;
    // The SWR reported for a reflection coefficient of magnitude 1 or more.
    static constexpr double m_maxSWR = 1.0e10;
};

static_assert(sizeof(TsComplex) == 2 * sizeof(float), "TsComplex must be two packed floats");
static_assert(std::is_standard_layout_v<TsComplex>, "TsComplex must be standard layout");
static_assert(std::is_trivially_copyable_v<TsComplex>, "TsComplex must be trivially copyable");

inline TsComplex operator+(TsComplex a, const TsComplex& b) {
    return a += b;
}
inline TsComplex operator-(TsComplex a, const TsComplex& b) {
    return a -= b;
}
inline TsComplex operator*(TsComplex a, const TsComplex& b) {
    return a *= b;
}
inline TsComplex operator*(TsComplex a, float s) {
    return a *= s;
}
inline TsComplex operator*(float s, TsComplex a) {
    return a *= s;
}
inline TsComplex operator/(TsComplex a, const TsComplex& b) {
    return a /= b;
}
inline TsComplex operator-(const TsComplex& a) {
    return TsComplex(-a.re, -a.im);
}
inline bool operator==(const TsComplex& a, const TsComplex& b) {
    return a.re == b.re && a.im == b.im;
}
inline bool operator!=(const TsComplex& a, const TsComplex& b) {
    return !(a == b);
}

}  // namespace QuorUtility
