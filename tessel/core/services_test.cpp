#include "tessel/core/services.h"

#include <set>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/services/host_services.h"
#include "tessel/core/status.h"

namespace {

using Tessel::CapabilitiesAccessor;
using Tessel::GetService;
using Tessel::ServiceKey;

class MockErrorReport : public QuorApp::IReportErrorInternal {
  public:
    MOCK_METHOD(long, ReportError, (long, const std::wstring&), (override));
};

TEST(ServiceAccessPath, CreatesOneAccessorForTheProcess) {
    QuorUtility::ICapabilitiesAccessor* first = &CapabilitiesAccessor();
    const int created = HostServices::AccessorsCreated();
    EXPECT_GE(created, 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(&CapabilitiesAccessor(), first);
        GetService<ITestSet>();
        GetService<INAHardwareCaps>();
    }
    EXPECT_EQ(HostServices::AccessorsCreated(), created);
}

TEST(ServiceAccessPath, KeysAreTheAccessorsKeysOnePerType) {
    auto& accessor = CapabilitiesAccessor();
    EXPECT_EQ(ServiceKey<ITestSet>(), accessor.GetInterfaceKey(typeid(ITestSet*)));
    EXPECT_EQ(ServiceKey<ITestSet>(), ServiceKey<ITestSet>());
    const std::set<long> keys = {ServiceKey<ITestSet>(),
                                 ServiceKey<INAHardwareCaps>(),
                                 ServiceKey<IHWSpurs>(),
                                 ServiceKey<QuorApp::IQuorCore>(),
                                 ServiceKey<Interface::IAuxReceiverManager>(),
                                 ServiceKey<QuorApp::IReportErrorInternal>()};
    EXPECT_EQ(keys.size(), 6u);
}

TEST(ServiceAccessPath, ResolvesInstalledDoublesOnEveryCall) {
    HostServices::ScopedReset reset;
    auto* standIn = GetService<QuorApp::IReportErrorInternal>();
    standIn->ReportError(Tessel::kFail, L"to the stand-in");

    MockErrorReport mock;
    EXPECT_CALL(mock, ReportError(Tessel::kArchiveError, std::wstring(L" message")))
        .WillOnce(::testing::Return(Tessel::kOk));
    HostServices::InstallService<QuorApp::IReportErrorInternal>(&mock);
    EXPECT_EQ(GetService<QuorApp::IReportErrorInternal>(), &mock);
    GetService<QuorApp::IReportErrorInternal>()->ReportError(Tessel::kArchiveError, L" message");

    HostServices::RemoveService<QuorApp::IReportErrorInternal>();
    EXPECT_EQ(GetService<QuorApp::IReportErrorInternal>(), standIn);
    ASSERT_EQ(HostServices::ReportedErrors().size(), 1u);
    EXPECT_EQ(HostServices::ReportedErrors()[0].code, Tessel::kFail);
}

TEST(ServiceAccessPath, EveryHostServiceIsAvailable) {
    HostServices::ScopedReset reset;
    EXPECT_NE(GetService<ITestSet>(), nullptr);
    EXPECT_NE(GetService<INAHardwareCaps>(), nullptr);
    EXPECT_NE(GetService<IHWSpurs>(), nullptr);
    EXPECT_NE(GetService<QuorApp::IQuorCore>(), nullptr);
    EXPECT_NE(GetService<Interface::IAuxReceiverManager>(), nullptr);
    EXPECT_NE(GetService<QuorApp::IReportErrorInternal>(), nullptr);
    EXPECT_EQ(GetService<QuorApp::IQuorCore>()->GetTestSet(), GetService<ITestSet>());
}

}  // namespace
