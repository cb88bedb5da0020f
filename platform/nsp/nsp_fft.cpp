// SPDX-License-Identifier: Apache-2.0
// nspcFft on the backend the library is built with (CMake option TESSEL_FFT).

#include "platform/nsp/internal/fft_backend.h"

void nspcFft(SCplx* vec, int order, int flags) {
#if defined(TESSEL_FFT_KISSFFT)
    nsp_internal::RunFft(&nsp_internal::kissfft::Transform, vec, order, flags);
#else
    nsp_internal::RunFft(&nsp_internal::fftw::Transform, vec, order, flags);
#endif
}
