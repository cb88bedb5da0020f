// SPDX-License-Identifier: Apache-2.0
// Signal-processing primitives used by the time-domain transform and gating: a power-of-two
// complex FFT, the Kaiser window, and element-wise vector arithmetic on single-precision data.
//
// The complex element is the measurement library's `TsComplex` (two packed floats, real then
// imaginary), so sample arrays are passed without conversion. Every vector function takes a
// length `n`; a null pointer or n <= 0 makes the call do nothing. Sources and destinations
// may be the same array, but must not otherwise overlap.
//
// The FFT runs on the backend chosen when the library is built (CMake option TESSEL_FFT):
// FFTW or KissFFT, both in single precision. Plans are made once per size and direction and
// kept for the life of the process; only plan creation is serialised, so transforms of
// different arrays may run concurrently on several threads.
#pragma once

#include "platform/measutil/ts_complex.h"
#include "tessel/core/export.h"

using SCplx = QuorUtility::TsComplex;

// Flags of nspcFft. Exactly one of kNspForward and kNspInverse must be set.
inline constexpr int kNspForward = 1;
inline constexpr int kNspInverse = 2;
// Bit-reversal requests. They are accepted and ignored: every transform takes and leaves its
// data in natural order. A forward transform asked to leave bit-reversed output (129) and an
// inverse transform asked to take bit-reversed input (66) are only ever paired through
// element-wise products, which commute with any common permutation, so natural order on both
// sides gives the same results while sparing the reordering.
inline constexpr int kNspInBitRev = 64;
inline constexpr int kNspOutBitRev = 128;

// Transforms the L = 2^order complex values of vec in place.
// Forward: X[k] = sum_n x[n]·exp(-j·2π·n·k/L), unscaled.
// Inverse: x[n] = (1/L)·sum_k X[k]·exp(+j·2π·n·k/L).
// Does nothing when vec is null, order is outside 0..30, the direction flags are not exactly
// one of kNspForward and kNspInverse, or the backend runs out of memory for a plan. Any address
// is accepted: on FFTW, arrays with its SIMD alignment (16 bytes, as malloc and operator new
// give) are transformed where they are, others through an aligned buffer kept per thread.
TESSEL_EXPORT void nspcFft(SCplx* vec, int order, int flags);

// Multiplies vec[i] by the Kaiser window of n points,
//   w[i] = I0(alpha·sqrt(h² - (i - h)²)) / I0(alpha·h),  h = (n - 1)/2,
// I0 the modified Bessel function of order 0, evaluated in double. The window is even in
// alpha; a NaN or infinite alpha leaves vec unchanged.
TESSEL_EXPORT void nspsWinKaiser(float* vec, int n, float alpha);

// Returns the mean of vec[0..n-1], summed in double; 0 when n <= 0 or vec is null.
TESSEL_EXPORT float nspsMean(const float* vec, int n);

// dst[i] = value.
TESSEL_EXPORT void nspsbSet(float value, float* dst, int n);
// dst[i] *= value.
TESSEL_EXPORT void nspsbMpy1(float value, float* dst, int n);

// The complex value (re, im).
inline SCplx nspcSet(float re, float im) {
    return SCplx(re, im);
}
// The complex product a·b.
inline SCplx nspcMpy(SCplx a, SCplx b) {
    return a * b;
}

// dst[i] = 0.
TESSEL_EXPORT void nspcbZero(SCplx* dst, int n);
// dst[i] = src[i].
TESSEL_EXPORT void nspcbCopy(const SCplx* src, SCplx* dst, int n);
// dst[i] *= value.
TESSEL_EXPORT void nspcbMpy1(SCplx value, SCplx* dst, int n);
// dst[i] *= src[i]: the second argument receives the product.
TESSEL_EXPORT void nspcbMpy2(const SCplx* src, SCplx* dst, int n);
// dst[i] = src1[i]·src2[i].
TESSEL_EXPORT void nspcbMpy3(const SCplx* src1, const SCplx* src2, SCplx* dst, int n);
// mag[i] = |src[i]|, formed in double and rounded to float.
TESSEL_EXPORT void nspcbMag(const SCplx* src, float* mag, int n);
