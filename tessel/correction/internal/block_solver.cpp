// SPDX-License-Identifier: Apache-2.0
#include "tessel/correction/internal/block_solver.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "tessel/network/matrix_element.h"

// Every helper below is inlined into the variant that calls it, so that it is compiled for that
// variant's instruction set; the generic vector types are lowered to whatever registers the
// variant has (four SSE2, two AVX2 or one AVX-512 register per lane array of doubles).
#define TESSEL_LANES_INLINE inline __attribute__((always_inline))
// Loops over the elements of a fixed-size block unroll completely, so that the values stay in
// registers and every lane array sits at an offset known at compile time.
#define TESSEL_UNROLL _Pragma("GCC unroll 16")
// Values of the vector types never cross a call that is not inlined, so the calling
// convention of vector arguments does not matter here.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace Tessel::internal {

namespace {

// Lane types of the variants: one value per point of a block of L points, L the number of
// doubles in the variant's vector register, so that every lane operation is one instruction.
// D doubles, M lane masks, F floats, C the block's samples of one array as stored (re, im...).
template <int L>
struct Lanes;
template <>
struct Lanes<2> {
    typedef double D __attribute__((vector_size(16)));
    typedef long long M __attribute__((vector_size(16)));
    typedef float F __attribute__((vector_size(8)));
    typedef float C __attribute__((vector_size(16)));
    static TESSEL_LANES_INLINE F Re(C v) { return __builtin_shufflevector(v, v, 0, 2); }
    static TESSEL_LANES_INLINE F Im(C v) { return __builtin_shufflevector(v, v, 1, 3); }
    static TESSEL_LANES_INLINE C Join(F re, F im) {
        return __builtin_shufflevector(re, im, 0, 2, 1, 3);
    }
    static TESSEL_LANES_INLINE long long Fold(M m) { return m[0] | m[1]; }
    static TESSEL_LANES_INLINE D Widen(F f) { return __builtin_convertvector(f, D); }
};
template <>
struct Lanes<4> {
    typedef double D __attribute__((vector_size(32)));
    typedef long long M __attribute__((vector_size(32)));
    typedef float F __attribute__((vector_size(16)));
    typedef float C __attribute__((vector_size(32)));
    static TESSEL_LANES_INLINE F Re(C v) { return __builtin_shufflevector(v, v, 0, 2, 4, 6); }
    static TESSEL_LANES_INLINE F Im(C v) { return __builtin_shufflevector(v, v, 1, 3, 5, 7); }
    static TESSEL_LANES_INLINE C Join(F re, F im) {
        return __builtin_shufflevector(re, im, 0, 4, 1, 5, 2, 6, 3, 7);
    }
    static TESSEL_LANES_INLINE long long Fold(M m) {
        typedef long long H __attribute__((vector_size(16)));
        const H h = __builtin_shufflevector(m, m, 0, 1) | __builtin_shufflevector(m, m, 2, 3);
        return h[0] | h[1];
    }
    static TESSEL_LANES_INLINE D Widen(F f) { return __builtin_convertvector(f, D); }
};
template <>
struct Lanes<8> {
    typedef double D __attribute__((vector_size(64)));
    typedef long long M __attribute__((vector_size(64)));
    typedef float F __attribute__((vector_size(32)));
    typedef float C __attribute__((vector_size(64)));
    static TESSEL_LANES_INLINE F Re(C v) {
        return __builtin_shufflevector(v, v, 0, 2, 4, 6, 8, 10, 12, 14);
    }
    static TESSEL_LANES_INLINE F Im(C v) {
        return __builtin_shufflevector(v, v, 1, 3, 5, 7, 9, 11, 13, 15);
    }
    static TESSEL_LANES_INLINE C Join(F re, F im) {
        return __builtin_shufflevector(re, im, 0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7,
                                       15);
    }
    static TESSEL_LANES_INLINE long long Fold(M m) {
        typedef long long Q __attribute__((vector_size(32)));
        typedef long long H __attribute__((vector_size(16)));
        const Q q =
            __builtin_shufflevector(m, m, 0, 1, 2, 3) | __builtin_shufflevector(m, m, 4, 5, 6, 7);
        const H h = __builtin_shufflevector(q, q, 0, 1) | __builtin_shufflevector(q, q, 2, 3);
        return h[0] | h[1];
    }
    // One conversion instruction for all eight lanes, where GCC's generic conversion takes the
    // halves one by one. Only the AVX-512F variant, into which this is inlined, has the
    // registers it names; the conversion is exact. Clang converts in one instruction by itself
    // (and checks the operand size against the enclosing function).
    static TESSEL_LANES_INLINE D Widen(F f) {
#if defined(__clang__)
        return __builtin_convertvector(f, D);
#else
        D d;
        __asm__("vcvtps2pd %1, %0" : "=v"(d) : "v"(f));
        return d;
#endif
    }
};

constexpr int kMaxLanes = 8;
static_assert(BlockSolver::kBlockPoints == kMaxLanes, "the widest variant fills a block");
static_assert(sizeof(TsComplex) == 2 * sizeof(float), "TsComplex is two packed floats");

struct Arrays {
    const TsComplex* const* leakage;
    const TsComplex* const* tracking;
    const TsComplex* const* match;
    const TsComplex* const* raw;
    TsComplex* const* out;
};

// Lane arrays of the work space for n ports: A (then S) and B (then L and U) as real and
// imaginary parts [r·n + c], the reciprocals of U's diagonal [k] and the row exchanged with row
// k [k].
constexpr std::size_t WorkSlots(int n) {
    return 4 * std::size_t(n) * n + 3 * std::size_t(n);
}

// Points whose samples the kernel asks the memory system for ahead of use. A block touches
// 5·N² arrays at once, more streams than the hardware prefetcher follows.
constexpr int kPrefetchPoints = 64;

template <int L>
struct Kernel {
    using D = typename Lanes<L>::D;
    using M = typename Lanes<L>::M;
    using F = typename Lanes<L>::F;
    using C = typename Lanes<L>::C;

