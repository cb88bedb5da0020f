// SPDX-License-Identifier: Apache-2.0
// IFMuxSetting: the IF multiplexer slots of one channel and their assignment to receivers.
//
// The setting builds its slots from the test set's slot map (8 slots in eight-channel mode, else
// the test set's IF mux slot count). For a set of requested parameters, RequestParameters marks
// the slots of the test receivers used, fits the reference receivers into slots (flipping
// flippable slots to their reference receiver, or routing one reference receiver through the
// shared R channel) and points the R channel. When the reference receivers do not fit, the
// setting turns into eight-channel mode, rebuilds eight slots and reports false. A reference
// receiver that no slot knows by name goes the way of one whose slot is taken: through the R
// channel when the R slot is free for it, else into eight-channel mode; it is never left without
// a slot.
// GetRatioedParameter then translates a parameter into the slot-based PAParameter of the
// point-averaging layer.
//
// State: the used flags of the slots persist until the next Reset; the flipped-slot set persists
// across Reset. The R channel port index is -1 while the R channel is not assigned: a setting
// built with -1 keeps it unassigned until RequestParameters points it; any other index is
// assigned (clamped as SetRChannel says) right away.
#pragma once

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/measutil/point_averaging.h"
#include "tessel/core/export.h"
#include "tessel/receivers/param_info.h"
#include "tessel/receivers/parameter.h"
#include "tessel/receivers/receiver_slot.h"

namespace Tessel {

class TESSEL_EXPORT IFMuxSetting {
  public:
    // No slots, no flipped slots, channel 0, init value -1, R channel unassigned (-1), port
    // counts 0, R channel not switchable, not in eight-channel mode.
    IFMuxSetting() = default;
    // Stores the arguments, reads the port counts from the test set, decides whether the R
    // channel is switchable (internal port count neither 0 nor 2, not eight-channel) and calls
    // Reset(rChannelPortIndex).
    IFMuxSetting(int channel, int initValue, int rChannelPortIndex, bool eightChannel);
    // Copies every field; the copied slots belong to the copy.
    IFMuxSetting(const IFMuxSetting& other);
    IFMuxSetting& operator=(const IFMuxSetting& other);
    ~IFMuxSetting() = default;

    // Rebuilds the slots (8 in eight-channel mode, else the test set's slot count), clears the R
    // channel's switchability when slot 0 is not flippable (or there is no slot) and points the
    // R channel at rChannelPortIndex (0 when it is not below the port count), without names. The
    // flipped-slot set keeps its contents.
    void Reset(int rChannelPortIndex);

    // Assigns the receivers of `requested` to slots (see the file comment). Returns false when
    // the reference receivers did not fit and the setting fell back to eight-channel mode;
    // true otherwise. With an empty request the driving port is port 1.
    bool RequestParameters(const std::set<Parameter>& requested, bool keepReferenceRatios);

    // The PAParameter of `p`: the PAReceivers of the slots currently carrying its numerator and
    // (for kinds other than 1, 5 and 6) its denominator; defaults when no slot carries the
    // numerator; Init(denominator designates a slot, init value).
    PAParameter GetRatioedParameter(const Parameter& p) const;
    // The PAParameter of the host's parameter description, matched to slots by port index and
    // reference flag; Init(denominator designates a slot, info's integer). A null `info` gives
    // the default PAParameter.
    PAParameter GetRatioedParameter(boost::shared_ptr<QuorAppBase::IParamInfo> info) const;

    // The number of the first slot whose current names hold `name`, -1 when none.
    int GetSlot(const std::wstring& name) const;

    int GetInitValue() const { return initValue_; }
    int GetChannelNumber() const { return channel_; }
    int GetRChannelPortIndex() const { return rChannelPortIndex_; }
    int GetInternalPortCount() const { return internalPortCount_; }
    int GetPortCount() const { return portCount_; }
    bool IsRChannelSwitchable() const { return rChannelSwitchable_; }
    bool IsInEightChannelMode() const { return eightChannel_; }
    const std::vector<ReceiverSlot>& GetSlots() const { return slots_; }
    const std::set<int>& GetFlippedSlots() const { return flippedSlots_; }

  private:
    bool SortRequestedParameters(const std::set<Parameter>& requested, std::set<Parameter>& testSet,
                                 std::set<Parameter>& referenceSet, bool keepReferenceRatios) const;
    bool AssignReferenceReceiverToSlot(const Parameter& p);
    void SetRChannel(int portIndex, bool addNames);
    const ReceiverSlot* FindCurrentSlot(const std::wstring& name) const;
    ReceiverSlot* FindDefaultSlot(const std::wstring& name);
    void Flip(int slotNumber);
    void AdoptSlots();

    std::int32_t initValue_ = -1;
    std::int32_t channel_ = 0;
    std::int32_t rChannelPortIndex_ = -1;
    std::int32_t internalPortCount_ = 0;
    std::int32_t portCount_ = 0;
    bool rChannelSwitchable_ = false;
    bool eightChannel_ = false;
    std::vector<ReceiverSlot> slots_;
    std::set<int> flippedSlots_;
};

}  // namespace Tessel
