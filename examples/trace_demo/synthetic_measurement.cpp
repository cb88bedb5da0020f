// SPDX-License-Identifier: Apache-2.0
#include "examples/trace_demo/synthetic_measurement.h"

#include <cmath>
#include <random>

namespace demo {

namespace {

using Abcd = std::array<Cd, 4>;  // A, B, C, D

Abcd Mul(const Abcd& x, const Abcd& y) {
    return {x[0] * y[0] + x[1] * y[2], x[0] * y[1] + x[1] * y[3], x[2] * y[0] + x[3] * y[2],
            x[2] * y[1] + x[3] * y[3]};
}

Abcd SeriesImpedance(Cd z) {
    return {1.0, z, 0.0, 1.0};
}
Abcd ShuntAdmittance(Cd y) {
    return {1.0, 0.0, y, 1.0};
}

// A slightly lossy line: skin-effect loss growing with sqrt(f).
Abcd Line(double z, double delay, double f) {
    const double alpha = 0.02 * std::sqrt(f / 1e9) * delay / 1e-9;  // nepers
    const Cd gl(alpha, 2.0 * M_PI * f * delay);
    return {std::cosh(gl), z * std::sinh(gl), std::sinh(gl) / z, std::cosh(gl)};
}

// Chebyshev low-pass prototype values g1..gn.
std::vector<double> ChebyshevG(int n, double rippleDb) {
    const double beta = std::log(1.0 / std::tanh(rippleDb / 17.37));
    const double gamma = std::sinh(beta / (2.0 * n));
    std::vector<double> a(n + 1), b(n + 1), g(n + 1);
    for (int k = 1; k <= n; ++k) {
        a[k] = std::sin((2.0 * k - 1.0) * M_PI / (2.0 * n));
        b[k] = gamma * gamma + std::pow(std::sin(k * M_PI / n), 2);
    }
    g[1] = 2.0 * a[1] / gamma;
    for (int k = 2; k <= n; ++k)
        g[k] = 4.0 * a[k - 1] * a[k] / (b[k - 1] * g[k - 1]);
    return g;
}

// Band-pass ladder: series resonators in odd positions, shunt resonators in even ones.
Abcd Filter(const DeviceDescription& d, double f, double z0) {
    const std::vector<double> g = ChebyshevG(d.filterOrder, d.filterRippleDb);
    const double w0 = 2.0 * M_PI * d.filterCenterHz, w = 2.0 * M_PI * f;
    const double delta = d.filterBandwidthHz / d.filterCenterHz;
    Abcd m = {1.0, 0.0, 0.0, 1.0};
    for (int k = 1; k <= d.filterOrder; ++k) {
        if (k % 2 == 1) {
            const double l = g[k] * z0 / (w0 * delta), c = delta / (w0 * g[k] * z0);
            const double r = w0 * l / d.resonatorQ;
            m = Mul(m, SeriesImpedance(Cd(r, w * l - 1.0 / (w * c))));
        } else {
            const double c = g[k] / (w0 * delta * z0), l = delta * z0 / (w0 * g[k]);
            const double gl = w0 * c / d.resonatorQ;
            m = Mul(m, ShuntAdmittance(Cd(gl, w * c - 1.0 / (w * l))));
        }
    }
    return m;
}

// Error terms of a realistic test set: tens of dB of directivity and match that ripple with
// frequency, tracking that falls off and carries the delay of the test-port cables.
ErrorTerms MakeErrorTerms(double f) {
    const double x = f / 6e9;
    auto phasor = [f](double mag, double delay, double phase0) {
        return std::polar(mag, phase0 - 2.0 * M_PI * f * delay);
    };
    ErrorTerms e;
    for (int p = 0; p < 2; ++p) {
        const double s = p == 0 ? 1.0 : 1.15;  // the two ports differ a little
        e.directivity[p] = phasor(0.008 * s * (1.0 + 0.8 * x), 0.35e-9 * s, 0.4 * p);
        e.sourceMatch[p] =
            phasor(0.05 * s * (1.0 + 0.3 * std::sin(2.0 * M_PI * x * 3.0)), 0.6e-9, 1.1);
        e.reflectionTracking[p] = phasor((0.92 - 0.12 * x) / s, 2.1e-9 * s, -0.3);
        e.loadMatch[p] = phasor(0.04 * s * (1.0 + 0.5 * x), 0.9e-9, 2.0 - p);
        e.transmissionTracking[p] = phasor((0.9 - 0.15 * x) / s, 2.4e-9, 0.2 * p);
        e.crosstalk[p] = phasor(2e-5 * (1.0 + x), 0.1e-9, 0.7);
    }
    return e;
}

Abcd SteppedCable(const DeviceDescription& d, double f, double z0) {
    return Mul(Mul(Line(z0, d.cableDelay1, f), Line(d.stepZ, d.stepDelay, f)),
               Line(z0, d.cableDelay2, f));
}

Abcd FlawlessCable(const DeviceDescription& d, double f, double z0) {
    return Line(z0, d.cableDelay1 + d.stepDelay + d.cableDelay2, f);
}

constexpr double kZ0 = 50.0;

}  // namespace

std::array<Cd, 4> SteppedCableS(const DeviceDescription& d, double f) {
    return AbcdToS(SteppedCable(d, f, kZ0), kZ0);
}

std::array<Cd, 4> FlawlessCableS(const DeviceDescription& d, double f) {
    return AbcdToS(FlawlessCable(d, f, kZ0), kZ0);
}

std::array<Cd, 4> DeviceS(const DeviceDescription& d, double f) {
    return AbcdToS(Mul(SteppedCable(d, f, kZ0), Filter(d, f, kZ0)), kZ0);
}

std::array<Cd, 4> AbcdToS(const std::array<Cd, 4>& m, double z0) {
    const Cd a = m[0], b = m[1], c = m[2], d = m[3];
    const Cd den = a + b / z0 + c * z0 + d;
    return {(a + b / z0 - c * z0 - d) / den, 2.0 * (a * d - b * c) / den, 2.0 / den,
            (-a + b / z0 - c * z0 + d) / den};
}

std::array<Cd, 4> MeasureThroughErrorModel(const std::array<Cd, 4>& s, const ErrorTerms& e) {
    // Per direction: unit incident wave; waves at the device ports solve
    //   a = 1 + Es·b,  b = Sdd·a + Sdo·d,  c = Sod·a + Soo·d,  d = El·c
    // in closed form; the receivers see directivity + tracking·b and crosstalk + tracking·c.
    std::array<Cd, 4> m;
    for (int dir = 0; dir < 2; ++dir) {
        const Cd sdd = dir == 0 ? s[0] : s[3], sdo = dir == 0 ? s[1] : s[2];
        const Cd sod = dir == 0 ? s[2] : s[1], soo = dir == 0 ? s[3] : s[0];
        const Cd es = e.sourceMatch[dir], el = e.loadMatch[dir];
        // d = el·c and c = sod·a + soo·d give d = el·sod·a / (1 - el·soo).
        const Cd dOverA = el * sod / (1.0 - el * soo);
        const Cd bOverA = sdd + sdo * dOverA;
        const Cd a = 1.0 / (1.0 - es * bOverA);
        const Cd b = bOverA * a, c = sod * a + soo * dOverA * a;
        const Cd refl = e.directivity[dir] + e.reflectionTracking[dir] * b;
        const Cd trans = e.crosstalk[dir] + e.transmissionTracking[dir] * c;
        if (dir == 0) {
            m[0] = refl;
            m[2] = trans;
        } else {
            m[3] = refl;
            m[1] = trans;
        }
    }
    return m;
}

SyntheticMeasurement MakeSyntheticMeasurement(int points, double stopHz, double noiseRms,
                                              unsigned seed) {
    SyntheticMeasurement m;
    const double z0 = kZ0;
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, noiseRms);
    for (auto* set : {&m.truth, &m.reference, &m.raw, &m.rawNoiseFree}) {
        for (auto& v : *set)
            v.resize(points);
    }
    for (int k = 1; k <= points; ++k) {
        const double f = k * stopHz / points;
        const int i = k - 1;
        m.frequencyHz.push_back(f);
        const Abcd filter = Filter(m.device, f, z0);
        const DeviceDescription& d = m.device;
        const Abcd dut = Mul(SteppedCable(d, f, z0), filter);
        const Abcd flawless = Mul(FlawlessCable(d, f, z0), filter);
        const std::array<Cd, 4> s = AbcdToS(dut, z0), sr = AbcdToS(flawless, z0);
        const ErrorTerms e = MakeErrorTerms(f);
        m.errorTerms.push_back(e);
        const std::array<Cd, 4> raw = MeasureThroughErrorModel(s, e);
        for (int p = 0; p < 4; ++p) {
            m.truth[p][i] = s[p];
            m.reference[p][i] = sr[p];
            m.rawNoiseFree[p][i] = raw[p];
            m.raw[p][i] = raw[p] + Cd(noise(rng), noise(rng));
        }
    }
    return m;
}

}  // namespace demo
