// SPDX-License-Identifier: Apache-2.0
// The stand-in host sweep description.
#include "platform/stimulus/base_stimulus.h"

#include <stdexcept>

int AIBaseStimulus::AddSubSweep(int type, const QuorUtility::InputArray& stimulus,
                                const QuorUtility::InputArray& secondAxis,
                                const std::vector<float>& perPoint) {
    subSweeps_.push_back(SubSweep{type, stimulus, secondAxis, perPoint});
    return static_cast<int>(subSweeps_.size()) - 1;
}

bool AIBaseStimulus::IsSubSweepActive(int i) const {
    const int type = GetSubSweepType(i);
    return type == 1 || (type == 0 && i == selected_);
}

const AIBaseStimulus::SubSweep& AIBaseStimulus::Sub(int i) const {
    if (i < 0 || i >= GetSubSweepCount())
        throw std::out_of_range("AIBaseStimulus: no such sub-sweep");
    return subSweeps_[static_cast<std::size_t>(i)];
}

AIBaseStimulus::SubSweep& AIBaseStimulus::Sub(int i) {
    return const_cast<SubSweep&>(static_cast<const AIBaseStimulus&>(*this).Sub(i));
}
