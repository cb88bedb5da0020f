// SPDX-License-Identifier: Apache-2.0
#include "platform/services/capabilities_accessor.h"

#include <set>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/services/host_services.h"
#include "platform/services/na_hardware_caps.h"
#include "platform/services/quor_core.h"
#include "platform/services/test_set.h"
#include "tessel/core/status.h"

namespace {

using QuorUtility::CreateCapabilitiesAccessor;

class MockTestSet : public ITestSet {
  public:
    MOCK_METHOD(int, GetPortCount, (), (const, override));
    MOCK_METHOD(int, GetInternalPortCount, (), (const, override));
    MOCK_METHOD(int, GetSourceCount, (), (const, override));
    MOCK_METHOD(int, GetIFMuxSlotCount, (), (const, override));
    MOCK_METHOD(bool, GetSlotMap, (int, bool, int&, int&), (const, override));
    MOCK_METHOD(int, GetSlotNumber, (const std::wstring&), (const, override));
    MOCK_METHOD(bool, ReferenceRatiosNeedFlippedSlots, (), (const, override));
};

struct Unregistered {};

TEST(CapabilitiesAccessorKeys, StablePerTypeAndDistinctAcrossTypes) {
    const auto a = CreateCapabilitiesAccessor(), b = CreateCapabilitiesAccessor();
    // (The keys of all host services are compared in the library's service tests.)
    const std::set<long> keys = {
        a->GetInterfaceKey(typeid(ITestSet*)), a->GetInterfaceKey(typeid(INAHardwareCaps*)),
        a->GetInterfaceKey(typeid(Unregistered*)),
        a->GetInterfaceKey(typeid(ITestSet)),  // not a pointer type: a different identity
    };
    EXPECT_EQ(keys.size(), 4u);
    EXPECT_GT(*keys.begin(), 0);
    EXPECT_EQ(a->GetInterfaceKey(typeid(ITestSet*)), b->GetInterfaceKey(typeid(ITestSet*)));
    EXPECT_EQ(a->GetInterfaceKey(typeid(Unregistered*)), b->GetInterfaceKey(typeid(Unregistered*)));
}

TEST(CapabilitiesAccessorServices, StandInsAnswerOnlyHostKindAndInstance) {
    HostServices::ScopedReset reset;
    const auto accessor = CreateCapabilitiesAccessor();
    const long key = accessor->GetInterfaceKey(typeid(ITestSet*));
    auto* testSet = static_cast<ITestSet*>(accessor->GetService(3, 0, key));
    ASSERT_NE(testSet, nullptr);
    EXPECT_EQ(testSet->GetPortCount(), 4);
    EXPECT_EQ(accessor->GetService(2, 0, key), nullptr);
    EXPECT_EQ(accessor->GetService(3, 1, key), nullptr);
    EXPECT_EQ(accessor->GetService(3, 0, accessor->GetInterfaceKey(typeid(Unregistered*))),
              nullptr);
}

TEST(CapabilitiesAccessorServices, InstalledObjectIsSeenByEveryAccessorUntilRemoved) {
    HostServices::ScopedReset reset;
    const auto a = CreateCapabilitiesAccessor(), b = CreateCapabilitiesAccessor();
    // Other kinds hold only what is installed there.
    const long other = a->GetInterfaceKey(typeid(Unregistered*));
    Unregistered object;
    EXPECT_EQ(a->SetService(7, 2, other, &object), Tessel::kOk);
    EXPECT_EQ(b->GetService(7, 2, other), &object);
    EXPECT_EQ(b->GetService(7, 1, other), nullptr);

    MockTestSet mock;
    EXPECT_CALL(mock, GetPortCount()).WillRepeatedly(::testing::Return(12));
    const long key = a->GetInterfaceKey(typeid(ITestSet*));
    void* standIn = a->GetService(3, 0, key);
    EXPECT_EQ(a->SetService(3, 0, key, static_cast<void*>(static_cast<ITestSet*>(&mock))),
              Tessel::kOk);
    auto* seen = static_cast<ITestSet*>(b->GetService(3, 0, key));
    EXPECT_EQ(seen, &mock);
    EXPECT_EQ(seen->GetPortCount(), 12);
    EXPECT_EQ(b->SetService(3, 0, key, nullptr), Tessel::kOk);  // removes only this one
    EXPECT_EQ(a->GetService(3, 0, key), standIn);
    EXPECT_EQ(a->GetService(7, 2, other), &object);
    HostServices::RemoveAllServices();
    EXPECT_EQ(b->GetService(7, 2, other), nullptr);
    for (long bad : {0L, -5L, 1L << 30})  // keys never handed out
        EXPECT_EQ(a->SetService(3, 0, bad, &object), Tessel::kInvalidArg) << bad;
}

TEST(CapabilitiesAccessorServices, CoreLeadsToTheCurrentTestSet) {
    HostServices::ScopedReset reset;
    const auto accessor = CreateCapabilitiesAccessor();
    auto* core = static_cast<QuorApp::IQuorCore*>(
        accessor->GetService(3, 0, accessor->GetInterfaceKey(typeid(QuorApp::IQuorCore*))));
    ITestSet* standIn = core->GetTestSet();
    EXPECT_EQ(standIn, accessor->GetService(3, 0, accessor->GetInterfaceKey(typeid(ITestSet*))));
    MockTestSet mock;
    HostServices::InstallService<ITestSet>(&mock);
    EXPECT_EQ(core->GetTestSet(), &mock);
    HostServices::RemoveService<ITestSet>();
    EXPECT_EQ(core->GetTestSet(), standIn);
}

}  // namespace