    static TESSEL_LANES_INLINE D Splat(double x) { return D{} + x; }

    // sel ? a : b, lane by lane, through bit operations (every instruction set has them).
    static TESSEL_LANES_INLINE D Select(const M& sel, const D& a, const D& b) {
        return (D)(((M)a & sel) | ((M)b & ~sel));
    }

    // True when any lane of m is set: the halves of m fold onto each other, then one lane is
    // read, rather than every lane one by one.
    static TESSEL_LANES_INLINE bool Any(const M& m) { return Lanes<L>::Fold(m) != 0; }

    // |z|² = re² + im² in double. Candidate pivots compare by it: it orders them as their
    // magnitudes do, without a square root per candidate.
    static TESSEL_LANES_INLINE D Norm(const D& re, const D& im) { return re * re + im * im; }

    // √m lane by lane: the pivot's magnitude, measured against the threshold as the scalar
    // factorisation measures it.
    static TESSEL_LANES_INLINE D Sqrt(D m) {
        for (int j = 0; j < L; ++j) {
            m[j] = __builtin_sqrt(m[j]);
        }
        return m;
    }

    static TESSEL_LANES_INLINE void Load(const TsComplex* p, F& re, F& im) {
        C v;
        std::memcpy(&v, p, sizeof v);
        re = Lanes<L>::Re(v);
        im = Lanes<L>::Im(v);
    }

    static TESSEL_LANES_INLINE void Store(TsComplex* p, const D& re, const D& im, int count) {
        const C v = Lanes<L>::Join(__builtin_convertvector(re, F), __builtin_convertvector(im, F));
        std::memcpy(static_cast<void*>(p), &v, count * sizeof(TsComplex));
    }

