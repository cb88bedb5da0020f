// SPDX-License-Identifier: Apache-2.0
// Statistics of a run of scalar trace values.
#pragma once

#include "tessel/core/export.h"

namespace QuorUtility {

// Five statistics of the values [first, last), accumulated in double and stored as float:
//   s1  mean
//   s2  standard deviation about the mean, population form: sqrt(sum (x - mean)² / n)
//       (a trace is the whole population of its points; one point gives 0)
//   s3  minimum
//   s4  maximum (s4 - s3 is the peak-to-peak)
//   s5  root mean square: sqrt(sum x² / n)
// NaN values make s1, s2 and s5 NaN and are skipped by s3 and s4 (which are NaN only when
// every value is). Returns false, leaving the outputs untouched, for a null or empty range.
TESSEL_EXPORT bool ComputeStats(const float* first, const float* last, float& s1, float& s2,
                                float& s3, float& s4, float& s5);

}  // namespace QuorUtility
