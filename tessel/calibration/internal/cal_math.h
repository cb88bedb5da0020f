// SPDX-License-Identifier: Apache-2.0
// Per-point algebra of the calibration solvers, in double precision.
//
// Error-box conventions (flow-graph terms of one sweep point):
//   port-1 box X: e00 directivity, e11 source match, e10e01 reflection tracking;
//   port-2 box Y: e33 directivity, e22 source match, e23e32 reflection tracking (e22 faces the
//   device, e33 the receivers); e10e32 forward transmission tracking.
// The twelve terms of a two-port are these per direction:
//   forward (port 1 drives): ed1, es1, er1, el21 (match of port 2), et21, ex21;
//   reverse (port 2 drives): ed2, es2, er2, el12 (match of port 1), et12, ex12.
#pragma once

#include <complex>
#include <vector>

#include "tessel/calibration/cal_standard.h"

namespace Tessel::calib {

using Cd = std::complex<double>;

// A pivot below this fraction of the largest one marks a point as ill-conditioned; so do two
// standards whose definitions differ by less than kMinDistinct at a point.
inline constexpr double kRankTolerance = 1e-6;
inline constexpr double kMinDistinct = 1e-6;

// Least-squares solution of the rows × cols system a·x = b (row-major a, rows >= cols) by
// Householder QR. False when the matrix is rank-deficient within kRankTolerance. a and b are
// overwritten.
bool SolveLeastSquares(int rows, int cols, Cd* a, Cd* b, Cd* x);

struct OnePortTerms {
    Cd ed, es, er;
};

// One-port terms from n >= 3 standards of actual reflections gamma and raw reflections m:
// exact for three, least squares for more. False when ill-conditioned.
bool SolveOnePort(int n, const Cd* gamma, const Cd* m, OnePortTerms& t);

// Actual reflection behind a one-port error box for the raw reflection m; false when the
// denominator vanishes.
bool CorrectOnePort(const OnePortTerms& t, Cd m, Cd& gamma);

struct EightTerm {
    Cd e00, e11, e10e01, e33, e22, e23e32, e10e32;
};

struct TwelveTerm {
    Cd ed1, es1, er1, el21, et21, ex21;
    Cd ed2, es2, er2, el12, et12, ex12;
};

// Removes the switch terms from raw two-port ratios m (S11, S12, S21, S22): gf = a2/b2 while
// port 1 drives, gr = a1/b1 while port 2 drives. False when the determinant vanishes.
bool SwitchCorrect(const SParams2& m, Cd gf, Cd gr, SParams2& out);

// The twelve terms of an eight-term model with switch terms (crosstalk zero).
TwelveTerm EightToTwelve(const EightTerm& e, Cd gf, Cd gr);

// Forward load match and transmission tracking from a known thru (actual s) measured with
// raw forward ratios m11, m21, given the port-1 terms and the forward crosstalk. Reverse: call
// with the ports swapped. False on a vanishing denominator.
bool ThruForward(const OnePortTerms& p1, const SParams2& s, Cd m11, Cd m21, Cd ex, Cd& el, Cd& et);

// Mirror of a two-port's S-parameters (ports swapped).
inline SParams2 Swapped(const SParams2& s) {
    return {s[3], s[2], s[1], s[0]};
}

// T-parameters [b1; a1] = T·[a2; b2] of a two-port (row-major 2 × 2), and back.
std::array<Cd, 4> ToT(const SParams2& s);
SParams2 FromT(const std::array<Cd, 4>& t);
std::array<Cd, 4> Mul(const std::array<Cd, 4>& a, const std::array<Cd, 4>& b);
bool Inverse(const std::array<Cd, 4>& a, std::array<Cd, 4>& out);

}  // namespace Tessel::calib
