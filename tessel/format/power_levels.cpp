// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/power_levels.h"

#include <cmath>

#include "tessel/format/internal/format_kernels.h"
#include "tessel/format/internal/format_math.h"

namespace Tessel {

using internal::ActiveKernels;
using internal::Level;
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

// 20·log10 of a level through the processor's kernels: the zero value for a level of exactly 0,
// NaN for a negative raw level (as log10 gives).
long LevelDb(const TsComplex* in, float* out, int n, Level level, double impedance) {
    return internal::RunOnArray(
        in, out, n, [level, impedance](const TsComplex* z, float* o, std::size_t k) {
            ActiveKernels().levelDb(z, o, k, level, impedance, TsComplex::m_logMagZeroValue);
        });
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
    return LevelDb(in, out, n, raw ? Level::kRaw : Level::kMillivolts, impedance);
}

long FormatLogMag_dBmA(const TsComplex* in, float* out, int n, double impedance, bool raw) {
    return LevelDb(in, out, n, raw ? Level::kRaw : Level::kMilliamperes, impedance);
}

long FormatNoiseDensity_dBmV(const TsComplex* in, float* out, int n, double impedance) {
    return LevelDb(in, out, n, Level::kNoiseMillivolts, impedance);
}

}  // namespace Tessel
