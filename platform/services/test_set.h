// SPDX-License-Identifier: Apache-2.0
// ITestSet: the instrument's test set as the host application describes it.
//
// Ports, sources and the IF multiplexer: which receiver each IF mux slot carries (the slot map)
// and which slot carries a receiver of a given name. Reached through the capabilities accessor
// or through QuorApp::IQuorCore::GetTestSet.
#pragma once

#include <string>

#include "tessel/core/export.h"

// Reference-port values of the slot map that mark the shared reference receiver R.
inline constexpr int kSlotMapSharedR = 100000;
// R together with the reference receivers of ports 1 to 4.
inline constexpr int kSlotMapSharedRWithReferences = 100001;

class TESSEL_EXPORT ITestSet {
  public:
    virtual ~ITestSet() = default;

    // Number of test ports; 0 when the host does not know it.
    virtual int GetPortCount() const = 0;
    // Number of internal ports (reference receivers the shared R channel can be switched to).
    virtual int GetInternalPortCount() const = 0;
    // Number of source ports: a source port p of a measurement is valid when 0 <= p <= count.
    virtual int GetSourceCount() const = 0;
    // Number of IF mux slots outside eight-channel mode.
    virtual int GetIFMuxSlotCount() const = 0;

    // The slot map. For the 0-based slot number `slot` (in eight-channel mode when
    // `eightChannel`), sets `testPort` to the 1-based port whose test receiver the slot carries
    // and `referencePort` to the 1-based port whose reference receiver it carries, each -1 when
    // none; a reference port of kSlotMapSharedR or kSlotMapSharedRWithReferences marks the shared
    // R slot. Returns false (both -1) for a slot the mode does not have.
    virtual bool GetSlotMap(int slot, bool eightChannel, int& testPort,
                            int& referencePort) const = 0;

    // Returns the 1-based number of the first slot (outside eight-channel mode) that knows the
    // receiver `name`, or 0 when none does; subtracting 1 gives the 0-based slot or -1. A slot
    // knows the names the slot map gives it: "b<t>" and the port letter ('A' for port 1) of its
    // test port t, "a<r>" and "R<r>" of its reference port r, and for the shared R slot "R"
    // (plus a1..a4, R1..R4 when marked 100001). A source-port suffix (",1" or "_1") is ignored.
    virtual int GetSlotNumber(const std::wstring& name) const = 0;

    // True when a ratio of two reference receivers is measured by flipping every flippable slot
    // to its reference receiver instead of fitting the receivers into the current slots.
    virtual bool ReferenceRatiosNeedFlippedSlots() const = 0;
};
