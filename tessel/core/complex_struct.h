// SPDX-License-Identifier: Apache-2.0
// The global complex sample structure.
//
// Some host code exchanges complex samples as a plain global structure rather than the
// measurement utility library's class. It has the same layout (two 32-bit floats, real part
// then imaginary part, no padding), so arrays of either type hold the same bytes. Inside
// namespace Tessel the name TsComplex means the utility class (tessel/core/types.h); this one
// is always spelled ::TsComplex there.
#pragma once

#include <type_traits>

#include "tessel/core/export.h"

struct TESSEL_EXPORT TsComplex {
    float re;
    float im;
};

static_assert(sizeof(TsComplex) == 2 * sizeof(float), "TsComplex must be two packed floats");
static_assert(std::is_standard_layout_v<TsComplex> && std::is_trivially_copyable_v<TsComplex>,
              "TsComplex must be a plain structure");
