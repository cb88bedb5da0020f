// SPDX-License-Identifier: Apache-2.0
// Anti-networks and reflections through added two-ports.
//
// antinet and CalculateAntiNetwork give the network that, cascaded with a fixture, is a perfect
// through, so removing a fixture is embedding its anti-network (EmbedNetwork, embedding.h).
// cascadeGamma and the gamma functions move a reflection coefficient through a two-port given
// by its T-matrix (conventions of two_port_conversions.h). The three fixture error-term
// functions give the directivity, source match and reflection tracking that a one-port
// calibration sees after a two-port is added at its test port.
//
// Arithmetic is in double, rounded to float on store. Quotients are the textbook complex
// quotient without checks, as TsComplex division: a zero divisor gives infinities or NaN.
// Vectors hold one entry per stimulus point.
#pragma once

#include <vector>

#include "tessel/core/export.h"
#include "tessel/core/status.h"
#include "tessel/network/two_port_conversions.h"

namespace Tessel {

// The 2 × 2 anti-network of the two-port S (its top-left 2 × 2 block; missing elements count
// as zero): T2S of the inverse of S2T(S), formed directly from the S-parameters.
TESSEL_EXPORT ComplexMatrix antinet(const ComplexMatrix& s);

// The anti-networks of 4 × 4 fixtures, ports 1-2 on one side and 3-4 on the other: the
// four-ports whose block T-matrix is the inverse of the fixture's. out is resized to in's
// length (new entries are zero matrices of the size of in[0]). Returns kFail at the first
// point where one of the four 2 × 2 inversions finds a determinant below 10·ε, leaving that
// point and the later ones unwritten; else 0. An empty in has no matrix size: out is emptied
// and the result is 0. Elements missing from an input smaller than 4 × 4 count as zero, and
// an out entry smaller than 4 × 4 is replaced by a 4 × 4 zero matrix before it is written.
TESSEL_EXPORT long CalculateAntiNetwork(const ComplexMatrixVector& in, ComplexMatrixVector& out);

// (T10 + T11·Γ) / (T00 + T01·Γ): the reflection at the input of the two-port of T-matrix t
// terminated by gamma.
TESSEL_EXPORT TsComplex cascadeGamma(const ComplexMatrix& t, const TsComplex& gamma);
// Vector forms: one result per T-matrix. The gamma vector must be as long; where it is shorter
// the result stops at its length.
TESSEL_EXPORT std::vector<TsComplex> cascadeGamma(const ComplexMatrixVector& ts,
                                                  std::vector<TsComplex> gammas);

// cascadeGamma(t, gamma).
TESSEL_EXPORT TsComplex gamma1Fwd(const ComplexMatrix& t, const TsComplex& gamma);
TESSEL_EXPORT std::vector<TsComplex> gamma1Fwd(const ComplexMatrixVector& ts,
                                               std::vector<TsComplex> gammas);
// cascadeGamma(rowcol_swap(t), gamma).
TESSEL_EXPORT TsComplex gamma1Rev(const ComplexMatrix& t, const TsComplex& gamma);
TESSEL_EXPORT std::vector<TsComplex> gamma1Rev(const ComplexMatrixVector& ts,
                                               std::vector<TsComplex> gammas);
// cascadeGamma(tparm_mod(t), gamma).
TESSEL_EXPORT TsComplex gamma2Rev(const ComplexMatrix& t, const TsComplex& gamma);
TESSEL_EXPORT std::vector<TsComplex> gamma2Rev(const ComplexMatrixVector& ts,
                                               std::vector<TsComplex> gammas);
// cascadeGamma(invert(t), gamma) per point (a singular T gives the zero matrix's 0/0).
TESSEL_EXPORT std::vector<TsComplex> gamma2Fwd(const ComplexMatrixVector& ts,
                                               std::vector<TsComplex> gammas);

// Error terms of a one-port calibration (directivity edf, reflection tracking erf, source match
// esf) seen through the added two-port m[i] (2 × 2 S-matrix) at points 0 .. n-1:
//   directivity:         edf + erf·M00 / (1 − esf·M00)
//   source match:        M11 + M01·M10·esf / (1 − M00·esf)
//   reflection tracking: erf·M01·M10 / (1 − esf·M00)²
// Each function keeps one result buffer for the life of the process, resizes it to n on every
// call and returns a pointer to its first element: the next call of the same function
// overwrites the results (copy them first), and the functions must not run on two threads at
// once. Refused, returning null with the buffer untouched: a null array, n < 0, or fewer than
// n matrices.
TESSEL_EXPORT const TsComplex* directivityError(const TsComplex* edf, const TsComplex* erf,
                                                const TsComplex* esf, const ComplexMatrixVector& m,
                                                int n);
TESSEL_EXPORT const TsComplex* sourceMatchError(const TsComplex* esf, const ComplexMatrixVector& m,
                                                int n);
TESSEL_EXPORT const TsComplex* reflectionTrackingError(const TsComplex* erf, const TsComplex* esf,
                                                       const ComplexMatrixVector& m, int n);

}  // namespace Tessel
