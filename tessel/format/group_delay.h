// SPDX-License-Identifier: Apache-2.0
// Group delay of complex trace data over a stimulus axis.
//
// The delay at point i is the phase step from point i - 1 to point i divided by the angular
// stimulus step: wrap(phase(z[i-1]) - phase(z[i])) / (2π·(x[i] - x[i-1])), seconds when the
// stimulus is in hertz, where wrap brings the step into -π..π by one turn (exactly ±π stays).
// A stimulus step whose angular size is below 1e-10 in magnitude gives 0, never a division by
// zero; a descending stimulus gives a delay with the sign of its step. The first point of a
// trace has no predecessor and repeats the delay of the second point. Phases and quotients are
// formed in double and stored as float; the phase of each sample is computed once.
#pragma once

#include <vector>

#include "platform/measutil/input_array.h"
#include "tessel/core/export.h"
#include "tessel/core/types.h"

namespace Tessel {

// Writes the delay of the points first <= i < last of `data` into out[i]; `data` and `out`
// hold at least `last` elements and `stimulus` is the trace's axis. When first is 0, out[0]
// is 0 for a one-point run and equals out[1] otherwise. first == last writes nothing and
// returns 0. Returns kInvalidArg, writing nothing, when last < first, first < 0, last exceeds
// the stimulus length, or a pointer is null.
TESSEL_EXPORT long FormatDataDelay(const TsComplex* data, const QuorUtility::InputArray& stimulus,
                                   float* out, int first, int last);

// The delay of the whole trace: resizes `out` to the data length and fills it. Returns
// kInvalidArg, leaving `out` untouched, when the data and stimulus lengths differ.
TESSEL_EXPORT long FormatDataDelay(const std::vector<TsComplex>& data,
                                   const QuorUtility::InputArray& stimulus,
                                   std::vector<float>& out);

}  // namespace Tessel
