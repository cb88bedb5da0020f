// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/eterm_names.h"

namespace QuorUtility {
namespace {

// Port number i + 1 in decimal, computed wide so that i = INT_MAX does not overflow.
std::wstring Port(int i) {
    return std::to_wstring(static_cast<long long>(i) + 1);
}

}  // namespace

std::wstring eterm_name(const std::wstring& term, int i, int j) {
    return term + L"(" + Port(i) + L"," + Port(j) + L")";
}

std::wstring src_cal_eterm_name(int i, const std::wstring& suffix) {
    return L"SourcePowerCal(" + Port(i) + L")" + suffix;
}

std::wstring reference_eterm_name_Classic(int i, const std::wstring& suffix) {
    const std::wstring port = Port(i);
    return L"ReferenceTracking(a" + std::wstring(port.size() - 1, L'_') + port + L")" + suffix;
}

std::wstring test_rcv_eterm_name_Classic(int i, const std::wstring& suffix) {
    return L"ResponseTracking(b" + Port(i) + L")" + suffix;
}

}  // namespace QuorUtility
