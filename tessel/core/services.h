// SPDX-License-Identifier: Apache-2.0
// The library's way to the host application's services.
//
// Every module that needs a host service calls `GetService<I>()`. The first call in the process
// creates the capabilities accessor (once, guarded by a once-flag) and keeps it until unload;
// the first call for an interface type asks the accessor for that type's key, kept in a static
// per type; every call then asks the accessor for the service of kind 3, instance 0 and that
// key. Asking on every call (a map lookup) lets tests install other service objects at any time.
//
// The result is never null while the host supplies the service, and callers do not test it.
#pragma once

#include <typeinfo>

#include "platform/services/aux_receiver_manager.h"
#include "platform/services/capabilities_accessor.h"
#include "platform/services/hw_spurs.h"
#include "platform/services/na_hardware_caps.h"
#include "platform/services/quor_core.h"
#include "platform/services/report_error.h"
#include "platform/services/test_set.h"
#include "tessel/core/export.h"

namespace Tessel {

// Returns the process-wide capabilities accessor, created by the first call.
TESSEL_EXPORT QuorUtility::ICapabilitiesAccessor& CapabilitiesAccessor();

// Returns the accessor's key for interface I, asked for on the first call only.
template <class I>
long ServiceKey() {
    static const long key = CapabilitiesAccessor().GetInterfaceKey(typeid(I*));
    return key;
}

// Returns the host's service object for interface I, not owned by the caller.
template <class I>
I* GetService() {
    return static_cast<I*>(CapabilitiesAccessor().GetService(
        QuorUtility::kHostServiceKind, QuorUtility::kHostServiceInstance, ServiceKey<I>()));
}

}  // namespace Tessel
