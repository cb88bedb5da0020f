// SPDX-License-Identifier: Apache-2.0
// ReceiverSlot: one slot of the IF multiplexer of a channel.
//
// A slot can carry the test receiver of one port, the reference receiver of one port, or the
// shared reference receiver R; a slot whose map entry names both a test and a reference port can
// be flipped from its test receiver to its reference receiver. What a slot carries comes from the
// test set's slot map. The slot knows its receivers by name:
// - test names: "b<port>" and the port's capital letter (b2 and B for port 2);
// - reference names: "a<port>" and "R<port>" (a2 and R2), or "R" for the shared R slot, which
//   also knows a1..a4 and R1..R4 when its map entry is 100001 (until the R channel is pointed).
// The slot is in the reference role when it no longer carries its test receiver or when it is
// the shared R slot, else in the test role; its current names and port index follow the role.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/measutil/point_averaging.h"
#include "tessel/core/export.h"

namespace Tessel {

class IFMuxSetting;

class TESSEL_EXPORT ReceiverSlot {
  public:
    // Builds slot `slot` from the test set's slot map in the owner's channel mode. The owner is
    // not owned; a null owner counts as a setting outside eight-channel mode.
    ReceiverSlot(IFMuxSetting* owner, int slot);

    bool operator==(int slot) const { return slotNumber_ == slot; }

    // The names of the receiver the slot carries now: its test names in the test role, its
    // reference names otherwise. Never null.
    const std::vector<std::wstring>* GetCurrentNames() const;
    // The 0-based port index of the receiver the slot carries now (-1 when none).
    int GetCurrentPortIndex() const;

    // Claims the slot for the receiver `name`. An unused slot becomes used and accepts any name;
    // a used slot accepts only one of its current names (it can serve the same receiver twice).
    // Returns whether the slot serves the receiver.
    bool MarkSlotAsUsed(const std::wstring& name);

    // Switches a flippable slot to its reference receiver, unless the owner is in eight-channel
    // mode.
    void Flip();

    // Points the shared R slot at the reference receiver of port index `portIndex`: its reference
    // names become just "R" (then "a<i+1>" and "R<i+1>" with addNames) and its reference port
    // index `portIndex`. A negative index means the R channel is not assigned: the slot is then
    // known as "R" alone, with reference port index -1, so that no reference receiver finds the
    // R slot before the R channel actually points at it. Other slots are left unchanged.
    void SetRChannel(int portIndex, bool addNames);

    // Appends "b<i+1>" and, for i < 26, the capital letter 'A' + i to the test names. A negative
    // index adds nothing.
    void AddTestPortReceiverName(int index);
    // Appends "a<i+1>" and "R<i+1>" to the reference names. A negative index adds nothing.
    void AddReferenceReceiverName(int index);

    // The slot's handle in a PAParameter: PAReceiver(slot number, owner's eight-channel flag),
    // built with a bool second argument; PAReceiver also has a (bool, int) constructor, so a
    // call with two ints such as PAReceiver(3, 0) would be ambiguous.
    const PAReceiver& GetReceiver() const { return receiver_; }
    bool CarriesTestReceiver() const { return carriesTestReceiver_; }
    bool IsReferenceRole() const { return !carriesTestReceiver_ || sharedR_; }
    const std::vector<std::wstring>& GetTestNames() const { return testNames; }
    const std::vector<std::wstring>& GetReferenceNames() const { return referenceNames; }
    IFMuxSetting* GetOwner() const { return owner_; }
    bool IsFlippable() const { return flippable_; }
    bool IsSharedR() const { return sharedR_; }
    bool IsUsed() const { return used_; }
    int GetSlotNumber() const { return slotNumber_; }
    int GetTestPortIndex() const { return testPortIndex_; }
    int GetReferencePortIndex() const { return referencePortIndex_; }

  private:
    friend class IFMuxSetting;  // re-points the owner of the slots it copies

    bool OwnerInEightChannelMode() const;

    PAReceiver receiver_;
    bool carriesTestReceiver_ = true;
    std::vector<std::wstring> testNames;
    std::vector<std::wstring> referenceNames;
    IFMuxSetting* owner_ = nullptr;
    bool flippable_ = false;
    bool sharedR_ = false;
    bool used_ = false;
    std::int32_t slotNumber_ = 0;
    std::int32_t testPortIndex_ = -1;
    std::int32_t referencePortIndex_ = -1;
};

}  // namespace Tessel
