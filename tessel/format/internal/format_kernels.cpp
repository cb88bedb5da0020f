// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/internal/format_kernels.h"

#include <cmath>

#include "tessel/format/internal/format_math.h"

namespace Tessel {
namespace internal {

namespace {

void LogMagPortable(const TsComplex* in, float* out, std::size_t n, double zeroValue) {
    for (std::size_t i = 0; i < n; ++i) {
        const double m2 = in[i].MagSquared();
        out[i] = static_cast<float>(m2 == 0.0 ? zeroValue : 10.0 * std::log10(m2));
    }
}

void PowerDbPortable(const TsComplex* in, float* out, std::size_t n, double scale,
                     double zeroValue) {
    for (std::size_t i = 0; i < n; ++i) {
        const double x = std::fabs(double(in[i].re)) * scale;
        out[i] = static_cast<float>(x == 0.0 ? zeroValue : 10.0 * std::log10(x));
    }
}

// The level of one sample, in the order of operations every variant follows.
double LevelOf(const TsComplex& z, Level level, double r) {
    switch (level) {
        case Level::kMillivolts:
            return std::sqrt(z.MagSquared() * 0.001 * r) * 1000.0;
        case Level::kMilliamperes:
            return std::sqrt(z.MagSquared() * 0.001 * r) * 1000.0 / r;
        case Level::kNoiseMillivolts:
            return std::sqrt(std::fabs(double(z.re)) * kBoltzmannMilli * 0.001 * r) * 1000.0;
        case Level::kRaw:
            break;
    }
    return z.re;
}

void LevelDbPortable(const TsComplex* in, float* out, std::size_t n, Level level, double r,
                     double zeroValue) {
    for (std::size_t i = 0; i < n; ++i) {
        const double v = LevelOf(in[i], level, r);
        out[i] = static_cast<float>(v == 0.0 ? zeroValue : 20.0 * std::log10(v));
    }
}

void LinMagPortable(const TsComplex* in, float* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<float>(in[i].Mag());
    }
}

void PhasePortable(const TsComplex* in, float* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<float>(in[i].Phase());
    }
}

void PhaseDoublePortable(const TsComplex* in, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = in[i].Phase();
    }
}

void SwrPortable(const TsComplex* in, float* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<float>(in[i].SWR());
    }
}

const FormatKernels kPortable = {"portable",          LogMagPortable, PowerDbPortable,
                                 LevelDbPortable,     LinMagPortable, PhasePortable,
                                 PhaseDoublePortable, SwrPortable};

const FormatKernels& ChooseKernels() {
    if (const FormatKernels* k = Avx512Kernels()) {
        return *k;
    }
    if (const FormatKernels* k = Avx2Kernels()) {
        return *k;
    }
    return kPortable;
}

}  // namespace

const FormatKernels& PortableKernels() {
    return kPortable;
}

const FormatKernels& ActiveKernels() {
    // Chosen once; the initialisation of a function-local static is thread-safe.
    static const FormatKernels& active = ChooseKernels();
    return active;
}

std::vector<const FormatKernels*> SupportedKernels() {
    std::vector<const FormatKernels*> all = {&kPortable};
    for (const FormatKernels* k : {Avx2Kernels(), Avx512Kernels()}) {
        if (k != nullptr) {
            all.push_back(k);
        }
    }
    return all;
}

}  // namespace internal
}  // namespace Tessel
