// SPDX-License-Identifier: Apache-2.0
// EmbedNetwork: measured S-parameters seen through a four-port network added at the first two
// measured ports.
//
// For each point the 4 × 4 network is split into E11 (its outer ports 1-2), E12, E21 and E22
// (its ports 3-4, joined to the measured ports ports[0], ports[1], group A); the measured
// S-matrix is split by the groups A and B (ports[2], ports[3] when present) and replaced by
//   S'_AA = E11 + E12·S_AA·(I − E22·S_AA)⁻¹·E21      S'_AB = E12·(I − S_AA·E22)⁻¹·S_AB
//   S'_BA = S_BA·(I − E22·S_AA)⁻¹·E21                 S'_BB = S_BB + S_BA·(I − E22·S_AA)⁻¹·E22·S_AB
// Removing a fixture is embedding its anti-network (CalculateAntiNetwork). Arithmetic is in
// double, rounded to float on store; the inverses are Gauss-Jordan inverses.
#pragma once

#include <vector>

#include "tessel/core/export.h"
#include "tessel/core/status.h"
#include "tessel/network/two_port_conversions.h"

namespace Tessel {

// Embeds networks[k] into the S-parameters of `ports` (2, 3 or 4 of them) held in data, for
// points first <= k < last, reading and writing through the physical-port copies of the
// DataMatrix (results go through each buffer's data pointer).
// Returns 0 when every point was embedded. kFail, before anything is read or written, for a
// port count other than 2, 3 or 4, a port the matrix does not hold, a range outside
// 0 <= first <= last <= data.PointCount(), fewer than `last` network matrices, or a network
// matrix that is not 4 × 4. An empty range (first == last) writes nothing and returns 0.
// A point where (I − E22·S_AA) is singular gets the missing-data value
// TsComplex::m_minus200dB in every embedded element; the other points are embedded as usual
// and the call returns kFail, so the caller learns that the data holds such points.
TESSEL_EXPORT long EmbedNetwork(int first, int last, const std::vector<int>& ports,
                                DataMatrix& data, const ComplexMatrixVector& networks);

}  // namespace Tessel
