// SPDX-License-Identifier: Apache-2.0
// AxisCursor: reads the points of a stimulus axis in increasing order (not installed).
//
// Gives the same values as InputArray::at, but keeps the current segment between calls, so a
// pass over the axis costs O(1) per point instead of a segment search, without building the
// axis' point vector.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/measutil/input_array.h"

namespace Tessel {
namespace internal {

class AxisCursor {
  public:
    // A cursor that starts at point `first` (< axis.size()). The axis must outlive the cursor
    // and must not change meanwhile.
    AxisCursor(const QuorUtility::InputArray& axis, std::size_t first)
        : segments_(axis.GetSegments()),
          k_(axis.SegmentIndexOf(first)),
          begin_(axis.SegmentStart(k_)),
          end_(begin_ + segments_[k_].size()) {}

    // Point i; i must be below the axis size and not below the point of the previous call.
    double operator()(std::size_t i) {
        while (i >= end_) {
            ++k_;
            begin_ = end_;
            end_ = begin_ + segments_[k_].size();
        }
        return segments_[k_][i - begin_];
    }

  private:
    const std::vector<QuorUtility::Segment>& segments_;
    std::size_t k_;      // current segment
    std::size_t begin_;  // its first point
    std::size_t end_;    // one past its last point
};

}  // namespace internal
}  // namespace Tessel
