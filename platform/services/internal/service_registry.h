// SPDX-License-Identifier: Apache-2.0
// The process-wide registry behind every capabilities accessor.
//
// It hands out interface keys, holds the objects tests install, and falls back to the stand-in
// services for kind 3, instance 0. Not locked: like the rest of the library it is used from one
// thread at a time.
#pragma once

#include <map>
#include <tuple>
#include <typeindex>
#include <typeinfo>

namespace HostServices::internal {

class ServiceRegistry {
  public:
    // The one registry of the process, built on first use with the stand-ins' keys.
    static ServiceRegistry& Instance();

    long KeyOf(const std::type_info& pointerType);
    bool IsKey(long key) const { return key > 0 && key < nextKey_; }

    // Installs (or, with null, removes) the object answering (kind, instance, key).
    void Install(long kind, long instance, long key, void* service);
    void RemoveAll() { installed_.clear(); }
    // The installed object, else the stand-in for kind 3 instance 0, else null.
    void* Find(long kind, long instance, long key) const;

    template <class I>
    I* Find() {
        return static_cast<I*>(Find(3, 0, KeyOf(typeid(I*))));
    }

    void CountAccessor() { ++accessorsCreated_; }
    int AccessorsCreated() const { return accessorsCreated_; }

  private:
    ServiceRegistry();
    template <class I>
    void AddStandIn(I& standIn);

    long nextKey_ = 1;
    std::map<std::type_index, long> keys_;
    std::map<long, void*> standIns_;
    std::map<std::tuple<long, long, long>, void*> installed_;
    int accessorsCreated_ = 0;
};

}  // namespace HostServices::internal
