// SPDX-License-Identifier: Apache-2.0
// The two-port correction loop, written once over GCC vector types of W lanes and compiled
// for W = 4 (the x86-64 baseline's 128-bit vectors), 8 (AVX2) and 16 (AVX-512).
//
// Samples are stored interleaved (re, im, re, im, ...); W points are loaded as two vectors and
// split into a vector of real parts and one of imaginary parts, corrected lane by lane, and
// interleaved again on store. The arithmetic per lane is exactly that of the scalar TsComplex
// operators: sums, differences and products in float, each quotient formed in double as
// ((ac + bd) + j(bc - ad)) * (1 / (c² + d²)) and rounded to float. This file is compiled with
// -ffp-contract=off: a fused multiply-add rounds a product and a sum once instead of twice, so
// the AVX2 and AVX-512 variants (whose targets include FMA) would drift from the baseline and
// from the scalar formula in the last bit wherever the compiler chose to fuse. The fused
// operations are used in one place only, written out explicitly: the sums of two products of
// float values formed in double (c² + d², ac + bd, bc - ad). The product of two floats has at
// most 48 significant bits and an exponent well inside the double range, so it is exact in
// double; the separate product then rounds nothing, and fusing it into the sum gives the same
// double as the unfused form, for infinities and zeros too. Every variant thus gives the same
// values (the payload of a NaN aside).
#include "tessel/correction/internal/two_port_kernel.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if defined(__x86_64__) && defined(__GNUC__)
#define TESSEL_TWO_PORT_X86 1
#endif

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

// x·y + z and z - x·y for doubles converted from floats (x·y exact, see above). Fused is true
// only in the AVX2 and AVX-512 variants, whose targets include FMA; the double vectors of W
// lanes are processed as halves of the native width.
template <int W, bool Fused>
struct ExactProducts {
    using D = typename Lanes<W>::D;
    static TESSEL_KERNEL_INLINE D PlusProduct(const D& x, const D& y, const D& z) {
        return x * y + z;
    }
    static TESSEL_KERNEL_INLINE D MinusProduct(const D& x, const D& y, const D& z) {
        return z - x * y;
    }
};

template <std::size_t Offset, class D, std::size_t... I>
TESSEL_KERNEL_INLINE auto Half(const D& v, std::index_sequence<I...>) {
    return __builtin_shufflevector(v, v, (I + Offset)...);
}
#ifdef TESSEL_TWO_PORT_X86
// The fused instructions are written as assembly: an intrinsic would need the FMA target on
// every helper it is inlined through, and the helpers are shared with the baseline. The
// operands are whole registers of the variant's width (ymm or zmm), so these helpers only ever
// run inlined into the AVX2 and AVX-512 variants.
template <class H, std::size_t... I>
TESSEL_KERNEL_INLINE auto Join(const H& lo, const H& hi, std::index_sequence<I...>) {
    return __builtin_shufflevector(lo, hi, I...);
}

template <int W>
struct ExactProducts<W, true> {
    using D = typename Lanes<W>::D;
    static constexpr std::size_t kHalf = W / 2;

    // z + x·y, then z - x·y, on one native register.
    template <class H>
    static TESSEL_KERNEL_INLINE H FusedAdd(const H& x, const H& y, const H& sum) {
        H z = sum;
        asm("vfmadd231pd %2, %1, %0" : "+v"(z) : "v"(x), "v"(y));
        return z;
    }
    template <class H>
    static TESSEL_KERNEL_INLINE H FusedSubtract(const H& x, const H& y, const H& sum) {
        H z = sum;
        asm("vfnmadd231pd %2, %1, %0" : "+v"(z) : "v"(x), "v"(y));
        return z;
    }
    static TESSEL_KERNEL_INLINE D PlusProduct(const D& x, const D& y, const D& z) {
        constexpr auto h = std::make_index_sequence<kHalf>{};
        return Join(FusedAdd(Half<0>(x, h), Half<0>(y, h), Half<0>(z, h)),
                    FusedAdd(Half<kHalf>(x, h), Half<kHalf>(y, h), Half<kHalf>(z, h)),
                    std::make_index_sequence<W>{});
    }
    static TESSEL_KERNEL_INLINE D MinusProduct(const D& x, const D& y, const D& z) {
        constexpr auto h = std::make_index_sequence<kHalf>{};
        return Join(FusedSubtract(Half<0>(x, h), Half<0>(y, h), Half<0>(z, h)),
                    FusedSubtract(Half<kHalf>(x, h), Half<kHalf>(y, h), Half<kHalf>(z, h)),
                    std::make_index_sequence<W>{});
    }
};
#endif

