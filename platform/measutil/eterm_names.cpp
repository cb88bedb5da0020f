#include "platform/measutil/eterm_names.h"

namespace QuorUtility {

std::wstring eterm_name(const std::wstring& term, int i, int j) {
    return term + L"(" + std::to_wstring(i + 1) + L"," + std::to_wstring(j + 1) + L")";
}

std::wstring src_cal_eterm_name(int i, const std::wstring& suffix) {
    return L"SourcePowerCal(" + std::to_wstring(i + 1) + L")" + suffix;
}

std::wstring reference_eterm_name_Classic(int i, const std::wstring& suffix) {
    const std::wstring port = std::to_wstring(i + 1);
    return L"ReferenceTracking(a" + std::wstring(port.size() - 1, L'_') + port + L")" + suffix;
}

std::wstring test_rcv_eterm_name_Classic(int i, const std::wstring& suffix) {
    return L"ResponseTracking(b" + std::to_wstring(i + 1) + L")" + suffix;
}

}  // namespace QuorUtility
