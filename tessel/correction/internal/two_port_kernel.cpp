// The two-port correction loop, written once over GCC vector types of W lanes and compiled
// for W = 4 (the x86-64 baseline's 128-bit vectors), 8 (AVX2) and 16 (AVX-512).
//
// Samples are stored interleaved (re, im, re, im, ...); a block of W points is loaded as two
// vectors and split into a vector of real parts and one of imaginary parts, corrected lane by
// lane, and interleaved again on store. The arithmetic per lane is exactly that of the scalar
// TsComplex operators: sums, differences and products in float, each quotient formed in double
// as ((ac + bd) + j(bc - ad)) * (1 / (c² + d²)) and rounded to float. This file is compiled
// with -ffp-contract=off: a fused multiply-add would round a product and a sum once instead of
// twice, so the AVX2 and AVX-512 variants (whose targets include FMA) would drift from the
// baseline in the last bit. Keeping every variant bit-identical to the scalar formula costs
// little here, where the double-precision divisions dominate.
#include "tessel/correction/internal/two_port_kernel.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if defined(__GNUC__) && !defined(__clang__)
// Vectors wider than the baseline's registers are passed between the inlined helpers below;
// they never cross a real call, so the ABI note GCC attaches to them does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

#define TESSEL_KERNEL_INLINE inline __attribute__((always_inline))

