// Forward error models for the correction tests: what a vector network analyzer with given
// error terms measures for a device of known S-parameters.
//
// The models build the measured values from the device's S-matrix through per-port error
// adapters, by solving the signal-flow equations as linear equations in double; they never
// invert the correction formulas, so a correction that recovers the device from their output
// is checked against independent physics.
//
// N-port model, drive port c, port r of N ports (row-major index r·N + c):
//   the device sees the incident waves a = e_c + diag(Γ)·b, Γ_c = source match of port c,
//   Γ_r = load match of port r while c drives; its outgoing waves are b = S·a, hence
//   (I − S·diag(Γ))·b = S·e_c;
//   the receiver of port r reads M(r,c) = leakage(r,c) + tracking(r,c)·b_r (directivity and
//   reflection tracking on the diagonal, crosstalk and transmission tracking off it).
// Test-only header: not installed.
#pragma once

#include <complex>
#include <random>
#include <vector>

#include "tessel/core/types.h"

namespace Tessel::forward_models {

using Cd = std::complex<double>;

inline Cd ToCd(const TsComplex& z) {
    return {z.re, z.im};
}
inline TsComplex ToTs(const Cd& z) {
    return TsComplex(float(z.real()), float(z.imag()));
}

// Solves A·x = b (n × n, row-major) by Gaussian elimination with partial pivoting.
inline std::vector<Cd> Solve(std::vector<Cd> a, std::vector<Cd> b) {
    const size_t n = b.size();
    for (size_t k = 0; k < n; ++k) {
        size_t p = k;
        for (size_t r = k + 1; r < n; ++r)
            if (std::abs(a[r * n + k]) > std::abs(a[p * n + k]))
                p = r;
        for (size_t c = 0; c < n; ++c)
            std::swap(a[k * n + c], a[p * n + c]);
        std::swap(b[k], b[p]);
        for (size_t r = k + 1; r < n; ++r) {
            const Cd f = a[r * n + k] / a[k * n + k];
            for (size_t c = k; c < n; ++c)
                a[r * n + c] -= f * a[k * n + c];
            b[r] -= f * b[k];
        }
    }
    std::vector<Cd> x(n);
    for (size_t k = n; k-- > 0;) {
        Cd s = b[k];
        for (size_t c = k + 1; c < n; ++c)
            s -= a[k * n + c] * x[c];
        x[k] = s / a[k * n + k];
    }
    return x;
}

// The error terms of one point of an N-port calibration, row-major [r·N + c].
struct NPortTerms {
    int n = 0;
    std::vector<Cd> leakage;   // directivity (r == c) or crosstalk
    std::vector<Cd> tracking;  // reflection tracking (r == c) or transmission tracking
    std::vector<Cd> match;     // source match (r == c) or load match of r while c drives

    explicit NPortTerms(int ports)
        : n(ports), leakage(n * n, 0.0), tracking(n * n, 1.0), match(n * n, 0.0) {}

    // Measured S-matrix (row-major) of a device with S-matrix s.
    std::vector<Cd> Measure(const std::vector<Cd>& s) const {
        std::vector<Cd> m(n * n);
        for (int c = 0; c < n; ++c) {
            std::vector<Cd> k(n * n), rhs(n);
            for (int r = 0; r < n; ++r) {
                rhs[r] = s[r * n + c];
                for (int j = 0; j < n; ++j)
                    k[r * n + j] = (r == j ? 1.0 : 0.0) - s[r * n + j] * match[j * n + c];
            }
            const std::vector<Cd> b = Solve(k, rhs);
            for (int r = 0; r < n; ++r)
                m[r * n + c] = leakage[r * n + c] + tracking[r * n + c] * b[r];
        }
        return m;
    }
};

// Random draws for well-conditioned calibrations and devices.
class Random {
  public:
    explicit Random(unsigned seed) : gen_(seed) {}
    Cd Polar(double lo, double hi) {
        return std::polar(std::uniform_real_distribution<double>(lo, hi)(gen_),
                          std::uniform_real_distribution<double>(-M_PI, M_PI)(gen_));
    }
    // Error terms of a realistic, imperfect N-port test set.
    NPortTerms Terms(int n, bool crosstalk) {
        NPortTerms t(n);
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c) {
                const int k = r * n + c;
                t.leakage[k] = (r == c) ? Polar(0.01, 0.1) : (crosstalk ? Polar(1e-4, 1e-3) : 0.0);
                t.tracking[k] = Polar(0.5, 1.0);
                t.match[k] = Polar(0.01, 0.2);
            }
        return t;
    }
    // A passive-looking device: moderate reflections, transmission between every pair.
    std::vector<Cd> Device(int n) {
        std::vector<Cd> s(n * n);
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c)
                s[r * n + c] = (r == c) ? Polar(0.0, 0.6) : Polar(0.1, 0.6);
        return s;
    }

  private:
    std::mt19937 gen_;
};

}  // namespace Tessel::forward_models
