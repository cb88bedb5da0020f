// SPDX-License-Identifier: Apache-2.0
// The shared FFT cases on the fftw backend.
#define NSP_FFT_SUITE NspFftFftw
#define NSP_FFT_BACKEND fftw
#include "platform/nsp/nsp_fft_test_shared.h"
