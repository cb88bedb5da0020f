// SPDX-License-Identifier: Apache-2.0
// Finding compact segments in runs of plain stimulus values (used by InputArray's
// representation optimisation).
#pragma once

#include <cstddef>
#include <vector>

#include "platform/measutil/segment.h"

namespace QuorUtility::internal {

// Joins neighbouring segments that are consecutive pieces of one law (Segment::Continues).
std::vector<Segment> JoinContinuing(const std::vector<Segment>& segments);

// Appends to `out` segments that reproduce v[0 .. n), scanning left to right and taking at each
// position the longest of: a run of equal values (fixed segment, exact); unless onlyFixed, a
// linear or logarithmic run of three or more points whose every point the segment reproduces
// within 64 ulp of the run's largest magnitude, or else a two-point linear piece. What no run
// covers becomes a single-point fixed segment.
void AppendRuns(const double* v, std::size_t n, bool onlyFixed, std::vector<Segment>& out);

}  // namespace QuorUtility::internal
