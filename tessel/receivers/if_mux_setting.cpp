// SPDX-License-Identifier: Apache-2.0
#include "tessel/receivers/if_mux_setting.h"

#include <algorithm>

#include "platform/services/test_set.h"
#include "tessel/core/services.h"
#include "tessel/receivers/internal/name_grammar.h"

namespace Tessel {
namespace {

// Slots of the IF multiplexer in eight-channel mode.
constexpr int kEightChannelSlots = 8;

bool Contains(const std::vector<std::wstring>& names, const std::wstring& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Kinds whose denominator is a receiver of its own (S-parameters, ratios, catalogue receivers).
bool HasDenominator(ParameterKind kind) {
    return kind == ParameterKind::SParameter || kind == ParameterKind::Ratio ||
           kind == ParameterKind::CatalogueReceiver;
}

// Adds the single-receiver parameter "a<p>,<p>" or "b<p>,<p>" of `receiver` to the reference or
// the test set.
void AddSingleReceiver(const ParameterReceiver& receiver, std::set<Parameter>& testSet,
                       std::set<Parameter>& referenceSet) {
    const std::wstring port = std::to_wstring(receiver.port);
    const std::wstring name = (receiver.isReference ? L"a" : L"b") + port + L"," + port;
    (receiver.isReference ? referenceSet : testSet).insert(Parameter(name.c_str()));
}

}  // namespace

IFMuxSetting::IFMuxSetting(int channel, int initValue, int rChannelPortIndex, bool eightChannel)
    : initValue_(initValue),
      channel_(channel),
      rChannelPortIndex_(rChannelPortIndex),
      eightChannel_(eightChannel) {
    if (const ITestSet* testSet = GetService<ITestSet>()) {
        internalPortCount_ = testSet->GetInternalPortCount();
        portCount_ = testSet->GetPortCount();
    }
    rChannelSwitchable_ = internalPortCount_ != 0 && internalPortCount_ != 2 && !eightChannel_;
    Reset(rChannelPortIndex);
}

IFMuxSetting::IFMuxSetting(const IFMuxSetting& other)
    : initValue_(other.initValue_),
      channel_(other.channel_),
      rChannelPortIndex_(other.rChannelPortIndex_),
      internalPortCount_(other.internalPortCount_),
      portCount_(other.portCount_),
      rChannelSwitchable_(other.rChannelSwitchable_),
      eightChannel_(other.eightChannel_),
      slots_(other.slots_),
      flippedSlots_(other.flippedSlots_) {
    AdoptSlots();
}

IFMuxSetting& IFMuxSetting::operator=(const IFMuxSetting& other) {
    if (this != &other) {
        initValue_ = other.initValue_;
        channel_ = other.channel_;
        rChannelPortIndex_ = other.rChannelPortIndex_;
        internalPortCount_ = other.internalPortCount_;
        portCount_ = other.portCount_;
        rChannelSwitchable_ = other.rChannelSwitchable_;
        eightChannel_ = other.eightChannel_;
        slots_ = other.slots_;
        flippedSlots_ = other.flippedSlots_;
        AdoptSlots();
    }
    return *this;
}

void IFMuxSetting::AdoptSlots() {
    for (ReceiverSlot& slot : slots_) {
        slot.owner_ = this;
    }
}

void IFMuxSetting::Reset(int rChannelPortIndex) {
    int count = kEightChannelSlots;
    if (!eightChannel_) {
        const ITestSet* testSet = GetService<ITestSet>();
        count = testSet != nullptr ? std::max(testSet->GetIFMuxSlotCount(), 0) : 0;
    }
    slots_.clear();
    slots_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        slots_.emplace_back(this, i);
    }
    // Without a slot 0 there is no flippable slot 0 either.
    if (slots_.empty() || !slots_[0].IsFlippable()) {
        rChannelSwitchable_ = false;
    }
    SetRChannel(rChannelPortIndex < portCount_ ? rChannelPortIndex : 0, false);
}

void IFMuxSetting::SetRChannel(int portIndex, bool addNames) {
    rChannelPortIndex_ = internalPortCount_ == 0 || portIndex >= internalPortCount_ ? 0 : portIndex;
    if (!eightChannel_ && rChannelSwitchable_) {
        if (ReceiverSlot* rSlot = FindDefaultSlot(L"R")) {
            rSlot->SetRChannel(portIndex, addNames);
        }
    }
}

bool IFMuxSetting::SortRequestedParameters(const std::set<Parameter>& requested,
                                           std::set<Parameter>& testSet,
                                           std::set<Parameter>& referenceSet,
                                           bool keepReferenceRatios) const {
    const ITestSet* testSetService = GetService<ITestSet>();
    for (const Parameter& p : requested) {
        const bool hasDenominator = HasDenominator(p.GetKind());
        if (hasDenominator && p.IsNumeratorReference() && p.IsDenominatorReference() &&
            !keepReferenceRatios && testSetService != nullptr &&
            testSetService->ReferenceRatiosNeedFlippedSlots()) {
            return false;
        }
        if (p.IsCatalogueReceiver()) {
            continue;
        }
        AddSingleReceiver(p.GetNumerator(), testSet, referenceSet);
        if (hasDenominator) {
            AddSingleReceiver(p.GetDenominator(), testSet, referenceSet);
        }
    }
    return true;
}

bool IFMuxSetting::RequestParameters(const std::set<Parameter>& requested,
                                     bool keepReferenceRatios) {
    std::set<Parameter> testSet;
    std::set<Parameter> referenceSet;
    const bool fits =
        SortRequestedParameters(requested, testSet, referenceSet, keepReferenceRatios);
    // An empty request has no driving parameter: port 1 drives.
    const int drivingIndex =
        internal::PortIndex(requested.empty() ? 1 : requested.begin()->GetDrivingPort());

    if (!rChannelSwitchable_) {
        SetRChannel(drivingIndex, true);
        return true;
    }
    if (!fits) {
        // A ratio of reference receivers is measured with every slot flipped.
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            if (slots_[i].IsSharedR()) {
                SetRChannel(drivingIndex, false);
            } else {
                Flip(slots_[i].GetSlotNumber());
            }
        }
        return true;
    }
    for (const Parameter& test : testSet) {
        if (ReceiverSlot* slot = FindDefaultSlot(test.GetNumeratorName())) {
            slot->MarkSlotAsUsed(test.GetNumeratorName());
        }
    }
    if (referenceSet.size() <= 1) {
        SetRChannel(drivingIndex, true);
        return true;
    }
    for (const Parameter& reference : referenceSet) {
        if (eightChannel_) {
            break;
        }
        AssignReferenceReceiverToSlot(reference);
    }
    if (eightChannel_) {
        Reset(rChannelPortIndex_);
        return false;
    }
    if (rChannelPortIndex_ < 0) {
        SetRChannel(drivingIndex, true);
    }
    return true;
}

