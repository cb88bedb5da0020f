// SPDX-License-Identifier: Apache-2.0
#include "platform/services/capabilities_accessor.h"

#include "platform/services/internal/service_registry.h"
#include "platform/services/internal/stand_ins.h"
#include "tessel/core/status.h"

namespace HostServices::internal {

ServiceRegistry& ServiceRegistry::Instance() {
    static ServiceRegistry registry;
    return registry;
}

template <class I>
void ServiceRegistry::AddStandIn(I& standIn) {
    standIns_[KeyOf(typeid(I*))] = static_cast<void*>(&standIn);
}

ServiceRegistry::ServiceRegistry() {
    AddStandIn(StandInTestSet());
    AddStandIn(StandInHardwareCaps());
    AddStandIn(StandInSpurs());
    AddStandIn(StandInCore());
    AddStandIn(StandInAuxReceivers());
    AddStandIn(StandInErrorReport());
}

long ServiceRegistry::KeyOf(const std::type_info& pointerType) {
    const auto [it, added] = keys_.emplace(std::type_index(pointerType), nextKey_);
    if (added) {
        ++nextKey_;
    }
    return it->second;
}

void ServiceRegistry::Install(long kind, long instance, long key, void* service) {
    if (service == nullptr) {
        installed_.erase({kind, instance, key});
    } else {
        installed_[{kind, instance, key}] = service;
    }
}

void* ServiceRegistry::Find(long kind, long instance, long key) const {
    if (const auto it = installed_.find({kind, instance, key}); it != installed_.end()) {
        return it->second;
    }
    if (kind != QuorUtility::kHostServiceKind || instance != QuorUtility::kHostServiceInstance) {
        return nullptr;
    }
    const auto it = standIns_.find(key);
    return it == standIns_.end() ? nullptr : it->second;
}

}  // namespace HostServices::internal

namespace QuorUtility {
namespace {

using HostServices::internal::ServiceRegistry;

// Every accessor forwards to the one registry, so all of them see the same services.
class CapabilitiesAccessor final : public ICapabilitiesAccessor {
  public:
    long GetInterfaceKey(const std::type_info& pointerType) override {
        return ServiceRegistry::Instance().KeyOf(pointerType);
    }
    long SetService(long kind, long instance, long key, void* service) override {
        ServiceRegistry& registry = ServiceRegistry::Instance();
        if (!registry.IsKey(key)) {
            return Tessel::kInvalidArg;
        }
        registry.Install(kind, instance, key, service);
        return Tessel::kOk;
    }
    void* GetService(long kind, long instance, long key) override {
        return ServiceRegistry::Instance().Find(kind, instance, key);
    }
};

}  // namespace

std::unique_ptr<ICapabilitiesAccessor> CreateCapabilitiesAccessor() {
    ServiceRegistry::Instance().CountAccessor();
    return std::make_unique<CapabilitiesAccessor>();
}

}  // namespace QuorUtility
