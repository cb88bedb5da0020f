// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/segment.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace QuorUtility {
namespace {

bool LogLawPossible(double start, double stop) {
    return (start > 0.0 && stop > 0.0) || (start < 0.0 && stop < 0.0);
}

}  // namespace

Segment::Segment(double start, double stop, int points, SegmentType type)
    : type_(type), start_(start), stop_(stop) {
    if (type_ == SegmentType::kFixed)
        stop_ = start_;
    if (type_ == SegmentType::kLog && !LogLawPossible(start_, stop_))
        type_ = SegmentType::kLinear;
    span_ = count_ = points > 0 ? static_cast<std::size_t>(points) : 0;
}

double Segment::at(std::size_t i) const {
    if (i >= count_)
        throw std::out_of_range("Segment::at: index out of range");
    return (*this)[i];
}

bool Segment::IsFixed() const {
    return type_ == SegmentType::kFixed || count_ <= 1 || front() == back();
}

double Segment::Find(double value, bool clamp, double near) const {
    if (count_ == 0 || std::isnan(value))
        return -1.0;
    const double f = front(), b = back();
    const double last = static_cast<double>(count_ - 1);
    near = std::isnan(near) ? 0.0 : std::clamp(near, 0.0, last);
    if (count_ == 1 || f == b)
        return value == f ? near : (clamp ? 0.0 : -1.0);
    const bool rising = b > f;
    const double lo = rising ? f : b, hi = rising ? b : f;
    if (value < lo)
        return clamp ? (rising ? 0.0 : last) : -1.0;
    if (value > hi)
        return clamp ? (rising ? last : 0.0) : -1.0;

    // Bisection over the monotonic points: first = the first point not short of value.
    const auto shortOf = [&](std::size_t k) {
        return rising ? (*this)[k] < value : (*this)[k] > value;
    };
    std::size_t first = 0, end = count_ - 1;
    while (first < end) {
        const std::size_t mid = first + (end - first) / 2;
        if (shortOf(mid)) {
            first = mid + 1;
        } else {
            end = mid;
        }
    }
    if ((*this)[first] != value) {
        // Strictly between points first - 1 (short of value, so first > 0) and first.
        const double a = (*this)[first - 1], c = (*this)[first];
        return static_cast<double>(first - 1) + std::clamp((value - a) / (c - a), 0.0, 1.0);
    }
    // A run of points equal to value (a rounding plateau): bisect for its last point.
    const auto beyond = [&](std::size_t k) {
        return rising ? (*this)[k] > value : (*this)[k] < value;
    };
    std::size_t runEnd = first, top = count_ - 1;
    while (runEnd < top) {
        const std::size_t mid = runEnd + (top - runEnd + 1) / 2;
        if (beyond(mid)) {
            top = mid - 1;
        } else {
            runEnd = mid;
        }
    }
    return std::clamp(near, static_cast<double>(first), static_cast<double>(runEnd));
}

Segment Segment::Sub(std::size_t first, std::size_t count) const {
    Segment s = *this;
    first = std::min(first, count_);
    s.first_ = first_ + first;
    s.count_ = std::min(count, count_ - first);
    return s;
}

bool Segment::Continues(const Segment& next) const {
    if (count_ == 0 || next.count_ == 0 || type_ != next.type_ || offset_ != next.offset_) {
        return false;
    }
    if (type_ == SegmentType::kFixed)
        return start_ == next.start_;
    return start_ == next.start_ && stop_ == next.stop_ && span_ == next.span_ &&
           next.first_ == first_ + count_;
}

Segment Segment::Joined(const Segment& next) const {
    Segment s = *this;
    s.count_ += next.count_;
    if (type_ == SegmentType::kFixed) {
        s.first_ = 0;
        s.span_ = s.count_;
    }
    return s;
}

bool Segment::FromDefinition(SegmentType type, double start, double stop, std::size_t span,
                             std::size_t first, std::size_t count, double offset, Segment& out) {
    if (type != SegmentType::kLinear && type != SegmentType::kLog && type != SegmentType::kFixed) {
        return false;
    }
    if (!std::isfinite(start) || !std::isfinite(stop) || !std::isfinite(offset))
        return false;
    if (span == 0 || count == 0 || first >= span || count > span - first)
        return false;
    if (type == SegmentType::kLog && !LogLawPossible(start, stop))
        return false;
    if (type == SegmentType::kFixed && stop != start)
        return false;
    Segment s;
    s.type_ = type;
    s.start_ = start;
    s.stop_ = stop;
    s.span_ = span;
    s.first_ = first;
    s.count_ = count;
    s.offset_ = offset;
    out = s;
    return true;
}

bool Segment::operator==(const Segment& o) const {
    return type_ == o.type_ && start_ == o.start_ && stop_ == o.stop_ && span_ == o.span_ &&
           first_ == o.first_ && count_ == o.count_ && offset_ == o.offset_;
}

}  // namespace QuorUtility
