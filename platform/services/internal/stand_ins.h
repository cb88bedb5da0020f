// SPDX-License-Identifier: Apache-2.0
// The stand-in host services: one object per interface, answering from the current
// HostServices configuration on every query.
#pragma once

#include <string>

#include "platform/services/aux_receiver_manager.h"
#include "platform/services/hw_spurs.h"
#include "platform/services/na_hardware_caps.h"
#include "platform/services/quor_core.h"
#include "platform/services/report_error.h"
#include "platform/services/test_set.h"

namespace HostServices::internal {

ITestSet& StandInTestSet();
INAHardwareCaps& StandInHardwareCaps();
IHWSpurs& StandInSpurs();
QuorApp::IQuorCore& StandInCore();
Interface::IAuxReceiverManager& StandInAuxReceivers();
QuorApp::IReportErrorInternal& StandInErrorReport();

// Appends one report to HostServices::ReportedErrors (the stand-in error report's record).
void RecordError(long code, const std::wstring& message);

}  // namespace HostServices::internal
