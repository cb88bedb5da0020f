// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/group_delay.h"

#include <cmath>

#include "tessel/core/status.h"
#include "tessel/format/internal/axis_cursor.h"
#include "tessel/format/internal/format_math.h"

namespace Tessel {

long FormatDataDelay(const TsComplex* data, const QuorUtility::InputArray& stimulus, float* out,
                     int first, int last) {
    if (first == last) {
        return kOk;
    }
    if (last < first || first < 0 || static_cast<std::size_t>(last) > stimulus.size() ||
        data == nullptr || out == nullptr) {
        return kInvalidArg;
    }
    int start = first;
    if (first == 0) {
        out[0] = 0.0f;
        start = 1;
    }
    if (start < last) {
        internal::AxisCursor x(stimulus, start - 1);
        double previousPhase = data[start - 1].Phase();
        double previousX = x(start - 1);
        for (int i = start; i < last; ++i) {
            const double phase = data[i].Phase();
            const double xi = x(i);
            const double w = internal::kTwoPi * (xi - previousX);
            const double d = internal::WrapPhaseStep(previousPhase - phase);
            out[i] = std::fabs(w) < 1e-10 ? 0.0f : static_cast<float>(d / w);
            previousPhase = phase;
            previousX = xi;
        }
    }
    if (first == 0 && last - first >= 2) {
        out[0] = out[1];
    }
    return kOk;
}

long FormatDataDelay(const std::vector<TsComplex>& data, const QuorUtility::InputArray& stimulus,
                     std::vector<float>& out) {
    if (data.size() != stimulus.size()) {
        return kInvalidArg;
    }
    out.resize(data.size());
    return FormatDataDelay(data.data(), stimulus, out.data(), 0, static_cast<int>(data.size()));
}

}  // namespace Tessel
