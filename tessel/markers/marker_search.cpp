// SPDX-License-Identifier: Apache-2.0
// CMarkerMR searches: maximum, minimum, peaks, target crossings, the compression point, and
// the search ranges they run in.
//
// Every search reads the formatted trace data over the marker's search range (the stimulus
// span narrowed to the marker's user range) and leaves its result in `bucket`. A search range
// that holds no point (a user range that does not overlap the trace) is refused with
// kInvalidArg and leaves the marker where it is, like a trace without data. When the formatted
// data is shorter than the stimulus, the range is cut to the data.
#include <algorithm>
#include <cmath>

#include "platform/measutil/interpolation.h"
#include "tessel/core/status.h"
#include "tessel/markers/internal/point_index.h"
#include "tessel/markers/marker.h"
#include "tessel/markers/marker_set.h"

namespace Tessel {

namespace {

constexpr float kNoThreshold = -1e30f;
constexpr float kInvalidPeak = 1e30f;
constexpr double kSkipOffset = 1e-10;
constexpr double kDegreesToRadians = 0.017453292;

bool HasData(const std::vector<float>* data) {
    return data != nullptr && !data->empty();
}

}  // namespace

// ---- Search ranges ----

bool CMarkerMR::LimitedSpan(const InputArray& stimulus, double& lo, double& hi) const {
    if (owner != nullptr)
        return owner->LimitedSpan(lo, hi, stimulus, userRange);
    lo = 0.0;
    hi = stimulus.empty() ? 0.0 : static_cast<double>(stimulus.size() - 1);
    return !stimulus.empty();
}

double CMarkerMR::GetLimitedIndicies2(double& lo, double& hi, const InputArray& stimulus) const {
    if (!LimitedSpan(stimulus, lo, hi)) {
        lo = hi = 0.0;
        return 0.0;
    }
    return hi - lo;
}

long CMarkerMR::GetLimitedIndicies(long& lo, long& hi, const InputArray& stimulus) const {
    if (owner != nullptr)
        return owner->GetLimitedIndicies(lo, hi, stimulus, userRange);
    lo = 0;
    hi = stimulus.empty() ? 0 : static_cast<long>(stimulus.size()) - 1;
    return stimulus.empty() ? 0 : hi + 1;
}

long CMarkerMR::GetLimitedDataInfo(const InputArray& stimulus, double& startValue, long& startIndex,
                                   double& stopValue, long& stopIndex) const {
    double lo = 0.0, hi = 0.0;
    if (!LimitedSpan(stimulus, lo, hi)) {
        startValue = stopValue = 0.0;
        startIndex = stopIndex = 0;
        return 0;
    }
    startValue = QuorUtility::LinearInterpolate(stimulus, lo);
    stopValue = QuorUtility::LinearInterpolate(stimulus, hi);
    if (startValue > stopValue)
        std::swap(startValue, stopValue);
    return GetLimitedIndicies(startIndex, stopIndex, stimulus);
}

bool CMarkerMR::SearchRange(const InputArray& stimulus, const std::vector<float>& data, long& lo,
                            long& hi) const {
    if (GetLimitedIndicies(lo, hi, stimulus) <= 0)
        return false;
    hi = std::min(hi, static_cast<long>(data.size()) - 1);
    return lo <= hi;
}

// ---- Maximum and minimum ----

long CMarkerMR::MkrMax(const InputArray& stimulus, const std::vector<float>* data) {
    long lo = 0, hi = 0;
    if (!HasData(data) || !SearchRange(stimulus, *data, lo, hi))
        return kInvalidArg;
    const float* d = data->data();
    long best = lo;
    float value = d[lo];
    for (long i = lo + 1; i <= hi; ++i) {
        if (d[i] > value) {
            value = d[i];
            best = i;
        }
    }
    bucket = static_cast<double>(best);
    return kOk;
}

long CMarkerMR::MkrMin(const InputArray& stimulus, const std::vector<float>* data) {
    long lo = 0, hi = 0;
    if (!HasData(data) || !SearchRange(stimulus, *data, lo, hi))
        return kInvalidArg;
    const float* d = data->data();
    long best = lo;
    float value = d[lo];
    for (long i = lo + 1; i <= hi; ++i) {
        if (d[i] < value) {
            value = d[i];
            best = i;
        }
    }
    bucket = static_cast<double>(best);
    return kOk;
}

// ---- Peaks ----

bool CMarkerMR::LocalMaxRight(const float*& cursor, const float* limit, const float* last) {
    if (cursor >= limit)
        return false;
    const float* p = cursor + 1;
    for (; p < limit; ++p) {
        if (p[-1] < *p && p[1] < *p) {
            cursor = p;
            return true;
        }
    }
    if (p[-1] < *p && (p == last || p[1] < *p)) {
        cursor = p;
        return true;
    }
    return false;
}

bool CMarkerMR::LocalMaxLeft(const float*& cursor, const float* limit, const float* first) {
    if (cursor <= limit)
        return false;
    const float* p = cursor - 1;
    for (; p > limit; --p) {
        if (p[1] < *p && p[-1] < *p) {
            cursor = p;
            return true;
        }
    }
    if (p[1] < *p && (p == first || p[-1] < *p)) {
        cursor = p;
        return true;
    }
    return false;
}

bool CMarkerMR::PeakTest(const float* first, const float* last, float excursion,
                         const float* peak) {
    const float top = *peak;
    for (const float* p = peak; p > first;) {
        --p;
        if (*p + excursion < top)
            break;
        if (*p > top)
            return false;
    }
    for (const float* p = peak; p < last;) {
        ++p;
        if (*p + excursion < top)
            break;
        if (*p > top)
            return false;
    }
    return true;
}

long CMarkerMR::PeakRightOrLeft(const InputArray& stimulus, const std::vector<float>* data,
                                bool logScale, bool right) {
    long lo = 0, hi = 0;
    if (!HasData(data) || !SearchRange(stimulus, *data, lo, hi))
        return kInvalidArg;
    const float threshold = logScale ? peakThreshold : kNoThreshold;
    const float excursion = logScale ? peakExcursion : 0.0f;
    const float* first = data->data();
    const float* last = first + data->size() - 1;
    const float* cursor = first + internal::PointIndex(bucket + kSkipOffset, data->size());
    const float* limit = first + (right ? hi : lo);
    while (right ? LocalMaxRight(cursor, limit, last) : LocalMaxLeft(cursor, limit, first)) {
        if (*cursor < kInvalidPeak && *cursor >= threshold &&
            PeakTest(first, last, excursion, cursor)) {
            bucket = static_cast<double>(cursor - first);
            return kOk;
        }
    }
    return kNoQualifyingPeak;
}

long CMarkerMR::MkrNextPeakRight(const InputArray& stimulus, const std::vector<float>* data,
                                 bool logScale) {
    return PeakRightOrLeft(stimulus, data, logScale, true);
}

long CMarkerMR::MkrNextPeakLeft(const InputArray& stimulus, const std::vector<float>* data,
                                bool logScale) {
    return PeakRightOrLeft(stimulus, data, logScale, false);
}

long CMarkerMR::MkrNextPeak(const InputArray& stimulus, const std::vector<float>* data,
                            bool logScale) {
    long lo = 0, hi = 0;
    if (!HasData(data) || !SearchRange(stimulus, *data, lo, hi))
        return kInvalidArg;
    const float excursion = logScale ? peakExcursion : 0.0f;
    const float* first = data->data();
    const float* last = first + data->size() - 1;
    const float current = first[internal::PointIndex(bucket, data->size())];
    float best = logScale ? peakThreshold : kNoThreshold;
    const float* found = nullptr;
    const float* cursor = first + lo;
    const float* limit = first + hi;
    while (LocalMaxRight(cursor, limit, limit)) {
        if (*cursor < current && *cursor >= best && PeakTest(first, last, excursion, cursor)) {
            best = *cursor;
            found = cursor;
        }
    }
    if (found == nullptr)
        return kNoQualifyingPeak;
    bucket = static_cast<double>(found - first);
    return kOk;
}

// ---- Target and compression ----

long CMarkerMR::MkrTargetSearch(const TraceData& trace, float target, double start,
                                bool searchRight, bool wrap, bool skipCurrent) {
    if (!HasData(trace.formattedData) || trace.stimulus == nullptr)
        return kInvalidArg;
    const std::vector<float>& data = *trace.formattedData;
    double value = target;
    if (trace.traceFormat == Interface::TracePhase ||
        trace.traceFormat == Interface::TraceSecondPhase)
        value = target * kDegreesToRadians;
    if (referenceMarker != nullptr) {
        MarkerFormatEnum format = MarkerFormat(trace.traceFormat);
        double values[3];
        NAUnit units[3];
        referenceMarker->ComputeDisplayValues(trace, format, values, units);
        value += values[0];
    }
    double lo = 0.0, hi = 0.0;
    if (!LimitedSpan(*trace.stimulus, lo, hi))
        return kInvalidArg;
    if (skipCurrent)
        start += searchRight ? kSkipOffset : -kSkipOffset;
    const int lastIndex = static_cast<int>(data.size()) - 1;
    double result = 0.0;
    bool found =
        QuorUtility::ValueSearch(start, data, lastIndex, lo, hi, searchRight, value, result);
    if (!found && wrap) {
        found =
            searchRight
                ? QuorUtility::ValueSearch(lo, data, lastIndex, lo, start, true, value, result)
                : QuorUtility::ValueSearch(hi, data, lastIndex, start, hi, false, value, result);
    }
    if (!found)
        return kTargetNotFound;
    bucket = result;
    return kOk;
}

long CMarkerMR::MkrCompressionSearch(const TraceData& trace) {
    if (!HasData(trace.formattedData) || trace.stimulus == nullptr || trace.stimulus->empty())
        return kInvalidArg;
    const std::vector<float>& gain = *trace.formattedData;
    const double g0 = gain[0];
    long status = MkrTargetSearch(trace, static_cast<float>(g0 - compression.compressionLevel), 0.0,
                                  true, false, true);
    if (status == kTargetNotFound)
        status = kCompressionNotFound;
    else if (status != kOk)
        return status;
    compression.found = status == kOk;
    if (!compression.found) {
        double lo = 0.0, hi = 0.0;
        GetLimitedIndicies2(lo, hi, *trace.stimulus);
        bucket = hi;
    }
    const double last = static_cast<double>(trace.stimulus->size() - 1);
    const double b = std::clamp(interpolate ? bucket : std::floor(bucket + 0.5), 0.0, last);
    const double gainAtB = QuorUtility::LinearInterpolate(gain, b);
    compression.inputPower = QuorUtility::LinearInterpolate(*trace.stimulus, b);
    compression.outputPower = compression.inputPower + gainAtB;
    compression.measuredCompression = g0 - gainAtB;
    compression.computed = true;
    return status;
}

}  // namespace Tessel