// K·W complex samples as K vectors of real parts and K vectors of imaginary parts. Working on
// K independent vectors at once gives the processor independent chains of operations to
// overlap: the two divisions per point make each chain long.
template <int W, int K>
struct Cx {
    typename Lanes<W>::F re[K], im[K];
};

// The shuffles stay within 128-bit groups of four floats (one instruction each on every
// instruction set). Splitting two vectors lo, hi of interleaved samples takes, in each group,
// the real (or imaginary) parts of two samples of lo and then two of hi: the points end up in
// the lanes in a permuted order, which does not matter for lane-wise arithmetic, and the
// interleaving on store undoes exactly that permutation.
template <std::size_t W, std::size_t Part, class V, std::size_t... I>
TESSEL_KERNEL_INLINE V SplitParts(const V& lo, const V& hi, std::index_sequence<I...>) {
    return __builtin_shufflevector(lo, hi, ((I % 4 < 2 ? 0 : W) + I / 4 * 4 + I % 2 * 2 + Part)...);
}
// Group g of the result holds samples 2·g + Half, 2·g + Half + 1 of the group (re, im pairs).
template <std::size_t W, std::size_t Half, class V, std::size_t... I>
TESSEL_KERNEL_INLINE V MergeParts(const V& re, const V& im, std::index_sequence<I...>) {
    return __builtin_shufflevector(re, im,
                                   ((I % 2 == 0 ? 0 : W) + I / 4 * 4 + Half + I % 4 / 2)...);
}

template <int W, int K>
TESSEL_KERNEL_INLINE Cx<W, K> Load(const TsComplex* p) {
    Cx<W, K> v;
    for (int k = 0; k < K; ++k) {
        typename Lanes<W>::F lo, hi;
        std::memcpy(&lo, p + k * W, sizeof lo);
        std::memcpy(&hi, p + k * W + W / 2, sizeof hi);
        v.re[k] = SplitParts<W, 0>(lo, hi, std::make_index_sequence<W>{});
        v.im[k] = SplitParts<W, 1>(lo, hi, std::make_index_sequence<W>{});
    }
    return v;
}

template <int W, int K>
TESSEL_KERNEL_INLINE void Store(TsComplex* p, const Cx<W, K>& v) {
    for (int k = 0; k < K; ++k) {
        const typename Lanes<W>::F lo =
            MergeParts<W, 0>(v.re[k], v.im[k], std::make_index_sequence<W>{});
        const typename Lanes<W>::F hi =
            MergeParts<W, 2>(v.re[k], v.im[k], std::make_index_sequence<W>{});
        std::memcpy(static_cast<void*>(p + k * W), &lo, sizeof lo);
        std::memcpy(static_cast<void*>(p + k * W + W / 2), &hi, sizeof hi);
    }
}

template <int W, int K>
TESSEL_KERNEL_INLINE Cx<W, K> Sub(const Cx<W, K>& x, const Cx<W, K>& y) {
    Cx<W, K> v;
    for (int k = 0; k < K; ++k) {
        v.re[k] = x.re[k] - y.re[k];
        v.im[k] = x.im[k] - y.im[k];
    }
    return v;
}

// (1, 0) + x, added part by part as the scalar operator does (0 + im turns a -0 into +0).
template <int W, int K>
TESSEL_KERNEL_INLINE Cx<W, K> OnePlus(const Cx<W, K>& x) {
    Cx<W, K> v;
    for (int k = 0; k < K; ++k) {
        v.re[k] = 1.0f + x.re[k];
        v.im[k] = 0.0f + x.im[k];
    }
    return v;
}

template <int W, int K>
TESSEL_KERNEL_INLINE Cx<W, K> Mul(const Cx<W, K>& x, const Cx<W, K>& y) {
    Cx<W, K> v;
    for (int k = 0; k < K; ++k) {
        v.re[k] = x.re[k] * y.re[k] - x.im[k] * y.im[k];
        v.im[k] = x.re[k] * y.im[k] + x.im[k] * y.re[k];
    }
    return v;
}