bool IFMuxSetting::AssignReferenceReceiverToSlot(const Parameter& p) {
    const std::wstring& name = p.GetNumeratorName();
    ReceiverSlot* rSlot = FindDefaultSlot(L"R");
    ReceiverSlot* slot = FindDefaultSlot(name);
    if (slot != nullptr && slot->MarkSlotAsUsed(name)) {
        if (!slot->IsSharedR()) {
            Flip(slot->GetSlotNumber());
        }
        return true;
    }
    // The receiver travels through the R channel: when its own slot is taken, and also when no
    // slot knows it by name (a reference receiver the R channel is not pointing at yet), so
    // that a receiver is never silently left without a slot.
    if (rSlot != nullptr && rSlot->MarkSlotAsUsed(name)) {
        SetRChannel(internal::PortIndex(p.GetNumeratorPort()), true);
        return true;
    }
    eightChannel_ = true;
    return false;
}

void IFMuxSetting::Flip(int slotNumber) {
    flippedSlots_.insert(slotNumber);
    const auto slot = std::find(slots_.begin(), slots_.end(), slotNumber);
    if (slot != slots_.end()) {
        slot->Flip();
    }
}

const ReceiverSlot* IFMuxSetting::FindCurrentSlot(const std::wstring& name) const {
    for (const ReceiverSlot& slot : slots_) {
        if (Contains(*slot.GetCurrentNames(), name)) {
            return &slot;
        }
    }
    return nullptr;
}

ReceiverSlot* IFMuxSetting::FindDefaultSlot(const std::wstring& name) {
    for (ReceiverSlot& slot : slots_) {
        if (Contains(slot.GetTestNames(), name) || Contains(slot.GetReferenceNames(), name)) {
            return &slot;
        }
    }
    return nullptr;
}

int IFMuxSetting::GetSlot(const std::wstring& name) const {
    const ReceiverSlot* slot = FindCurrentSlot(name);
    return slot != nullptr ? slot->GetSlotNumber() : -1;
}

PAParameter IFMuxSetting::GetRatioedParameter(const Parameter& p) const {
    const ReceiverSlot* numerator = FindCurrentSlot(p.GetNumeratorName());
    if (numerator == nullptr) {
        return PAParameter(PAReceiver(), PAReceiver(), initValue_);
    }
    // Single receivers and auxiliary receivers have no denominator.
    const ParameterKind kind = p.GetKind();
    PAReceiver denominator;
    if (kind != ParameterKind::Receiver && kind != ParameterKind::AuxiliaryPrimary &&
        kind != ParameterKind::AuxiliaryOther) {
        if (const ReceiverSlot* slot = FindCurrentSlot(p.GetDenominatorName())) {
            denominator = slot->GetReceiver();
        }
    }
    return PAParameter(numerator->GetReceiver(), denominator, initValue_);
}

PAParameter IFMuxSetting::GetRatioedParameter(
    boost::shared_ptr<QuorAppBase::IParamInfo> info) const {
    if (!info) {
        return PAParameter();
    }
    const int numeratorIndex = info->GetNumeratorPortIndex();
    const bool numeratorReference = info->IsNumeratorReference();
    const int denominatorIndex = info->GetDenominatorPortIndex();
    const bool denominatorReference = info->IsDenominatorReference();
    const ReceiverSlot* numerator = nullptr;
    const ReceiverSlot* denominator = nullptr;
    for (const ReceiverSlot& slot : slots_) {
        const int index = slot.GetCurrentPortIndex();
        const bool reference = slot.IsReferenceRole();
        if (index == numeratorIndex && reference == numeratorReference) {
            numerator = &slot;
        } else if (index == denominatorIndex && reference == denominatorReference) {
            denominator = &slot;
        }
    }
    if (numerator == nullptr) {
        return PAParameter(PAReceiver(), PAReceiver(), info->GetInitValue());
    }
    return PAParameter(numerator->GetReceiver(),
                       denominator != nullptr ? denominator->GetReceiver() : PAReceiver(),
                       info->GetInitValue());
}

}  // namespace Tessel
