// SPDX-License-Identifier: Apache-2.0
#include "tessel/core/services.h"

#include <set>
#include <vector>

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

// Every service has its own key, the accessor's, and an object behind it.
template <class... I>
void ExpectOwnKeysAndObjects() {
    EXPECT_EQ(std::set<long>{ServiceKey<I>()...}.size(), sizeof...(I));
    EXPECT_EQ((std::vector<long>{ServiceKey<I>()...}),
              (std::vector<long>{CapabilitiesAccessor().GetInterfaceKey(typeid(I*))...}));
    EXPECT_TRUE(((GetService<I>() != nullptr) && ...));
}

TEST(ServiceAccessPath, OneAccessorForTheProcessGivesEveryServiceItsKeyAndAnObject) {
    HostServices::ScopedReset reset;
    QuorUtility::ICapabilitiesAccessor* first = &CapabilitiesAccessor();
    const int created = HostServices::AccessorsCreated();
    EXPECT_GE(created, 1);
    for (int i = 0; i < 2; ++i)
        ExpectOwnKeysAndObjects<ITestSet, INAHardwareCaps, IHWSpurs, QuorApp::IQuorCore,
                                Interface::IAuxReceiverManager, QuorApp::IReportErrorInternal>();
    EXPECT_EQ(&CapabilitiesAccessor(), first);
    EXPECT_EQ(HostServices::AccessorsCreated(), created);
    EXPECT_EQ(GetService<QuorApp::IQuorCore>()->GetTestSet(), GetService<ITestSet>());
}

TEST(ServiceAccessPath, ResolvesInstalledDoublesOnEveryCall) {
    HostServices::ScopedReset reset;
    auto* standIn = GetService<QuorApp::IReportErrorInternal>();
    standIn->ReportError(Tessel::kFail, L"to the stand-in");
    MockErrorReport mock;
    EXPECT_CALL(mock, ReportError(Tessel::kArchiveError, std::wstring(L" message")))
        .WillOnce(::testing::Return(Tessel::kOk));
    HostServices::InstallService<QuorApp::IReportErrorInternal>(&mock);
    GetService<QuorApp::IReportErrorInternal>()->ReportError(Tessel::kArchiveError, L" message");
    HostServices::RemoveService<QuorApp::IReportErrorInternal>();
    EXPECT_EQ(GetService<QuorApp::IReportErrorInternal>(), standIn);
    ASSERT_EQ(HostServices::ReportedErrors().size(), 1u);
    EXPECT_EQ(HostServices::ReportedErrors()[0].code, Tessel::kFail);
}

}  // namespace
