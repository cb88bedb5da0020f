#include "platform/services/capabilities_accessor.h"

#include <set>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/services/aux_receiver_manager.h"
#include "platform/services/host_services.h"
#include "platform/services/hw_spurs.h"
#include "platform/services/na_hardware_caps.h"
#include "platform/services/quor_core.h"
#include "platform/services/report_error.h"
#include "platform/services/test_set.h"
#include "tessel/core/status.h"

namespace {

using QuorUtility::CreateCapabilitiesAccessor;
using QuorUtility::kHostServiceInstance;
using QuorUtility::kHostServiceKind;

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
    const auto a = CreateCapabilitiesAccessor();
    const auto b = CreateCapabilitiesAccessor();
    const std::set<long> keys = {
        a->GetInterfaceKey(typeid(ITestSet*)),
        a->GetInterfaceKey(typeid(INAHardwareCaps*)),
        a->GetInterfaceKey(typeid(IHWSpurs*)),
        a->GetInterfaceKey(typeid(QuorApp::IQuorCore*)),
        a->GetInterfaceKey(typeid(Interface::IAuxReceiverManager*)),
        a->GetInterfaceKey(typeid(QuorApp::IReportErrorInternal*)),
        a->GetInterfaceKey(typeid(Unregistered*)),
        a->GetInterfaceKey(typeid(ITestSet)),  // not a pointer type: a different identity
    };
    EXPECT_EQ(keys.size(), 8u);
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
    MockTestSet mock;
    EXPECT_CALL(mock, GetPortCount()).WillRepeatedly(::testing::Return(12));
    const auto a = CreateCapabilitiesAccessor();
    const auto b = CreateCapabilitiesAccessor();
    const long key = a->GetInterfaceKey(typeid(ITestSet*));
    void* standIn = a->GetService(kHostServiceKind, kHostServiceInstance, key);

    EXPECT_EQ(a->SetService(kHostServiceKind, kHostServiceInstance, key,
                            static_cast<void*>(static_cast<ITestSet*>(&mock))),
              Tessel::kOk);
    auto* seen = static_cast<ITestSet*>(b->GetService(3, 0, key));
    EXPECT_EQ(seen, &mock);
    EXPECT_EQ(seen->GetPortCount(), 12);

    EXPECT_EQ(b->SetService(3, 0, key, nullptr), Tessel::kOk);
    EXPECT_EQ(a->GetService(3, 0, key), standIn);
}

TEST(CapabilitiesAccessorServices, OtherKindsHoldOnlyWhatIsInstalled) {
    HostServices::ScopedReset reset;
    const auto accessor = CreateCapabilitiesAccessor();
    const long key = accessor->GetInterfaceKey(typeid(Unregistered*));
    Unregistered object;
    EXPECT_EQ(accessor->SetService(7, 2, key, &object), Tessel::kOk);
    EXPECT_EQ(accessor->GetService(7, 2, key), &object);
    EXPECT_EQ(accessor->GetService(7, 1, key), nullptr);
    HostServices::RemoveAllServices();
    EXPECT_EQ(accessor->GetService(7, 2, key), nullptr);
}

TEST(CapabilitiesAccessorServices, RejectsKeysNeverHandedOut) {
    const auto accessor = CreateCapabilitiesAccessor();
    Unregistered object;
    EXPECT_EQ(accessor->SetService(3, 0, 0, &object), Tessel::kInvalidArg);
    EXPECT_EQ(accessor->SetService(3, 0, -5, &object), Tessel::kInvalidArg);
    EXPECT_EQ(accessor->SetService(3, 0, 1L << 30, &object), Tessel::kInvalidArg);
}

TEST(CapabilitiesAccessorServices, CoreLeadsToTheCurrentTestSet) {
    HostServices::ScopedReset reset;
    const auto accessor = CreateCapabilitiesAccessor();
    auto* core = static_cast<QuorApp::IQuorCore*>(
        accessor->GetService(3, 0, accessor->GetInterfaceKey(typeid(QuorApp::IQuorCore*))));
    ITestSet* standIn = core->GetTestSet();
    EXPECT_EQ(standIn->GetIFMuxSlotCount(), 6);

    MockTestSet mock;
    HostServices::InstallService<ITestSet>(&mock);
    EXPECT_EQ(core->GetTestSet(), &mock);
    HostServices::RemoveService<ITestSet>();
    EXPECT_EQ(core->GetTestSet(), standIn);
}

}  // namespace
