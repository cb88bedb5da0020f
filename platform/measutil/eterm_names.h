// SPDX-License-Identifier: Apache-2.0
// Names of calibration error terms.
//
// Port arguments are 0-based indices; the names carry 1-based port numbers in plain decimal.
//   eterm_name(L"SourceMatch", 1, 0)        -> SourceMatch(2,1)  (the error-term register form)
//   src_cal_eterm_name(0, s)                -> SourcePowerCal(1) + s
//   reference_eterm_name_Classic(0, s)      -> ReferenceTracking(a1) + s
//   reference_eterm_name_Classic(11, s)     -> ReferenceTracking(a_12) + s
//   test_rcv_eterm_name_Classic(0, s)       -> ResponseTracking(b1) + s
// Reference tracking names write the port number after one '_' per digit beyond the first
// (a9, a_10, a_99, a__100). Since '_' sorts after the digits, the reference tracking names of
// ports 1, 2, 3, ... sort (plain wide-string order) in port order for every port number >= 1,
// and "Ref..." sorts before "Res..." and "Sou...", so with a common suffix they come before
// every source power and test receiver tracking name.
#pragma once

#include <string>

#include "tessel/core/export.h"

namespace QuorUtility {

// term + "(" + (i + 1) + "," + (j + 1) + ")".
TESSEL_EXPORT std::wstring eterm_name(const std::wstring& term, int i, int j);
// The source power calibration term of port i + 1.
TESSEL_EXPORT std::wstring src_cal_eterm_name(int i, const std::wstring& suffix);
// The reference receiver tracking term of port i + 1.
TESSEL_EXPORT std::wstring reference_eterm_name_Classic(int i, const std::wstring& suffix);
// The test receiver tracking term of port i + 1: "ResponseTracking(b%d)" + suffix.
TESSEL_EXPORT std::wstring test_rcv_eterm_name_Classic(int i, const std::wstring& suffix);

}  // namespace QuorUtility
