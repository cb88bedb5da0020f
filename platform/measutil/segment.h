// SPDX-License-Identifier: Apache-2.0
// Segment: one run of stimulus points with a closed-form spacing.
//
// A segment is defined by a spacing law over `span` points from `start` to `stop`:
//   linear:       x(k) = start + (stop - start)·k/(span - 1)
//   logarithmic:  x(k) = start·(stop/start)^(k/(span - 1))
//   fixed:        x(k) = start (one frequency repeated)
// with x(0) = start and x(span - 1) = stop exactly (the end points are returned as given, not
// recomputed). A segment shows the points first .. first + count - 1 of that law, each plus a
// constant offset. Views make cutting a segment exact: the pieces of a segment reproduce its
// points bit for bit, which keeps stimulus axes equal after their boundaries are conformed.
// The offset makes shifting exact for every law (a shifted log run is no longer log-spaced).
//
// Every segment is monotonic (or flat), which `Find` relies on: it bisects the points.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "tessel/core/export.h"

namespace QuorUtility {

enum class SegmentType : std::int32_t { kLinear = 0, kLog = 1, kFixed = 2 };

class TESSEL_EXPORT Segment {
  public:
    // An empty segment (no points).
    Segment() = default;
    // A segment of `points` points from start to stop with the given spacing; points < 0 is
    // taken as 0. A logarithmic law needs start and stop nonzero and of the same sign; when they
    // are not, the segment is built linear instead (IsLog() then reports false).
    Segment(double start, double stop, int points, SegmentType type = SegmentType::kLinear);

    static Segment Linear(double start, double stop, int points) {
        return Segment(start, stop, points, SegmentType::kLinear);
    }
    static Segment Log(double start, double stop, int points) {
        return Segment(start, stop, points, SegmentType::kLog);
    }
    static Segment Fixed(double value, int points) {
        return Segment(value, value, points, SegmentType::kFixed);
    }

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Point i of the segment, 0 <= i < size(); throws std::out_of_range otherwise.
    double at(std::size_t i) const;
    // Point i without the range check (i < size() is the caller's promise).
    double operator[](std::size_t i) const { return Law(first_ + i) + offset_; }
    // First and last point; 0.0 for an empty segment.
    double front() const { return count_ ? (*this)[0] : 0.0; }
    double back() const { return count_ ? (*this)[count_ - 1] : 0.0; }

    SegmentType Type() const { return type_; }
    bool IsLog() const { return type_ == SegmentType::kLog; }
    bool IsLinear() const { return type_ == SegmentType::kLinear; }
    // True when every point has the same value: a fixed segment, a single point, or a run
    // whose start equals its stop.
    bool IsFixed() const;

    // Fractional position p (0 <= p <= size() - 1) at which the segment, interpolated linearly
    // between neighbouring points, takes `value`; a value equal to point k gives exactly k, and
    // a value held by a run of equal points (a flat segment, or a rounding plateau of a fine
    // one) gives the position in that run nearest `near` (NaN counts as 0). Rising and falling
    // segments are both handled, in O(log size()) point evaluations. A value outside the span
    // of the segment (or NaN) gives -1.0 when `clamp` is false; when `clamp` is true a value
    // beyond one end gives that end's position (0 or size() - 1), NaN still gives -1.0.
    double Find(double value, bool clamp, double near) const;
    // The same with near = 0: a run of equal points is found at its first point.
    double Find(double value, bool clamp) const { return Find(value, clamp, 0.0); }

    // The segment of points first .. first + count - 1 of this one (clipped to the segment);
    // its points equal those of this segment exactly.
    Segment Sub(std::size_t first, std::size_t count) const;
    // Whether `next` continues this segment: the same law viewed from the point after this
    // segment's last one. Two such segments join exactly into one.
    bool Continues(const Segment& next) const;
    // This segment extended by the points of `next`; only meaningful when Continues(next).
    Segment Joined(const Segment& next) const;

    // Adds delta to every point.
    void Shift(double delta) { offset_ += delta; }

    // The definition: law, its end points and span, the viewed window and the offset.
    double Start() const { return start_; }
    double Stop() const { return stop_; }
    std::size_t Span() const { return span_; }
    std::size_t First() const { return first_; }
    double Offset() const { return offset_; }
    // Rebuilds a segment from its definition; false (and `out` untouched) when the parts are
    // inconsistent: a window outside the span, count 0, or a log law that cannot exist.
    static bool FromDefinition(SegmentType type, double start, double stop, std::size_t span,
                               std::size_t first, std::size_t count, double offset, Segment& out);

    // Equal definitions (law, end points, span, window, offset). Two segments with equal
    // points but different definitions compare unequal; InputArray compares points.
    bool operator==(const Segment& o) const;
    bool operator!=(const Segment& o) const { return !(*this == o); }

  private:
    // Value of the law at index k of the span (no offset).
    double Law(std::size_t k) const;

    SegmentType type_ = SegmentType::kLinear;
    double start_ = 0.0;
    double stop_ = 0.0;
    std::size_t span_ = 0;
    std::size_t first_ = 0;
    std::size_t count_ = 0;
    double offset_ = 0.0;
};

inline double Segment::Law(std::size_t k) const {
    if (type_ == SegmentType::kFixed || k == 0)
        return start_;
    if (k + 1 == span_)
        return stop_;
    const double t = static_cast<double>(k) / static_cast<double>(span_ - 1);
    if (type_ == SegmentType::kLog)
        return start_ * std::pow(stop_ / start_, t);
    return start_ + (stop_ - start_) * t;
}

}  // namespace QuorUtility
