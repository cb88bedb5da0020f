// SPDX-License-Identifier: Apache-2.0
// Per-point algebra of the calibration solvers.
#include "tessel/calibration/internal/cal_math.h"

#include <algorithm>
#include <cmath>

namespace Tessel::calib {

namespace {

constexpr int kStackRows = 16;

bool Small(Cd d, double scale) {
    return !(std::abs(d) > 1e-300 * scale) || !std::isfinite(std::abs(d));
}

}  // namespace

bool SolveLeastSquares(int rows, int cols, Cd* a, Cd* b, Cd* x) {
    // Work space on the stack for the usual few rows, so a sweep allocates nothing per point.
    Cd small[kStackRows];
    std::vector<Cd> large(rows > kStackRows ? rows : 0);
    Cd* const vStack = rows > kStackRows ? large.data() : small;
    double maxPivot = 0.0, minPivot = HUGE_VAL;
    for (int k = 0; k < cols; ++k) {
        double norm2 = 0.0;
        for (int r = k; r < rows; ++r)
            norm2 += std::norm(a[r * cols + k]);
        const double norm = std::sqrt(norm2);
        const Cd x0 = a[k * cols + k];
        const Cd phase = std::abs(x0) > 0.0 ? x0 / std::abs(x0) : Cd(1.0);
        const Cd alpha = -phase * norm;
        // v = x − alpha·e1; H = I − 2·v·vᴴ/(vᴴv).
        Cd* v = vStack;
        for (int r = k; r < rows; ++r)
            v[r - k] = a[r * cols + k];
        v[0] -= alpha;
        double vv = 0.0;
        for (int r = 0; r < rows - k; ++r)
            vv += std::norm(v[r]);
        if (vv > 0.0) {
            for (int c = k; c < cols; ++c) {
                Cd dot = 0.0;
                for (int r = k; r < rows; ++r)
                    dot += std::conj(v[r - k]) * a[r * cols + c];
                const Cd f = 2.0 * dot / vv;
                for (int r = k; r < rows; ++r)
                    a[r * cols + c] -= f * v[r - k];
            }
            Cd dot = 0.0;
            for (int r = k; r < rows; ++r)
                dot += std::conj(v[r - k]) * b[r];
            const Cd f = 2.0 * dot / vv;
            for (int r = k; r < rows; ++r)
                b[r] -= f * v[r - k];
        }
        const double p = std::abs(a[k * cols + k]);
        maxPivot = std::max(maxPivot, p);
        minPivot = std::min(minPivot, p);
    }
    if (!(minPivot > kRankTolerance * maxPivot) || !std::isfinite(maxPivot))
        return false;
    for (int k = cols; k-- > 0;) {
        Cd s = b[k];
        for (int c = k + 1; c < cols; ++c)
            s -= a[k * cols + c] * x[c];
        x[k] = s / a[k * cols + k];
    }
    return true;
}

bool SolveOnePort(int n, const Cd* gamma, const Cd* m, OnePortTerms& t) {
    // m = ed + Γ·m·es − Γ·Δ, with Δ = ed·es − er: linear in (ed, es, Δ).
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (std::abs(gamma[i] - gamma[j]) < kMinDistinct)
                return false;
    Cd smallA[3 * kStackRows], smallB[kStackRows];
    std::vector<Cd> largeA(n > kStackRows ? 3 * n : 0), largeB(n > kStackRows ? n : 0);
    Cd* const a = n > kStackRows ? largeA.data() : smallA;
    Cd* const b = n > kStackRows ? largeB.data() : smallB;
    for (int i = 0; i < n; ++i)
        b[i] = m[i];
    for (int i = 0; i < n; ++i) {
        a[3 * i] = 1.0;
        a[3 * i + 1] = gamma[i] * m[i];
        a[3 * i + 2] = -gamma[i];
    }
    Cd x[3];
    if (!SolveLeastSquares(n, 3, a, b, x))
        return false;
    t.ed = x[0];
    t.es = x[1];
    t.er = x[0] * x[1] - x[2];
    return std::abs(t.er) > 0.0;
}

bool CorrectOnePort(const OnePortTerms& t, Cd m, Cd& gamma) {
    const Cd a = m - t.ed;
    const Cd den = t.er + t.es * a;
    if (Small(den, std::abs(t.er)))
        return false;
    gamma = a / den;
    return true;
}

bool SwitchCorrect(const SParams2& m, Cd gf, Cd gr, SParams2& out) {
    const Cd d = 1.0 - m[2] * m[1] * gf * gr;
    if (Small(d, 1.0))
        return false;
    out[0] = (m[0] - m[1] * m[2] * gf) / d;
    out[1] = (m[1] - m[0] * m[1] * gr) / d;
    out[2] = (m[2] - m[3] * m[2] * gf) / d;
    out[3] = (m[3] - m[1] * m[2] * gr) / d;
    return true;
}

TwelveTerm EightToTwelve(const EightTerm& e, Cd gf, Cd gr) {
    // The port that does not drive sees its own receiver reflection behind its error box.
    TwelveTerm t;
    const Cd e23e01 = e.e10e01 * e.e23e32 / e.e10e32;
    t.ed1 = e.e00;
    t.es1 = e.e11;
    t.er1 = e.e10e01;
    t.el21 = e.e22 + e.e23e32 * gf / (1.0 - e.e33 * gf);
    t.et21 = e.e10e32 / (1.0 - e.e33 * gf);
    t.ex21 = 0.0;
    t.ed2 = e.e33;
    t.es2 = e.e22;
    t.er2 = e.e23e32;
    t.el12 = e.e11 + e.e10e01 * gr / (1.0 - e.e00 * gr);
    t.et12 = e23e01 / (1.0 - e.e00 * gr);
    t.ex12 = 0.0;
    return t;
}

bool ThruForward(const OnePortTerms& p1, const SParams2& s, Cd m11, Cd m21, Cd ex, Cd& el, Cd& et) {
    Cd gin;
    if (!CorrectOnePort(p1, m11, gin))
        return false;
    const Cd d = gin - s[0];
    const Cd den = s[2] * s[1] + s[3] * d;
    if (Small(den, 1.0) || Small(s[2], 1.0))
        return false;
    el = d / den;
    const Cd dd = (1.0 - p1.es * s[0]) * (1.0 - el * s[3]) - p1.es * el * s[2] * s[1];
    et = (m21 - ex) * dd / s[2];
    return std::abs(et) > 0.0 && std::isfinite(std::abs(et));
}

std::array<Cd, 4> ToT(const SParams2& s) {
    const Cd det = s[0] * s[3] - s[1] * s[2];
    return {-det / s[2], s[0] / s[2], -s[3] / s[2], 1.0 / s[2]};
}

SParams2 FromT(const std::array<Cd, 4>& t) {
    const Cd det = t[0] * t[3] - t[1] * t[2];
    return {t[1] / t[3], det / t[3], 1.0 / t[3], -t[2] / t[3]};
}

std::array<Cd, 4> Mul(const std::array<Cd, 4>& a, const std::array<Cd, 4>& b) {
    return {a[0] * b[0] + a[1] * b[2], a[0] * b[1] + a[1] * b[3], a[2] * b[0] + a[3] * b[2],
            a[2] * b[1] + a[3] * b[3]};
}

bool Inverse(const std::array<Cd, 4>& a, std::array<Cd, 4>& out) {
    const Cd det = a[0] * a[3] - a[1] * a[2];
    const double scale = std::max({std::abs(a[0]), std::abs(a[1]), std::abs(a[2]), std::abs(a[3])});
    if (!(std::abs(det) > 1e-12 * scale * scale))
        return false;
    out = {a[3] / det, -a[1] / det, -a[2] / det, a[0] / det};
    return true;
}

}  // namespace Tessel::calib
