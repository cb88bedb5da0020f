// SPDX-License-Identifier: Apache-2.0
// MatrixCorrection: the per-point matrix solution of the N-port error model.
//
// For receiving port r and source port c, with leakage D (directivity or crosstalk), tracking T
// (reflection or transmission), match E (source match on the diagonal, load match of r while c
// drives off it) and raw value M, each point i is solved as
//   A(r,c) = (M − D) / T,   B(r,c) = δ(r,c) + E·A(r,c),   S = A·B⁻¹,
// where column c of A holds the waves leaving the device while c drives and column c of B the
// waves incident on it, so that S·B = A. B is inverted through its LU decomposition; where it
// is singular the point's outputs receive TsComplex::m_minus200dB (missing data).
//
// The work matrices and the factorisation live in the object: after the first point of a size
// no point allocates.
#pragma once

#include "tessel/core/types.h"
#include "tessel/network/lu_factor.h"
#include "tessel/network/matrix.h"

namespace Tessel::internal {

class MatrixCorrection {
  public:
    explicit MatrixCorrection(int portCount);

    // Corrects points [start, stop). Each argument is an array of N·N array pointers indexed
    // r·N + c; every pointer must be valid for the range (none is tested here).
    void Run(const TsComplex* const* leakage, const TsComplex* const* tracking,
             const TsComplex* const* match, const TsComplex* const* raw, TsComplex* const* out,
             int start, int stop);

  private:
    int n_;
    techsoft::matrix<TsComplex> s_, a_, b_;
    techsoft::lu_factor<TsComplex> lu_;
};

}  // namespace Tessel::internal
