// SPDX-License-Identifier: Apache-2.0
#include "tessel/receivers/receiver_slot.h"

#include <algorithm>

#include "platform/services/test_set.h"
#include "tessel/core/services.h"
#include "tessel/receivers/if_mux_setting.h"
#include "tessel/receivers/internal/name_grammar.h"

namespace Tessel {

ReceiverSlot::ReceiverSlot(IFMuxSetting* owner, int slot)
    : receiver_(slot, owner != nullptr && owner->IsInEightChannelMode()),
      owner_(owner),
      slotNumber_(slot) {
    int testPort = -1;
    int referencePort = -1;
    if (ITestSet* testSet = GetService<ITestSet>()) {
        testSet->GetSlotMap(slot, OwnerInEightChannelMode(), testPort, referencePort);
    }
    flippable_ = testPort != -1 && referencePort != -1;
    carriesTestReceiver_ = testPort != -1;
    if (referencePort != -1) {
        sharedR_ =
            referencePort == kSlotMapSharedR || referencePort == kSlotMapSharedRWithReferences;
        if (!sharedR_) {
            referencePortIndex_ = internal::PortIndex(referencePort);
        }
    }
    if (testPort != -1) {
        testPortIndex_ = internal::PortIndex(testPort);
    }
    if (sharedR_) {
        referenceNames.push_back(L"R");
        if (referencePort == kSlotMapSharedRWithReferences) {
            referencePortIndex_ = 0;
            for (int port = 0; port < 4; ++port) {
                AddReferenceReceiverName(port);
            }
        }
    } else {
        AddTestPortReceiverName(testPortIndex_);
        AddReferenceReceiverName(referencePortIndex_);
    }
}

bool ReceiverSlot::OwnerInEightChannelMode() const {
    return owner_ != nullptr && owner_->IsInEightChannelMode();
}

const std::vector<std::wstring>* ReceiverSlot::GetCurrentNames() const {
    return IsReferenceRole() ? &referenceNames : &testNames;
}

int ReceiverSlot::GetCurrentPortIndex() const {
    return IsReferenceRole() ? referencePortIndex_ : testPortIndex_;
}

bool ReceiverSlot::MarkSlotAsUsed(const std::wstring& name) {
    if (!used_) {
        used_ = true;
        return true;
    }
    const std::vector<std::wstring>& names = *GetCurrentNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

void ReceiverSlot::Flip() {
    if (flippable_ && !OwnerInEightChannelMode()) {
        carriesTestReceiver_ = false;
    }
}

void ReceiverSlot::SetRChannel(int portIndex, bool addNames) {
    if (!sharedR_) {
        return;
    }
    referenceNames.assign(1, L"R");
    referencePortIndex_ = portIndex < 0 ? -1 : portIndex;
    if (portIndex >= 0 && addNames) {
        AddReferenceReceiverName(portIndex);
    }
}

void ReceiverSlot::AddTestPortReceiverName(int index) {
    if (index < 0) {
        return;
    }
    testNames.push_back(internal::ReceiverName(L'b', static_cast<long long>(index) + 1));
    if (index < 26) {
        testNames.push_back(std::wstring(1, static_cast<wchar_t>(L'A' + index)));
    }
}

void ReceiverSlot::AddReferenceReceiverName(int index) {
    if (index < 0) {
        return;
    }
    referenceNames.push_back(internal::ReceiverName(L'a', static_cast<long long>(index) + 1));
    referenceNames.push_back(internal::ReceiverName(L'R', static_cast<long long>(index) + 1));
}

}  // namespace Tessel
