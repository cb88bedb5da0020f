// SPDX-License-Identifier: Apache-2.0
// Pointwise formatting of complex trace data into display scalars.
//
// Log and linear magnitude, 10·log10 of a power, phase (plain or unwrapped), SWR, real and
// imaginary part, and the noise density of a noise temperature. Every result is formed in
// double and rounded to float on store. A zero magnitude never yields -∞: the dB forms write
// TsComplex::m_logMagZeroValue instead.
//
// Forms and sizes:
//  - array forms take `n` input samples and `n` output floats; n < 1 writes nothing;
//  - vector forms resize the output to the input length (new elements 0) and fill all of it;
//  - range forms format the half-open run first <= i < last of a full-length trace.
// Every operation returns 0, except that a null pointer with n >= 1, or a range that does not
// lie inside the input vector, returns kInvalidArg and writes nothing.
#pragma once

#include <vector>

#include "tessel/core/export.h"
#include "tessel/core/types.h"

namespace Tessel {

// Log magnitude, TsComplex::LogMag: 10·log10(re² + im²) dB.
TESSEL_EXPORT long FormatDataLogMag(const TsComplex* in, float* out, int n);
TESSEL_EXPORT long FormatDataLogMag(const std::vector<TsComplex>& in, std::vector<float>& out);
// Range form over [first, last): `out` grows to `last` elements when shorter and never
// shrinks; first >= last writes nothing.
TESSEL_EXPORT long FormatDataLogMag(const std::vector<TsComplex>& in, std::vector<float>& out,
                                    int first, int last);

// 10·log10|re| of samples that hold a power in their real part.
TESSEL_EXPORT long FormatData10LogMag(const TsComplex* in, float* out, int n);

// Linear magnitude hypot(re, im).
TESSEL_EXPORT long FormatDataLinMag(const TsComplex* in, float* out, int n);
TESSEL_EXPORT long FormatDataLinMag(const std::vector<TsComplex>& in, std::vector<float>& out);

// Phase in radians, -π..π.
TESSEL_EXPORT long FormatDataPhase(const TsComplex* in, float* out, int n);
TESSEL_EXPORT long FormatDataPhase(const std::vector<TsComplex>& in, std::vector<float>& out);
// Range forms over [first, last), plain or unwrapped. Unwrapping adds 2π·c to each phase, where
// the count c changes by one at every step of more than π between neighbours (a step of exactly
// ±π is kept). A run starting at first > 1 continues the offset already present in
// out[first - 1] relative to out[0]; a run starting at first >= 1 steps from out[first - 1].
// first >= last writes nothing. The vector form resizes `out` to the input length first.
TESSEL_EXPORT long FormatDataPhase(const TsComplex* in, float* out, int first, int last,
                                   bool unwrap);
TESSEL_EXPORT long FormatDataPhase(const std::vector<TsComplex>& in, std::vector<float>& out,
                                   int first, int last, bool unwrap);

// Standing-wave ratio of a reflection coefficient, TsComplex::SWR.
TESSEL_EXPORT long FormatDataSWR(const TsComplex* in, float* out, int n);
TESSEL_EXPORT long FormatDataSWR(const std::vector<TsComplex>& in, std::vector<float>& out);

// Real and imaginary part.
TESSEL_EXPORT long FormatDataReal(const TsComplex* in, float* out, int n);
TESSEL_EXPORT long FormatDataReal(const std::vector<TsComplex>& in, std::vector<float>& out);
TESSEL_EXPORT long FormatDataImag(const TsComplex* in, float* out, int n);
TESSEL_EXPORT long FormatDataImag(const std::vector<TsComplex>& in, std::vector<float>& out);

// Noise density in dBm/Hz of a noise temperature in kelvin held in the real part:
// 10·log10(|re|·k·1000) with Boltzmann's constant k.
TESSEL_EXPORT long FormatNoiseDensity(const TsComplex* in, float* out, int n);

}  // namespace Tessel