// x / y in double, one reciprocal of |y|², rounded to float and stored into v: each half of a
// float vector is stored as it comes out of the narrowing conversion, without joining the halves.
template <int W, int K, bool Fused>
TESSEL_KERNEL_INLINE void Div(const Cx<W, K>& x, const Cx<W, K>& y, Cx<W, K>& v) {
    using D = typename Lanes<W>::D;
    using H = typename Lanes<W / 2>::F;
    using P = ExactProducts<W, Fused>;
    constexpr auto h = std::make_index_sequence<W / 2>{};
    for (int k = 0; k < K; ++k) {
        const D c = __builtin_convertvector(y.re[k], D), d = __builtin_convertvector(y.im[k], D);
        const D xr = __builtin_convertvector(x.re[k], D);
        const D xi = __builtin_convertvector(x.im[k], D);
        const D inv = 1.0 / P::PlusProduct(c, c, d * d);
        const D re = P::PlusProduct(xr, c, xi * d) * inv;
        const D im = P::MinusProduct(xr, d, xi * c) * inv;
        const H parts[4] = {__builtin_convertvector(Half<0>(re, h), H),
                            __builtin_convertvector(Half<W / 2>(re, h), H),
                            __builtin_convertvector(Half<0>(im, h), H),
                            __builtin_convertvector(Half<W / 2>(im, h), H)};
        std::memcpy(reinterpret_cast<char*>(&v.re[k]), &parts[0], sizeof(H));
        std::memcpy(reinterpret_cast<char*>(&v.re[k]) + sizeof(H), &parts[1], sizeof(H));
        std::memcpy(reinterpret_cast<char*>(&v.im[k]), &parts[2], sizeof(H));
        std::memcpy(reinterpret_cast<char*>(&v.im[k]) + sizeof(H), &parts[3], sizeof(H));
    }
}

// (1, 0) / y, as the scalar quotient computes it, into v.
template <int W, int K, bool Fused>
TESSEL_KERNEL_INLINE void Reciprocal(const Cx<W, K>& y, Cx<W, K>& v) {
    Cx<W, K> one;
    for (int k = 0; k < K; ++k) {
        one.re[k] = typename Lanes<W>::F{} + 1.0f;
        one.im[k] = typename Lanes<W>::F{};
    }
    Div<W, K, Fused>(one, y, v);
}

// What a group of blocks carries from one stage to the next, per block: the four normalised
// measurements a, b, c, d, the denominators D1 and D2, the products L and R and the reciprocal
// of the determinant.
template <int W, int K>
struct Intermediates {
    Cx<W, K> a, b, c, d, d1, d2, l, r, inv;
};

// A block of points is corrected in four stages, each reading only some of the arrays:
// a and b from S11, S21 and their four terms; c and d from S12, S22 and theirs; D1, D2, L, R
// and the reciprocal from the match terms; the outputs, written last. Caller arrays are often
// allocated alike, so all 20 streams sit at the same offset within their pages and compete
// for the same few lines of each cache set; running a stage over a group of blocks before the
// next stage keeps at most 8 streams in flight at a time. The stages also cut the per-block
// chain of dependent operations (two quotients and a reciprocal in a row) into pieces whose
// blocks are independent of each other, which the processor can overlap.
template <int W, int K, bool Fused>
TESSEL_KERNEL_INLINE void ForwardQuotients(const TsComplex* const raw[4],
                                           const TsComplex* const e[12], std::size_t i,
                                           Intermediates<W, K>& m) {
    Div<W, K, Fused>(Sub(Load<W, K>(raw[0] + i), Load<W, K>(e[0] + i)), Load<W, K>(e[4] + i), m.a);
    Div<W, K, Fused>(Sub(Load<W, K>(raw[2] + i), Load<W, K>(e[10] + i)), Load<W, K>(e[8] + i), m.b);
}

template <int W, int K, bool Fused>
TESSEL_KERNEL_INLINE void ReverseQuotients(const TsComplex* const raw[4],
                                           const TsComplex* const e[12], std::size_t i,
                                           Intermediates<W, K>& m) {
    Div<W, K, Fused>(Sub(Load<W, K>(raw[1] + i), Load<W, K>(e[11] + i)), Load<W, K>(e[9] + i), m.c);
    Div<W, K, Fused>(Sub(Load<W, K>(raw[3] + i), Load<W, K>(e[1] + i)), Load<W, K>(e[5] + i), m.d);
}

