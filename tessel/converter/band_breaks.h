// SPDX-License-Identifier: Apache-2.0
// Band breaks of a frequency-converter sweep: the break frequencies of the instrument's
// hardware bands, where they fall in a stimulus, and the points at which the phase of a sweep
// must be stitched.
//
// The break frequencies come from the host's hardware capabilities (INAHardwareCaps); the
// stitch points also take the spur service (IHWSpurs) into account. All at global scope.
#pragma once

#include <vector>

#include "platform/measutil/input_array.h"
#include "platform/stimulus/base_stimulus.h"
#include "tessel/core/export.h"

// One split point of a stimulus.
struct TESSEL_EXPORT MixStimulusSplitIndex {
    double frequency = -1.0;  // the split frequency, -1.0 when only the index is known
    double index = 0.0;       // fractional point index (whole stimulus) after which it lies
    bool ascending = true;    // the segment holding the split runs upward

    MixStimulusSplitIndex() = default;
    explicit MixStimulusSplitIndex(double idx) : index(idx) {}
    MixStimulusSplitIndex(double idx, double freq) : frequency(freq), index(idx) {}
};

// Band-break frequencies (Hz), ascending, without duplicates, none below the instrument's
// minimum frequency. `adjusted` moves each break of a band with a frequency offset by that
// offset (and adds 53 MHz when any offset is non-zero).
TESSEL_EXPORT std::vector<double> GetBandBreaks(bool adjusted);
// The union of the adjusted and the unadjusted breaks, sorted, without duplicates.
TESSEL_EXPORT std::vector<double> GetBandBreaks();

// The point indices at which a new band starts: for each adjusted break strictly inside the
// stimulus, the first point above it (a break exactly on point k gives k + 1).
TESSEL_EXPORT std::vector<int> FindBandBreaks(const QuorUtility::InputArray& stimulus);

// Adds to `breakPoints` the point indices at which the phase of the sweep `s` must be stitched:
// band breaks inside every segment of the whole sweep and of the active sub-sweeps (indices
// counted within each sweep), and the points where the spur service's per-point value changes.
// The list comes back sorted, without duplicates.
TESSEL_EXPORT void AddPhaseBreakPoints(AIBaseStimulus& s, std::vector<int>& breakPoints);
