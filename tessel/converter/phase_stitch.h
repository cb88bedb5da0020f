// SPDX-License-Identifier: Apache-2.0
// Phase stitching of frequency-converter traces across band breaks.
//
// Where a sweep crosses a band break the measured phase jumps. These functions remove such
// jumps from complex trace data (phases in radians): they stitch the phase at break points so
// that the step across a break matches its neighbours, and they post-process phase-reference
// measurements (linear phase removed, phasors smoothed per band, phase increments smoothed and
// re-integrated, breaks stitched). All at global scope.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/measutil/input_array.h"
#include "platform/measutil/ts_complex.h"
#include "tessel/core/export.h"

enum PhaseStitchProperty : std::int32_t {
    StitchAverage = 0,    // target step: the average direction of the steps before and after
    StitchFollowing = 1,  // target step: the step after the break only
};

// Rotates data[k .. end) at every break k (>= 3, < data.size()) so that the step across the
// break matches the target step, after re-phasing point 0 by linear extrapolation from points 1
// and 2. Nothing happens for an empty break list or fewer than 3 points. `end` is clamped to
// 0 .. data.size() for the rotation and then set to data.size(). The first argument is neither
// read nor written. Any property other than 1 behaves like 0. A break on the last point has no
// step after it.
TESSEL_EXPORT void StitchPhaseAtBandBreaks(int& unused, int& end, const std::vector<int>& breaks,
                                           std::vector<QuorUtility::TsComplex>& data,
                                           PhaseStitchProperty property);

// The mean phase step (radians per point) of the 7 pairs around the middle of the trace. A
// trace of fewer than 8 points averages all its pairs instead (0.0 below 2 points), so nothing
// is read past its end.
TESSEL_EXPORT double MiddlePhaseSlope(const std::vector<QuorUtility::TsComplex>& data);

// Resolves an n-fold phase ambiguity: each point from 1 on is rotated by the multiple of 2π/n
// that makes its step from the (resolved) previous point smallest. n <= 0 changes nothing.
TESSEL_EXPORT void ResolvePhaseAmbiguity(std::vector<QuorUtility::TsComplex>& data, int n);

// Smooths unit phasors with the 1-2-1 kernel within each band of the stimulus (bands end at the
// points of FindBandBreaks, clamped to the data); band ends use extrapolated neighbours, bands
// of fewer than 4 points are left as they are.
TESSEL_EXPORT void SmoothPhasorsPerBand(const QuorUtility::InputArray& stimulus,
                                        std::vector<QuorUtility::TsComplex>& w);

// Smooths the phase increments of data[start .. end) per band (5-point moving average that, as
// its incremental run leaves them, keeps the last increments of each band unsmoothed) and
// re-integrates the phase from data[start]. `end` is clamped to the data length; fewer than 3
// points from start on change nothing.
TESSEL_EXPORT void SmoothPhaseIncrements(const QuorUtility::InputArray& stimulus,
                                         std::vector<QuorUtility::TsComplex>& data, int start,
                                         int end);

// Post-processes a phase-reference measurement in place and returns the mean phase step
// (radians per point) it removed. An empty trace returns 0.0 unchanged.
TESSEL_EXPORT double PostProcessPhaseReferenceMeasurement(
    const QuorUtility::InputArray& stimulus, std::vector<QuorUtility::TsComplex>& data);
