// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/interpolation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace QuorUtility {
namespace {

// Splits a position into the left point i (0 .. last - 1, or last itself) and fraction t.
template <typename At>
double Interpolate(std::size_t n, double index, At at) {
    if (n == 0)
        return 0.0;
    const double last = static_cast<double>(n - 1);
    if (!(index > 0.0))
        return at(0);
    if (index >= last)
        return at(n - 1);
    const auto i = static_cast<std::size_t>(index);
    const double t = index - static_cast<double>(i);
    if (t == 0.0)
        return at(i);
    const double a = at(i);
    return a + (at(i + 1) - a) * t;
}

// Keeps the candidate position nearest to start (the right one on a tie).
struct Nearest {
    double start;
    double best = -1.0;
    double distance = std::numeric_limits<double>::infinity();

    void Consider(double x) {
        const double d = std::abs(x - start);
        if (d < distance || (d == distance && x > best)) {
            best = x;
            distance = d;
        }
    }
};

// Index of the point whose value is nearest `value`; only segment ends can be nearest,
// since every segment is monotonic.
double NearestPoint(const InputArray& axis, double start, double value) {
    Nearest pick{start};
    double gap = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < axis.NumSegments(); ++k) {
        const Segment& s = axis.GetSegment(k);
        const double o = static_cast<double>(axis.SegmentStart(k));
        for (const auto& [x, v] : {std::pair{o, s.front()}, {o + double(s.size() - 1), s.back()}}) {
            const double d = std::abs(v - value);
            if (d < gap) {
                gap = d;
                pick = Nearest{start};
            }
            if (d == gap)
                pick.Consider(x);
        }
    }
    return pick.best < 0.0 ? 0.0 : pick.best;
}

// The position in [i, i + 1] at which the line from d0 to d1 meets target, restricted to the
// window [a, b]; on a flat run at the target, the end nearest the search start.
bool Crossing(double d0, double d1, double target, double i, double a, double b, bool right,
              double& x) {
    if (d0 == d1) {
        if (d0 != target)
            return false;
        x = right ? std::max(i, a) : std::min(i + 1.0, b);
    } else {
        const double t = (target - d0) / (d1 - d0);
        if (!(t >= 0.0 && t <= 1.0))
            return false;
        x = i + t;
    }
    return x >= a && x <= b;
}

}  // namespace

double LinearInterpolate(const InputArray& axis, double index) {
    return Interpolate(axis.size(), index, [&](std::size_t i) { return axis.at(i); });
}

double LinearInterpolate(const std::vector<float>& values, double index) {
    return Interpolate(values.size(), index,
                       [&](std::size_t i) { return static_cast<double>(values[i]); });
}

double FindNearestIndex(const InputArray& axis, double start, double value) {
    const std::size_t n = axis.size();
    if (n == 0 || std::isnan(value))
        return 0.0;
    start = std::isnan(start) ? 0.0 : std::clamp(start, 0.0, static_cast<double>(n - 1));
    Nearest pick{start};
    for (std::size_t k = 0; k < axis.NumSegments(); ++k) {
        const Segment& s = axis.GetSegment(k);
        const double o = static_cast<double>(axis.SegmentStart(k));
        const double end = o + static_cast<double>(s.size() - 1);
        if (s.IsFixed()) {
            if (s.front() == value)
                pick.Consider(std::clamp(start, o, end));
        } else if (const double x = s.Find(value, false, start - o); x >= 0.0) {
            pick.Consider(o + x);
        }
        // The straight piece between this segment's last point and the next one's first.
        if (k + 1 < axis.NumSegments()) {
            const double a = s.back(), b = axis.GetSegment(k + 1).front();
            if (a != b && value >= std::min(a, b) && value <= std::max(a, b)) {
                pick.Consider(end + (value - a) / (b - a));
            }
        }
    }
    return pick.best >= 0.0 ? pick.best : NearestPoint(axis, start, value);
}

bool ValueSearch(double start, const float* data, int lastIndex, double lo, double hi,
                 bool searchRight, double target, double& result) {
    if (data == nullptr || lastIndex < 0 || std::isnan(start) || std::isnan(target) ||
        std::isnan(lo) || std::isnan(hi)) {
        return false;
    }
    const double last = static_cast<double>(lastIndex);
    lo = std::max(lo, 0.0);
    hi = std::min(hi, last);
    const double a = searchRight ? std::max(start, lo) : lo;
    const double b = searchRight ? hi : std::min(start, hi);
    if (!(a <= b))
        return false;
    if (lastIndex == 0) {
        if (double(data[0]) != target)
            return false;
        result = 0.0;
        return true;
    }
    double x = 0.0;
    if (searchRight) {
        for (int i = std::min(static_cast<int>(a), lastIndex - 1); i < lastIndex && i <= b; ++i) {
            if (Crossing(data[i], data[i + 1], target, i, a, b, true, x)) {
                result = x;
                return true;
            }
        }
    } else {
        const int top = std::max(static_cast<int>(std::ceil(b)) - 1, 0);
        for (int i = std::min(top, lastIndex - 1); i >= 0 && i + 1 >= a; --i) {
            if (Crossing(data[i], data[i + 1], target, i, a, b, false, x)) {
                result = x;
                return true;
            }
        }
    }
    return false;
}

bool ValueSearch(double start, const std::vector<float>& data, int lastIndex, double lo, double hi,
                 bool searchRight, double target, double& result) {
    if (data.empty())
        return false;
    lastIndex = std::min(lastIndex, static_cast<int>(data.size()) - 1);
    return ValueSearch(start, data.data(), lastIndex, lo, hi, searchRight, target, result);
}

}  // namespace QuorUtility
