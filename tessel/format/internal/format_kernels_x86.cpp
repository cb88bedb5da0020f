// SPDX-License-Identifier: Apache-2.0
// AVX2 and AVX-512 variants of the formatting kernels.
//
// The library runs on any x86-64 processor, so nothing here is compiled for the whole file:
// each function carries its instruction set as a target attribute, and a variant is offered
// only when the running processor (and its operating system) supports that set.
#include "tessel/format/internal/format_kernels.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

#include <cmath>
#include <cstdint>

#include <immintrin.h>

#pragma GCC diagnostic push
#if !defined(__clang__)
// GCC's AVX-512 intrinsics start from a deliberately undefined vector, which it then reports as
// possibly uninitialised once they are inlined into functions compiled for AVX-512 by attribute.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace Tessel {
namespace internal {
namespace {

namespace avx2 {

#define TS_KERNEL __attribute__((target("avx2,fma")))
#define TS_INLINE __attribute__((target("avx2,fma"), always_inline)) inline

using VD = __m256d;
using Mask = __m256d;
constexpr std::size_t kLanes = 4;

TS_INLINE VD Set(double x) {
    return _mm256_set1_pd(x);
}
TS_INLINE VD Add(VD a, VD b) {
    return _mm256_add_pd(a, b);
}
TS_INLINE VD Sub(VD a, VD b) {
    return _mm256_sub_pd(a, b);
}
TS_INLINE VD Mul(VD a, VD b) {
    return _mm256_mul_pd(a, b);
}
TS_INLINE VD Div(VD a, VD b) {
    return _mm256_div_pd(a, b);
}
TS_INLINE VD Fma(VD a, VD b, VD c) {
    return _mm256_fmadd_pd(a, b, c);
}
TS_INLINE VD Sqrt(VD a) {
    return _mm256_sqrt_pd(a);
}
TS_INLINE VD Min(VD a, VD b) {
    return _mm256_min_pd(a, b);
}
TS_INLINE VD Max(VD a, VD b) {
    return _mm256_max_pd(a, b);
}
TS_INLINE VD Abs(VD a) {
    return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a);
}
TS_INLINE Mask Eq(VD a, VD b) {
    return _mm256_cmp_pd(a, b, _CMP_EQ_OQ);
}
TS_INLINE Mask Lt(VD a, VD b) {
    return _mm256_cmp_pd(a, b, _CMP_LT_OQ);
}
TS_INLINE Mask Or(Mask a, Mask b) {
    return _mm256_or_pd(a, b);
}
TS_INLINE VD Select(Mask m, VD yes, VD no) {
    return _mm256_blendv_pd(no, yes, m);
}
TS_INLINE VD Recip(VD x) {
    return _mm256_div_pd(_mm256_set1_pd(1.0), x);
}
// The biased exponent field of x as a double, and x's significand scaled to [1, 2).
TS_INLINE void SplitExponent(VD x, VD& biased, VD& m) {
    const __m256i bits = _mm256_castpd_si256(x), two52 = _mm256_set1_epi64x(0x4330000000000000);
    biased = _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(_mm256_srli_epi64(bits, 52), two52)),
                           _mm256_castsi256_pd(two52));
    m = _mm256_castsi256_pd(
        _mm256_or_si256(_mm256_and_si256(bits, _mm256_set1_epi64x(0x000FFFFFFFFFFFFF)),
                        _mm256_set1_epi64x(0x3FF0000000000000)));
}
TS_INLINE Mask Unordered(VD a, VD b) {
    return _mm256_cmp_pd(a, b, _CMP_UNORD_Q);
}
// blendv looks only at each lane's top bit: a value is its own sign mask.
TS_INLINE Mask SignBit(VD x) {
    return x;
}
TS_INLINE Mask And(Mask a, Mask b) {
    return _mm256_and_pd(a, b);
}
TS_INLINE VD CopySign(VD magnitude, VD sign) {
    const VD bit = _mm256_set1_pd(-0.0);
    return _mm256_or_pd(_mm256_andnot_pd(bit, magnitude), _mm256_and_pd(bit, sign));
}
// Four samples: the real parts gathered to the low half, the imaginary to the high, widened.
TS_INLINE void LoadPairs(const TsComplex* p, VD& re, VD& im) {
    const __m256 pairs = _mm256_loadu_ps(reinterpret_cast<const float*>(p));
    const __m256 split = _mm256_permutevar8x32_ps(pairs, _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7));
    re = _mm256_cvtps_pd(_mm256_castps256_ps128(split));
    im = _mm256_cvtps_pd(_mm256_extractf128_ps(split, 1));
}
TS_INLINE void Store(float* p, VD v) {
    _mm_storeu_ps(p, _mm256_cvtpd_ps(v));
}
TS_INLINE void Store(double* p, VD v) {
    _mm256_storeu_pd(p, v);
}

#include "tessel/format/internal/format_kernels_simd.inc"

#undef TS_KERNEL
#undef TS_INLINE

}  // namespace avx2