template <int W, int K, bool Fused>
TESSEL_KERNEL_INLINE void Denominator(const TsComplex* const e[12], std::size_t i,
                                      Intermediates<W, K>& m) {
    m.d1 = OnePlus(Mul(Load<W, K>(e[2] + i), m.a));
    m.d2 = OnePlus(Mul(Load<W, K>(e[3] + i), m.d));
    m.l = Mul(Load<W, K>(e[6] + i), m.b);
    m.r = Mul(Load<W, K>(e[7] + i), m.c);
    Reciprocal<W, K, Fused>(Sub(Mul(m.d1, m.d2), Mul(m.l, m.r)), m.inv);
}

template <int W, int K>
TESSEL_KERNEL_INLINE void Outputs(TsComplex* const out[4], std::size_t i,
                                  const Intermediates<W, K>& m) {
    Store(out[0] + i, Mul(Sub(Mul(m.a, m.d2), Mul(m.l, m.c)), m.inv));
    Store(out[2] + i, Mul(Sub(Mul(m.b, m.d2), Mul(m.l, m.d)), m.inv));
    Store(out[1] + i, Mul(Sub(Mul(m.c, m.d1), Mul(m.r, m.a)), m.inv));
    Store(out[3] + i, Mul(Sub(Mul(m.d, m.d1), Mul(m.r, m.b)), m.inv));
}

// Corrects the K·W points from index i of each array on.
template <int W, int K, bool Fused>
TESSEL_KERNEL_INLINE void CorrectBlock(const TsComplex* const raw[4], const TsComplex* const e[12],
                                       TsComplex* const out[4], std::size_t i) {
    Intermediates<W, K> m;
    ForwardQuotients<W, K, Fused>(raw, e, i, m);
    ReverseQuotients<W, K, Fused>(raw, e, i, m);
    Denominator<W, K, Fused>(e, i, m);
    Outputs(out, i, m);
}

// Fewer points than a block: they run through local copies padded with ones (harmless
// operands), so the same block code corrects them without reading or writing past the
// caller's arrays.
template <int W, int K, bool Fused>
TESSEL_KERNEL_INLINE void CorrectShortRange(const TwoPortArrays& arrays, std::size_t count) {
    constexpr std::size_t kBlock = std::size_t{W} * K;
    TsComplex in[16][kBlock], res[4][kBlock];
    const TsComplex* src[16];
    std::copy(arrays.raw, arrays.raw + 4, src);
    std::copy(arrays.terms, arrays.terms + 12, src + 4);
    const TsComplex* inPtr[16];
    TsComplex* resPtr[4];
    for (int k = 0; k < 16; ++k) {
        for (std::size_t j = 0; j < kBlock; ++j) {
            in[k][j] = j < count ? src[k][j] : TsComplex(1.0f);
        }
        inPtr[k] = in[k];
    }
    for (int k = 0; k < 4; ++k) {
        resPtr[k] = res[k];
    }
    CorrectBlock<W, K, Fused>(inPtr, inPtr + 4, resPtr, 0);
    for (int k = 0; k < 4; ++k) {
        std::memcpy(static_cast<void*>(arrays.out[k]), res[k], count * sizeof(TsComplex));
    }
}

// Asks the memory system for the block kAhead points past point j of p, one request per cache
// line, when that block lies within the whole blocks.
template <int W, int K, std::size_t kAhead>
TESSEL_KERNEL_INLINE void PrefetchBlock(const TsComplex* p, std::size_t j, std::size_t whole) {
    constexpr std::size_t kBlock = std::size_t{W} * K;
    if (j + kAhead + kBlock > whole) {
        return;
    }
    const char* line = reinterpret_cast<const char*>(p + j + kAhead);
    for (std::size_t l = 0; l < kBlock * sizeof(TsComplex); l += 64) {
        __builtin_prefetch(line + l);
    }
}

