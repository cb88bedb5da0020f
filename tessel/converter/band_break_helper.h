// SPDX-License-Identifier: Apache-2.0
// MixBandBreakHelper: the stimulus ranges of one frequency-converter measurement and the
// options that govern how its sweep is split at band breaks, how its frequencies are moved
// onto a frequency grid, how the point-averaging layer stitches phase, and how phase-reference
// measurements are adjusted before and after averaging.
#pragma once

#include <vector>

#include "platform/measutil/input_array.h"
#include "platform/measutil/point_averaging.h"
#include "platform/measutil/ts_complex.h"
#include "platform/stimulus/base_stimulus.h"
#include "tessel/converter/stimulus_range.h"
#include "tessel/core/export.h"

// True when the whole sweep and the one differing active sub-sweep run in opposite directions
// and share a band break at the same fractional point index. Segments of the sub-sweep missing
// against the whole sweep hold no break.
TESSEL_EXPORT bool OpposedSweepsShareBreak(AIBaseStimulus& s);

class TESSEL_EXPORT MixBandBreakHelper {
  public:
    MixBandBreakHelper() = default;

    // Splits the sweep of s at the band breaks and rewrites its stimuli with settling and
    // lead-in points (see the source for the steps). `first` and `second` decide the long
    // lead-in (lowest frequency below 50 MHz).
    void SetupRanges(AIBaseStimulus& s, std::vector<int>& breakPoints, bool skip,
                     const QuorUtility::InputArray& first, const QuorUtility::InputArray& second);

    // Hands the point-averaging layer the stitch points of the first range for the receiver
    // a<port+1>,1 (reference) or b<port+1>,1.
    void ApplyToPointAveraging(PAComponent& component, bool skip, int port, bool reference);

    // Before averaging: resolves the phase ambiguity of a complete phase-reference trace and,
    // at a 625 kHz frequency limit, stitches at group-delay jumps. An incomplete trace (last
    // below the point count) sets first and last to 0. With the frequency limit off (0) the
    // ambiguity order is undefined and no ambiguity is resolved.
    void AdjustPhaseReferenceMeasurementPreAverage(const QuorUtility::InputArray& stimulus,
                                                   std::vector<QuorUtility::TsComplex>& data,
                                                   int& first, int& last);
    // After averaging: the phase-reference post-processing when that flag is set.
    void AdjustPhaseReferenceMeasurementPostAverage(const QuorUtility::InputArray& stimulus,
                                                    std::vector<QuorUtility::TsComplex>& data,
                                                    int& first, int& last);

    bool IsPhaseReferenceMeasurementOn() const { return frequencyLimit_ != 0.0; }
    void SetFrequencyLimit(double limit) { frequencyLimit_ = limit; }
    double GetFrequencyLimit() const { return frequencyLimit_; }
    void SetInterpolateStitch(bool on) { interpolateStitch_ = on; }
    bool GetInterpolateStitch() const { return interpolateStitch_; }
    void SetPlusMinus1Hz(bool on) { plusMinus1Hz_ = on; }
    bool GetPlusMinus1Hz() const { return plusMinus1Hz_; }
    void SetPhaseReferenceMeasurement(bool on) { phaseReferenceMeasurement_ = on; }
    bool GetPhaseReferenceMeasurement() const { return phaseReferenceMeasurement_; }
    bool GetLongLeadIn() const { return longLeadIn_; }
    const std::vector<MixStimulusRange>& GetRanges() const { return ranges_; }
    const std::vector<int>& GetPhaseBreakPoints() const { return phaseBreakPoints_; }

  private:
    void AddRange(const MixStimulusRange& r);
    // Offsets that move every whole-sweep point to the nearest multiple of the frequency limit
    // (a tie moves up); false, offsets untouched, when the limit is off.
    bool EnforceFrequencyLimit(AIBaseStimulus& s, QuorUtility::InputArray& offsets);

    std::vector<int> phaseBreakPoints_;
    std::vector<MixStimulusRange> ranges_;
    double frequencyLimit_ = 0.0;
    bool interpolateStitch_ = true;
    bool plusMinus1Hz_ = true;
    bool phaseReferenceMeasurement_ = false;
    bool longLeadIn_ = false;
};
