// SPDX-License-Identifier: Apache-2.0
// LimitTestData: the state a LimitTest owns (settings, segment table, per-point limit cache and
// axis), with the steps that work on it alone: effective offsets, the limit-cache rebuild, the
// run-wise test of data against the cache, and the saved-record encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tessel/core/types.h"
#include "tessel/format/data_format.h"
#include "tessel/limittest/limittest.h"

namespace Tessel {

struct LimitTestData {
    LimitTestData() { table.reserve(LimitTest::kMaxSegments); }

    bool dirty = false;
    bool axisIsLog = false;
    Interface::LimitTestStimRespMode_t stimulusMode = Interface::OffsetNone;
    double stimulusOffset = 0.0;
    double startStimulus = 300000.0;
    Interface::LimitTestStimRespMode_t responseMaxMode = Interface::OffsetNone;
    float responseMaxOffset = 0.0f;
    Interface::LimitTestStimRespMode_t responseMinMode = Interface::OffsetNone;
    float responseMinOffset = 0.0f;
    std::vector<LimitSegment> table;
    // The cache: per axis point the effective upper and lower limit, and whether any row
    // covers the point (one bit per point, 64 to a word).
    std::vector<float> upper;
    std::vector<float> lower;
    std::vector<std::uint64_t> hasLimit;
    InputArray xAxis;
    std::int32_t numPoints = 0;

    // Offsets that act: the stimulus one by mode (1 the offset, 2 the start stimulus, any
    // other value none), the response ones when their mode is non-zero.
    double EffectiveStimulusOffset() const;
    float EffectiveMaxOffset() const { return responseMaxMode != 0 ? responseMaxOffset : 0.0f; }
    float EffectiveMinOffset() const { return responseMinMode != 0 ? responseMinOffset : 0.0f; }

    bool HasLimit(std::size_t i) const { return (hasLimit[i >> 6] >> (i & 63)) & 1u; }
};

namespace internal {

// The straight line through (x0, y0) and (x1, y1) at x, for x1 != x0. The form of the division
// depends on whether the line is steeper than 45 degrees; both forms give the same line.
double InterpolateLinear(double x, double x0, float y0, double x1, float y1);
// The same line in log10 of the stimulus.
double InterpolateLog(double x, double x0, float y0, double x1, float y1);

// Recomputes upper, lower and hasLimit for every axis point from the table and the effective
// offsets, and clears dirty.
void RebuildLimitCache(LimitTestData& d);

struct TestRunResult {
    Interface::LimitTestResult_t result;
    long length;  // points from the run's start with that result, at least 1
};

// Rebuilds the cache when dirty, then tests from point `start` (<= last) onward while the
// points give the result of `start`. Points from the end of the axis on give LimitNoResult
// as one run reaching `last`. `data` is read only at points inside the axis that have a limit.
TestRunResult TestRun(LimitTestData& d, const float* data, long start, long last,
                      DataFormat format);

// Saved record (layout in limittest.h's SaveData): the size of the record of `d`.
int RecordSize(const LimitTestData& d);
// Writes the record of `d` with `overall` into bytes[0 .. RecordSize).
void WriteRecord(const LimitTestData& d, Interface::LimitTestResult_t overall,
                 unsigned char* bytes);
// Loads a version-1 record of `size` bytes into `d` and `overall`; false (nothing loaded) for
// another version, a record shorter than it claims, or a row count outside 0..100.
bool ReadRecord(const unsigned char* bytes, std::size_t size, LimitTestData& d,
                Interface::LimitTestResult_t& overall);

}  // namespace internal
}  // namespace Tessel
