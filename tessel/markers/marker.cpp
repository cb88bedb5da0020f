// SPDX-License-Identifier: Apache-2.0
// CMarkerMR: construction, settings, positions, reference links and the SCPI value interface.
#include "tessel/markers/marker.h"

#include <algorithm>
#include <cmath>

#include "platform/measutil/interpolation.h"
#include "tessel/core/status.h"
#include "tessel/markers/internal/point_index.h"
#include "tessel/markers/marker_set.h"

namespace Tessel {

namespace {

constexpr float kPeakLimit = 500.0f;
constexpr double kDegreesToRadians = 0.017453292519943295;

// Clamps v to -500..500; reports whether it had to.
bool ClampPeakSetting(float& v) {
    const float c = std::clamp(v, -kPeakLimit, kPeakLimit);
    const bool clamped = c != v;
    v = c;
    return clamped;
}

}  // namespace

CMarkerMR::CMarkerMR(CMarkerSet* set, long number) : owner(set), markerNumber(number) {}

CMarkerMR::CMarkerMR(CMarkerSet* set) : CMarkerMR(set, 0) {}

CMarkerMR::CMarkerMR(const CMarkerMR& other) = default;

CMarkerMR& CMarkerMR::operator=(const CMarkerMR& other) = default;

CMarkerMR::~CMarkerMR() {
    if (referenceMarker != nullptr)
        referenceMarker->UnsubscribeChangeEvent(this);
    FireMRChangeEvent(0, 0);
}

long CMarkerMR::get_MarkerNum(long* number) const {
    if (number == nullptr)
        return kInvalidArg;
    *number = markerNumber;
    return kOk;
}

DomainEnum CMarkerMR::get_DomainEnum() const {
    return owner != nullptr ? owner->GetDomainEnum() : DomainFrequency;
}

void CMarkerMR::OwnerUpdate() {
    if (owner != nullptr)
        owner->Update();
}

CMarkerMR::TraceData CMarkerMR::OwnerTraceData() const {
    TraceData trace;
    if (owner == nullptr)
        return trace;
    owner->GetBuffers(trace.stimulus, trace.complexData, trace.formattedData);
    trace.traceFormat = owner->GetTraceFormat();
    trace.formattedUnit = owner->GetFormattedTraceUnit();
    trace.dataUnit = owner->GetTraceUnit();
    return trace;
}

// ---- Settings ----

long CMarkerMR::put_MarkerFormat(MarkerFormatEnum format) {
    markerFormat = format;
    OwnerUpdate();
    return kOk;
}

long CMarkerMR::get_MarkerFormat(MarkerFormatEnum* format) const {
    if (format == nullptr)
        return kInvalidArg;
    *format = markerFormat;
    return kOk;
}

long CMarkerMR::put_MarkerFunction(MarkerFunction function) {
    markerFunction = function;
    return kOk;
}

bool CMarkerMR::SetFunctionTracking(bool on) {
    functionTracking = on;
    if (on)
        OwnerUpdate();
    return true;
}

long CMarkerMR::put_Type(MarkerType type) {
    markerType = type;
    OwnerUpdate();
    return kOk;
}

long CMarkerMR::put_PeakThreshold(float value) {
    const bool clamped = ClampPeakSetting(value);
    peakThreshold = value;
    return clamped ? kMarkerValueClamped : kOk;
}

long CMarkerMR::put_PeakExcursion(float value) {
    const bool clamped = ClampPeakSetting(value);
    peakExcursion = value;
    return clamped ? kMarkerValueClamped : kOk;
}

long CMarkerMR::put_TargetValue(float value) {
    targetValue = value;
    return kOk;
}

long CMarkerMR::put_Interpolate(short on) {
    const bool value = on != 0;
    const bool changed = value != interpolate;
    interpolate = value;
    if (changed && compression.computed)
        Compute(FuncCompression);
    if (owner != nullptr && !owner->GetStimulusBuffer().empty())
        BucketFromDomain(owner->GetStimulusBuffer());
    return kOk;
}

long CMarkerMR::get_Interpolate(short* on) const {
    if (on == nullptr)
        return kInvalidArg;
    *on = interpolate ? 1 : 0;
    return kOk;
}

long CMarkerMR::SetCompressionLevel(double& level) {
    compression.compressionLevel = level;
    Compute(FuncCompression);
    return kOk;
}

long CMarkerMR::GetCompressionLevel(double* level) const {
    if (level == nullptr)
        return kInvalidArg;
    *level = compression.compressionLevel;
    return kOk;
}

long CMarkerMR::GetCompPowerIn(double* power) const {
    if (power == nullptr)
        return kInvalidArg;
    *power = compression.inputPower;
    return kOk;
}

long CMarkerMR::GetCompPowerOut(double* power) const {
    if (power == nullptr)
        return kInvalidArg;
    *power = compression.outputPower;
    return kOk;
}

long CMarkerMR::get_DomainValueUsingDomainIndex() const {
    return kNotImplemented;
}

// ---- Positions ----

void CMarkerMR::DomainFromBucket(const InputArray& stimulus) {
    const std::size_t n = stimulus.size();
    if (n == 0)
        return;
    const double last = static_cast<double>(n - 1);
    bucket = std::min(bucket, last);
    // A single-point axis has no span to be relative to: its one point is position 0.
    relativePosition = n > 1 ? bucket / last : 0.0;
    domainValue = desiredDomainValue = QuorUtility::LinearInterpolate(stimulus, bucket);
}

void CMarkerMR::DomainFromRelative(const InputArray& stimulus) {
    const std::size_t n = stimulus.size();
    if (n == 0)
        return;
    const double last = static_cast<double>(n - 1);
    bucket = std::min(relativePosition * last, last);
    domainValue = desiredDomainValue = QuorUtility::LinearInterpolate(stimulus, bucket);
}

long CMarkerMR::BucketFromDomain(const InputArray& stimulus) {
    const std::size_t n = stimulus.size();
    if (n == 0)
        return kFalse;
    const double first = stimulus.front(), last = stimulus.back();
    domainValue = std::clamp(desiredDomainValue, std::min(first, last), std::max(first, last));
    bucket = QuorUtility::FindNearestIndex(stimulus, bucket, domainValue);
    relativePosition = n > 1 ? bucket / static_cast<double>(n - 1) : 0.0;
    if (!interpolate) {
        domainValue = stimulus.at(internal::PointIndex(bucket + 0.5, n));
    }
    return domainValue == desiredDomainValue ? kOk : kFalse;
}

// A user range that does not overlap the stimulus leaves no span to move in: refused with
// kInvalidArg, nothing changed.
long CMarkerMR::put_AbsoluteDomainValue(double value) {
    if (owner == nullptr || owner->GetStimulusBuffer().empty())
        return kFalse;
    const InputArray& stimulus = owner->GetStimulusBuffer();
    double startValue = 0.0, stopValue = 0.0;
    if (!LimitedValues(stimulus, startValue, stopValue) || std::isnan(value))
        return kInvalidArg;
    const double clamped = std::clamp(value, startValue, stopValue);
    desiredDomainValue = clamped;
    BucketFromDomain(stimulus);
    OwnerUpdate();
    return clamped != value ? kMarkerValueClamped : kOk;
}

bool CMarkerMR::LimitedValues(const InputArray& stimulus, double& startValue,
                              double& stopValue) const {
    long startIndex = 0, stopIndex = 0;
    double lo = 0.0, hi = 0.0;
    if (!LimitedSpan(stimulus, lo, hi))
        return false;
    GetLimitedDataInfo(stimulus, startValue, startIndex, stopValue, stopIndex);
    return true;
}

long CMarkerMR::get_AbsoluteDomainValue(double* value) const {
    if (value == nullptr)
        return kInvalidArg;
    *value = domainValue;
    return kOk;
}

long CMarkerMR::put_DomainValue(double value) {
    if (referenceMarker != nullptr)
        return put_AbsoluteDomainValue(referenceMarker->domainValue + value);
    return put_AbsoluteDomainValue(value);
}

long CMarkerMR::get_DomainValue(double* value) const {
    if (value == nullptr)
        return kInvalidArg;
    *value = domainValue - (referenceMarker != nullptr ? referenceMarker->domainValue : 0.0);
    return kOk;
}

// Refused with kInvalidArg, nothing changed, when the user range does not overlap the stimulus.
long CMarkerMR::put_AbsoluteBucketPosition(double position) {
    if (owner == nullptr || owner->GetStimulusBuffer().empty())
        return kFalse;
    const InputArray& stimulus = owner->GetStimulusBuffer();
    double lo = 0.0, hi = 0.0;
    if (!LimitedSpan(stimulus, lo, hi) || std::isnan(position))
        return kInvalidArg;
    long first = 0, last = 0;
    GetLimitedIndicies(first, last, stimulus);
    const double clamped =
        std::clamp(position, static_cast<double>(first), static_cast<double>(last));
    bucket = clamped;
    DomainFromBucket(stimulus);
    OwnerUpdate();
    return clamped != position ? kMarkerValueClamped : kOk;
}

long CMarkerMR::get_AbsoluteBucketPosition(double* position) const {
    if (position == nullptr)
        return kInvalidArg;
    *position = bucket;
    return kOk;
}

double CMarkerMR::MoveBucket(double position) {
    put_AbsoluteBucketPosition(position);
    return bucket;
}

long CMarkerMR::GetMaxBucket() const {
    return owner != nullptr ? static_cast<long>(owner->GetStimulusBuffer().size()) - 1 : -1;
}

long CMarkerMR::UpdateBuketFromValue(double value) {
    if (owner == nullptr || owner->GetStimulusBuffer().empty())
        return kFalse;
    const InputArray points(owner->GetStimulusBuffer().GetArray());
    double startValue = 0.0, stopValue = 0.0;
    if (!LimitedValues(points, startValue, stopValue))
        return kInvalidArg;
    const double clamped = std::clamp(value, startValue, stopValue);
    desiredDomainValue = clamped;
    BucketFromDomain(points);
    return clamped != value ? kMarkerValueClamped : kOk;
}

long CMarkerMR::put_AbsoluteRangeValue(TsComplex value) {
    if (markerType != MkrFixed)
        return kRangeValueOnlyOnFixedMarker;
    const Interface::TraceFormat traceFormat =
        owner != nullptr ? owner->GetTraceFormat() : Interface::TraceLogMag;
    if (MarkerFormat(traceFormat) == MkrPhase) {
        responseValue = value.re * kDegreesToRadians;
    } else {
        responseValue = value.re;
        rangeValue = value;
    }
    OwnerUpdate();
    return kOk;
}

long CMarkerMR::get_AbsoluteRangeValue(TsComplex* value) const {
    if (value == nullptr)
        return kInvalidArg;
    *value = rangeValue;
    return kOk;
}

// ---- Reference marker ----

// A number that names no marker of the set is refused with the set's status (0x80070057 or
// 0x80004004) and leaves the current reference in place.
long CMarkerMR::put_ReferenceMarker(long number) {
    if (number == 0) {
        if (referenceMarker != nullptr)
            referenceMarker->UnsubscribeChangeEvent(this);
        referenceMarker = nullptr;
        referenceMarkerNumber = 0;
        return kOk;
    }
    if (owner == nullptr)
        return kNoObject;
    CMarkerMR* reference = nullptr;
    const long status = owner->GetMarker(number, &reference);
    if (status != kOk)
        return status;
    if (referenceMarker != nullptr)
        referenceMarker->UnsubscribeChangeEvent(this);
    reference->SubscribeChangeEvent(this);
    referenceMarker = reference;
    referenceMarkerNumber = reference->markerNumber;
    OwnerUpdate();
    return kOk;
}

long CMarkerMR::get_ReferenceMarker(CMarkerMR** marker) const {
    if (marker == nullptr)
        return kInvalidArg;
    *marker = referenceMarker;
    return referenceMarker != nullptr ? kOk : kNoObject;
}

unsigned long CMarkerMR::SubscribeChangeEvent(CMarkerMR* marker) {
    if (marker == nullptr)
        return 0;
    subscribers.insert(marker);
    return reinterpret_cast<unsigned long>(this);
}

unsigned long CMarkerMR::UnsubscribeChangeEvent(CMarkerMR* marker) {
    if (marker == nullptr)
        return 0;
    subscribers.erase(marker);
    return reinterpret_cast<unsigned long>(this);
}

void CMarkerMR::FireMRChangeEvent(unsigned long, unsigned long) {
    for (CMarkerMR* subscriber : subscribers)
        subscriber->MRChanged(0, 0, 0);
}

void CMarkerMR::MRChanged(unsigned long, unsigned long, unsigned long) {
    referenceMarker = nullptr;
    referenceMarkerNumber = 0;
}

void CMarkerMR::PutRefMarkerAfterRecall() {
    if (referenceMarkerNumber == 0 || owner == nullptr)
        return;
    CMarkerMR* reference = nullptr;
    if (owner->GetMarker(referenceMarkerNumber, &reference) == kOk) {
        referenceMarker = reference;
        reference->SubscribeChangeEvent(this);
    }
}

// ---- User ranges ----

double CMarkerMR::GetUserRangeMin(long range) const {
    double min = 0.0, max = 0.0;
    if (owner != nullptr)
        owner->GetUserRange(range, min, max);
    return min;
}

double CMarkerMR::GetUserRangeMax(long range) const {
    double min = 0.0, max = 0.0;
    if (owner != nullptr)
        owner->GetUserRange(range, min, max);
    return max;
}

bool CMarkerMR::SetUserRangeMin(long range, double& value) {
    return owner != nullptr && owner->SetUserRangeMin(range, value);
}

bool CMarkerMR::SetUserRangeMax(long range, double& value) {
    return owner != nullptr && owner->SetUserRangeMax(range, value);
}

// ---- SCPI values ----

long CMarkerMR::SetValue(int id, double value) {
    switch (id) {
        case 1:
            return put_PeakExcursion(static_cast<float>(value));
        case 2:
            return put_PeakThreshold(static_cast<float>(value));
        case 3:
            return put_DomainValue(value);
        default:
            throw kInvalidArg;
    }
}

long CMarkerMR::SetValue(int, int) {
    throw kInvalidArg;
}

long CMarkerMR::GetValue(Interface::SCPIMinOrMax, int, int&) {
    throw kInvalidArg;
}

long CMarkerMR::GetValue(Interface::SCPIMinOrMax which, int id, double& value) {
    if (id == 1 || id == 2) {
        const float current = id == 1 ? peakExcursion : peakThreshold;
        value = which == Interface::SCPIMinimum   ? -kPeakLimit
                : which == Interface::SCPIMaximum ? kPeakLimit
                                                  : current;
        return kOk;
    }
    if (id != 3)
        throw kInvalidArg;
    if (which != Interface::SCPIMinimum && which != Interface::SCPIMaximum)
        return get_DomainValue(&value);
    double startValue = 0.0, stopValue = 0.0;
    if (owner != nullptr)
        LimitedValues(owner->GetStimulusBuffer(), startValue, stopValue);
    if (referenceMarker == nullptr) {
        value = which == Interface::SCPIMinimum ? startValue : stopValue;
    } else {
        const double span = stopValue - startValue;
        value = which == Interface::SCPIMinimum ? -span : span;
    }
    return kOk;
}

}  // namespace Tessel