    // The inputs of element k for the block at point i: count points (the rest of the lanes get
    // A = 0 and B = I from neutral terms). A = (M − D) / T with the float difference and the
    // double quotient of TsComplex; B = δ + E·A in float.
    static TESSEL_LANES_INLINE void LoadElement(const Arrays& in, int k, bool diagonal, int i,
                                                int count, D* ar, D* ai, D* br, D* bi) {
        F mr, mi, dr, di, tr, ti, er, ei;
        if (count == L) {
            Load(in.raw[k] + i, mr, mi);
            Load(in.leakage[k] + i, dr, di);
            Load(in.tracking[k] + i, tr, ti);
            Load(in.match[k] + i, er, ei);
        } else {
            TsComplex part[4][L] = {};
            for (int j = 0; j < L; ++j) {
                part[2][j] = TsComplex(1.0f, 0.0f);
            }
            const TsComplex* const src[4] = {in.raw[k], in.leakage[k], in.tracking[k], in.match[k]};
            for (int a = 0; a < 4; ++a) {
                std::memcpy(static_cast<void*>(part[a]), src[a] + i, count * sizeof(TsComplex));
            }
            Load(part[0], mr, mi);
            Load(part[1], dr, di);
            Load(part[2], tr, ti);
            Load(part[3], er, ei);
        }
        const F xr = mr - dr, xi = mi - di;
        const D c = Lanes<L>::Widen(tr), d = Lanes<L>::Widen(ti);
        const D wr = Lanes<L>::Widen(xr), wi = Lanes<L>::Widen(xi);
        const D inv = 1.0 / (c * c + d * d);
        const F qr = __builtin_convertvector((wr * c + wi * d) * inv, F);
        const F qi = __builtin_convertvector((wi * c - wr * d) * inv, F);
        F pr = er * qr - ei * qi, pi = er * qi + ei * qr;
        if (diagonal) {
            pr = 1.0f + pr;
            pi = 0.0f + pi;
        }
        *ar = Lanes<L>::Widen(qr);
        *ai = Lanes<L>::Widen(qi);
        *br = Lanes<L>::Widen(pr);
        *bi = Lanes<L>::Widen(pi);
    }

    // x −= l·u in the plain complex formula.
    static TESSEL_LANES_INLINE void MulSub(D& xr, D& xi, const D& lr, const D& li, const D& ur,
                                           const D& ui) {
        xr = xr - (lr * ur - li * ui);
        xi = xi - (lr * ui + li * ur);
    }

    // Exchanges a and b in the lanes of sel.
    static TESSEL_LANES_INLINE void Exchange(const M& sel, D& a, D& b) {
        const D t = a;
        a = Select(sel, b, a);
        b = Select(sel, t, b);
    }

    // One row s of the substitution through U and L (u holds both, inverse diagonal of U in
    // rr, ri), for a size known only at run time.
    static TESSEL_LANES_INLINE void SolveRowAnySize(int n, D* sr, D* si, const D* ur, const D* ui,
                                                    const D* rr, const D* ri) {
        for (int j = 0; j < n; ++j) {
            D xr = sr[j], xi = si[j];
            for (int k = 0; k < j; ++k) {
                MulSub(xr, xi, sr[k], si[k], ur[k * n + j], ui[k * n + j]);
            }
            sr[j] = xr * rr[j] - xi * ri[j];
            si[j] = xr * ri[j] + xi * rr[j];
        }
        for (int j = n - 2; j >= 0; --j) {
            D xr = sr[j], xi = si[j];
            for (int k = j + 1; k < n; ++k) {
                MulSub(xr, xi, sr[k], si[k], ur[k * n + j], ui[k * n + j]);
            }
            sr[j] = xr;
            si[j] = xi;
        }
    }

    // The same for kN ports: the row stays in registers, the loops unroll completely.
    template <int kN>
    static TESSEL_LANES_INLINE void SolveRow(D* sr, D* si, const D* ur, const D* ui, const D* rr,
                                             const D* ri) {
        D xr[kN], xi[kN];
        TESSEL_UNROLL
        for (int j = 0; j < kN; ++j) {
            xr[j] = sr[j];
            xi[j] = si[j];
            TESSEL_UNROLL
            for (int k = 0; k < j; ++k) {
                MulSub(xr[j], xi[j], xr[k], xi[k], ur[k * kN + j], ui[k * kN + j]);
            }
            const D zr = xr[j], zi = xi[j];
            xr[j] = zr * rr[j] - zi * ri[j];
            xi[j] = zr * ri[j] + zi * rr[j];
        }
        TESSEL_UNROLL
        for (int j = kN - 2; j >= 0; --j) {
            TESSEL_UNROLL
            for (int k = j + 1; k < kN; ++k) {
                MulSub(xr[j], xi[j], xr[k], xi[k], ur[k * kN + j], ui[k * kN + j]);
            }
        }
        TESSEL_UNROLL
        for (int j = 0; j < kN; ++j) {
            sr[j] = xr[j];
            si[j] = xi[j];
        }
    }