namespace avx512 {

#define TS_KERNEL __attribute__((target("avx512f")))
#define TS_INLINE __attribute__((target("avx512f"), always_inline)) inline

using VD = __m512d;
using Mask = __mmask8;
constexpr std::size_t kLanes = 8;

TS_INLINE VD Set(double x) {
    return _mm512_set1_pd(x);
}
TS_INLINE VD Add(VD a, VD b) {
    return _mm512_add_pd(a, b);
}
TS_INLINE VD Sub(VD a, VD b) {
    return _mm512_sub_pd(a, b);
}
TS_INLINE VD Mul(VD a, VD b) {
    return _mm512_mul_pd(a, b);
}
TS_INLINE VD Div(VD a, VD b) {
    return _mm512_div_pd(a, b);
}
TS_INLINE VD Fma(VD a, VD b, VD c) {
    return _mm512_fmadd_pd(a, b, c);
}
TS_INLINE VD Sqrt(VD a) {
    return _mm512_sqrt_pd(a);
}
TS_INLINE VD Min(VD a, VD b) {
    return _mm512_min_pd(a, b);
}
TS_INLINE VD Max(VD a, VD b) {
    return _mm512_max_pd(a, b);
}
TS_INLINE VD Abs(VD a) {
    return _mm512_abs_pd(a);
}
TS_INLINE Mask Eq(VD a, VD b) {
    return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ);
}
TS_INLINE Mask Lt(VD a, VD b) {
    return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ);
}
TS_INLINE Mask Or(Mask a, Mask b) {
    return static_cast<Mask>(a | b);
}
TS_INLINE VD Select(Mask m, VD yes, VD no) {
    return _mm512_mask_blend_pd(m, no, yes);
}
// A 14-bit reciprocal estimate refined by two Newton steps to about 2^-52.
TS_INLINE VD Recip(VD x) {
    VD r = _mm512_rcp14_pd(x);
    r = _mm512_fmadd_pd(r, _mm512_fnmadd_pd(x, r, _mm512_set1_pd(1.0)), r);
    return _mm512_fmadd_pd(r, _mm512_fnmadd_pd(x, r, _mm512_set1_pd(1.0)), r);
}
TS_INLINE Mask Unordered(VD a, VD b) {
    return _mm512_cmp_pd_mask(a, b, _CMP_UNORD_Q);
}
// The biased exponent field of x as a double, and x's significand scaled to [1, 2).
TS_INLINE void SplitExponent(VD x, VD& biased, VD& m) {
    const __m512i bits = _mm512_castpd_si512(x), two52 = _mm512_set1_epi64(0x4330000000000000);
    biased = _mm512_sub_pd(_mm512_castsi512_pd(_mm512_or_si512(_mm512_srli_epi64(bits, 52), two52)),
                           _mm512_castsi512_pd(two52));
    m = _mm512_castsi512_pd(
        _mm512_or_si512(_mm512_and_si512(bits, _mm512_set1_epi64(0x000FFFFFFFFFFFFF)),
                        _mm512_set1_epi64(0x3FF0000000000000)));
}
TS_INLINE Mask SignBit(VD x) {
    return _mm512_test_epi64_mask(_mm512_castpd_si512(x), _mm512_set1_epi64(INT64_MIN));
}
TS_INLINE Mask And(Mask a, Mask b) {
    return static_cast<Mask>(a & b);
}
TS_INLINE VD CopySign(VD magnitude, VD sign) {
    const __m512i bit = _mm512_set1_epi64(INT64_MIN);
    return _mm512_castsi512_pd(
        _mm512_or_si512(_mm512_andnot_si512(bit, _mm512_castpd_si512(magnitude)),
                        _mm512_and_si512(bit, _mm512_castpd_si512(sign))));
}
// Eight samples: the real parts gathered to the low half, the imaginary to the high, widened.
TS_INLINE void LoadPairs(const TsComplex* p, VD& re, VD& im) {
    const __m512 pairs = _mm512_loadu_ps(reinterpret_cast<const float*>(p));
    const __m512i order = _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 1, 3, 5, 7, 9, 11, 13, 15);
    const __m512d split = _mm512_castps_pd(_mm512_permutexvar_ps(order, pairs));
    re = _mm512_cvtps_pd(_mm256_castpd_ps(_mm512_castpd512_pd256(split)));
    im = _mm512_cvtps_pd(_mm256_castpd_ps(_mm512_extractf64x4_pd(split, 1)));
}
TS_INLINE void Store(float* p, VD v) {
    _mm256_storeu_ps(p, _mm512_cvtpd_ps(v));
}
TS_INLINE void Store(double* p, VD v) {
    _mm512_storeu_pd(p, v);
}

#include "tessel/format/internal/format_kernels_simd.inc"

#undef TS_KERNEL
#undef TS_INLINE

}  // namespace avx512

const FormatKernels kAvx2 = {"avx2",
                             avx2::LogMagKernel,
                             avx2::PowerDbKernel,
                             avx2::LinMagKernel,
                             avx2::PhaseKernel,
                             avx2::PhaseDoubleKernel,
                             avx2::SwrKernel};
const FormatKernels kAvx512 = {
    "avx512f",           avx512::LogMagKernel,      avx512::PowerDbKernel, avx512::LinMagKernel,
    avx512::PhaseKernel, avx512::PhaseDoubleKernel, avx512::SwrKernel};

}  // namespace

const FormatKernels* Avx2Kernels() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") ? &kAvx2 : nullptr;
}

const FormatKernels* Avx512Kernels() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") ? &kAvx512 : nullptr;
}

}  // namespace internal
}  // namespace Tessel

#pragma GCC diagnostic pop

#else  // not x86-64: the portable variant only

namespace Tessel {
namespace internal {

const FormatKernels* Avx2Kernels() {
    return nullptr;
}
const FormatKernels* Avx512Kernels() {
    return nullptr;
}

}  // namespace internal
}  // namespace Tessel

#endif
