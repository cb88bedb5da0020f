// SPDX-License-Identifier: Apache-2.0
// The twelve-term two-port correction loop behind Correct2Port, in several instruction-set
// variants chosen at run time.
//
// The library runs on x86-64 processors it does not know at build time, so the loop is compiled
// once for the portable baseline and once each for AVX2 and AVX-512; the first call picks the
// widest variant the processor and operating system support and keeps it. Every variant does
// the same operations in the same order on every point (no reassociation, and a fused
// multiply-add only where the product it absorbs is exact), so all of them give identical
// results; tests run each supported variant against the scalar formula on the same data.
#pragma once

#include <cstddef>
#include <vector>

#include "tessel/core/types.h"

namespace Tessel::internal {

// The 20 arrays of one two-port correction, each pointing at the first point to correct.
// raw and out: S11, S12, S21, S22; terms: the twelve error terms in Correct2Port's order (both
// crosstalk terms non-null here). An output may be the raw array of the same parameter or of
// another one (in-place correction): all inputs of a point are read before its outputs are
// written. No other overlap is allowed.
struct TwoPortArrays {
    const TsComplex* raw[4];
    const TsComplex* terms[12];
    TsComplex* out[4];
};

// Ranges from this many points on (20 arrays of 8-byte samples: 10 MB, past the private caches)
// are corrected with software prefetching; shorter ones without, since in cache the requests
// only add work. Chosen with correction_kernels_benchmark.
inline constexpr std::size_t kTwoPortPrefetchFrom = 65536;

// Corrects `count` points of the arrays.
using TwoPortKernel = void (*)(const TwoPortArrays& arrays, std::size_t count);

struct TwoPortKernelVariant {
    const char* name;  // "baseline", "avx2" or "avx512"
    TwoPortKernel kernel;
};

// The variants this processor can run, the baseline first.
std::vector<TwoPortKernelVariant> SupportedTwoPortKernels();

// The variant Correct2Port uses: the widest supported one, chosen on the first call.
TwoPortKernel SelectedTwoPortKernel();

}  // namespace Tessel::internal
