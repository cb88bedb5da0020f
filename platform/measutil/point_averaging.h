// SPDX-License-Identifier: Apache-2.0
// Point-averaging records: the slot-based description of a measured parameter that the
// point-averaging hardware layer consumes, and the phase-stitch settings it applies.
//
// PAReceiver designates one IF multiplexer slot: two 32-bit words, the mode (1 in eight-channel
// mode, else 0) and the slot id (slot number + 1, so the second word is > 0 exactly when the
// receiver designates a slot; 0 for a default receiver or a negative slot number).
// PAParameter is a numerator and a denominator receiver plus the state set by Init: whether
// the parameter is a ratio, and an initial value for the averaging layer.
// PAComponent collects, per channel, the parameters that are phase-stitched and one
// StitchPhase record with the stitch settings.
//
// All three stand at global scope, as the averaging layer declares them.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "tessel/core/export.h"

struct TESSEL_EXPORT PAReceiver {
    std::int32_t mode = 0;    // 1 in eight-channel mode, else 0
    std::int32_t slotId = 0;  // slot number + 1; 0 when no slot is designated

    PAReceiver() = default;
    PAReceiver(int slot, bool eightChannel);
    PAReceiver(bool eightChannel, int slot) : PAReceiver(slot, eightChannel) {}

    // True when the receiver designates a slot (slotId > 0).
    bool HasSlot() const { return slotId > 0; }
    // The slot number, -1 when none.
    int Slot() const { return slotId - 1; }
    bool IsEightChannel() const { return mode != 0; }

    bool operator==(const PAReceiver& o) const { return mode == o.mode && slotId == o.slotId; }
    bool operator!=(const PAReceiver& o) const { return !(*this == o); }
};

static_assert(sizeof(PAReceiver) == 2 * sizeof(std::int32_t), "PAReceiver is two 32-bit words");

struct TESSEL_EXPORT PAParameter {
    PAReceiver numerator;
    PAReceiver denominator;
    bool ratioed = false;         // Init's flag: the denominator takes part
    std::int32_t initValue = -1;  // Init's value, handed to the averaging layer as it is

    // Both receivers default; Init(false, -1).
    PAParameter() = default;
    // Numerator PAReceiver(n, false), default denominator; Init(false, -1).
    explicit PAParameter(int n);
    // Numerator PAReceiver(n, false), denominator PAReceiver(d, false); Init(d >= 0, v).
    PAParameter(int n, int d, int v);
    // Copies of n and d; Init(d.HasSlot(), v).
    PAParameter(const PAReceiver& n, const PAReceiver& d, int v);
    // Numerator PAReceiver(b, a), denominator PAReceiver(d, c); Init(f, e).
    PAParameter(int a, bool b, int c, bool d, int e, bool f);

    void Init(bool isRatioed, int value) {
        ratioed = isRatioed;
        initValue = value;
    }

    bool operator==(const PAParameter& o) const {
        return numerator == o.numerator && denominator == o.denominator && ratioed == o.ratioed &&
               initValue == o.initValue;
    }
    bool operator!=(const PAParameter& o) const { return !(*this == o); }
};

// Phase-stitch settings of the averaging layer; all zero after default construction.
// PAComponent::SetPhaseStitch fills the first five fields and the indices; the step limit and
// the two step weights are the averaging layer's own tuning and are left as they are.
struct TESSEL_EXPORT StitchPhase {
    std::int32_t receiverSlotId = 0;  // slot id (slot + 1) of the stitched numerator, 0 = none
    bool enabled = false;             // stitching has been configured
    bool edgePoints = false;          // an edge point is inserted on either side of each split
    std::int32_t settlingPoints = 0;  // settling points inserted after every split
    std::int32_t leadInPoints = 0;    // lead-in points before the first stimulus point
    double phaseStepLimit = 0.0;      // radians; smaller jumps are not stitched (0: stitch all)
    std::vector<int> stitchIndices;   // point indices after which the phase is stitched
    float stepWeightBefore = 0.0f;    // weights of the steps before and after a break in the
    float stepWeightAfter = 0.0f;     // target step (both 0: equal weights)
};

class TESSEL_EXPORT PAComponent {
  public:
    // Records phase stitching for `parameter`: the StitchPhase takes the numerator's slot id,
    // enabled = true, the stitch indices (as given), the settling and lead-in point counts
    // (negative counts stored as 0) and the edge-point flag; the numerator's slot joins the
    // stitched slots and the parameter the stitched parameters (replacing an equal one). The
    // parameter is only read.
    void SetPhaseStitch(PAParameter& parameter, const std::vector<int>& stitchIndices,
                        int settlingPoints, int leadInPoints, bool edgePoints);

    const StitchPhase& GetStitchPhase() const { return stitch_; }
    // Slot numbers whose receivers are phase-stitched, ascending.
    const std::set<int>& GetStitchedSlots() const { return stitchedSlots_; }
    // The parameters given to SetPhaseStitch, in first-call order.
    const std::vector<PAParameter>& GetStitchedParameters() const { return parameters_; }

    // The component's averaging frame: channel, sweep point count, readings averaged per
    // point and the point range [firstPoint, lastPoint) that is averaged.
    int GetChannel() const { return channel_; }
    void SetChannel(int channel) { channel_ = channel; }
    int GetPointCount() const { return pointCount_; }
    void SetPointCount(int points) { pointCount_ = points; }
    int GetAverageCount() const { return averageCount_; }
    void SetAverageCount(int count) { averageCount_ = count; }
    int GetFirstPoint() const { return firstPoint_; }
    int GetLastPoint() const { return lastPoint_; }
    void SetPointRange(int first, int last) {
        firstPoint_ = first;
        lastPoint_ = last;
    }

  private:
    std::set<int> stitchedSlots_;
    std::vector<PAParameter> parameters_;
    StitchPhase stitch_;
    std::int32_t channel_ = 0;
    std::int32_t pointCount_ = 0;
    std::int32_t averageCount_ = 1;
    std::int32_t firstPoint_ = 0;
    std::int32_t lastPoint_ = 0;
};
