// SPDX-License-Identifier: Apache-2.0
// Smoothing of formatted trace data by a centred moving average.
//
// Output point i is the mean of the input points i - h .. i + h for an odd aperture of
// 2h + 1 points; at the ends of the trace the first and last values repeat. A NaN or infinite
// sample makes the mean of every window that holds it NaN or infinite, and of no other. Phase data
// (radians) is averaged with each window unwrapped and the mean wrapped back into -π..π;
// group delay may use a fractional aperture. Sums are formed in double.
//
// Smoothing works incrementally while a sweep fills a trace. A call smooths the half-open run
// first <= i < last of a trace of n points; the data received so far ends at
// lastIdx = last - 1 (lastIdx = 0 when last is 0). When lastIdx is the trace's last point the
// run is final and every point is computed; otherwise the run stops at the first point whose
// window reaches beyond lastIdx, and a later call with more data continues from there. The
// `processed` pointer, when not null, receives the number of points computed. A run that stops
// early is not a failure.
//
// Validation, in this order: an aperture above the trace length (for the span forms, also a
// computed aperture that is even or below 3) returns kInvalidArg; then first == last returns 0
// and writes nothing, `processed` included; then first < 0, last < 0, first > lastIdx,
// last > n, an aperture below 3 or an even aperture return kInvalidArg. A failure leaves `out`
// and `processed` untouched (the vector forms may already have resized `out`). `in` and `out`
// must not overlap.
#pragma once

#include <vector>

#include "tessel/core/export.h"

namespace Tessel {

// Smooths with an aperture of `aperture` points (odd, 3 <= aperture <= n); `phase` selects
// the phase average.
TESSEL_EXPORT long Smooth(const float* in, float* out, int n, int first, int last, int aperture,
                          int* processed, bool phase);

// Smooths with an aperture given as the fraction `span` of the trace (0.05 for 5 %): the
// aperture is (n - 1)·span + 1 points rounded half up, and must come out odd, >= 3 and <= n
// (an even result is rejected, not rounded to odd).
TESSEL_EXPORT long Smooth(const float* in, float* out, int n, int first, int last, double span,
                          int* processed, bool phase);

// Smooths the whole trace of n points with an aperture of the fraction `span`. n == 0 returns
// 0 at once; kFail reports a run that did not compute all n points.
TESSEL_EXPORT long Smooth(const float* in, float* out, int n, double span, bool phase);

// Vector forms: `out` is resized to the length of `in`, which is the trace length n.
TESSEL_EXPORT long Smooth(const std::vector<float>& in, std::vector<float>& out, int first,
                          int last, int aperture, int* processed, bool phase);
TESSEL_EXPORT long Smooth(const std::vector<double>& in, std::vector<double>& out, int first,
                          int last, int aperture, int* processed, bool phase);

// Smooths group delay over a fractional aperture of `aperture` points, 2.0 <= aperture <= n.
// With w = (aperture - 1)/2, point i averages the whole points within i ± w, weight 1 each,
// and the values interpolated at i - w and i + w, weight frac(w) each. `out` is not resized:
// `in` and `out` must hold at least `last` elements (else kInvalidArg). Besides the aperture,
// kInvalidArg reports first < 0, last < 0, first > last or last > n.
TESSEL_EXPORT long SmoothGroupDelay(const std::vector<float>& in, std::vector<float>& out, int n,
                                    int first, int last, double aperture, int* processed);

}  // namespace Tessel
