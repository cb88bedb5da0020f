// SPDX-License-Identifier: Apache-2.0
// The per-point limit cache of a limit test and the run-wise test of data against it.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "tessel/limittest/internal/limit_test_data.h"

namespace Tessel {

double LimitTestData::EffectiveStimulusOffset() const {
    switch (stimulusMode) {
        case Interface::OffsetValue:
            return stimulusOffset;
        case Interface::OffsetStartStimulus:
            return startStimulus;
        default:
            // A recalled record may carry any mode; only 1 and 2 add anything.
            return 0.0;
    }
}

namespace internal {
namespace {

// Radians to degrees, as the factor 1 / (π / 180).
constexpr double kDegreesPerRadian = 1.0 / (M_PI / 180.0);

// The straight line through (x0, y0) and (x1, y1) at x, with the stimulus coordinates already
// in the space of the line (linear or log10).
double Line(double x, double x0, float y0, double x1, float y1) {
    if (y1 == y0)
        return y1;
    const double dx = x1 - x0;
    const double dy = static_cast<double>(y1) - static_cast<double>(y0);
    if (std::fabs(dy) >= std::fabs(dx))
        return (x - x0) / (dx * (1.0 / dy)) + y0;
    return y0 + (x - x0) * (dy / dx);
}

bool Covers(double b, double e, double x) {
    return (b <= x && x <= e) || (e <= x && x <= b);
}

// Folds one active row into the cache. `lineX` holds the stimulus of every point in the space
// of the line (log10 of the stimulus on a logarithmic axis).
void AddRow(LimitTestData& d, const LimitSegment& row, const std::vector<double>& x,
            const std::vector<double>& lineX, double stimulusOffset) {
    const bool isMax = row.type == SegmentMax;
    const double b = row.beginStimulus + stimulusOffset;
    const double e = row.endStimulus + stimulusOffset;
    // Offsets are added in 32 bits, as the responses are stored; GetLimitLineValues draws the
    // same sums.
    const float offset = isMax ? d.EffectiveMaxOffset() : d.EffectiveMinOffset();
    const float r0 = row.beginResponse + offset;
    const float r1 = row.endResponse + offset;
    const bool vertical = e == b;
    const double lb = d.axisIsLog ? std::log10(b) : b;
    const double le = d.axisIsLog ? std::log10(e) : e;
    const std::size_t n = std::min(x.size(), d.upper.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (!Covers(b, e, x[i]))
            continue;
        const double limit = vertical ? std::min(r0, r1) : Line(lineX[i], lb, r0, le, r1);
        if (isMax) {
            if (limit < d.upper[i])
                d.upper[i] = static_cast<float>(limit);
        } else if (limit > d.lower[i]) {
            d.lower[i] = static_cast<float>(limit);
        }
        d.hasLimit[i >> 6] |= std::uint64_t{1} << (i & 63);
    }
}

template <bool kDegrees>
Interface::LimitTestResult_t PointResult(const LimitTestData& d, const float* data, std::size_t j) {
    if (!d.HasLimit(j))
        return Interface::LimitNoResult;
    float v = data[j];
    if (kDegrees) {
        // Degrees are computed in double and rounded to 32 bits, the precision of the data
        // and of the limits, so a phase the user reads as 90 degrees (float π/2, 90.0000025
        // in double) compares as 90 and passes a limit of 90.
        v = static_cast<float>(v * kDegreesPerRadian);
    }
    return (d.lower[j] > v || v > d.upper[j]) ? Interface::LimitFail : Interface::LimitPass;
}

template <bool kDegrees>
long RunLength(const LimitTestData& d, const float* data, long start, long last,
               Interface::LimitTestResult_t r) {
    long j = start + 1;
    while (j <= last && PointResult<kDegrees>(d, data, static_cast<std::size_t>(j)) == r)
        ++j;
    return j - start;
}

}  // namespace

double InterpolateLinear(double x, double x0, float y0, double x1, float y1) {
    return Line(x, x0, y0, x1, y1);
}

double InterpolateLog(double x, double x0, float y0, double x1, float y1) {
    return Line(std::log10(x), std::log10(x0), y0, std::log10(x1), y1);
}

void RebuildLimitCache(LimitTestData& d) {
    d.dirty = false;
    const std::size_t n = d.numPoints > 0 ? static_cast<std::size_t>(d.numPoints) : 0;
    d.upper.assign(n, FLT_MAX);
    d.lower.assign(n, -FLT_MAX);
    d.hasLimit.assign((n + 63) / 64, 0);
    if (n == 0)
        return;
    const auto points = d.xAxis.GetArrayPtr();
    const std::vector<double>& x = *points;
    std::vector<double> logX;
    if (d.axisIsLog) {
        logX.resize(n);
        std::transform(x.begin(), x.end(), logX.begin(), [](double v) { return std::log10(v); });
    }
    const double stimulusOffset = d.EffectiveStimulusOffset();
    // Rows fold in by min / max, so their order does not matter; row by row keeps the inner
    // loop over contiguous points.
    for (const LimitSegment& row : d.table) {
        if (row.type == SegmentMax || row.type == SegmentMin)
            AddRow(d, row, x, d.axisIsLog ? logX : x, stimulusOffset);
    }
}

TestRunResult TestRun(LimitTestData& d, const float* data, long start, long last,
                      DataFormat format) {
    if (d.dirty)
        RebuildLimitCache(d);
    if (start >= d.numPoints)
        return {Interface::LimitNoResult, last - start + 1};
    last = std::min<long>(last, d.numPoints - 1);
    const auto j = static_cast<std::size_t>(start);
    if (format == FormatPhase || format == FormatUnwrappedPhase) {
        const auto r = PointResult<true>(d, data, j);
        return {r, RunLength<true>(d, data, start, last, r)};
    }
    const auto r = PointResult<false>(d, data, j);
    return {r, RunLength<false>(d, data, start, last, r)};
}

}  // namespace internal
}  // namespace Tessel
