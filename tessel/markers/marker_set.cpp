// SPDX-License-Identifier: Apache-2.0
// CMarkerSet: marker slots, the active marker, the data-provider accessors, search ranges,
// ProcessData and the trace statistics.
#include "tessel/markers/marker_set.h"

#include <algorithm>
#include <cmath>

#include "platform/measutil/interpolation.h"
#include "platform/measutil/statistics.h"
#include "tessel/core/status.h"
#include "tessel/format/format.h"

namespace Tessel {

bool CMarkerSet::m_bAllMeasCoupledMarkers = false;

namespace {

bool ValidNumber(long n) {
    return n >= 1 && n <= CMarkerSet::kMarkerCount;
}

// Tolerance on whole-index rounding, so a bound that FindNearestIndex returns a rounding error
// away from a point still includes that point.
constexpr double kIndexTolerance = 1e-9;

// The statistics block of a result record: what ComputeStatistics reports.
void CopyStatistics(const MarkerSetResults& from, MarkerSetResults& to) {
    to.statisticsDataFormat = from.statisticsDataFormat;
    to.statisticsShowing = from.statisticsShowing;
    to.statistic1 = from.statistic1;
    to.statistic2 = from.statistic2;
    to.peakToPeak = from.peakToPeak;
    to.statistic5 = from.statistic5;
    to.minimum = from.minimum;
    to.maximum = from.maximum;
}

}  // namespace

CMarkerSet::CMarkerSet() : coupledMarkers(m_bAllMeasCoupledMarkers) {}

CMarkerSet::CMarkerSet(const CMarkerSet& other) : coupledMarkers(other.coupledMarkers) {
    CopyFrom(other);
}

CMarkerSet& CMarkerSet::operator=(const CMarkerSet& other) {
    if (this != &other) {
        DestroyMarkers();
        CopyFrom(other);
    }
    return *this;
}

CMarkerSet::~CMarkerSet() {
    DestroyMarkers();
}

void CMarkerSet::DestroyMarkers() {
    for (CMarkerMR*& m : markers) {
        delete m;
        m = nullptr;
    }
}

// Copies every setting and result, and every marker as a new marker of this set whose
// reference is resolved among this set's markers.
void CMarkerSet::CopyFrom(const CMarkerSet& other) {
    dataProvider = other.dataProvider;
    busy = false;
    domainKind = other.domainKind;
    bandwidthLevel = other.bandwidthLevel;
    bandwidthTracking = other.bandwidthTracking;
    psatTracking = other.psatTracking;
    nopTracking = other.nopTracking;
    statsUserRange = other.statsUserRange;
    coupledMarkers = other.coupledMarkers;
    readouts = other.readouts;
    for (int k = 0; k < kMarkerCount; ++k) {
        if (other.markers[k] == nullptr)
            continue;
        markers[k] = new CMarkerMR(*other.markers[k]);
        markers[k]->owner = this;
        markers[k]->referenceMarker = nullptr;
        markers[k]->subscribers.clear();
    }
    for (CMarkerMR* m : markers) {
        if (m != nullptr)
            m->PutRefMarkerAfterRecall();
    }
}

void CMarkerSet::RequestRefresh(int reason) {
    if (!busy && dataProvider != nullptr)
        dataProvider->RequestRefresh(reason);
}

void CMarkerSet::Update() {
    RequestRefresh(0);
}

// ---- Slots ----

long CMarkerSet::CreateMarker(long number, CMarkerMR** marker) {
    if (marker != nullptr)
        *marker = nullptr;
    if (!ValidNumber(number))
        return kInvalidArg;
    CMarkerMR*& slot = markers[number - 1];
    if (slot != nullptr) {
        if (marker != nullptr)
            *marker = slot;
        return kFalse;
    }
    slot = new CMarkerMR(this, number);
    CMarkerMR* active = ValidNumber(readouts.activeMarkerNumber)
                            ? markers[readouts.activeMarkerNumber - 1]
                            : nullptr;
    const InputArray& stimulus = GetStimulusBuffer();
    if (active != nullptr) {
        slot->put_AbsoluteDomainValue(active->domainValue);
    } else {
        slot->put_AbsoluteDomainValue(stimulus.front() +
                                      (stimulus.back() - stimulus.front()) * 0.5);
        readouts.activeMarkerNumber = number;
    }
    RequestRefresh(1);
    if (marker != nullptr)
        *marker = slot;
    return kOk;
}

long CMarkerSet::GetMarker(long number, CMarkerMR** marker) const {
    if (marker == nullptr)
        return kInvalidArg;
    *marker = nullptr;
    if (!ValidNumber(number))
        return kInvalidArg;
    if (markers[number - 1] == nullptr)
        return kEmptyMarkerSlot;
    *marker = markers[number - 1];
    return kOk;
}

long CMarkerSet::RemoveMarker(long number) {
    if (!ValidNumber(number))
        return kInvalidArg;
    CMarkerMR*& slot = markers[number - 1];
    if (slot != nullptr) {
        delete slot;
        slot = nullptr;
        if (readouts.activeMarkerNumber == number) {
            readouts.activeMarkerNumber = 0;
            for (int k = 0; k < kMarkerCount && readouts.activeMarkerNumber == 0; ++k) {
                if (markers[k] != nullptr)
                    readouts.activeMarkerNumber = k + 1;
            }
        }
        if (number <= 4)
            bandwidthTracking = nopTracking = false;
        if (number <= 3)
            psatTracking = false;
    }
    RequestRefresh(0);
    return kFalse;
}

long CMarkerSet::get_ActiveMarker(CMarkerMR** marker) const {
    if (marker == nullptr)
        return kInvalidArg;
    *marker = nullptr;
    if (!ValidNumber(readouts.activeMarkerNumber))
        return kNoObject;
    *marker = markers[readouts.activeMarkerNumber - 1];
    return kOk;
}

long CMarkerSet::put_ActiveMarker(long number) {
    if (!ValidNumber(number) || markers[number - 1] == nullptr)
        return kInvalidArg;
    readouts.activeMarkerNumber = number;
    RequestRefresh(0);
    return kOk;
}

bool CMarkerSet::CreateMultipleMarkers(std::vector<long>& slots, long first) {
    const long count = static_cast<long>(slots.size());
    for (long i = 0; i < count; ++i) {
        if (!ValidNumber(first + i))
            return false;
    }
    for (long i = 0; i < count; ++i) {
        slots[i] = first + i - 1;
        CMarkerMR* marker = nullptr;
        CreateMarker(first + i, &marker);
    }
    return true;
}

bool CMarkerSet::CreateMarkerGroup(long first, int count, CMarkerMR* group[]) {
    if (!ValidNumber(first) || !ValidNumber(first + count - 1))
        return false;
    for (int i = 0; i < count; ++i)
        CreateMarker(first + i, &group[i]);
    return true;
}

long CMarkerSet::put_Interpolate(short on) {
    for (CMarkerMR* m : markers) {
        if (m != nullptr)
            m->put_Interpolate(on);
    }
    return kOk;
}

long CMarkerSet::put_MarkerFormat(MarkerFormatEnum) {
    return kNotImplemented;
}

// ---- Data provider ----

void CMarkerSet::GetBuffer(const InputArray*& stimulus,
                           const std::vector<float>*& formatted) const {
    stimulus = &GetStimulusBuffer();
    formatted = dataProvider != nullptr ? dataProvider->GetFormattedData() : nullptr;
}

void CMarkerSet::GetBuffers(const InputArray*& stimulus, const std::vector<TsComplex>*& complexData,
                            const std::vector<float>*& formatted) const {
    GetBuffer(stimulus, formatted);
    complexData = dataProvider != nullptr ? dataProvider->GetComplexData() : nullptr;
}

const InputArray& CMarkerSet::GetStimulusBuffer() const {
    static const InputArray empty;
    return dataProvider != nullptr ? dataProvider->GetStimulus() : empty;
}

Interface::TraceFormat CMarkerSet::GetTraceFormat() const {
    return dataProvider != nullptr ? dataProvider->GetTraceFormat() : Interface::TraceLogMag;
}

NAUnit CMarkerSet::GetTraceUnit() const {
    return dataProvider != nullptr ? dataProvider->GetDataUnit() : UnitNone;
}

NAUnit CMarkerSet::GetFormattedTraceUnit() const {
    return dataProvider != nullptr ? dataProvider->GetFormattedUnit() : UnitNone;
}

TsComplex CMarkerSet::GetSystemImpedance() const {
    return dataProvider != nullptr ? dataProvider->GetSystemImpedance() : TsComplex(50.0f, 0.0f);
}

double CMarkerSet::GetAuxStimulusValue() const {
    return dataProvider != nullptr ? dataProvider->GetAuxStimulusValue() : 0.0;
}

bool CMarkerSet::GetUserRange(long range, double& min, double& max) const {
    return dataProvider != nullptr && dataProvider->GetUserRange(range, min, max);
}

bool CMarkerSet::SetUserRangeMin(long range, const double& value) {
    return dataProvider != nullptr && dataProvider->SetUserRangeMin(range, value);
}

bool CMarkerSet::SetUserRangeMax(long range, const double& value) {
    return dataProvider != nullptr && dataProvider->SetUserRangeMax(range, value);
}

// ---- Search ranges ----

bool CMarkerSet::LimitedSpan(double& lo, double& hi, const InputArray& stimulus, long range) const {
    lo = hi = 0.0;
    if (stimulus.empty())
        return false;
    const double last = static_cast<double>(stimulus.size() - 1);
    double min = 0.0, max = 0.0;
    if (range <= 0 || !GetUserRange(range, min, max)) {
        hi = last;
        return true;
    }
    const double first = stimulus.front(), end = stimulus.back();
    const double from = std::max(std::min(first, end), std::min(min, max));
    const double to = std::min(std::max(first, end), std::max(min, max));
    if (!(from <= to))
        return false;
    lo = QuorUtility::FindNearestIndex(stimulus, 0.0, from);
    hi = QuorUtility::FindNearestIndex(stimulus, last, to);
    if (lo > hi)
        std::swap(lo, hi);
    return true;
}

double CMarkerSet::GetLimitedIndicies2(double& lo, double& hi, const InputArray& stimulus,
                                       long range) const {
    return LimitedSpan(lo, hi, stimulus, range) ? hi - lo : 0.0;
}

long CMarkerSet::GetLimitedIndicies(long& lo, long& hi, const InputArray& stimulus,
                                    long range) const {
    double l = 0.0, h = 0.0;
    lo = hi = 0;
    if (!LimitedSpan(l, h, stimulus, range))
        return 0;
    lo = static_cast<long>(std::ceil(l - kIndexTolerance));
    hi = static_cast<long>(std::floor(h + kIndexTolerance));
    if (hi < lo) {
        hi = lo;
        return 0;
    }
    return hi - lo + 1;
}

// ---- Statistics and coupling ----

bool CMarkerSet::SetUserRangeForStats(long range) {
    if (range > kMaxUserRange)
        return false;
    statsUserRange = range;
    RequestRefresh(0);
    return true;
}

void CMarkerSet::ShowStatistics(bool show) {
    if (show == readouts.statisticsShowing)
        return;
    readouts.statisticsShowing = show;
    readouts.bandwidthPriority = readouts.psatPriority = readouts.nopPriority = !show;
    RequestRefresh(0);
}

void CMarkerSet::set_CoupledMarkers(bool on) {
    coupledMarkers = on;
    m_bAllMeasCoupledMarkers = on;
}

long CMarkerSet::get_AllMeasCoupledMarkers(bool* on) {
    if (on != nullptr)
        *on = m_bAllMeasCoupledMarkers;
    return kOk;
}

void CMarkerSet::set_AllMeasCoupledMarkers(bool on) {
    m_bAllMeasCoupledMarkers = on;
}

// A range that runs past the end of the data is cut to the data.
void CMarkerSet::ComputeStatistics(MarkerSetResults* results) {
    if (dataProvider == nullptr || results == nullptr)
        return;
    const std::vector<TsComplex>* complexData = dataProvider->GetComplexData();
    const std::vector<float>* formatted = dataProvider->GetFormattedData();
    const InputArray& stimulus = dataProvider->GetStimulus();
    const DataFormat format = dataProvider->GetDataFormat();
    results->statisticsShowing = readouts.statisticsShowing;
    results->bandwidthPriority = readouts.bandwidthPriority;
    results->psatPriority = readouts.psatPriority;
    results->nopPriority = readouts.nopPriority;
    const std::size_t complexPoints = complexData != nullptr ? complexData->size() : 0;
    if (complexPoints < stimulus.size())
        return;
    long lo = 0, hi = 0;
    long count = GetLimitedIndicies(lo, hi, stimulus, statsUserRange);
    const float* run = nullptr;
    if (formatted != nullptr && !formatted->empty()) {
        count = std::clamp(static_cast<long>(formatted->size()) - lo, 0L, count);
        run = formatted->data() + lo;
    } else if (count > 0) {
        count = std::clamp(static_cast<long>(complexPoints) - lo, 0L, count);
        statsScratch.resize(static_cast<std::size_t>(count));
        Format().LogMag(complexData->data() + lo, statsScratch.data(), static_cast<int>(count));
        run = statsScratch.data();
    }
    float s[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    if (count > 0)
        QuorUtility::ComputeStats(run, run + count, s[0], s[1], s[2], s[3], s[4]);
    readouts.statistic1 = s[0];
    readouts.statistic2 = s[1];
    readouts.peakToPeak = double(s[3]) - s[2];
    readouts.statistic5 = s[4];
    readouts.minimum = s[2];
    readouts.maximum = s[3];
    readouts.statisticsDataFormat = format;
    CopyStatistics(readouts, *results);
}

// ---- ProcessData ----

// Slots are processed from 10 down to 1, but a delta marker's reference is brought up to date
// before the delta marker reads it, so a reference numbered below its delta marker is not one
// update behind. Each marker is updated once per pass.
void CMarkerSet::UpdateMarker(int slot, bool updateBucket, bool updateFromPosition,
                              const CMarkerMR::TraceData& trace, std::vector<MarkerResult>& results,
                              bool updated[]) {
    CMarkerMR* marker = markers[slot];
    if (marker == nullptr || updated[slot])
        return;
    updated[slot] = true;
    const long reference = marker->referenceMarkerNumber;
    if (marker->referenceMarker != nullptr && ValidNumber(reference) &&
        markers[reference - 1] == marker->referenceMarker)
        UpdateMarker(static_cast<int>(reference - 1), updateBucket, updateFromPosition, trace,
                     results, updated);
    marker->Update(updateBucket, updateFromPosition, true, trace.traceFormat, trace.formattedData,
                   trace.complexData, trace.dataUnit, trace.formattedUnit, *trace.stimulus,
                   results[slot]);
}

int CMarkerSet::ProcessData(bool updateBucket, bool updateFromPosition, MarkerSetResults* results,
                            std::vector<MarkerResult>& markerResults) {
    if (dataProvider == nullptr)
        return 0;
    busy = true;
    markerResults.resize(kMarkerCount);
    CMarkerMR::TraceData trace;
    trace.formattedData = dataProvider->GetFormattedData();
    trace.traceFormat = dataProvider->GetTraceFormat();
    trace.stimulus = &dataProvider->GetStimulus();
    trace.complexData = dataProvider->GetComplexData();
    trace.dataUnit = dataProvider->GetDataUnit();
    trace.formattedUnit = dataProvider->GetFormattedUnit();
    const DomainEnum kind =
        dataProvider->UseDomainKind3() ? DomainKind3 : dataProvider->GetDomain();
    if (kind != domainKind) {
        domainKind = kind;
        for (CMarkerMR* m : markers) {
            if (m != nullptr)
                m->DomainFromRelative(*trace.stimulus);
        }
    }
    if (bandwidthTracking)
        MarkerBandwidthInternal(1);
    else if (psatTracking)
        MarkerPowerSaturationInternal(1);
    else if (nopTracking)
        MarkerNOPInternal(1);

    if (results != nullptr) {
        // Everything but the statistics, which only ComputeStatistics reports.
        MarkerSetResults out = readouts;
        CopyStatistics(*results, out);
        *results = out;
    }
    bool updated[kMarkerCount] = {};
    for (int slot = kMarkerCount - 1; slot >= 0; --slot) {
        if (markers[slot] == nullptr)
            markerResults[slot].valid = false;
        else
            UpdateMarker(slot, updateBucket, updateFromPosition, trace, markerResults, updated);
    }
    busy = false;
    return 0;
}

}  // namespace Tessel
