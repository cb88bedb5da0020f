// SPDX-License-Identifier: Apache-2.0
// Format: the formatting operations of a trace, with the trace's zero-magnitude setting.
//
// The only state is the log-magnitude zero value, the dB value that the member LogMag writes
// for a sample of magnitude exactly zero (so a zero sample never shows as -∞). A new object
// takes the library-wide TsComplex::m_logMagZeroValue. Every other operation is static and
// forwards to the free functions of format_functions.h and group_delay.h, or converts an
// impedance or admittance into an inductance or capacitance.
#pragma once

#include <vector>

#include "platform/measutil/input_array.h"
#include "tessel/core/export.h"
#include "tessel/core/types.h"

namespace Tessel {

class TESSEL_EXPORT Format {
  public:
    Format();
    Format(const Format&) = default;
    Format& operator=(const Format&) = default;

    // Stores a new zero value (dB) and returns the previous one.
    double SetLogMagZeroValue(double value);
    double GetLogMagZerovalue() const { return m_logMagZeroValue; }

    // 10·log10(re² + im²), or this object's zero value where re² + im² is exactly 0.
    long LogMag(const TsComplex* in, float* out, int n) const;
    long LogMag(const std::vector<TsComplex>& in, std::vector<float>& out) const;
    // The range form of FormatDataLogMag: TsComplex::LogMag (the library-wide zero value).
    long LogMag(const std::vector<TsComplex>& in, std::vector<float>& out, int first,
                int last) const;

    static long LinMag(const TsComplex* in, float* out, int n);
    static long LinMag(const std::vector<TsComplex>& in, std::vector<float>& out);

    static long Phase(const TsComplex* in, float* out, int n);
    static long Phase(const std::vector<TsComplex>& in, std::vector<float>& out);
    static long Phase(const std::vector<TsComplex>& in, std::vector<double>& out);

    static long SWR(const TsComplex* in, float* out, int n);
    static long SWR(const std::vector<TsComplex>& in, std::vector<float>& out);
    static long SWR(const std::vector<TsComplex>& in, std::vector<double>& out);

    static long Real(const TsComplex* in, float* out, int n);
    static long Real(const std::vector<TsComplex>& in, std::vector<float>& out);
    static long Real(const std::vector<TsComplex>& in, std::vector<double>& out);

    static long Imag(const TsComplex* in, float* out, int n);
    static long Imag(const std::vector<TsComplex>& in, std::vector<float>& out);
    static long Imag(const std::vector<TsComplex>& in, std::vector<double>& out);

    // The group delay between two samples at stimulus values f1 and f2 (hertz):
    // wrap(phase(z1) - phase(z2)) / (2π·(f2 - f1)), or 0 when 2π·(f2 - f1) < 1e-10 (a
    // descending or repeated stimulus included).
    static double Delay(const TsComplex& z1, const TsComplex& z2, double f1, double f2);
    // The delay at point `index`: Delay(z[k - 1], z[k], x[k - 1], x[k]) with k = index, or
    // k = 1 at index 0. Returns 0 when k is not a point of both data and stimulus.
    static double Delay(const std::vector<TsComplex>& data, const QuorUtility::InputArray& stimulus,
                        int index);
    // FormatDataDelay.
    static long Delay(const TsComplex* data, const QuorUtility::InputArray& stimulus, float* out,
                      int first, int last);
    static long Delay(const std::vector<TsComplex>& data, const QuorUtility::InputArray& stimulus,
                      std::vector<float>& out);

    // The inductance (henries) or capacitance (farads) that the reactance X = Im z shows at
    // `frequency` (hertz), ω = 2π·frequency: X >= 0 gives X/ω, an inductance
    // (isCapacitance = false); X < 0 gives -1/(ω·X), a capacitance (isCapacitance = true).
    // A frequency of exactly 0 gives 0 and false.
    static double Z_ToInductance(const TsComplex& z, double frequency, bool& isCapacitance);
    // The same from the susceptance B = Im y: B < 0 gives -1/(ω·B), an inductance
    // (isCapacitance = false); B >= 0 gives B/ω, a capacitance (isCapacitance = true).
    static double Y_ToInductance(const TsComplex& y, double frequency, bool& isCapacitance);

  private:
    double m_logMagZeroValue;
};

}  // namespace Tessel
