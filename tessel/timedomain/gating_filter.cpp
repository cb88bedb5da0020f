// SPDX-License-Identifier: Apache-2.0
// Gating: the cached gate filter and the band-pass and low-pass gating calls.

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/nsp/nsp.h"
#include "tessel/core/status.h"
#include "tessel/timedomain/gating.h"

namespace Tessel {
namespace {

constexpr int kBandPassMode = 0;
constexpr int kLowPassMode = 1;
// The largest point count gated: the FFT length stays within 2^30 points.
constexpr int kMaxPoints = 1 << 27;

struct ShapeParameters {
    int divisor;  // D: the filter has 2·(N/D) + 1 coefficients
    float beta;   // B: Kaiser parameter of the filter
};

ShapeParameters ShapeOf(Gating::GateShape shape) {
    switch (shape) {
        case Gating::GateMaximum:
            return {10, 8.0f};
        case Gating::GateWide:
            return {5, 5.0f};
        case Gating::GateMinimum:
            return {2, 2.0f};
        default:
            return {2, 5.0f};
    }
}

// Sizes and gate parameters of one mode, derived from the settings.
struct Design {
    int points;   // N
    int length;   // P: data points filtered
    int half;     // K: filter half length
    int order;    // log2 M
    int size;     // M
    double step;  // Δf, 1.0 for a zero span
    double width;
    double omega;  // ω0 = 2π·t_c·Δf
};

Design MakeDesign(const GateState& s, int mode) {
    Design d{};
    d.points = s.pointCount;
    d.step = (s.gateStopFrequency - s.gateStartFrequency) / (d.points - 1.0);
    if (d.step == 0.0) {
        d.step = 1.0;
    }
    d.half = std::max(d.points / ShapeOf(s.gateShape).divisor, 1);
    d.length = mode == kBandPassMode ? d.points : 2 * d.points + 1;
    d.order = 1;
    while ((1 << d.order) < d.length + 2 * d.half) {
        ++d.order;
    }
    d.size = 1 << d.order;
    double centre = (s.gateStart + s.gateStop) / 2.0;
    d.width = s.gateStop - s.gateStart;
    if (s.gateType != Gating::GateBandpass) {
        // The complementary gate around the opposite point of the alias period.
        centre = (1.0 / d.step + s.gateStart + s.gateStop) / 2.0;
        d.width = (s.gateStart - s.gateStop) + 1.0 / d.step;
    }
    d.omega = 2.0 * M_PI * centre * d.step;
    return d;
}

// Convolves work (M values) with the cached filter: forward FFT, product, inverse FFT.
void Filter(const GateState& s, const Design& d, std::vector<TsComplex>& work) {
    nspcFft(work.data(), d.order, kNspForward | kNspOutBitRev);
    nspcbMpy2(s.gateKernel.data(), work.data(), d.size);
    nspcFft(work.data(), d.order, kNspInverse | kNspInBitRev);
}

void BuildKernel(GateState& s, const Design& d) {
    s.gateKernel.assign(d.size, TsComplex());
    std::vector<float> window(2 * d.half + 1);
    nspsbSet(1.0f, window.data(), 2 * d.half + 1);
    nspsWinKaiser(window.data(), 2 * d.half + 1, ShapeOf(s.gateShape).beta / d.half);
    s.gateKernel[0] = nspcSet(1.0f, 0.0f);
    const double x = d.width * d.step * M_PI;
    for (int k = 1; k <= d.half; ++k) {
        const double kx = k * x;
        const double sinc = kx == 0.0 ? 1.0 : std::sin(kx) / kx;
        const double a = sinc * window[d.half + k];
        const double phi = -k * d.omega;
        const float re = static_cast<float>(std::cos(phi) * a);
        const float im = static_cast<float>(std::sin(phi) * a);
        s.gateKernel[k] = nspcSet(re, im);
        s.gateKernel[d.size - k] = nspcSet(re, -im);
    }
    nspcFft(s.gateKernel.data(), d.order, kNspForward | kNspOutBitRev);
}

// Edge taper and normalisation: the filtered response to a reflection at the gate centre.
void BuildNormalization(GateState& s, const Design& d) {
    s.edgeWindow.assign(d.length, 0.0f);
    nspsbSet(1.0f, s.edgeWindow.data(), d.length);
    nspsWinKaiser(s.edgeWindow.data(), d.length, 4.0f / ((d.length - 1) / 2));
    std::vector<TsComplex>& work = s.work;
    work.assign(d.size, TsComplex());
    for (int n = 0; n < d.length; ++n) {
        const double phi = -n * d.omega;
        work[n] = nspcSet(static_cast<float>(std::cos(phi) * s.edgeWindow[n]),
                          static_cast<float>(std::sin(phi) * s.edgeWindow[n]));
    }
    Filter(s, d, work);
    s.gateNormalization.assign(d.length, 0.0f);
    nspcbMag(work.data(), s.gateNormalization.data(), d.length);
}

void UpdateCache(GateState& s, const Design& d, int mode) {
    if (!s.gateDirty && s.cacheMode == mode) {
        return;
    }
    BuildKernel(s, d);
    BuildNormalization(s, d);
    s.cacheMode = mode;
    s.gateDirty = false;
    ++s.cacheBuilds;
}

// value / norm; 0 where the normalisation vanishes (a filter that passes nothing there).
TsComplex Normalize(const TsComplex& value, float norm) {
    if (!(norm >= std::numeric_limits<float>::min())) {
        return TsComplex();
    }
    return TsComplex(value.re / norm, value.im / norm);
}

// Sizes the gating calls accept: in holds at least the point count, which is 3 or more.
bool Acceptable(const GateState& s, const std::vector<TsComplex>& in) {
    return s.pointCount >= 3 && s.pointCount <= kMaxPoints &&
           in.size() >= static_cast<std::size_t>(s.pointCount);
}

// out takes in's length; samples past the point count lie outside the gate's grid and are not
// gated: their outputs are 0.
void ClearBeyondGrid(const GateState& s, std::size_t size, std::vector<TsComplex>& out) {
    out.resize(size);
    std::fill(out.begin() + s.pointCount, out.end(), TsComplex());
}

long Reject(const std::vector<TsComplex>& in, std::vector<TsComplex>& out, double& dcValue,
            bool& dcValid) {
    out = in;
    dcValue = 0.0;
    dcValid = false;
    return kInvalidArg;
}

// A gate of zero width: a band-pass gate keeps nothing, a notch removes nothing.
bool ZeroWidthGate(const GateState& s, const std::vector<TsComplex>& in,
                   std::vector<TsComplex>& out) {
    if (s.gateStart != s.gateStop) {
        return false;
    }
    if (s.gateType == Gating::GateBandpass) {
        out.assign(in.size(), TsComplex());
    } else {
        out = in;
        ClearBeyondGrid(s, in.size(), out);
    }
    return true;
}

}  // namespace

long Gating::GateDataBandpass(const std::vector<TsComplex>& in, std::vector<TsComplex>& out,
                              double& dcValue, bool& dcValid) {
    GateState& s = *m_state;
    if (!Acceptable(s, in)) {
        return Reject(in, out, dcValue, dcValid);
    }
    dcValue = EstimateDC(&in[0], &in[1], &in[2]);
    dcValid = true;
    if (ZeroWidthGate(s, in, out)) {
        return kOk;
    }
    const Design d = MakeDesign(s, kBandPassMode);
    UpdateCache(s, d, kBandPassMode);
    std::vector<TsComplex>& work = s.work;
    work.assign(d.size, TsComplex());
    for (int n = 0; n < d.points; ++n) {
        work[n] = nspcSet(in[n].re * s.edgeWindow[n], in[n].im * s.edgeWindow[n]);
    }
    Filter(s, d, work);
    ClearBeyondGrid(s, in.size(), out);
    for (int n = 0; n < d.points; ++n) {
        out[n] = Normalize(work[n], s.gateNormalization[n]);
    }
    return kOk;
}

long Gating::GateDataLowpass(const std::vector<TsComplex>& in, std::vector<TsComplex>& out,
                             double& dcValue, bool& dcValid) {
    GateState& s = *m_state;
    if (!Acceptable(s, in)) {
        return Reject(in, out, dcValue, dcValid);
    }
    dcValid = false;
    const double dc = EstimateDC(&in[0], &in[1], &in[2]);
    if (ZeroWidthGate(s, in, out)) {
        dcValue = s.gateType == GateBandpass ? 0.0 : dc;
        return kOk;
    }
    const Design d = MakeDesign(s, kLowPassMode);
    UpdateCache(s, d, kLowPassMode);
    const int n = d.points;
    const float* edge = s.edgeWindow.data();
    std::vector<TsComplex>& work = s.work;
    work.assign(d.size, TsComplex());
    work[n] = nspcSet(static_cast<float>(dc * edge[n]), 0.0f);
    for (int k = 1; k <= n; ++k) {
        const float a = in[k - 1].re * edge[n + k];
        const float b = in[k - 1].im * edge[n + k];
        work[n + k] = nspcSet(a, b);
        work[n - k] = nspcSet(a, -b);  // conjugate-symmetric: a real time response
    }
    Filter(s, d, work);
    ClearBeyondGrid(s, in.size(), out);
    for (int k = 0; k < n; ++k) {
        out[k] = Normalize(work[n + 1 + k], s.gateNormalization[n + 1 + k]);
    }
    dcValue = Normalize(work[n], s.gateNormalization[n]).re;
    return kOk;
}

}  // namespace Tessel
