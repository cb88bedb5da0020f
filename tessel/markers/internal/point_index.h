// SPDX-License-Identifier: Apache-2.0
// Conversion of a fractional marker position into a point index that is safe to read.
#pragma once

#include <cmath>
#include <cstddef>

namespace Tessel::internal {

// The whole part of `position` limited to 0 .. count - 1 (0 for an empty run). NaN counts as
// 0, so a corrupt recalled position never turns into an index outside the data.
inline std::size_t PointIndex(double position, std::size_t count) {
    if (count == 0 || !(position > 0.0))
        return 0;
    const double last = static_cast<double>(count - 1);
    return position >= last ? count - 1 : static_cast<std::size_t>(position);
}

}  // namespace Tessel::internal
