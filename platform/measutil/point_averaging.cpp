// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/point_averaging.h"

#include <algorithm>
#include <limits>

PAReceiver::PAReceiver(int slot, bool eightChannel)
    : mode(eightChannel ? 1 : 0),
      slotId(slot >= 0 && slot < std::numeric_limits<int>::max() ? slot + 1 : 0) {}

PAParameter::PAParameter(int n) : numerator(n, false) {}

PAParameter::PAParameter(int n, int d, int v) : numerator(n, false), denominator(d, false) {
    Init(d >= 0, v);
}

PAParameter::PAParameter(const PAReceiver& n, const PAReceiver& d, int v)
    : numerator(n), denominator(d) {
    Init(d.HasSlot(), v);
}

PAParameter::PAParameter(int a, bool b, int c, bool d, int e, bool f)
    : numerator(b, a), denominator(d, c) {
    Init(f, e);
}

void PAComponent::SetPhaseStitch(PAParameter& parameter, const std::vector<int>& stitchIndices,
                                 int settlingPoints, int leadInPoints, bool edgePoints) {
    stitch_.receiverSlotId = parameter.numerator.slotId;
    stitch_.enabled = true;
    stitch_.edgePoints = edgePoints;
    stitch_.settlingPoints = std::max(settlingPoints, 0);
    stitch_.leadInPoints = std::max(leadInPoints, 0);
    stitch_.stitchIndices = stitchIndices;
    if (parameter.numerator.HasSlot())
        stitchedSlots_.insert(parameter.numerator.Slot());
    if (std::find(parameters_.begin(), parameters_.end(), parameter) == parameters_.end()) {
        parameters_.push_back(parameter);
    }
}
