// SPDX-License-Identifier: Apache-2.0
// BlockSolver: the per-point matrix solution of the N-port error model, several points at once.
//
// For receiving port r and source port c, with leakage D (directivity or crosstalk), tracking T
// (reflection or transmission), match E (source match on the diagonal, load match of r while c
// drives off it) and raw value M, each point is solved as
//   A(r,c) = (M − D) / T,   B(r,c) = δ(r,c) + E·A(r,c),   S·B = A.
// A and B are formed in float exactly as TsComplex arithmetic forms them (the quotient in
// double, rounded on store). B is factorised in double as P·B = L·U with partial pivoting: in
// column k the row of largest squared magnitude among rows k..N−1, the first one on ties (the
// magnitude order, except that two candidates whose magnitudes round to the same double can
// still differ in their squares). S comes from substitution through U, L and P (S·Pᵀ·L·U = A)
// rather than from forming B⁻¹, and is rounded to float once. A point where a pivot magnitude, the last one included, is below
// techsoft::kSingularPivot (or is NaN) receives TsComplex::m_minus200dB in every output.
//
// Points go through in blocks stored lane by lane (structure of arrays), as many points as the
// variant's vector register holds doubles: every step is one vector operation across the block's
// points. Each lane pivots on its own; row and column exchanges are blends. The kernel is
// compiled for the x86-64 baseline and, for processors that have them, for AVX2 and AVX-512F;
// every variant performs the same operations in the same order, without fused multiply-add, so
// all of them give bit-identical results. Port counts 3, 4 and 8 have fixed-size code (loops
// the compiler unrolls, the substitution's row in registers); other counts share one loop.
#pragma once

#include <vector>

#include "tessel/core/types.h"

namespace Tessel::internal {

// The instruction-set variants of the kernel.
enum class SolverIsa { kBaseline, kAvx2, kAvx512 };

// True when this processor (and its operating system) can run the variant.
bool CpuRuns(SolverIsa isa);

class BlockSolver {
  public:
    static constexpr int kBlockPoints = 8;  // points of the widest variant's block

    // Sizes the work space for portCount ports once; Run never allocates.
    explicit BlockSolver(int portCount);

    // Corrects points [start, stop) with the best variant this processor runs. Each argument
    // is an array of N·N array pointers indexed r·N + c; every pointer must be valid for the
    // range (none is tested here). An output array may be its raw array (in place): a block's
    // inputs are all read before its outputs are written.
    void Run(const TsComplex* const* leakage, const TsComplex* const* tracking,
             const TsComplex* const* match, const TsComplex* const* raw, TsComplex* const* out,
             int start, int stop);

    // The same with the given variant, which the processor must run (CpuRuns).
    void Run(SolverIsa isa, const TsComplex* const* leakage, const TsComplex* const* tracking,
             const TsComplex* const* match, const TsComplex* const* raw, TsComplex* const* out,
             int start, int stop);

  private:
    int n_;
    std::vector<double> work_;  // lane arrays of the general-N kernel, aligned inside
};

}  // namespace Tessel::internal
