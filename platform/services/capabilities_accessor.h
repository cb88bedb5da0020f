// SPDX-License-Identifier: Apache-2.0
// The capabilities accessor: how code inside the host application reaches the host's services.
//
// The accessor belongs to the measurement utility library (namespace QuorUtility); it is declared
// here, next to the services it leads to, so the utility types stay free of service headers.
//
// A service is found in three steps: the key of its interface type (from the run-time type
// identity of a pointer to the interface, `typeid(ITestSet*)`), then the service object for a
// (kind, instance, key) triple. Host services live at kind 3, instance 0. Every accessor object
// is a view of one process-wide service registry: an accessor created later sees the services
// installed through an earlier one. Unless a test installs its own object, kind 3, instance 0
// answers with the stand-in services, which read the current HostServices configuration on
// every query (platform/services/host_services.h).
#pragma once

#include <memory>
#include <typeinfo>

#include "tessel/core/export.h"

namespace QuorUtility {

// Kind and instance under which the host application's services are registered.
inline constexpr long kHostServiceKind = 3;
inline constexpr long kHostServiceInstance = 0;

class TESSEL_EXPORT ICapabilitiesAccessor {
  public:
    virtual ~ICapabilitiesAccessor() = default;

    // Returns the key of the interface whose pointer type is `pointerType` (pass
    // `typeid(IFoo*)`). The same type always gets the same key, different types different keys;
    // keys are positive. A type never asked about before is given a fresh key.
    virtual long GetInterfaceKey(const std::type_info& pointerType) = 0;

    // Installs `service`, a pointer to the interface of `key` cast to void*, as the object
    // answering (kind, instance, key); it is not owned and must outlive its installation. A null
    // service removes the installation, so the stand-in (if any) answers again. Returns 0, or
    // 0x80070057 when `key` was never handed out by GetInterfaceKey.
    virtual long SetService(long kind, long instance, long key, void* service) = 0;

    // Returns the service object of (kind, instance, key) as a pointer to the interface of
    // `key` (cast to void*), not owned by the caller; null when nothing answers that triple.
    virtual void* GetService(long kind, long instance, long key) = 0;
};

// Returns a new accessor onto the process-wide service registry.
TESSEL_EXPORT std::unique_ptr<ICapabilitiesAccessor> CreateCapabilitiesAccessor();

}  // namespace QuorUtility
