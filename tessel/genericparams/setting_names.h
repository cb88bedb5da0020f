// SPDX-License-Identifier: Apache-2.0
// The names of the hardware settings: the names under which settings are created in and looked
// up from the hardware layer's parameter collections.
//
// The table keeps the hardware layer's order, repeated names included: "Freq" and "Buckets"
// each appear twice (the same name in two different setting groups).
#pragma once

#include <cstddef>

#include "tessel/core/export.h"

namespace Tessel {

constexpr std::size_t kHardwareSettingNameCount = 168;

// The setting names, in table order.
extern TESSEL_EXPORT const wchar_t* const kHardwareSettingNames[kHardwareSettingNameCount];

}  // namespace Tessel
