// SPDX-License-Identifier: Apache-2.0
// Gating: removes a window of time from a frequency response, or keeps only that window,
// without leaving the frequency domain.
//
// A time gate multiplies the time response by a gate function; in the frequency domain that is
// a convolution of the N response points with the gate's spectrum, a Kaiser-tapered sinc of
// 2K + 1 coefficients (K = N/D, D from the gate shape) modulated to the gate centre t_c:
//   h[k] = sinc(k·w·Δf)·window[K + k]·exp(-j·k·2π·t_c·Δf),  |k| <= K,
// w the gate width and Δf the point spacing. A response 0.5·exp(-j2πf·τ) of a reflection at
// delay τ passes with the gain of the gate at τ. The data are tapered by a Kaiser edge window
// before the convolution, and the result is divided by the gate's response to a reflection
// at t_c under the same taper, which undoes the taper and the gate's gain.
//
// Band-pass mode gates the data as measured. Low-pass mode gates data on the harmonic grid
// k·Δf, k = 1..N, extended to negative frequencies by conjugate symmetry and to 0 Hz by the
// EstimateDC value, so that the time response is real.
//
// The convolution runs as a product of FFTs over M = the next power of two >= P + 2K points
// (P = N in band-pass, 2N + 1 in low-pass): one forward and one inverse FFT per call. The
// transformed kernel, the edge window and the normalisation are cached; the first gating call
// after a setting change, or after a call in the other mode, rebuilds them.
//
// A gate of zero width (start equal to stop) has an all-zero filter, which gates nothing
// meaningful; such a gate is taken literally instead: a band-pass gate of zero width keeps
// nothing (all-zero output, gated DC value 0), a notch of zero width removes nothing (the
// output is the input, the DC value the ungated estimate). No NaN or infinity results.
//
// Copies of a Gating share one state and its cache; they are used from one thread at a time.
#pragma once

#include <vector>

#include <boost/shared_ptr.hpp>

#include "tessel/core/export.h"
#include "tessel/core/types.h"

namespace Tessel {

struct GateState;

class TESSEL_EXPORT Gating {
  public:
    // Any value other than 0 is a notch.
    enum GateType : int { GateBandpass = 0, GateNotch = 1 };
    // Filter length divisor D and Kaiser parameter B: Maximum 10 and 8, Wide 5 and 5, Normal 2
    // and 5, Minimum 2 and 2. A longer filter (smaller D) and a smaller B give sharper edges
    // with more ripple.
    enum GateShape : int { GateMaximum = 0, GateWide = 1, GateNormal = 2, GateMinimum = 3 };

    // A new state: gate -10 ns..10 ns, band-pass type, normal shape, no stimulus grid.
    Gating();
    // Copies share the state.
    Gating(const Gating& other);
    Gating& operator=(const Gating& other);
    ~Gating();

    // Returns 0; no effect on the cache.
    long Validate();

    GateType GetGateType() const;
    GateShape GetGateShape() const;
    double GetGateStart() const;
    double GetGateStop() const;
    double GetGateSpan() const;
    double GetGateCenter() const;
    // -L and +L, L = (points - 1)/|stop - start| the alias-free limit (10000 s for fewer
    // than 2 points, infinite for a zero frequency span).
    void GetMinMaxGateValues(double& min, double& max) const;

    // Setter results: 0 accepted (also when nothing changed), 1 clamped to -L..L. Setters
    // taking a double refuse NaN and infinities with 0x80070057 and change nothing.
    long SetGateType(GateType type);
    // A shape outside 0..3 returns 0x80070057.
    long SetGateShape(GateShape shape);
    // Clamps to -L..L (result 1); a start after the stop moves the stop with it, and a stop
    // before the start moves the start.
    long SetGateStart(double seconds);
    long SetGateStop(double seconds);
    // Moves the centre (clamped, without result 1), shrinking the span symmetrically to fit.
    long SetGateCenter(double seconds);
    // Sets the span around the current centre; 1 when it is cut to fit or was negative.
    long SetGateSpan(double seconds);
    // Stores the stimulus grid; the point count is the integer part of points. Returns
    // 0x80070057 for a negative, non-finite or too large (>= 2^31) point value.
    long SetFrequencyData(double start, double stop, double points);
    // Makes the next gating call rebuild the cache.
    void ForceRefresh();

    // Gates band-pass data. out is resized to in's length; the first `points` samples are
    // gated and samples past them, outside the gate's grid, give 0. dcValue is EstimateDC of
    // the first three (ungated) input points and dcValid true. Returns 0. When in holds fewer
    // samples than the point count (they would be read past the data), or the point count is
    // below 3 or above 2^27, returns 0x80070057 with out a copy of in, dcValue 0 and dcValid
    // false.
    long GateDataBandpass(const std::vector<TsComplex>& in, std::vector<TsComplex>& out,
                          double& dcValue, bool& dcValid);
    // Gates low-pass data (harmonic grid, in[k] at (k + 1)·Δf). dcValue is the gated value at
    // 0 Hz and dcValid false. Returns 0, or fails as GateDataBandpass.
    long GateDataLowpass(const std::vector<TsComplex>& in, std::vector<TsComplex>& out,
                         double& dcValue, bool& dcValid);

    // Estimates the real response at 0 Hz from the first three points p0, p1, p2 of a
    // low-pass sweep: the real-axis point at the distance |p0 - c| from a centre c on the real
    // axis, on the side reached by extrapolating the angle about c one step back from p1
    // through p0; limited to -1..+1. c is the real part of the centre of the circle through
    // the three points when that centre lies within the unit square, unless at least two
    // pairs of points have real parts within 0.002 of each other; otherwise c = 0. Returns 0
    // when a pointer is null.
    static double EstimateDC(const TsComplex* p0, const TsComplex* p1, const TsComplex* p2);

    // Diagnostic: how many times a gating call has rebuilt the cached filter.
    unsigned long GetCacheBuildCount() const;

  private:
    boost::shared_ptr<GateState> m_state;
};

// The shared state of a Gating.
struct TESSEL_EXPORT GateState {
    bool gateDirty = true;  // the cached filter must be rebuilt
    int pointCount = 0;     // integer part of pointValue
    Gating::GateType gateType = Gating::GateBandpass;
    Gating::GateShape gateShape = Gating::GateNormal;
    double gateStart = -1e-8;              // s
    double gateStop = 1e-8;                // s
    double gateStartFrequency = 0.0;       // Hz
    double gateStopFrequency = 0.0;        // Hz
    double pointValue = 0.0;               // the point count as the caller passed it
    std::vector<TsComplex> gateKernel;     // forward FFT of the gate filter, M values
    std::vector<float> edgeWindow;         // taper applied to the data, P values
    std::vector<float> gateNormalization;  // response that undoes the taper, P values
    int cacheMode = -1;  // mode that built the cache: 0 band-pass, 1 low-pass, -1 none

    // Work buffer of the gating calls, kept between calls: allocating it per call costs as
    // much in page faults as the FFTs at 20001 points.
    std::vector<TsComplex> work;

    unsigned long cacheBuilds = 0;
};

}  // namespace Tessel
