// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/power_levels.h"

#include <cmath>

#include "tessel/format/internal/format_math.h"

namespace Tessel {

using internal::MapSamples;

namespace {

// The voltage across R of the power |z|² mW.
double Volts(const TsComplex& z, double r) {
    return std::sqrt(z.MagSquared() * 0.001 * r);
}

// +1 for a positive real part, -1 otherwise (zero included).
double SignOf(const TsComplex& z) {
    return z.re > 0.0f ? 1.0 : -1.0;
}

// 20·log10(v), or the zero value for v exactly 0. A negative raw level has no logarithm and
// gives NaN, as log10 does.
double AmplitudeToDb(double v) {
    return v == 0.0 ? TsComplex::m_logMagZeroValue : 20.0 * std::log10(v);
}

}  // namespace

long FormatLogMag_V(const TsComplex* in, float* out, int n, double impedance, bool raw) {
    return MapSamples(in, out, n, [impedance, raw](const TsComplex& z) {
        return raw ? double(z.re) : SignOf(z) * Volts(z, impedance);
    });
}

long FormatLogMag_A(const TsComplex* in, float* out, int n, double impedance, bool raw) {
    return MapSamples(in, out, n, [impedance, raw](const TsComplex& z) {
        return raw ? double(z.re) : SignOf(z) * Volts(z, impedance) / impedance;
    });
}

long FormatLogMag_dBmV(const TsComplex* in, float* out, int n, double impedance, bool raw) {
    return MapSamples(in, out, n, [impedance, raw](const TsComplex& z) {
        return AmplitudeToDb(raw ? double(z.re) : Volts(z, impedance) * 1000.0);
    });
}

long FormatLogMag_dBmA(const TsComplex* in, float* out, int n, double impedance, bool raw) {
    return MapSamples(in, out, n, [impedance, raw](const TsComplex& z) {
        return AmplitudeToDb(raw ? double(z.re) : Volts(z, impedance) * 1000.0 / impedance);
    });
}

long FormatNoiseDensity_dBmV(const TsComplex* in, float* out, int n, double impedance) {
    return MapSamples(in, out, n, [impedance](const TsComplex& z) {
        const double power = std::fabs(double(z.re)) * internal::kBoltzmannMilli;
        return AmplitudeToDb(std::sqrt(power * 0.001 * impedance) * 1000.0);
    });
}

}  // namespace Tessel
