// SPDX-License-Identifier: Apache-2.0
// MixStimulusRange: one stimulus axis of a frequency-converter sweep with its split points.
//
// A range stands for the whole sweep or for one sub-sweep of the host's AIBaseStimulus. It is
// split at band-break frequencies; the splits are sorted and merged, and the modified stimulus
// gets settling points after every split (40, plus two edge points when `extra edge points` is
// set) and lead-in points before the first point (800 with a long lead-in, else 40). Ranges
// with an equal stimulus ride along as `equal ranges` and receive the same splits.
#pragma once

#include <optional>
#include <vector>

#include "platform/measutil/input_array.h"
#include "platform/measutil/segment.h"
#include "platform/stimulus/base_stimulus.h"
#include "tessel/converter/band_breaks.h"
#include "tessel/core/export.h"

class TESSEL_EXPORT MixStimulusRange {
  public:
    static constexpr int settlingPoints = 40;
    static constexpr int kShortLeadIn = 40;
    static constexpr int kLongLeadIn = 800;

    // The whole sweep of s.
    MixStimulusRange(AIBaseStimulus& s, bool longLeadIn);
    // Sub-sweep `subSweep` of s (which must exist).
    MixStimulusRange(AIBaseStimulus& s, int subSweep, bool longLeadIn);

    // Splits every segment of the stimulus at `frequency`; each split is recorded (with its
    // frequency) and returned with frequency -1.0 and the holding segment's direction.
    std::vector<MixStimulusSplitIndex> Split(double frequency);
    void AddSplitIndex(const MixStimulusSplitIndex& split) { splits_.push_back(split); }
    // Sorts the splits by index and merges those closer than 0.0001, keeping a known frequency.
    void SortIndicies();
    // The split indices truncated to integers, in order.
    std::vector<int> GetStitchIndices() const;
    // Takes r as an equal range when its stimulus equals this one.
    bool AddEqualRange(const MixStimulusRange& r);

    // Builds the stimulus with settling and lead-in points (see the file comment). `perPoint`
    // and `companion` are processed in place when not empty; the second axis comes from this
    // range. Arrays shorter than the stimulus have their reads clamped to their last point and
    // their insertions to their end.
    void GetModifiedStimulus(QuorUtility::InputArray& stimulus, QuorUtility::InputArray& secondAxis,
                             std::vector<float>& perPoint,
                             QuorUtility::InputArray& companion) const;
    // Reads the range's arrays from s, modifies them and writes them back, then does the same
    // for every equal range (with this range's splits and the companion as it was passed in).
    void ApplyToBaseStimulus(AIBaseStimulus& s, QuorUtility::InputArray& companion);

    const QuorUtility::InputArray& GetStimulus() const { return stimulus_; }
    const QuorUtility::InputArray& GetSecondAxis() const { return secondAxis_; }
    const std::vector<MixStimulusSplitIndex>& GetSplitIndices() const { return splits_; }
    const std::vector<MixStimulusRange>& GetEqualRanges() const { return equalRanges_; }
    bool IsWholeSweep() const { return wholeSweep_; }
    int GetSubSweepIndex() const { return subSweep_; }
    bool GetLongLeadIn() const { return longLeadIn_; }
    bool GetExtraEdgePoints() const { return extraEdgePoints_; }
    void SetExtraEdgePoints(bool on) { extraEdgePoints_ = on; }

  private:
    std::optional<MixStimulusSplitIndex> Split(int firstPoint, const QuorUtility::Segment& seg,
                                               double frequency);

    bool extraEdgePoints_ = false;
    QuorUtility::InputArray stimulus_;
    QuorUtility::InputArray secondAxis_;
    std::vector<MixStimulusSplitIndex> splits_;
    bool wholeSweep_ = true;
    bool longLeadIn_ = false;
    int subSweep_ = -1;
    std::vector<MixStimulusRange> equalRanges_;
};
