// SPDX-License-Identifier: Apache-2.0
// AVX2 and AVX-512 variants of the formatting kernels.
//
// The library runs on any x86-64 processor, so nothing here is compiled for the whole file:
// each function carries its instruction set as a target attribute, and a variant is offered
// only when the running processor (and its operating system) supports that set.
#include "tessel/format/internal/format_kernels.h"
#include "tessel/format/internal/format_math.h"

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
constexpr const char* kSetName = "avx2";

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
TS_INLINE bool Any(Mask m) {
    return _mm256_movemask_pd(m) != 0;
}
TS_INLINE VD CopySign(VD magnitude, VD sign) {
    const VD bit = _mm256_set1_pd(-0.0);
    return _mm256_or_pd(_mm256_andnot_pd(bit, magnitude), _mm256_and_pd(bit, sign));
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

// scale·ln(x) for x >= 0 of float origin (normal in double, ∞ or NaN; 0 is left to the
// caller). x = 2^e·m with m in [√½, √2); ln(m) = 2·atanh(s) with s = (m - 1)/(m + 1),
// |s| <= 0.1716, summed to s^13 (relative error below 2e-12, a few hundred-thousandths of a
// float ulp); e·ln 2 in two parts, the first exact for any e.
TS_INLINE VD ScaledLogV(VD x, double scale) {
    VD biased, m;
    SplitExponent(x, biased, m);
    const Mask high = Lt(Set(1.4142135623730951), m);
    m = Select(high, Mul(m, Set(0.5)), m);
    const VD e = Sub(Select(high, Add(biased, Set(1.0)), biased), Set(1023.0));
    const VD f = Sub(m, Set(1.0));
    const VD s = Mul(f, Recip(Add(f, Set(2.0))));
    const VD z = Mul(s, s);
    VD p = Set(1.0 / 13);
    for (int k = 11; k >= 1; k -= 2) {
        p = Fma(p, z, Set(1.0 / k));
    }
    const VD lnM = Mul(Add(s, s), p);
    const VD r =
        Fma(e, Set(6.93147180369123816490e-01), Fma(e, Set(1.90821492927058770002e-10), lnM));
    const VD inf = Set(HUGE_VAL);
    return Mul(Set(scale), Select(Unordered(x, x), x, Select(Eq(x, inf), inf, r)));
}
TS_INLINE Mask Infinite(VD a, VD b) {
    const VD inf = Set(HUGE_VAL);
    return Or(Eq(Abs(a), inf), Eq(Abs(b), inf));
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

#define TS_KERNEL __attribute__((target("avx512f,avx512dq")))
#define TS_INLINE __attribute__((target("avx512f,avx512dq"), always_inline)) inline

using VD = __m512d;
using Mask = __mmask8;
constexpr std::size_t kLanes = 8;
constexpr const char* kSetName = "avx512";

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
TS_INLINE Mask Unordered(VD a, VD b) {
    return _mm512_cmp_pd_mask(a, b, _CMP_UNORD_Q);
}
// scale·ln(x) by a table of 16 cells. x = 2^e·m with e = getexp(x) and m = getmant(x) in
// [0.75, 1.5) (subnormals included; NaN for a negative x). The top four fraction bits of m pick
// a cell: [1 + i/16, 1 + (i+1)/16) for i < 8, [0.75 + (i-8)/32, ...) for i >= 8, each with an
// inverse centre 1/c (exactly 1 for the two cells next to 1) and T = -ln(1/c), plus ln 2 for
// the lower cells, where x = 2^(e+1)·m. Then r = m·(1/c) - 1 is rounded once, lies in
// [-1/32, 1/16], and is exact for c = 1, so results near x = 1 (0 dB) keep their relative
// accuracy: e·ln 2 + T is then exactly 0 (for e = -1 the product and T are the same double).
// ln(1 + r) is a degree-7 polynomial fitted for relative error on that interval (1.0e-12,
// with its double coefficients and Horner's rounding in double, against an 80-bit log1p), and
// the table values are within half a double ulp of their logarithms: about 1e-12 in all,
// some 1/50000 of a float ulp. The scale is folded into the coefficients and the table.
// kT[i] is ln 2·[i >= 8] - ln kInvC[i], from 80-bit logarithms of the stored kInvC[i].
// ln 0 = -∞ and +∞ (getexp) and NaN propagate; the caller replaces the zero lanes.
TS_INLINE VD ScaledLogV(VD x, double scale) {
    // clang-format off
    alignas(64) static constexpr double kInvC[16] = {
        1.0, 0.9142857142857143, 0.8648648648648649, 0.8205128205128205,
        0.7804878048780488, 0.7441860465116279, 0.7111111111111111, 0.6808510638297872,
        1.3061224489795917, 1.2549019607843137, 1.2075471698113207, 1.1636363636363636,
        1.1228070175438596, 1.0847457627118644, 1.0491803278688525, 1.0,
    };
    alignas(64) static constexpr double kT[16] = {
        0.0, 0.08961215868968717, 0.14518200984449783, 0.19782574332991992,
        0.2478361639045812, 0.2954642128938359, 0.3409265869705932, 0.38441169891033206,
        0.42608439531090014, 0.46608972992459924, 0.5045560107523953, 0.5415972824327444,
        0.5773153650348236, 0.6118015411059929, 0.6451379613735847, 0.6931471805599453,
    };
    static constexpr double kP[7] = {
        0.13055317407206074, -0.1665466006362371, 0.20001793250910901, -0.25000030511549015,
        0.33333332689807094, -0.499999999924722, 1.0,
    };
    // clang-format on
    const VD s = Set(scale);
    const VD m = _mm512_getmant_pd(x, _MM_MANT_NORM_p75_1p5, _MM_MANT_SIGN_nan);
    const VD e = _mm512_getexp_pd(x);
    const __m512i cell = _mm512_srli_epi64(_mm512_castpd_si512(m), 48);
    const VD invC = _mm512_permutex2var_pd(_mm512_load_pd(kInvC), cell, _mm512_load_pd(kInvC + 8));
    const VD t =
        _mm512_permutex2var_pd(Mul(_mm512_load_pd(kT), s), cell, Mul(_mm512_load_pd(kT + 8), s));
    const VD r = _mm512_fmsub_pd(m, invC, Set(1.0));
    VD p = Set(scale * kP[0]);
    for (int k = 1; k < 7; ++k) {
        p = Fma(p, r, Set(scale * kP[k]));
    }
    return Fma(p, r, Fma(e, Set(scale * 0.6931471805599453), t));
}
TS_INLINE Mask Infinite(VD a, VD b) {
    return static_cast<Mask>(_mm512_fpclass_pd_mask(a, 0x18) | _mm512_fpclass_pd_mask(b, 0x18));
}
TS_INLINE Mask SignBit(VD x) {
    return _mm512_test_epi64_mask(_mm512_castpd_si512(x), _mm512_set1_epi64(INT64_MIN));
}
TS_INLINE Mask And(Mask a, Mask b) {
    return static_cast<Mask>(a & b);
}
TS_INLINE bool Any(Mask m) {
    return m != 0;
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

}  // namespace

const FormatKernels* Avx2Kernels() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") ? &avx2::kKernels
                                                                           : nullptr;
}

const FormatKernels* Avx512Kernels() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq")
               ? &avx512::kKernels
               : nullptr;
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
