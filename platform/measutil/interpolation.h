// SPDX-License-Identifier: Apache-2.0
// Interpolation and search on stimulus axes and scalar traces.
//
// Positions on an axis or a trace are fractional point indices: position i + t (0 <= t < 1)
// lies between points i and i + 1, and the axis or trace is taken to run in a straight line
// between neighbouring points. LinearInterpolate maps a position to a value; FindNearestIndex
// and ValueSearch map a value back to a position, so that for every position x inside an
// axis, FindNearestIndex(axis, x, LinearInterpolate(axis, x)) gives x back (up to rounding)
// when the axis is monotonic.
#pragma once

#include <vector>

#include "platform/measutil/input_array.h"
#include "tessel/core/export.h"

namespace QuorUtility {

// The stimulus at fractional index `index`, interpolated linearly between neighbouring
// points; whole indices give the points exactly. The index is clamped to 0 .. size() - 1
// (NaN counts as 0). An empty axis gives 0.0.
TESSEL_EXPORT double LinearInterpolate(const InputArray& axis, double index);
// The same for a trace of floats, computed in double.
TESSEL_EXPORT double LinearInterpolate(const std::vector<float>& values, double index);

// The fractional index at which the axis takes `value`. When the axis passes through the value
// more than once (an axis that turns back, or a flat run at the value, also a run of equal
// points inside a fine segment), the position nearest to `start` is returned (on a flat run,
// start itself clamped into the run; between two equally near positions, the right one).
// Falling axes are handled like rising ones. A value the axis never takes (outside its span)
// gives the index of the point whose value is nearest (so a value beyond either end of a
// monotonic axis clamps to that end's index; ties go to the point nearest `start`). An empty
// axis or a NaN value gives 0.0. Each segment is searched in O(log size).
TESSEL_EXPORT double FindNearestIndex(const InputArray& axis, double start, double value);

// Searches data[0 .. lastIndex], taken as straight between neighbours, for the first position
// at which it equals `target`, going right (increasing positions) or left from `start`, within
// the window lo .. hi (clamped to 0 .. lastIndex): going right, the smallest position x with
// max(start, lo) <= x <= hi; going left, the largest x with lo <= x <= min(start, hi). Rising
// and falling crossings both count, and so does a point that touches the target. On a run equal
// to the target the position nearest the start is taken. Returns true and stores x in
// `result` when found; otherwise false with `result` untouched. Null data, lastIndex < 0, an
// empty window or NaN arguments find nothing.
TESSEL_EXPORT bool ValueSearch(double start, const float* data, int lastIndex, double lo, double hi,
                               bool searchRight, double target, double& result);
// The same over a vector; lastIndex is limited to data.size() - 1.
TESSEL_EXPORT bool ValueSearch(double start, const std::vector<float>& data, int lastIndex,
                               double lo, double hi, bool searchRight, double target,
                               double& result);

}  // namespace QuorUtility
