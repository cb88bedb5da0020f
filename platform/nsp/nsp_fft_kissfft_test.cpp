// SPDX-License-Identifier: Apache-2.0
// The shared FFT cases on the kissfft backend.
#define NSP_FFT_SUITE NspFftKissfft
#define NSP_FFT_BACKEND kissfft
#include "platform/nsp/nsp_fft_test_shared.h"
