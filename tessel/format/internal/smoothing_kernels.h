// SPDX-License-Identifier: Apache-2.0
// The kernels of the smoothing functions (not installed).
//
// Each kernel smooths the points first..lastIdx of a trace whose received data ends at lastIdx
// and returns the first index it did not compute. A run is final when lastIdx is the trace's
// last point: window positions beyond lastIdx then read point lastIdx, as positions below 0
// read point 0 (the edge values repeat). A run that is not final stops at the first point
// whose window reaches beyond lastIdx; a later call with more data continues from there.
// Callers have validated first <= lastIdx, first >= 0 and the aperture; `in` and `out` do not
// overlap.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/measutil/interpolation.h"
#include "tessel/format/internal/compensated_sum.h"
#include "tessel/format/internal/format_math.h"

namespace Tessel {
namespace internal {

inline int ClampIndex(long long j, int lastIdx) {
    return static_cast<int>(std::clamp<long long>(j, 0, lastIdx));
}

// The sum of a sliding window that may hold NaN or infinite samples. Finite samples go into a
// compensated running sum; non-finite ones are only counted while they are in the window, so
// that each window's mean is that of its own samples: NaN while it holds a NaN or infinities
// of both signs, ±∞ while it holds infinities of one sign, and the finite mean again as soon as
// the last of them has left (they never entered the running sum).
class WindowSum {
  public:
    void Add(double x) { Count(x, 1); }
    void Remove(double x) { Count(x, -1); }
    double Mean(double scale) const {
        if (nans_ > 0 || (positive_ > 0 && negative_ > 0)) {
            return std::nan("");
        }
        if (positive_ > 0 || negative_ > 0) {
            return positive_ > 0 ? HUGE_VAL : -HUGE_VAL;
        }
        return sum_.Value() * scale;
    }

  private:
    void Count(double x, int delta) {
        if (std::isfinite(x)) {
            sum_.Add(delta > 0 ? x : -x);
        } else if (std::isnan(x)) {
            nans_ += delta;
        } else {
            (x > 0 ? positive_ : negative_) += delta;
        }
    }
    CompensatedSum sum_;
    int nans_ = 0, positive_ = 0, negative_ = 0;
};

// Centred moving average over `aperture` (odd) points, by a running sum: O(lastIdx - first)
// whatever the aperture, free of drift over long traces, and each output the mean of its own
// window also when the trace holds NaN or infinite samples.
template <class T>
int AverageKernel(const T* in, T* out, int first, int lastIdx, int aperture, bool final) {
    const int h = aperture / 2;
    if (h > lastIdx - first && !final) {
        return first;
    }
    const double scale = 1.0 / aperture;
    WindowSum sum;
    for (long long j = static_cast<long long>(first) - h; j <= static_cast<long long>(first) + h;
         ++j) {
        sum.Add(in[ClampIndex(j, lastIdx)]);
    }
    out[first] = static_cast<T>(sum.Mean(scale));
    for (int i = first + 1; i <= lastIdx; ++i) {
        int incoming = lastIdx;
        if (h <= lastIdx - i) {
            incoming = i + h;
        } else if (!final) {
            return i;
        }
        sum.Add(in[incoming]);
        sum.Remove(in[std::max(i - h - 1, 0)]);
        out[i] = static_cast<T>(sum.Mean(scale));
    }
    return lastIdx + 1;
}

// Brings a mean phase into -π..π by whole turns.
inline double WrapMeanPhase(double mean) {
    if (mean > kPi) {
        const double m = std::trunc((mean - kPi) / kTwoPi);
        mean -= (m + 1.0) * kTwoPi;
    } else if (mean < -kPi) {
        const double m = std::trunc((mean + kPi) / kTwoPi);
        mean -= (m - 1.0) * kTwoPi;
    }
    return mean;
}

// Centred moving average of phase data (radians). Each window is unwrapped on its own: a
// turn count starts at 0 and follows every step of more than π between neighbouring points
// inside the data, the step into the window's first point included; positions outside the
// data take no step. The mean is wrapped back into -π..π. O(points × aperture).
template <class T>
int PhaseKernel(const T* in, T* out, int first, int lastIdx, int aperture, bool final) {
    const int h = aperture / 2;
    for (int i = first; i <= lastIdx; ++i) {
        if (h > lastIdx - i && !final) {
            return i;
        }
        double sum = 0.0;
        int turns = 0;
        for (long long j = static_cast<long long>(i) - h; j <= static_cast<long long>(i) + h; ++j) {
            if (j >= 1 && j <= lastIdx) {
                const double step = double(in[j]) - double(in[j - 1]);
                if (step < -kPi) {
                    ++turns;
                } else if (step > kPi) {
                    --turns;
                }
            }
            sum += double(in[ClampIndex(j, lastIdx)]) + turns * kTwoPi;
        }
        out[i] = static_cast<T>(WrapMeanPhase(sum / aperture));
    }
    return lastIdx + 1;
}

// Centred moving average over a fractional aperture A >= 2 (group delay). With half-width
// w = (A - 1)/2 = w0 + f, a point's window is the whole positions i - w0 .. i + w0 (clamped
// to the data), weight 1 each, plus the interpolated values at i - w and i + w (clamped to
// 0..lastIdx, linear between points), weight f each: total weight A. The whole-position sum runs;
// the two fractional edge terms are recomputed per point.
inline int GroupDelayKernel(const std::vector<float>& in, float* out, int first, int lastIdx,
                            double aperture, bool final) {
    const double w = (aperture - 1.0) / 2.0;
    const int w0 = static_cast<int>(w);
    const double f = w - w0;
    const auto edges = [&](int i) {
        if (f == 0.0) {
            return 0.0;  // an odd whole aperture has no fractional edge points
        }
        return f * (QuorUtility::LinearInterpolate(in, std::max(i - w, 0.0)) +
                    QuorUtility::LinearInterpolate(in, std::min(i + w, double(lastIdx))));
    };
    if (first + w > lastIdx && !final) {
        return first;
    }
    CompensatedSum sum;
    for (long long j = static_cast<long long>(first) - w0; j <= static_cast<long long>(first) + w0;
         ++j) {
        sum.Add(in[ClampIndex(j, lastIdx)]);
    }
    out[first] = static_cast<float>((sum.Value() + edges(first)) / aperture);
    for (int i = first + 1; i <= lastIdx; ++i) {
        if (i + w > lastIdx && !final) {
            return i;
        }
        sum.Add(in[ClampIndex(static_cast<long long>(i) + w0, lastIdx)]);
        sum.Add(-double(in[std::max(i - w0 - 1, 0)]));
        out[i] = static_cast<float>((sum.Value() + edges(i)) / aperture);
    }
    return lastIdx + 1;
}

}  // namespace internal
}  // namespace Tessel
