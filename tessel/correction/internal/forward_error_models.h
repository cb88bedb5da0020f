// SPDX-License-Identifier: Apache-2.0
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

#include <algorithm>
#include <complex>
#include <random>
#include <string>
#include <vector>

#include "tessel/core/types.h"
#include "tessel/correction/correction_algorithm.h"

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

// "S%d%d", or "S%d_%d" when a port number is 10 or more.
inline std::wstring SName(int p, int q) {
    return L"S" + std::to_wstring(p) + (p >= 10 || q >= 10 ? L"_" : L"") + std::to_wstring(q);
}

// The arrays of an N-port calibration and measurement over `points` points, made through the
// forward model, and their loading into an algorithm by the register's term names.
struct Sweep {
    int n, points;
    std::vector<int> ports;                                       // ascending
    std::vector<std::vector<TsComplex>> leak, track, match, raw;  // [r·N + c][point]
    std::vector<std::vector<Cd>> truth;                           // [point][r·N + c]

    Sweep(const std::vector<int>& sorted, int pointCount)
        : n(int(sorted.size())), points(pointCount), ports(sorted), truth(pointCount) {
        for (auto* v : {&leak, &track, &match, &raw})
            v->assign(n * n, std::vector<TsComplex>(points));
    }
    // Stores one point's terms and the device's measurement through `measuredThrough`.
    void SetPoint(int i, const NPortTerms& terms, const NPortTerms& measuredThrough,
                  const std::vector<Cd>& device) {
        const std::vector<Cd> m = measuredThrough.Measure(device);
        for (int k = 0; k < n * n; ++k) {
            leak[k][i] = ToTs(terms.leakage[k]);
            track[k][i] = ToTs(terms.tracking[k]);
            match[k][i] = ToTs(terms.match[k]);
            raw[k][i] = ToTs(m[k]);
        }
        truth[i] = device;
    }
    Sweep& FillRandom(Random& rng, bool crosstalk) {
        for (int i = 0; i < points; ++i) {
            const NPortTerms t = rng.Terms(n, crosstalk);
            SetPoint(i, t, t, rng.Device(n));
        }
        return *this;
    }
    // Loads terms and raw data by their full names, crosstalk only when asked for; false when
    // the algorithm refuses one.
    bool Load(ICorrectionAlgorithm& alg, bool withCrosstalk = true) const {
        static const wchar_t* const kWord[3][2] = {{L"CrossTalk", L"Directivity"},
                                                   {L"TransmissionTracking", L"ReflectionTracking"},
                                                   {L"LoadMatch", L"SourceMatch"}};
        bool ok = true;
        for (int k = 0; k < n * n; ++k) {
            const int r = k / n, c = k % n;
            const std::wstring pq =
                L"(" + std::to_wstring(ports[r]) + L"," + std::to_wstring(ports[c]) + L")";
            const std::vector<TsComplex>* arrays[3] = {&leak[k], &track[k], &match[k]};
            for (int m = (r == c || withCrosstalk) ? 0 : 1; m < 3; ++m)
                ok = alg.SetErrorTermData((kWord[m][r == c] + pq).c_str(), arrays[m]->data(),
                                          points) &&
                     ok;
            ok = alg.SetRawData(SName(ports[r], ports[c]).c_str(), raw[k].data()) && ok;
        }
        return ok;
    }
    // Largest |corrected − truth| / max(|truth|, 0.1) over [start, stop).
    double WorstError(const DataMatrix& out, int start, int stop) const {
        double worst = 0.0;
        for (int k = 0; k < n * n; ++k)
            for (int i = start; i < stop; ++i) {
                const Cd t = truth[i][k], got = ToCd(out(k / n, k % n)->data[i]);
                worst = std::max(worst, std::abs(got - t) / std::max(std::abs(t), 0.1));
            }
        return worst;
    }
};

}  // namespace Tessel::forward_models
