// SPDX-License-Identifier: Apache-2.0
// The host's hardware enumerations that hardware settings carry as values.
//
// All are 32-bit. The hardware layer owns their meaning; the enumerators below name a few values
// for callers and tests of this tree. Settings pass any 32-bit value through unchanged, whether
// or not it is named here.
#pragma once

#include <cstdint>

namespace Hwif {

enum IFMUX_PLS_FILTER_MODE : std::int32_t {
    IFMUX_PLS_FILTER_AUTO = 0,
    IFMUX_PLS_FILTER_NARROW = 1,
    IFMUX_PLS_FILTER_WIDE = 2,
};

enum PORT1_COMBINER : std::int32_t {
    PORT1_COMBINER_NORMAL = 0,
    PORT1_COMBINER_COMBINED = 1,
};

enum PORT2_SOURCE : std::int32_t {
    PORT2_SOURCE_SRC1 = 0,
    PORT2_SOURCE_SRC2 = 1,
};

enum PULSE_SOURCE : std::int32_t {
    PULSE_SOURCE_INTERNAL = 0,
    PULSE_SOURCE_EXTERNAL = 1,
};

enum SRC_PWR_MODE_ENUM : std::int32_t {
    SRC_PWR_MODE_AUTO = 0,
    SRC_PWR_MODE_ON = 1,
    SRC_PWR_MODE_OFF = 2,
};

}  // namespace Hwif

enum IFSwitchMode : std::int32_t {
    IFSwitchModeNormal = 0,
    IFSwitchModeExternal = 1,
};

static_assert(sizeof(Hwif::IFMUX_PLS_FILTER_MODE) == 4 && sizeof(Hwif::PORT1_COMBINER) == 4 &&
                  sizeof(Hwif::PORT2_SOURCE) == 4 && sizeof(Hwif::PULSE_SOURCE) == 4 &&
                  sizeof(Hwif::SRC_PWR_MODE_ENUM) == 4 && sizeof(IFSwitchMode) == 4,
              "host enums are 32-bit");
