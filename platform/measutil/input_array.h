// SPDX-License-Identifier: Apache-2.0
// InputArray: a stimulus axis of doubles held as a list of segments.
//
// The axis is the concatenation of its segments (linear, logarithmic or fixed runs, see
// segment.h). It has value semantics: copies are independent, and equality compares the point
// values, not how they are segmented. An axis built from plain values (`SetArray`) holds one
// single-point fixed segment per value until `OptimizeRepresentation` finds the runs in it.
//
// `GetArrayPtr` hands out the points as a shared, read-only vector. The vector is built on the
// first request and kept until the axis changes; copies of the axis share it. `at` reads from
// that vector when it is built, and builds it on first use only for plain-value axes (more than
// kDirectSegments segments, at most two points per segment on average), which keeps point
// access O(1) there; any other axis is searched by segment (O(log segments)), so a long axis of
// a few segments is never materialised by a point query. Building it is the one lazy step behind
// const members, so one axis object is not read from two threads at once (like everything of
// this library, it belongs to one thread at a time).
//
// Byte record written by `Serialize` and read by `Deserialize` (little-endian, field by field):
//   uint32  version, 1
//   uint32  segment count S
//   S times:
//     uint8   law: 0 linear, 1 logarithmic, 2 fixed
//     float64 start, float64 stop      (end points of the law; equal for fixed)
//     uint32  span                     (points of the law, >= 1)
//     uint32  first, uint32 count      (the window of the law the segment shows; count >= 1)
//     float64 offset                   (added to every point)
// A record is accepted only whole: a wrong version, a truncated record, an inconsistent
// segment (see Segment::FromDefinition), a law spanning more than 2^31 - 1 points or more than
// 2^31 - 1 points in all is rejected (point indices of an axis are ints).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "platform/measutil/segment.h"
#include "tessel/core/export.h"

namespace QuorUtility {

class TESSEL_EXPORT InputArray {
  public:
    static constexpr std::uint32_t kRecordVersion = 1;
    // Above this many segments, `at` on a plain-value axis reads from the cached point vector.
    static constexpr std::size_t kDirectSegments = 8;

    InputArray() = default;
    explicit InputArray(const Segment& segment) { push_back(segment); }
    // The given values, one single-point fixed segment each (see SetArray).
    explicit InputArray(const std::vector<double>& values) { SetArray(values); }

    std::size_t size() const { return starts_.empty() ? 0 : starts_.back(); }
    bool empty() const { return size() == 0; }
    // Point i, 0 <= i < size(); throws std::out_of_range otherwise.
    double at(std::size_t i) const;
    // First and last point; 0.0 for an empty axis.
    double front() const { return segments_.empty() ? 0.0 : segments_.front().front(); }
    double back() const { return segments_.empty() ? 0.0 : segments_.back().back(); }
    // The smallest point value; +infinity for an empty axis (the identity of min, so the
    // minimum over several axes ignores empty ones).
    double min_element() const;
    // True when all points are equal (also for an empty or one-point axis).
    bool IsConstant() const;

    // Same number of points and equal point values (segmentation is not compared).
    bool operator==(const InputArray& o) const;
    bool operator!=(const InputArray& o) const { return !(*this == o); }
    // Adds delta to every point.
    InputArray& operator+=(double delta);

    const std::vector<Segment>& GetSegments() const { return segments_; }
    std::size_t NumSegments() const { return segments_.size(); }
    // Segment k; throws std::out_of_range for k >= NumSegments().
    const Segment& GetSegment(std::size_t k) const { return segments_.at(k); }
    // Index of the first point of segment k (k <= NumSegments(); k == NumSegments() gives
    // size()); throws std::out_of_range beyond.
    std::size_t SegmentStart(std::size_t k) const;
    // Index of the segment that holds point i; throws std::out_of_range for i >= size().
    std::size_t SegmentIndexOf(std::size_t i) const;

    // Appends a segment; an empty segment is ignored.
    void push_back(const Segment& segment);
    void clear();
    // Replaces the axis by the given values, one single-point fixed segment per value.
    void SetArray(const std::vector<double>& values);
    // Null values with a nonzero count are refused: the axis is left as it was.
    void SetArray(const double* values, std::size_t count);
    // All points as a vector.
    std::vector<double> GetArray() const;
    // All points as a shared read-only vector (cached, see the file comment).
    boost::shared_ptr<const std::vector<double>> GetArrayPtr() const;
    // Whether the shared point vector is built at the moment.
    bool PointsCached() const { return cache_ != nullptr; }

    // Rewrites the segments compactly without changing the axis beyond rounding: neighbouring
    // pieces of one law are joined (exactly), and runs of loose single points are replaced by
    // fixed segments (equal values, exactly), linear or logarithmic segments (when every point
    // is reproduced within 64 ulp of the run's largest magnitude), or two-point linear pieces.
    // Segments of two or more points are otherwise kept as they are.
    void OptimizeRepresentation();
    // Only joins equal neighbouring values into fixed segments (and neighbouring pieces of one
    // law); every other point stays as it is. Exact.
    void OptimizeRepresentationOnlyFixed();

    // Appends the byte record of this axis to `bytes`.
    void Serialize(std::vector<std::uint8_t>& bytes) const;
    // Reads one byte record from data[0 .. size); on success replaces this axis, stores the
    // number of bytes read in *used (when given) and returns true. On failure the axis is
    // unchanged and false is returned.
    bool Deserialize(const std::uint8_t* data, std::size_t size, std::size_t* used = nullptr);

  private:
    void Rebuild(std::vector<Segment> segments);
    void Optimize(bool onlyFixed);

    std::vector<Segment> segments_;
    std::vector<std::size_t> starts_;  // starts_[k] = first point of segment k; back() = size()
    mutable boost::shared_ptr<const std::vector<double>> cache_;
};

// Gives every non-empty axis of `arrays` the same segment boundaries: each axis is cut at the
// union of the first-point indices of all segments of all axes (indices at or beyond an axis'
// length do not cut it). Point values do not change. Empty axes stay empty.
TESSEL_EXPORT void ConformSegments(std::vector<InputArray>& arrays);

}  // namespace QuorUtility
