// SPDX-License-Identifier: Apache-2.0
// The FFT front end shared by every backend, and the backends' entry points.
//
// A backend transforms 2^order complex values in place, unscaled, in either direction; the
// front end checks the arguments, handles the one-point transform and scales the inverse.
// The library is built with one backend (CMake option TESSEL_FFT: fftw or kissfft); each
// backend's tests call it through RunFft so every backend runs the same cases.
#pragma once

#include <cstddef>

#include "platform/nsp/nsp.h"

namespace nsp_internal {

inline constexpr int kMaxFftOrder = 30;

// Transforms the 2^order values of vec in place (order 1..kMaxFftOrder), forward with
// exp(-j...) or backward with exp(+j...), unscaled. Returns false, leaving vec unchanged, when
// memory for the plan or a scratch buffer runs out.
using FftTransform = bool (*)(SCplx* vec, int order, bool forward);

namespace fftw {
bool Transform(SCplx* vec, int order, bool forward);
}  // namespace fftw
namespace kissfft {
bool Transform(SCplx* vec, int order, bool forward);
}  // namespace kissfft

// nspcFft on the given backend: see nsp.h for the contract.
inline void RunFft(FftTransform transform, SCplx* vec, int order, int flags) {
    const bool forward = (flags & kNspForward) != 0;
    const bool inverse = (flags & kNspInverse) != 0;
    if (vec == nullptr || order < 0 || order > kMaxFftOrder || forward == inverse) {
        return;
    }
    if (order == 0 || !transform(vec, order, forward)) {
        return;  // a one-point transform is the identity in both directions
    }
    if (inverse) {
        float* floats = &vec->re;
        // 1/L is a power of two: the scaling is exact.
        const float scale = 1.0f / static_cast<float>(1 << order);
        const std::size_t count = std::size_t{2} << order;
        for (std::size_t i = 0; i < count; ++i) {
            floats[i] *= scale;
        }
    }
}

}  // namespace nsp_internal
