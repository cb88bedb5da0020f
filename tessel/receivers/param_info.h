// SPDX-License-Identifier: Apache-2.0
// QuorAppBase::IParamInfo: the host application's description of a measured parameter, as far
// as the IF multiplexer uses it (IFMuxSetting::GetRatioedParameter). Implemented by the host.
#pragma once

#include "tessel/core/export.h"

namespace QuorAppBase {

class TESSEL_EXPORT IParamInfo {
  public:
    virtual ~IParamInfo() = default;

    // 0-based port index of the numerator receiver, and whether it is a reference receiver.
    virtual int GetNumeratorPortIndex() const = 0;
    virtual bool IsNumeratorReference() const = 0;
    // 0-based port index of the denominator receiver, and whether it is a reference receiver.
    virtual int GetDenominatorPortIndex() const = 0;
    virtual bool IsDenominatorReference() const = 0;
    // The integer handed to PAParameter::Init.
    virtual int GetInitValue() const = 0;
};

}  // namespace QuorAppBase