    // Solves the block of count points starting at point i. kN is the port count, or 0 for a
    // count known only at run time (then n gives it and w holds WorkSlots(n) lane arrays).
    template <int kN>
    static TESSEL_LANES_INLINE void Block(const Arrays& in, int nRun, D* w, int i, int count) {
        const int n = kN > 0 ? kN : nRun;
        const int nn = n * n;
        D* const ar = w;
        D* const ai = w + nn;
        D* const br = w + 2 * nn;
        D* const bi = w + 3 * nn;
        D* const rr = w + 4 * nn;
        D* const ri = rr + n;
        D* const piv = ri + n;

        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c) {
                const int k = r * n + c;
                LoadElement(in, k, r == c, i, count, &ar[k], &ai[k], &br[k], &bi[k]);
            }
        }

        // P·B = L·U, each lane with its own pivots; ok keeps the lanes whose pivots all pass.
        const D threshold = Splat(techsoft::kSingularPivot);
        M ok = M{} - 1;
        for (int k = 0; k < n; ++k) {
            const int kk = k * n + k;
            D best = Norm(br[kk], bi[kk]);
            D row = Splat(k);
            for (int r = k + 1; r < n; ++r) {
                const D m = Norm(br[r * n + k], bi[r * n + k]);
                const M larger = m > best;
                best = Select(larger, m, best);
                row = Select(larger, Splat(r), row);
            }
            ok &= Sqrt(best) >= threshold;
            piv[k] = row;
            // Most blocks keep every pivot in place: one test skips all the exchanges then.
            for (int r = k + 1; Any(row != Splat(k)) && r < n; ++r) {
                const M sel = row == Splat(r);
                if (Any(sel)) {
                    for (int c = 0; c < n; ++c) {
                        Exchange(sel, br[k * n + c], br[r * n + c]);
                        Exchange(sel, bi[k * n + c], bi[r * n + c]);
                    }
                }
            }
            const D q = 1.0 / (br[kk] * br[kk] + bi[kk] * bi[kk]);
            const D invr = br[kk] * q, invi = -bi[kk] * q;
            rr[k] = invr;
            ri[k] = invi;
            for (int r = k + 1; r < n; ++r) {
                const int rk = r * n + k;
                const D lr = br[rk] * invr - bi[rk] * invi, li = br[rk] * invi + bi[rk] * invr;
                br[rk] = lr;
                bi[rk] = li;
                for (int c = k + 1; c < n; ++c) {
                    MulSub(br[r * n + c], bi[r * n + c], lr, li, br[k * n + c], bi[k * n + c]);
                }
            }
        }

        // Row by row, S·Pᵀ·L·U = A: first Z·U = A, then Y·L = Z in place (L has a unit
        // diagonal).
        for (int r = 0; r < n; ++r) {
            if constexpr (kN > 0) {
                SolveRow<kN>(ar + r * n, ai + r * n, br, bi, rr, ri);
            } else {
                SolveRowAnySize(n, ar + r * n, ai + r * n, br, bi, rr, ri);
            }
        }
        // S = Y·P: the row exchanges of the factorisation, last first, become column exchanges.
        for (int k = n - 2; k >= 0; --k) {
            for (int c = k + 1; Any(piv[k] != Splat(k)) && c < n; ++c) {
                const M sel = piv[k] == Splat(c);
                if (Any(sel)) {
                    for (int r = 0; r < n; ++r) {
                        Exchange(sel, ar[r * n + k], ar[r * n + c]);
                        Exchange(sel, ai[r * n + k], ai[r * n + c]);
                    }
                }
            }
        }

