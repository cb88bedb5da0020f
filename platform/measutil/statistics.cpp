// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/statistics.h"

#include <cmath>

namespace QuorUtility {

bool ComputeStats(const float* first, const float* last, float& s1, float& s2, float& s3, float& s4,
                  float& s5) {
    if (first == nullptr || last == nullptr || last <= first)
        return false;
    const double n = static_cast<double>(last - first);
    double sum = 0.0, squares = 0.0;
    float lo = *first, hi = *first;
    for (const float* p = first; p != last; ++p) {
        const double x = *p;
        sum += x;
        squares += x * x;
        if (*p < lo || std::isnan(lo))
            lo = *p;
        if (*p > hi || std::isnan(hi))
            hi = *p;
    }
    const double mean = sum / n;
    // Second pass about the mean: no cancellation for data far from zero.
    double deviations = 0.0;
    for (const float* p = first; p != last; ++p)
        deviations += (*p - mean) * (*p - mean);
    s1 = static_cast<float>(mean);
    s2 = static_cast<float>(std::sqrt(deviations / n));
    s3 = lo;
    s4 = hi;
    s5 = static_cast<float>(std::sqrt(squares / n));
    return true;
}

}  // namespace QuorUtility
