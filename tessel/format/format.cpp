// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/format.h"

#include "tessel/core/status.h"
#include "tessel/format/format_functions.h"
#include "tessel/format/group_delay.h"
#include "tessel/format/internal/format_kernels.h"
#include "tessel/format/internal/format_math.h"

namespace Tessel {

using internal::MapSamples;

Format::Format() : m_logMagZeroValue(TsComplex::m_logMagZeroValue) {}

double Format::SetLogMagZeroValue(double value) {
    const double previous = m_logMagZeroValue;
    m_logMagZeroValue = value;
    return previous;
}

long Format::LogMag(const TsComplex* in, float* out, int n) const {
    const double zero = m_logMagZeroValue;
    return internal::RunOnArray(in, out, n, [zero](const TsComplex* z, float* o, std::size_t k) {
        internal::ActiveKernels().logMag(z, o, k, zero);
    });
}

long Format::LogMag(const std::vector<TsComplex>& in, std::vector<float>& out) const {
    const double zero = m_logMagZeroValue;
    return internal::RunOnVector(in, out, [zero](const TsComplex* z, float* o, std::size_t k) {
        internal::ActiveKernels().logMag(z, o, k, zero);
    });
}

long Format::LogMag(const std::vector<TsComplex>& in, std::vector<float>& out, int first,
                    int last) const {
    return FormatDataLogMag(in, out, first, last);
}

long Format::LinMag(const TsComplex* in, float* out, int n) {
    return FormatDataLinMag(in, out, n);
}
long Format::LinMag(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return FormatDataLinMag(in, out);
}

long Format::Phase(const TsComplex* in, float* out, int n) {
    return FormatDataPhase(in, out, n);
}
long Format::Phase(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return FormatDataPhase(in, out);
}
long Format::Phase(const std::vector<TsComplex>& in, std::vector<double>& out) {
    return MapSamples(in, out, [](const TsComplex& z) { return z.Phase(); });
}

long Format::SWR(const TsComplex* in, float* out, int n) {
    return FormatDataSWR(in, out, n);
}
long Format::SWR(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return FormatDataSWR(in, out);
}
long Format::SWR(const std::vector<TsComplex>& in, std::vector<double>& out) {
    return MapSamples(in, out, [](const TsComplex& z) { return z.SWR(); });
}

long Format::Real(const TsComplex* in, float* out, int n) {
    return FormatDataReal(in, out, n);
}
long Format::Real(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return FormatDataReal(in, out);
}
long Format::Real(const std::vector<TsComplex>& in, std::vector<double>& out) {
    return MapSamples(in, out, [](const TsComplex& z) { return double(z.re); });
}

long Format::Imag(const TsComplex* in, float* out, int n) {
    return FormatDataImag(in, out, n);
}
long Format::Imag(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return FormatDataImag(in, out);
}
long Format::Imag(const std::vector<TsComplex>& in, std::vector<double>& out) {
    return MapSamples(in, out, [](const TsComplex& z) { return double(z.im); });
}

double Format::Delay(const TsComplex& z1, const TsComplex& z2, double f1, double f2) {
    const double w = internal::kTwoPi * (f2 - f1);
    if (w < 1e-10) {
        return 0.0;
    }
    return internal::WrapPhaseStep(z1.Phase() - z2.Phase()) / w;
}

double Format::Delay(const std::vector<TsComplex>& data, const QuorUtility::InputArray& stimulus,
                     int index) {
    const std::size_t k = index == 0 ? 1 : static_cast<std::size_t>(index);
    if (index < 0 || k >= data.size() || k >= stimulus.size()) {
        return 0.0;
    }
    return Delay(data[k - 1], data[k], stimulus.at(k - 1), stimulus.at(k));
}

long Format::Delay(const TsComplex* data, const QuorUtility::InputArray& stimulus, float* out,
                   int first, int last) {
    return FormatDataDelay(data, stimulus, out, first, last);
}

long Format::Delay(const std::vector<TsComplex>& data, const QuorUtility::InputArray& stimulus,
                   std::vector<float>& out) {
    return FormatDataDelay(data, stimulus, out);
}

namespace {
// ω = 2π·f of a frequency in hertz.
double Omega(double frequency) {
    return internal::kTwoPi * frequency;
}
}  // namespace

double Format::Z_ToInductance(const TsComplex& z, double frequency, bool& isCapacitance) {
    isCapacitance = false;
    if (frequency == 0.0) {
        return 0.0;
    }
    const double x = z.im;
    if (x < 0.0) {
        isCapacitance = true;
        return -1.0 / (Omega(frequency) * x);
    }
    return x / Omega(frequency);
}

double Format::Y_ToInductance(const TsComplex& y, double frequency, bool& isCapacitance) {
    isCapacitance = false;
    if (frequency == 0.0) {
        return 0.0;
    }
    const double b = y.im;
    if (b < 0.0) {
        return -1.0 / (Omega(frequency) * b);
    }
    isCapacitance = true;
    return b / Omega(frequency);
}

}  // namespace Tessel
