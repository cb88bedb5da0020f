// SPDX-License-Identifier: Apache-2.0
// QuorApp::IReportErrorInternal: the host application's error-report service.
#pragma once

#include <string>

#include "tessel/core/export.h"

namespace QuorApp {

class TESSEL_EXPORT IReportErrorInternal {
  public:
    virtual ~IReportErrorInternal() = default;

    // Reports the failure `code` (a sign-extended 32-bit status) with the message text shown to
    // the user, verbatim. Returns 0.
    virtual long ReportError(long code, const std::wstring& message) = 0;
};

}  // namespace QuorApp
