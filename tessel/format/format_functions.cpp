// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/format_functions.h"

#include <algorithm>
#include <cmath>

#include "tessel/format/internal/format_kernels.h"
#include "tessel/format/internal/format_math.h"

namespace Tessel {

using internal::ActiveKernels;
using internal::MapSamples;
using internal::RunOnArray;
using internal::RunOnVector;

namespace {

// True when [first, last) is a non-empty run that does not fit a vector of `size` elements.
bool RangeOutside(int first, int last, std::size_t size) {
    return first < last && (first < 0 || static_cast<std::size_t>(last) > size);
}

double Real(const TsComplex& z) {
    return z.re;
}
double Imag(const TsComplex& z) {
    return z.im;
}

// The kernels of the running processor, in the shape RunOnArray and RunOnVector call.
void LogMagOf(const TsComplex* in, float* out, std::size_t n) {
    ActiveKernels().logMag(in, out, n, TsComplex::m_logMagZeroValue);
}
void LinMagOf(const TsComplex* in, float* out, std::size_t n) {
    ActiveKernels().linMag(in, out, n);
}
void PhaseOf(const TsComplex* in, float* out, std::size_t n) {
    ActiveKernels().phase(in, out, n);
}
void SwrOf(const TsComplex* in, float* out, std::size_t n) {
    ActiveKernels().swr(in, out, n);
}

// Phases formed in double are unwrapped in blocks of this many samples, kept on the stack.
constexpr int kUnwrapBlock = 256;

}  // namespace

long FormatDataLogMag(const TsComplex* in, float* out, int n) {
    return RunOnArray(in, out, n, LogMagOf);
}

long FormatDataLogMag(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return RunOnVector(in, out, LogMagOf);
}

long FormatDataLogMag(const std::vector<TsComplex>& in, std::vector<float>& out, int first,
                      int last) {
    if (first >= last) {
        return kOk;
    }
    if (RangeOutside(first, last, in.size())) {
        return kInvalidArg;
    }
    if (out.size() < static_cast<std::size_t>(last)) {
        out.resize(last);
    }
    LogMagOf(in.data() + first, out.data() + first, static_cast<std::size_t>(last - first));
    return kOk;
}

long FormatData10LogMag(const TsComplex* in, float* out, int n) {
    return RunOnArray(in, out, n, [](const TsComplex* z, float* o, std::size_t k) {
        ActiveKernels().powerDb(z, o, k, 1.0, TsComplex::m_logMagZeroValue);
    });
}

long FormatDataLinMag(const TsComplex* in, float* out, int n) {
    return RunOnArray(in, out, n, LinMagOf);
}

long FormatDataLinMag(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return RunOnVector(in, out, LinMagOf);
}

long FormatDataPhase(const TsComplex* in, float* out, int n) {
    return RunOnArray(in, out, n, PhaseOf);
}

long FormatDataPhase(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return RunOnVector(in, out, PhaseOf);
}

long FormatDataPhase(const TsComplex* in, float* out, int first, int last, bool unwrap) {
    if (first >= last) {
        return kOk;
    }
    if (first < 0 || in == nullptr || out == nullptr) {
        return kInvalidArg;
    }
    if (!unwrap) {
        PhaseOf(in + first, out + first, static_cast<std::size_t>(last - first));
        return kOk;
    }
    // Turn count, kept as an integral double so that a garbage earlier run cannot overflow it.
    double turns = 0.0;
    if (first > 1) {
        turns = std::trunc((double(out[first - 1]) - double(out[0])) * internal::kInvTwoPi);
    }
    // The previous value stays in double inside the run, so that a step of exactly ±π between
    // two samples is seen as exactly ±π and not as the float-rounded neighbour.
    double previous = first > 0 ? double(out[first - 1]) : 0.0;
    double phase[kUnwrapBlock];
    for (int start = first; start < last; start += kUnwrapBlock) {
        const int count = std::min(kUnwrapBlock, last - start);
        ActiveKernels().phaseDouble(in + start, phase, static_cast<std::size_t>(count));
        for (int k = 0; k < count; ++k) {
            const int i = start + k;
            double value = turns * internal::kTwoPi + phase[k];
            if (i > 0) {
                const double step = value - previous;
                if (step < -internal::kPi) {
                    turns += 1.0;
                    value += internal::kTwoPi;
                } else if (step > internal::kPi) {
                    turns -= 1.0;
                    value -= internal::kTwoPi;
                }
            }
            out[i] = static_cast<float>(value);
            previous = value;
        }
    }
    return kOk;
}

long FormatDataPhase(const std::vector<TsComplex>& in, std::vector<float>& out, int first, int last,
                     bool unwrap) {
    if (RangeOutside(first, last, in.size())) {
        return kInvalidArg;
    }
    out.resize(in.size());
    return FormatDataPhase(in.data(), out.data(), first, last, unwrap);
}

long FormatDataSWR(const TsComplex* in, float* out, int n) {
    return RunOnArray(in, out, n, SwrOf);
}

long FormatDataSWR(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return RunOnVector(in, out, SwrOf);
}

long FormatDataReal(const TsComplex* in, float* out, int n) {
    return MapSamples(in, out, n, Real);
}

long FormatDataReal(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return MapSamples(in, out, Real);
}

long FormatDataImag(const TsComplex* in, float* out, int n) {
    return MapSamples(in, out, n, Imag);
}

long FormatDataImag(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return MapSamples(in, out, Imag);
}

long FormatNoiseDensity(const TsComplex* in, float* out, int n) {
    return RunOnArray(in, out, n, [](const TsComplex* z, float* o, std::size_t k) {
        ActiveKernels().powerDb(z, o, k, internal::kBoltzmannMilli, TsComplex::m_logMagZeroValue);
    });
}

}  // namespace Tessel
