// SPDX-License-Identifier: Apache-2.0
// The archive record of a deleted hardware-setting parameter.
#include "tessel/genericparams/gp_archive.h"

namespace Tessel {

std::wstring DeletedParameterName(const Hwpi::GenericParameter& parameter) {
    return parameter.GetName() + L"_deleted";
}

void WriteDeletedParameter(QuorUtility::Archive& archive, const Hwpi::GenericParameter& parameter) {
    archive.WriteWString(DeletedParameterName(parameter));
}

}  // namespace Tessel
