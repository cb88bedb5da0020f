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

double Segment::Find(double value, bool clamp) const {
    if (count_ == 0 || std::isnan(value))
        return -1.0;
    const double f = front(), b = back();
    if (count_ == 1 || f == b)
        return (value == f || clamp) ? 0.0 : -1.0;
    const bool rising = b > f;
    const double lo = rising ? f : b, hi = rising ? b : f;
    const double last = static_cast<double>(count_ - 1);
    if (value < lo)
        return clamp ? (rising ? 0.0 : last) : -1.0;
    if (value > hi)
        return clamp ? (rising ? last : 0.0) : -1.0;

    // Estimate the interval from the law, then step until value lies between points i, i + 1
    // (the estimate is off by at most rounding, so this takes a step or two at most).
    double estimate;
    if (type_ == SegmentType::kLog) {
        const double k = std::log((value - offset_) / start_) / std::log(stop_ / start_) *
                         static_cast<double>(span_ - 1);
        estimate = k - static_cast<double>(first_);
    } else {
        estimate = (value - f) / (b - f) * last;
    }
    if (!(estimate >= 0.0))
        estimate = 0.0;  // also catches NaN from a degenerate log
    std::size_t i = std::min(static_cast<std::size_t>(std::min(estimate, last)), count_ - 2);
    const auto before = [&](double x) { return rising ? value < x : value > x; };
    while (i > 0 && before((*this)[i]))
        --i;
    while (i + 2 < count_ && !before((*this)[i + 1]))
        ++i;
    const double a = (*this)[i], c = (*this)[i + 1];
    double t = (c == a) ? 0.0 : (value - a) / (c - a);
    t = std::clamp(t, 0.0, 1.0);
    return static_cast<double>(i) + t;
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
