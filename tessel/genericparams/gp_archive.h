// SPDX-License-Identifier: Apache-2.0
// The archive record of a hardware-setting parameter that has been deleted.
//
// A deleted parameter is stored as its name followed by "_deleted", written as a
// length-prefixed wide string (QuorUtility::Archive::WriteWString), so that a reader meets the
// old name in a form no live setting carries.
#pragma once

#include <string>

#include "platform/genericparams/generic_parameter.h"
#include "tessel/core/export.h"
#include "tessel/datavector/archive.h"

namespace Tessel {

// The name under which `parameter` is archived once deleted: its name + "_deleted".
TESSEL_EXPORT std::wstring DeletedParameterName(const Hwpi::GenericParameter& parameter);

// Writes DeletedParameterName(parameter) to a storing archive (the archive throws its
// QuorException when it is loading).
TESSEL_EXPORT void WriteDeletedParameter(QuorUtility::Archive& archive,
                                         const Hwpi::GenericParameter& parameter);

}  // namespace Tessel
