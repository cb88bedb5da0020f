// SPDX-License-Identifier: Apache-2.0
#include "tessel/core/services.h"

#include <memory>
#include <mutex>

namespace Tessel {

QuorUtility::ICapabilitiesAccessor& CapabilitiesAccessor() {
    static std::once_flag once;
    static std::unique_ptr<QuorUtility::ICapabilitiesAccessor> accessor;
    std::call_once(once, [] { accessor = QuorUtility::CreateCapabilitiesAccessor(); });
    return *accessor;
}

}  // namespace Tessel
