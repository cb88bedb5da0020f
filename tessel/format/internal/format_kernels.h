// SPDX-License-Identifier: Apache-2.0
// Per-sample formatting kernels behind the format functions, in one portable variant and in
// vector variants for the instruction sets a processor may offer (not installed).
//
// Every variant forms its results in double and rounds them to float (or keeps them in double)
// on store, like the portable one. The vector variants compute ln and atan2 with polynomials of
// about 1e-12 relative error instead of the C library's last-ulp accuracy, which a float result
// cannot show: results stay within a float ulp of the portable variant's, and special values
// (zero, NaN, infinities, signed zeros, the SWR cap) give exactly the portable results. The
// processor is asked once which variant it can run.
#pragma once

#include <cstddef>
#include <vector>

#include "tessel/core/status.h"
#include "tessel/core/types.h"

namespace Tessel {
namespace internal {

// Largest SWR reported: also the value of a reflection coefficient of magnitude 1 or more.
inline constexpr double kMaxSwr = TsComplex::m_maxSWR;

// The level whose 20·log10 the power-level dB forms show, of a sample z across the system
// impedance R: the voltage sqrt(|z|²·0.001·R) in millivolts, that voltage over R in
// milliamperes, the noise voltage density sqrt(|re|·k·0.001·R) in millivolts per root hertz
// (k·1000 = kBoltzmannMilli), or the real part itself.
enum class Level { kMillivolts, kMilliamperes, kNoiseMillivolts, kRaw };

// One complete set of kernels. Each reads n samples from `in` and writes n results to `out`;
// the caller has checked the pointers, n may be 0.
struct FormatKernels {
    const char* name;
    // 10·log10(re² + im²); `zeroValue` where re² + im² is exactly 0.
    void (*logMag)(const TsComplex* in, float* out, std::size_t n, double zeroValue);
    // 10·log10(|re|·scale); `zeroValue` where |re|·scale is exactly 0.
    void (*powerDb)(const TsComplex* in, float* out, std::size_t n, double scale, double zeroValue);
    // 20·log10 of the level; `zeroValue` where it is exactly 0, NaN where it is negative.
    void (*levelDb)(const TsComplex* in, float* out, std::size_t n, Level level, double impedance,
                    double zeroValue);
    // hypot(re, im).
    void (*linMag)(const TsComplex* in, float* out, std::size_t n);
    // atan2(im, re), rounded to float or kept in double (for unwrapping).
    void (*phase)(const TsComplex* in, float* out, std::size_t n);
    void (*phaseDouble)(const TsComplex* in, double* out, std::size_t n);
    // TsComplex::SWR: (1 + |z|)/(1 - |z|) capped at kMaxSwr, and kMaxSwr for |z| >= 1 or NaN.
    void (*swr)(const TsComplex* in, float* out, std::size_t n);
};

// The portable variant: the per-sample member functions of TsComplex, one sample at a time.
const FormatKernels& PortableKernels();

// The fastest variant the running processor supports, chosen on the first call.
const FormatKernels& ActiveKernels();

// Every variant the running processor supports, the portable one first (for tests that check
// each against the portable one).
std::vector<const FormatKernels*> SupportedKernels();

// The vector variants, or null where the processor (or the build's target architecture) lacks
// the instruction set. Defined in format_kernels_x86.cpp.
const FormatKernels* Avx2Kernels();
const FormatKernels* Avx512Kernels();

// Runs kernel(in, out, n) on an array form's arguments: nothing for n < 1, kInvalidArg for a
// null pointer when n >= 1, else 0.
template <class Kernel>
long RunOnArray(const TsComplex* in, float* out, int n, Kernel kernel) {
    if (n < 1) {
        return kOk;
    }
    if (in == nullptr || out == nullptr) {
        return kInvalidArg;
    }
    kernel(in, out, static_cast<std::size_t>(n));
    return kOk;
}

// Runs kernel on a vector form's arguments: `out` resized to the input length, then filled.
template <class Kernel>
long RunOnVector(const std::vector<TsComplex>& in, std::vector<float>& out, Kernel kernel) {
    out.resize(in.size());
    kernel(in.data(), out.data(), in.size());
    return kOk;
}

}  // namespace internal
}  // namespace Tessel
