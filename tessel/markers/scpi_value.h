// SPDX-License-Identifier: Apache-2.0
// Interface::ISCPIValue: a numeric setting the host's remote-command layer reads and writes.
//
// Values are addressed by an id that the implementing object defines. Unsupported ids and
// types are refused by throwing the status 0x80070057 (Tessel::kInvalidArg) as a `long`.
#pragma once

#include "tessel/core/export.h"

namespace Interface {

// Which value GetValue reads: the allowed minimum, the allowed maximum or the current value.
enum SCPIMinOrMax : int {
    SCPIMinimum = 0,
    SCPIMaximum = 1,
    SCPICurrent = 2,
};

class TESSEL_EXPORT ISCPIValue {
  public:
    virtual ~ISCPIValue() = default;

    virtual long GetValue(SCPIMinOrMax which, int id, int& value) = 0;
    virtual long GetValue(SCPIMinOrMax which, int id, double& value) = 0;
    virtual long SetValue(int id, int value) = 0;
    virtual long SetValue(int id, double value) = 0;
    // The object itself as its value interface.
    virtual ISCPIValue* GetSCPIValue() = 0;
};

}  // namespace Interface