        const D missingRe = Splat(TsComplex::m_minus200dB.re);
        const D missingIm = Splat(TsComplex::m_minus200dB.im);
        for (int k = 0; k < nn; ++k) {
            Store(in.out[k] + i, Select(ok, ar[k], missingRe), Select(ok, ai[k], missingIm), count);
        }
    }

    template <int kN>
    static TESSEL_LANES_INLINE void Range(const Arrays& in, int n, double* work, int start,
                                          int stop) {
        // Fixed sizes keep their lane arrays on the stack, where the compiler sees them whole.
        D local[kN > 0 ? WorkSlots(kN) : 1];
        D* const w = kN > 0 ? local : reinterpret_cast<D*>(work);
        const int count = n * n;
        int i = start;
        for (; stop - i >= kMaxLanes; i += kMaxLanes) {
            if (stop - i > kPrefetchPoints) {
                for (int k = 0; k < count; ++k) {
                    __builtin_prefetch(in.raw[k] + i + kPrefetchPoints);
                    __builtin_prefetch(in.leakage[k] + i + kPrefetchPoints);
                    __builtin_prefetch(in.tracking[k] + i + kPrefetchPoints);
                    __builtin_prefetch(in.match[k] + i + kPrefetchPoints);
                    __builtin_prefetch(in.out[k] + i + kPrefetchPoints, 1);
                }
            }
            for (int j = 0; j < kMaxLanes; j += L) {
                Block<kN>(in, n, w, i + j, L);
            }
        }
        for (; i < stop; i += L) {
            Block<kN>(in, n, w, i, stop - i < L ? stop - i : L);
        }
    }

    static TESSEL_LANES_INLINE void AnySize(const Arrays& in, int n, double* work, int start,
                                            int stop) {
        switch (n) {
            case 3:
                Range<3>(in, n, work, start, stop);
                break;
            case 4:
                Range<4>(in, n, work, start, stop);
                break;
            case 8:
                Range<8>(in, n, work, start, stop);
                break;
            default:
                Range<0>(in, n, work, start, stop);
                break;
        }
    }
};

void SolveBaseline(const Arrays& in, int n, double* work, int start, int stop) {
    Kernel<2>::AnySize(in, n, work, start, stop);
}

__attribute__((target("avx2"))) void SolveAvx2(const Arrays& in, int n, double* work, int start,
                                               int stop) {
    Kernel<4>::AnySize(in, n, work, start, stop);
}

__attribute__((target("avx512f"))) void SolveAvx512(const Arrays& in, int n, double* work,
                                                    int start, int stop) {
    Kernel<8>::AnySize(in, n, work, start, stop);
}

SolverIsa BestIsa() {
    static const SolverIsa best = CpuRuns(SolverIsa::kAvx512) ? SolverIsa::kAvx512
                                  : CpuRuns(SolverIsa::kAvx2) ? SolverIsa::kAvx2
                                                              : SolverIsa::kBaseline;
    return best;
}

}  // namespace

bool CpuRuns(SolverIsa isa) {
    __builtin_cpu_init();
    switch (isa) {
        case SolverIsa::kAvx2:
            return __builtin_cpu_supports("avx2");
        case SolverIsa::kAvx512:
            return __builtin_cpu_supports("avx512f");
        default:
            return true;
    }
}

BlockSolver::BlockSolver(int portCount)
    : n_(portCount), work_((WorkSlots(portCount) + 1) * kMaxLanes) {}

void BlockSolver::Run(const TsComplex* const* leakage, const TsComplex* const* tracking,
                      const TsComplex* const* match, const TsComplex* const* raw,
                      TsComplex* const* out, int start, int stop) {
    Run(BestIsa(), leakage, tracking, match, raw, out, start, stop);
}

void BlockSolver::Run(SolverIsa isa, const TsComplex* const* leakage,
                      const TsComplex* const* tracking, const TsComplex* const* match,
                      const TsComplex* const* raw, TsComplex* const* out, int start, int stop) {
    const Arrays in{leakage, tracking, match, raw, out};
    // The work space holds one spare lane array so that its start can be aligned for the
    // widest vectors.
    constexpr std::uintptr_t kAlign = kMaxLanes * sizeof(double);
    const auto base = reinterpret_cast<std::uintptr_t>(work_.data());
    double* const work = work_.data() + ((kAlign - base % kAlign) % kAlign) / sizeof(double);
    switch (isa) {
        case SolverIsa::kAvx512:
            SolveAvx512(in, n_, work, start, stop);
            break;
        case SolverIsa::kAvx2:
            SolveAvx2(in, n_, work, start, stop);
            break;
        default:
            SolveBaseline(in, n_, work, start, stop);
            break;
    }
}

}  // namespace Tessel::internal
