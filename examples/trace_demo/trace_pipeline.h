// SPDX-License-Identifier: Apache-2.0
// The host's trace update, as the demo runs it: correction through the algorithm interface,
// formatting and smoothing as points arrive, a time-domain transform and a gate.
#pragma once

#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tessel/tessel.h"

namespace demo {

using Tessel::TsComplex;
using Trace = std::vector<TsComplex>;

// One sweep of a two-port (or one-port) measurement.
struct Sweep {
    std::vector<double> frequencyHz;
    int ports = 2;
    // S11, S12, S21, S22 (one entry used for a one-port): raw receiver ratios when
    // `errorTerms` is non-empty, otherwise data that is already corrected.
    std::array<Trace, 4> sParameters;
    // Error terms by their register names, e.g. "Directivity(1,1)"; empty for corrected data.
    std::map<std::wstring, Trace> errorTerms;
};

// Point ranges [start, stop) in the order a sweep delivers them.
std::vector<std::pair<int, int>> SweepChunks(int points, int chunks);

// Corrects the sweep's raw data through an N-port algorithm, driven by name like the host
// drives it, one point range at a time. Returns S11, S12, S21, S22. Throws std::runtime_error
// when the algorithm refuses a name or a range.
std::array<Trace, 4> CorrectSweep(const Sweep& sweep,
                                  const std::vector<std::pair<int, int>>& chunks);

// Display formats of one complex trace.
struct Formatted {
    std::vector<float> logMagDb;
    std::vector<float> phaseUnwrappedRad;
    std::vector<float> groupDelayS;
    std::vector<float> groupDelaySmoothedS;
    std::vector<float> swr;
};

// Formats a trace range by range as points arrive; the group delay is smoothed incrementally
// with `aperture` points.
Formatted FormatTrace(const Trace& data, const QuorUtility::InputArray& stimulus,
                      const std::vector<std::pair<int, int>>& chunks, int aperture);

// True when the frequencies lie on the grid k·f_last/N, k = 1..N, that the low-pass
// transform and gate assume.
bool IsHarmonicGrid(const std::vector<double>& frequencyHz);

struct TimeDomainView {
    Tessel::TimeDomain::TransformMode mode = Tessel::TimeDomain::LowPassStep;
    std::vector<double> timeS;
    std::vector<float> response;  // step: reflection coefficient; impulse: magnitude
    double dcValue = 0.0;
    double stepRiseTimeS = 0.0;
    double impulseWidthS = 0.0;
};

// Transforms a reflection trace to the time domain: a low-pass step on a harmonic grid (with
// the DC value estimated from the first points), otherwise a band-pass impulse.
TimeDomainView TransformReflection(const Trace& s11, const std::vector<double>& frequencyHz,
                                   double startS, double stopS);

// Removes (notch) the time window [startS, stopS] from a reflection trace, in the low-pass
// mode on a harmonic grid and the band-pass mode otherwise.
Trace GateOut(const Trace& s11, const std::vector<double>& frequencyHz, double startS,
              double stopS);

}  // namespace demo