namespace Tessel::internal {
namespace {

template <int W>
struct Lanes {
    typedef float F __attribute__((vector_size(W * sizeof(float))));
    typedef double D __attribute__((vector_size(W * sizeof(double))));
};

// W complex samples as a vector of real parts and a vector of imaginary parts.
template <int W>
struct Cx {
    typename Lanes<W>::F re, im;
};

template <class V, std::size_t... I>
TESSEL_KERNEL_INLINE V EvenLanes(const V& lo, const V& hi, std::index_sequence<I...>) {
    return __builtin_shufflevector(lo, hi, (2 * I)...);
}
template <class V, std::size_t... I>
TESSEL_KERNEL_INLINE V OddLanes(const V& lo, const V& hi, std::index_sequence<I...>) {
    return __builtin_shufflevector(lo, hi, (2 * I + 1)...);
}
// Lane j of the result is re[j / 2 + first] for even j, im[j / 2 + first] for odd j, where
// lanes of im are numbered from W in the shuffle.
template <std::size_t W, std::size_t First, class V, std::size_t... I>
TESSEL_KERNEL_INLINE V Interleave(const V& re, const V& im, std::index_sequence<I...>) {
    return __builtin_shufflevector(re, im, ((I % 2 == 0 ? 0 : W) + I / 2 + First)...);
}

template <int W>
TESSEL_KERNEL_INLINE Cx<W> Load(const TsComplex* p) {
    typename Lanes<W>::F lo, hi;
    std::memcpy(&lo, p, sizeof lo);
    std::memcpy(&hi, p + W / 2, sizeof hi);
    return {EvenLanes(lo, hi, std::make_index_sequence<W>{}),
            OddLanes(lo, hi, std::make_index_sequence<W>{})};
}

template <int W>
TESSEL_KERNEL_INLINE void Store(TsComplex* p, const Cx<W>& v) {
    const typename Lanes<W>::F lo = Interleave<W, 0>(v.re, v.im, std::make_index_sequence<W>{});
    const typename Lanes<W>::F hi = Interleave<W, W / 2>(v.re, v.im, std::make_index_sequence<W>{});
    std::memcpy(static_cast<void*>(p), &lo, sizeof lo);
    std::memcpy(static_cast<void*>(p + W / 2), &hi, sizeof hi);
}

template <int W>
TESSEL_KERNEL_INLINE Cx<W> Sub(const Cx<W>& x, const Cx<W>& y) {
    return {x.re - y.re, x.im - y.im};
}

// (1, 0) + x, added part by part as the scalar operator does (0 + im keeps a -0 from
// surviving).
template <int W>
TESSEL_KERNEL_INLINE Cx<W> OnePlus(const Cx<W>& x) {
    return {1.0f + x.re, 0.0f + x.im};
}

template <int W>
TESSEL_KERNEL_INLINE Cx<W> Mul(const Cx<W>& x, const Cx<W>& y) {
    return {x.re * y.re - x.im * y.im, x.re * y.im + x.im * y.re};
}

// x / y in double, one reciprocal of |y|², rounded to float.
template <int W>
TESSEL_KERNEL_INLINE Cx<W> Div(const Cx<W>& x, const Cx<W>& y) {
    using D = typename Lanes<W>::D;
    using F = typename Lanes<W>::F;
    const D c = __builtin_convertvector(y.re, D), d = __builtin_convertvector(y.im, D);
    const D xr = __builtin_convertvector(x.re, D), xi = __builtin_convertvector(x.im, D);
    const D inv = 1.0 / (c * c + d * d);
    return {__builtin_convertvector((xr * c + xi * d) * inv, F),
            __builtin_convertvector((xi * c - xr * d) * inv, F)};
}

// (1, 0) / y, as the scalar quotient computes it.
template <int W>
TESSEL_KERNEL_INLINE Cx<W> Reciprocal(const Cx<W>& y) {
    using F = typename Lanes<W>::F;
    return Div(Cx<W>{F{} + 1.0f, F{}}, y);
}

// Corrects the W points from index i of each array on.
template <int W>
TESSEL_KERNEL_INLINE void CorrectBlock(const TsComplex* const raw[4], const TsComplex* const e[12],
                                       TsComplex* const out[4], std::size_t i) {
    const Cx<W> s11m = Load<W>(raw[0] + i), s12m = Load<W>(raw[1] + i);
    const Cx<W> s21m = Load<W>(raw[2] + i), s22m = Load<W>(raw[3] + i);
    const Cx<W> a = Div(Sub(s11m, Load<W>(e[0] + i)), Load<W>(e[4] + i));
    const Cx<W> b = Div(Sub(s21m, Load<W>(e[10] + i)), Load<W>(e[8] + i));
    const Cx<W> c = Div(Sub(s12m, Load<W>(e[11] + i)), Load<W>(e[9] + i));
    const Cx<W> d = Div(Sub(s22m, Load<W>(e[1] + i)), Load<W>(e[5] + i));
    const Cx<W> d1 = OnePlus(Mul(Load<W>(e[2] + i), a));
    const Cx<W> d2 = OnePlus(Mul(Load<W>(e[3] + i), d));
    const Cx<W> l = Mul(Load<W>(e[6] + i), b);
    const Cx<W> r = Mul(Load<W>(e[7] + i), c);
    const Cx<W> inv = Reciprocal(Sub(Mul(d1, d2), Mul(l, r)));
    Store(out[0] + i, Mul(Sub(Mul(a, d2), Mul(l, c)), inv));
    Store(out[2] + i, Mul(Sub(Mul(b, d2), Mul(l, d)), inv));
    Store(out[1] + i, Mul(Sub(Mul(c, d1), Mul(r, a)), inv));
    Store(out[3] + i, Mul(Sub(Mul(d, d1), Mul(r, b)), inv));
}

template <int W>
TESSEL_KERNEL_INLINE void CorrectRange(const TwoPortArrays& arrays, std::size_t count) {
    std::size_t i = 0;
    for (; i + W <= count; i += W) {
        CorrectBlock<W>(arrays.raw, arrays.terms, arrays.out, i);
    }
    const std::size_t rest = count - i;
    if (rest == 0) {
        return;
    }
    // The last partial block runs through local copies padded with ones (harmless operands),
    // so the same block code corrects it without reading or writing past the caller's arrays.
    TsComplex in[16][W], res[4][W];
    const TsComplex* inPtr[16];
    TsComplex* resPtr[4];
    const TsComplex* src[16];
    std::copy(arrays.raw, arrays.raw + 4, src);
    std::copy(arrays.terms, arrays.terms + 12, src + 4);
    for (int k = 0; k < 16; ++k) {
        for (std::size_t j = 0; j < W; ++j) {
            in[k][j] = j < rest ? src[k][i + j] : TsComplex(1.0f);
        }
        inPtr[k] = in[k];
    }
    for (int k = 0; k < 4; ++k) {
        resPtr[k] = res[k];
    }
    CorrectBlock<W>(inPtr, inPtr + 4, resPtr, 0);
    for (int k = 0; k < 4; ++k) {
        std::memcpy(static_cast<void*>(arrays.out[k] + i), res[k], rest * sizeof(TsComplex));
    }
}

void CorrectBaseline(const TwoPortArrays& arrays, std::size_t count) {
    CorrectRange<4>(arrays, count);
}

#if defined(__x86_64__) && defined(__GNUC__)
#define TESSEL_TWO_PORT_X86 1

__attribute__((target("avx2,fma"))) void CorrectAvx2(const TwoPortArrays& arrays,
                                                     std::size_t count) {
    CorrectRange<8>(arrays, count);
}

__attribute__((target("avx512f,avx512vl,avx2,fma"))) void CorrectAvx512(const TwoPortArrays& arrays,
                                                                        std::size_t count) {
    CorrectRange<16>(arrays, count);
}

bool HasAvx2() {
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
bool HasAvx512() {
    return HasAvx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl");
}
#endif

}  // namespace

std::vector<TwoPortKernelVariant> SupportedTwoPortKernels() {
    std::vector<TwoPortKernelVariant> variants{{"baseline", &CorrectBaseline}};
#ifdef TESSEL_TWO_PORT_X86
    __builtin_cpu_init();  // the feature tests may run from another object's constructor
    if (HasAvx2()) {
        variants.push_back({"avx2", &CorrectAvx2});
    }
    if (HasAvx512()) {
        variants.push_back({"avx512", &CorrectAvx512});
    }
#endif
    return variants;
}

TwoPortKernel SelectedTwoPortKernel() {
    // Resolved once; the initialisation of a local static is thread-safe.
    static const TwoPortKernel selected = SupportedTwoPortKernels().back().kernel;
    return selected;
}

}  // namespace Tessel::internal
