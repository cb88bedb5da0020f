// SPDX-License-Identifier: Apache-2.0
// Correction kernels: the arithmetic of calibration error correction.
//
// Five stateless functions apply error terms to raw receiver data point by point over the
// half-open range [start, stop). Every pointer designates element 0 of a full-length trace and
// must hold at least `stop` samples; elements outside the range are neither read nor written.
// All inputs of a point are read before any output of that point is written, so an output may
// alias a raw input (in-place correction). Denominators are not tested: a zero tracking term or
// a singular two-port determinant yields the IEEE result of the complex quotient for that point.
// The kernels share no state and are reentrant.
#pragma once

#include <vector>

#include "tessel/core/export.h"
#include "tessel/core/types.h"

namespace Tessel {

// Response correction: out = raw / tracking. Returns 0.
TESSEL_EXPORT long CorrectResponse(const TsComplex* raw, const TsComplex* tracking, TsComplex* out,
                                   int start, int stop);

// Response and isolation correction: out = (raw - isolation) / tracking. Returns 0.
TESSEL_EXPORT long CorrectResponseIsol(const TsComplex* raw, const TsComplex* tracking,
                                       const TsComplex* isolation, TsComplex* out, int start,
                                       int stop);

// Three-term one-port correction: m = raw - directivity;
// out = m / (reflectionTracking + sourceMatch·m).
// Returns kFail (writing nothing) when any input pointer is null, else 0.
TESSEL_EXPORT long Correct1Port(const TsComplex* raw, const TsComplex* directivity,
                                const TsComplex* sourceMatch, const TsComplex* reflectionTracking,
                                int start, int stop, TsComplex* out);

// Twelve-term two-port correction.
// raw and out: S11, S12, S21, S22 (the first 4 entries are used).
// errorTerms (the first 12 entries are used), forward = stimulus at the first port:
//   0 directivity fwd, 1 directivity rev, 2 source match fwd, 3 source match rev,
//   4 reflection tracking fwd, 5 reflection tracking rev, 6 load match fwd, 7 load match rev,
//   8 transmission tracking fwd, 9 transmission tracking rev, 10 crosstalk fwd (may be null),
//   11 crosstalk rev (may be null; a null crosstalk term means no crosstalk).
// Returns kInvalidArg (writing nothing) when a vector is too short, or when the range is not
// empty and start is negative (such points lie before every array); else 0.
TESSEL_EXPORT long Correct2Port(std::vector<const TsComplex*> raw,
                                std::vector<const TsComplex*> errorTerms, int start, int stop,
                                std::vector<TsComplex*> out);

// Source-match correction of a reference receiver:
// out = rawReference / (referenceTracking·(1 - sourceMatch·reflection)), where reflection is
// the corrected reflection coefficient of the same port (the output of Correct1Port).
TESSEL_EXPORT void CorrectRefReceiver(const TsComplex* reflection, const TsComplex* rawReference,
                                      const TsComplex* sourceMatch,
                                      const TsComplex* referenceTracking, int start, int stop,
                                      TsComplex* out);

}  // namespace Tessel
