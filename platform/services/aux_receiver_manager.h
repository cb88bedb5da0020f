// SPDX-License-Identifier: Apache-2.0
// Interface::IAuxReceiverManager: the auxiliary receivers the host application knows by name.
//
// An auxiliary receiver (an extra IF input, a power sensor read as a receiver, ...) is known
// by its text exactly as the caller passes it (case-sensitive). Some are also catalogue
// receivers: entries of the host's receiver catalogue with a catalogue name and an order flag.
#pragma once

#include <string>

#include "tessel/core/export.h"

namespace Interface {

class TESSEL_EXPORT IAuxReceiverManager {
  public:
    virtual ~IAuxReceiverManager() = default;

    // Number of auxiliary receivers known.
    virtual int GetReceiverCount() const = 0;

    // When a receiver is known by `name`, sets `property` to its property value and returns
    // true; otherwise returns false and leaves `property` unchanged.
    virtual bool FindReceiver(const std::wstring& name, int& property) const = 0;

    // When the receiver known by `name` is a catalogue receiver, sets its catalogue name and
    // order flag and returns true; otherwise returns false and leaves both unchanged.
    virtual bool FindCatalogueReceiver(const std::wstring& name, std::wstring& catalogueName,
                                       bool& ordered) const = 0;
};

}  // namespace Interface
