// SPDX-License-Identifier: Apache-2.0
// Voltage and current levels of power samples across a system impedance.
//
// Each sample holds a power in mW as |z|². Across the system impedance R (ohms) that power is
// the voltage sqrt(P) with P = |z|²·0.001·R, or the current sqrt(P)/R. The linear forms carry
// the sign of the real part (+ when re > 0, else -), the dB forms are 20·log10 of millivolts or
// milliamperes. With `raw` set the real part of each sample already is the level (volts,
// amperes, millivolts or milliamperes) and is used as it is.
//
// Results are formed in double and stored as float. A level of exactly 0 gives
// TsComplex::m_logMagZeroValue in the dB forms, never -∞. Each function returns 0, or
// kInvalidArg (writing nothing) for a null pointer with n >= 1; n < 1 writes nothing.
#pragma once

#include "tessel/core/export.h"
#include "tessel/core/types.h"

namespace Tessel {

// Signed voltage in volts: s·sqrt(|z|²·0.001·R).
TESSEL_EXPORT long FormatLogMag_V(const TsComplex* in, float* out, int n, double impedance,
                                  bool raw);
// Signed current in amperes: s·sqrt(|z|²·0.001·R)/R.
TESSEL_EXPORT long FormatLogMag_A(const TsComplex* in, float* out, int n, double impedance,
                                  bool raw);
// Voltage level in dBmV: 20·log10(1000·sqrt(|z|²·0.001·R)).
TESSEL_EXPORT long FormatLogMag_dBmV(const TsComplex* in, float* out, int n, double impedance,
                                     bool raw);
// Current level in dBmA: 20·log10(1000·sqrt(|z|²·0.001·R)/R).
TESSEL_EXPORT long FormatLogMag_dBmA(const TsComplex* in, float* out, int n, double impedance,
                                     bool raw);

// Noise voltage density in dBmV of a noise temperature in kelvin held in the real part:
// 20·log10(1000·sqrt(|re|·k·1000·0.001·R)) with Boltzmann's constant k.
TESSEL_EXPORT long FormatNoiseDensity_dBmV(const TsComplex* in, float* out, int n,
                                           double impedance);

}  // namespace Tessel