// Corrects the first `whole` points, a multiple of the block size, group of blocks by group.
// Prefetch: each stage also asks for the data its arrays hold one group ahead. The hardware
// prefetchers follow a few streams, not the 16 read here; once the arrays no longer fit in the
// caches, the requests hide much of the memory latency, while in cache they only add work.
template <int W, int K, bool Fused, bool Prefetch>
TESSEL_KERNEL_INLINE void CorrectWholeBlocks(const TwoPortArrays& arrays, std::size_t whole) {
    constexpr std::size_t kBlock = std::size_t{W} * K;
    // Blocks per group: the group's intermediates (a few kilobytes) stay in the first-level
    // cache.
    constexpr std::size_t kGroup = 8;
    constexpr std::size_t kAhead = kGroup * kBlock;
    Intermediates<W, K> m[kGroup];
    for (std::size_t i = 0; i < whole;) {
        const std::size_t blocks = std::min(kGroup, (whole - i) / kBlock);
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::size_t j = i + b * kBlock;
            if (Prefetch) {
                for (int q : {0, 2}) {
                    PrefetchBlock<W, K, kAhead>(arrays.raw[q], j, whole);
                }
                for (int q : {0, 4, 8, 10}) {
                    PrefetchBlock<W, K, kAhead>(arrays.terms[q], j, whole);
                }
            }
            ForwardQuotients<W, K, Fused>(arrays.raw, arrays.terms, j, m[b]);
        }
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::size_t j = i + b * kBlock;
            if (Prefetch) {
                for (int q : {1, 3}) {
                    PrefetchBlock<W, K, kAhead>(arrays.raw[q], j, whole);
                }
                for (int q : {1, 5, 9, 11}) {
                    PrefetchBlock<W, K, kAhead>(arrays.terms[q], j, whole);
                }
            }
            ReverseQuotients<W, K, Fused>(arrays.raw, arrays.terms, j, m[b]);
        }
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::size_t j = i + b * kBlock;
            if (Prefetch) {
                for (int q : {2, 3, 6, 7}) {
                    PrefetchBlock<W, K, kAhead>(arrays.terms[q], j, whole);
                }
            }
            Denominator<W, K, Fused>(arrays.terms, j, m[b]);
        }
        // Every input of the group has been read: its outputs may overwrite raw arrays.
        for (std::size_t b = 0; b < blocks; ++b) {
            Outputs(arrays.out, i + b * kBlock, m[b]);
        }
        i += blocks * kBlock;
    }
}

template <int W, int K, bool Fused>
TESSEL_KERNEL_INLINE void CorrectRange(const TwoPortArrays& arrays, std::size_t count) {
    constexpr std::size_t kBlock = std::size_t{W} * K;
    const std::size_t whole = count / kBlock * kBlock, rest = count - whole;
    if (whole == 0) {
        if (rest != 0) {
            CorrectShortRange<W, K, Fused>(arrays, count);
        }
        return;
    }
    if (count >= kTwoPortPrefetchFrom) {
        CorrectWholeBlocks<W, K, Fused, true>(arrays, whole);
    } else {
        CorrectWholeBlocks<W, K, Fused, false>(arrays, whole);
    }
    if (rest == 0) {
        return;
    }
    // The points past the last whole block: the block that ends at the range's last point is
    // corrected into a local buffer and only those points are copied out. The block's other
    // points may already hold outputs (in-place correction), but lanes never mix, so they do not
    // affect the copied points. This costs one block and no padding or copying of inputs.
    alignas(64) float last[4][2 * kBlock];
    const TsComplex *raw[4], *terms[12];
    TsComplex* res[4];
    for (int k = 0; k < 4; ++k) {
        raw[k] = arrays.raw[k] + (count - kBlock);
        res[k] = reinterpret_cast<TsComplex*>(last[k]);  // only ever copied bytewise
    }
    for (int k = 0; k < 12; ++k) {
        terms[k] = arrays.terms[k] + (count - kBlock);
    }
    CorrectBlock<W, K, Fused>(raw, terms, res, 0);
    for (int k = 0; k < 4; ++k) {
        std::memcpy(static_cast<void*>(arrays.out[k] + whole), last[k] + 2 * (kBlock - rest),
                    rest * sizeof(TsComplex));
    }
}

// Chains per block, chosen with correction_kernels_benchmark: two for the 128- and 256-bit
// variants, one for AVX-512.
void CorrectBaseline(const TwoPortArrays& arrays, std::size_t count) {
    CorrectRange<4, 2, false>(arrays, count);
}

#ifdef TESSEL_TWO_PORT_X86
__attribute__((target("avx2,fma"))) void CorrectAvx2(const TwoPortArrays& arrays,
                                                     std::size_t count) {
    CorrectRange<8, 2, true>(arrays, count);
}

__attribute__((target("avx512f,avx512vl,avx2,fma"))) void CorrectAvx512(const TwoPortArrays& arrays,
                                                                        std::size_t count) {
    CorrectRange<16, 1, true>(arrays, count);
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
