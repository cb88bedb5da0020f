// SPDX-License-Identifier: Apache-2.0
// QuorApp::IQuorCore: the host application's core, the way to the instrument's test set.
#pragma once

#include "platform/services/test_set.h"
#include "tessel/core/export.h"

namespace QuorApp {

class TESSEL_EXPORT IQuorCore {
  public:
    virtual ~IQuorCore() = default;

    // Returns the instrument's test set, not owned by the caller.
    virtual ITestSet* GetTestSet() = 0;
};

}  // namespace QuorApp
