// SPDX-License-Identifier: Apache-2.0
// Two-port algebra on complex matrices: S/T conversions, port swaps, inverses and error
// adapters.
//
// Conventions (indices 0 and 1 stand for ports 1 and 2):
//   S-matrix [[S11, S12], [S21, S22]];
//   T-matrix (cascading) T11 = 1/S21, T12 = −S22/S21, T21 = S11/S21, T22 = S12 − S11·S22/S21,
//   so that the T-matrix of two-ports in cascade is the product of their T-matrices in
//   cascade order.
// Functions that take a 2 × 2 matrix read only its top-left 2 × 2 block; elements missing from
// a smaller matrix count as zero. Arithmetic is in double and rounded to float on store.
// Reciprocals named in the function comments use GuardedReciprocal; every other quotient is
// the plain complex quotient, so a zero divisor gives infinities or NaN there.
//
// Most functions have a vector form that applies the single form at every index of a vector
// of matrices (one per stimulus point). Single forms allocate nothing beyond their result.
#pragma once

#include <vector>

#include "tessel/core/export.h"
#include "tessel/core/types.h"
#include "tessel/network/matrix.h"

namespace Tessel {

using ComplexMatrix = techsoft::matrix<TsComplex>;
using ComplexMatrixVector = std::vector<ComplexMatrix>;

// 1/z = conj(z)/|z|² with |z|² formed in double. An exactly zero |z|² is replaced by the
// smallest normal float (1.175494351e-38), and each part of the quotient saturates at the
// largest finite float, so the result is very large rather than infinite for tiny z (and 0
// for z = 0). NaN parts stay NaN.
TESSEL_EXPORT TsComplex GuardedReciprocal(const TsComplex& z);

// Inverts a 2 × 2 matrix in place by the closed form. Returns kFail, leaving m unchanged,
// when |det| < 10·ε (ε the double epsilon) or m is not 2 × 2; else 0.
TESSEL_EXPORT long Invert2By2Matrix(ComplexMatrix& m);

// True when every element has magnitude 0 (the largest magnitude is 0); an empty matrix is
// null.
TESSEL_EXPORT bool isNullMatrix(const techsoft::matrix<TsComplex>& m);
// True when the largest and the smallest element are both 0; an empty matrix is null.
TESSEL_EXPORT bool isNullMatrix(const techsoft::matrix<double>& m);

// [[M11, M10], [M01, M00]]: ports 1 and 2 exchanged.
TESSEL_EXPORT ComplexMatrix rowcol_swap(const ComplexMatrix& m);
TESSEL_EXPORT ComplexMatrixVector rowcol_swap(const ComplexMatrixVector& ms);
// The same as rowcol_swap.
TESSEL_EXPORT ComplexMatrix tparm_swapLP(const ComplexMatrix& m);
TESSEL_EXPORT ComplexMatrixVector tparm_swapLP(const ComplexMatrixVector& ms);
// [[M00, −M10], [−M01, M11]].
TESSEL_EXPORT ComplexMatrix tparm_mod(const ComplexMatrix& m);
TESSEL_EXPORT ComplexMatrixVector tparm_mod(const ComplexMatrixVector& ms);
// The inverse of a square matrix of any size (Gauss-Jordan); a zero matrix of m's size when m
// is singular or not square.
TESSEL_EXPORT ComplexMatrix tparm_swapL(const ComplexMatrix& m);
TESSEL_EXPORT ComplexMatrixVector tparm_swapL(const ComplexMatrixVector& ms);
// [[M00, −M10], [−M01, M11]] × GuardedReciprocal(det M), which is rowcol_swap of the inverse.
// det M comes from the LU decomposition and is 0 when the decomposition reports m singular.
TESSEL_EXPORT ComplexMatrix tparm_swapP(const ComplexMatrix& m);
TESSEL_EXPORT ComplexMatrixVector tparm_swapP(const ComplexMatrixVector& ms);

// The T-matrix of an S-matrix; 1/S21 is the guarded reciprocal.
// S21 = 0 (a two-port without transmission has no T-matrix) follows the two stated formulas
// literally rather than promising a very large T11: the guarded reciprocal of 0 has a zero
// numerator, so T11 is exactly 0 (finite, as tparm_swapP's zero for a singular matrix), and
// T12 = −S22/S21 and T21 = S11/S21 are plain quotients by zero, which TsComplex division makes
// NaN in both parts whatever the numerator; T22 = S12 − T21·S22 is NaN with them. T2S of this
// T-matrix gives S21 = 0 back (the guarded reciprocal of T11 = 0) and NaN elsewhere.
TESSEL_EXPORT ComplexMatrix S2T(const TsComplex& s11, const TsComplex& s12, const TsComplex& s21,
                                const TsComplex& s22);
TESSEL_EXPORT ComplexMatrix S2T(const ComplexMatrix& s);
// The S-matrix of a T-matrix: S11 = T21/T11, S12 = T22 − T12·T21/T11, S21 = 1/T11 (guarded),
// S22 = −T12/T11.
TESSEL_EXPORT ComplexMatrix T2S(const TsComplex& t11, const TsComplex& t12, const TsComplex& t21,
                                const TsComplex& t22);
TESSEL_EXPORT ComplexMatrix T2S(const ComplexMatrix& t);
TESSEL_EXPORT ComplexMatrixVector T2S(const ComplexMatrixVector& ts);

// The T-matrix of a port's error adapter from directivity a, source match b and reflection
// tracking c. reversed false: [[1, −b], [a, c − a·b]] (unit transmission term). reversed true:
// [[1, −a], [b, c − a·b]], the adapter seen from its other side, multiplied by the guarded
// reciprocal of c unless raw is set.
TESSEL_EXPORT ComplexMatrix DMT2T(bool reversed, const TsComplex& a, const TsComplex& b,
                                  const TsComplex& c, bool raw);

// One matrix [[a[i], b[i]], [c[i], d[i]]] per index i of a. b, c and d must be at least as
// long as a; if one is shorter, the result stops at the shortest length.
TESSEL_EXPORT ComplexMatrixVector makeMatrix(const std::vector<TsComplex>& a,
                                             const std::vector<TsComplex>& b,
                                             const std::vector<TsComplex>& c,
                                             const std::vector<TsComplex>& d);
// tparm_swapL of every matrix.
TESSEL_EXPORT ComplexMatrixVector invert(const ComplexMatrixVector& ms);
// as[i]·bs[i] for every index of as. bs must be at least as long as as; if it is shorter, the
// result stops at its length.
TESSEL_EXPORT ComplexMatrixVector multiply(const ComplexMatrixVector& as,
                                           const ComplexMatrixVector& bs);

}  // namespace Tessel
