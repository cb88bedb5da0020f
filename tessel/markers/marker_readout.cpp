// SPDX-License-Identifier: Apache-2.0
// CMarkerMR computation: the update from the trace, the stored function, and the readout of
// the trace at the marker in every readout format.
//
// Points the data does not reach (a complex or formatted vector shorter than the stimulus)
// read as 0, so a short vector never leads to a read outside it.
#include <algorithm>
#include <cmath>

#include "platform/measutil/interpolation.h"
#include "tessel/core/services.h"
#include "tessel/core/status.h"
#include "tessel/format/format.h"
#include "tessel/format/format_functions.h"
#include "tessel/format/temperature.h"
#include "tessel/markers/internal/point_index.h"
#include "tessel/markers/marker.h"
#include "tessel/markers/marker_set.h"

namespace Tessel {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadiansToDegrees = 57.29578;
constexpr double kBoltzmann = 1.3806504e-23;
const wchar_t kNoLowerPeakMessage[] =
    L" Didn't find a lower amplitude peak that satisfied Excursion and Threshold.";

const InputArray& EmptyStimulus() {
    static const InputArray empty;
    return empty;
}

// Interpolates between two phases along the shorter arc through ±π, wrapped into [-π, π):
// the crossing point itself reads -π.
double InterpolatePhaseAcrossPi(double y0, double y1, double t) {
    double d = y1 - y0;
    d += d > 0.0 ? -2.0 * kPi : 2.0 * kPi;
    double v = y0 + d * t;
    // Rounding may leave the crossing a hair below π.
    if (v >= kPi - 1e-12)
        v -= 2.0 * kPi;
    else if (v < -kPi)
        v += 2.0 * kPi;
    return v;
}

TsComplex Lerp(const TsComplex& a, const TsComplex& b, double t) {
    return TsComplex(static_cast<float>(a.re + (double(b.re) - a.re) * t),
                     static_cast<float>(a.im + (double(b.im) - a.im) * t));
}

}  // namespace

// ---- Format tables ----

MarkerFormatEnum CMarkerMR::MarkerFormat(Interface::TraceFormat traceFormat) const {
    if (markerFormat != MkrDefault)
        return markerFormat;
    static constexpr MarkerFormatEnum kDefaults[] = {
        MkrRealImag, MkrImpedance, MkrAdmittance, MkrLogMag, MkrLinMag, MkrPhase,      MkrDelay,
        MkrSWR,      MkrReal,      MkrImag,       MkrPhase,  MkrKelvin, MkrFahrenheit, MkrCelsius};
    const int f = static_cast<int>(traceFormat);
    return f >= 0 && f <= 13 ? kDefaults[f] : MkrLogMag;
}

Interface::TraceFormat CMarkerMR::GetCorrespondingFormat(MarkerFormat_ component) {
    using namespace Interface;
    static constexpr TraceFormat kFormats[] = {
        TraceLinMag, TraceLogMag, TracePhase,      TraceDelay,   TraceReal, TraceImag,
        TraceSWR,    TraceNone,   TraceNone,       TraceNone,    TraceNone, TraceNone,
        TraceNone,   TraceKelvin, TraceFahrenheit, TraceCelsius, TraceNone};
    const int c = static_cast<int>(component);
    return c >= 0 && c <= CompNone ? kFormats[c] : TraceNone;
}

// Unknown formats (a corrupt saved record) have no component.
int CMarkerMR::ConvertToMarkerFormat(MarkerFormatEnum format, MarkerFormat_ c[3]) {
    switch (format) {
        case MkrLinMag:
            c[0] = CompLinMag;
            return 1;
        case MkrLogMag:
            c[0] = CompLogMag;
            return 1;
        case MkrPhase:
            c[0] = CompPhase;
            return 1;
        case MkrDelay:
            c[0] = CompDelay;
            return 1;
        case MkrReal:
            c[0] = CompReal;
            return 1;
        case MkrImag:
            c[0] = CompImag;
            return 1;
        case MkrSWR:
            c[0] = CompSWR;
            return 1;
        case MkrLinMagPhase:
            c[0] = CompLinMag;
            c[1] = CompPhase;
            return 2;
        case MkrLogMagPhase:
            c[0] = CompLogMag;
            c[1] = CompPhase;
            return 2;
        case MkrImpedance:
            c[0] = CompResistance;
            c[1] = CompReactance;
            c[2] = CompImpedanceLC;
            return 3;
        case MkrAdmittance:
            c[0] = CompConductance;
            c[1] = CompSusceptance;
            c[2] = CompAdmittanceLC;
            return 3;
        case MkrRealImag:
            c[0] = CompReal;
            c[1] = CompImag;
            return 2;
        case MkrKelvin:
            c[0] = CompKelvin;
            return 1;
        case MkrFahrenheit:
            c[0] = CompFahrenheit;
            return 1;
        case MkrCelsius:
            c[0] = CompCelsius;
            return 1;
        default:
            return 0;
    }
}

DataFormat CMarkerMR::ConvertToDataFormat(MarkerFormatEnum format) {
    static constexpr DataFormat kFormats[] = {
        FormatLinMag, FormatLogMag,     FormatPhase,   FormatDelay, FormatReal, FormatImag,
        FormatSWR,    FormatNone,       FormatNone,    FormatNone,  FormatNone, FormatNone,
        FormatKelvin, FormatFahrenheit, FormatCelsius, FormatNone};
    const int f = static_cast<int>(format);
    return f >= 0 && f <= MkrDefault ? kFormats[f] : FormatNone;
}

// ---- Update and compute ----

long CMarkerMR::Update(bool updateBucket, bool updateFromPosition, bool computeDomain,
                       Interface::TraceFormat traceFormat, const std::vector<float>* formatted,
                       const std::vector<TsComplex>* complexData, NAUnit dataUnit,
                       NAUnit formattedUnit, const InputArray& stimulus, MarkerResult& result) {
    const TraceData trace{&stimulus, complexData, formatted, dataUnit, formattedUnit, traceFormat};
    if (updateFromPosition)
        DomainFromRelative(stimulus);
    ComputeInternal(FuncCurrent, trace, computeDomain, updateBucket);

    result.position = interpolate ? bucket : std::floor(bucket + 0.5);
    result.responseValue = static_cast<float>(responseValue);
    result.dataFormat = dataFormat;
    result.value = rangeValue;
    result.stimulus = domainValue;
    result.displayFormat = displayFormat;
    double values[3] = {displayValues[0], displayValues[1], displayValues[2]};
    if (referenceMarker != nullptr) {
        MarkerFormatEnum format = displayFormat;
        double reference[3];
        NAUnit units[3];
        referenceMarker->ComputeDisplayValues(trace, format, reference, units);
        for (int k = 0; k < 3; ++k)
            values[k] -= reference[k];
        result.deltaValue = rangeValue - referenceMarker->rangeValue;
        result.deltaStimulus = domainValue - referenceMarker->domainValue;
        result.referenceMarkerNumber = referenceMarker->markerNumber;
    } else {
        result.deltaValue = rangeValue;
        result.deltaStimulus = domainValue;
        result.referenceMarkerNumber = 0;
    }
    for (int k = 0; k < 3; ++k) {
        result.displayValues[k] = static_cast<float>(values[k]);
        result.displayUnits[k] = displayUnits[k];
    }
    result.dataUnit = dataUnit;
    result.valid = true;
    result.compression = compression;
    return kOk;
}

long CMarkerMR::ComputeInternal(MarkerFunction function, const TraceData& trace, bool computeDomain,
                                bool updateBucket) {
    long domainResult = kOk;
    if (updateBucket && trace.stimulus != nullptr)
        domainResult = BucketFromDomain(*trace.stimulus);
    if (computeDomain)
        domainResult = ComputeDomainValue(function, trace);
    const long rangeResult = ComputeRangeValue(trace);
    return domainResult >= 0 && rangeResult < 0 ? rangeResult : domainResult;
}

long CMarkerMR::Compute(MarkerFunction function) {
    const TraceData trace = OwnerTraceData();
    const long domainResult = ComputeDomainValue(function, trace);
    const long rangeResult = ComputeRangeValue(trace);
    OwnerUpdate();
    return domainResult >= 0 && rangeResult < 0 ? rangeResult : domainResult;
}

long CMarkerMR::ComputeDomainValue(MarkerFunction function, const TraceData& trace) {
    const double before[4] = {domainValue, desiredDomainValue, bucket, relativePosition};
    if (function == FuncCurrent) {
        if (!functionTracking) {
            const int type = static_cast<int>(markerType);
            return type == 0 || type == 1 || type == 3 ? kFalse : kFail;
        }
        function = markerFunction;
    }
    if (function != FuncCompression)
        compression.computed = false;
    const InputArray& stimulus = trace.stimulus != nullptr ? *trace.stimulus : EmptyStimulus();
    const std::vector<float>* data = trace.formattedData;
    const bool logScale = trace.traceFormat == Interface::TraceLogMag;
    long status = kOk;
    switch (function) {
        case FuncMax:
            status = MkrMax(stimulus, data);
            break;
        case FuncNextPeak:
            status = MkrNextPeak(stimulus, data, logScale);
            if (status == kNoQualifyingPeak)
                GetService<QuorApp::IReportErrorInternal>()->ReportError(kNextPeakNotFoundReport,
                                                                         kNoLowerPeakMessage);
            break;
        case FuncPeakRight:
            status = MkrNextPeakRight(stimulus, data, logScale);
            break;
        case FuncPeakLeft:
            status = MkrNextPeakLeft(stimulus, data, logScale);
            break;
        case FuncMin:
            status = MkrMin(stimulus, data);
            break;
        case FuncTarget:
            status = MkrTargetSearch(trace, targetValue, bucket, true, true, true);
            break;
        case FuncTargetLeft:
            status = MkrTargetSearch(trace, targetValue, bucket, false, false, true);
            break;
        case FuncTargetRight:
            status = MkrTargetSearch(trace, targetValue, bucket, true, false, true);
            break;
        case FuncCompression:
            status = MkrCompressionSearch(trace);
            break;
        default:
            break;
    }
    DomainFromBucket(stimulus);
    if (status != kOk)
        return status;
    const double after[4] = {domainValue, desiredDomainValue, bucket, relativePosition};
    return std::equal(before, before + 4, after) ? kFalse : kOk;
}

long CMarkerMR::ComputeRangeValue(const TraceData& trace) {
    if (markerType != MkrFixed)
        LinearInterpolate(trace);
    MarkerFormatEnum format = MkrDefault;
    ComputeDisplayValues(trace, format, displayValues, displayUnits);
    displayFormat = format;
    dataFormat = ConvertToDataFormat(format);
    return kOk;
}

void CMarkerMR::LinearInterpolate(const TraceData& trace) {
    const std::vector<float>* f = trace.formattedData;
    const std::vector<TsComplex>* z = trace.complexData;
    if (!interpolate) {
        const std::size_t i = internal::PointIndex(bucket + 0.5, SIZE_MAX);
        if (trace.stimulus != nullptr && i < trace.stimulus->size())
            domainValue = trace.stimulus->at(i);
        responseValue = f != nullptr && i < f->size() ? (*f)[i] : 0.0;
        if (z != nullptr && i < z->size())
            rangeValue = (*z)[i];
        return;
    }
    // At or beyond the last point of a vector the fraction is 0: nothing past its end is read.
    auto split = [&](std::size_t size, std::size_t& i, double& ti) {
        i = internal::PointIndex(bucket, size);
        ti = i + 1 < size ? bucket - static_cast<double>(i) : 0.0;
    };
    std::size_t i = 0;
    double ti = 0.0;
    if (f != nullptr && !f->empty()) {
        split(f->size(), i, ti);
        responseValue = ti > 0.0 ? (*f)[i] + (double((*f)[i + 1]) - (*f)[i]) * ti : (*f)[i];
    } else {
        responseValue = 0.0;
    }
    if (z != nullptr && !z->empty()) {
        split(z->size(), i, ti);
        rangeValue = ti > 0.0 ? Lerp((*z)[i], (*z)[i + 1], ti) : (*z)[i];
    }
}

// ---- Readout ----

// With interpolation off every value reads the nearest point, the one whose stimulus and
// response the marker reports, so a marker at 10.7 shows point 11 throughout.
int CMarkerMR::ComputeDisplayValues(const TraceData& trace, MarkerFormatEnum& format,
                                    double values[3], NAUnit units[3]) const {
    if (format == MkrDefault)
        format = MarkerFormat(trace.traceFormat);
    for (int k = 0; k < 3; ++k) {
        values[k] = 0.0;
        units[k] = UnitNone;
    }
    MarkerFormat_ components[3] = {CompNone, CompNone, CompNone};
    const int count = ConvertToMarkerFormat(format, components);
    const std::size_t points = trace.stimulus != nullptr ? trace.stimulus->size() : 0;
    const double position = interpolate ? bucket : std::floor(bucket + 0.5);
    const int i = static_cast<int>(internal::PointIndex(position, points));
    const double t = static_cast<std::size_t>(i) + 1 < points && interpolate ? position - i : 0.0;
    const TsComplex none{0.0f, 0.0f};
    for (int k = 0; k < count; ++k) {
        const MarkerFormat_ c = components[k];
        if (t <= 0.0 || markerType == MkrFixed) {
            values[k] = ComplexToFormatted(i, trace, c, units[k], false, none, 0.0);
        } else if (c >= CompResistance && c <= CompAdmittanceLC) {
            const std::vector<TsComplex>* z = trace.complexData;
            const bool both = z != nullptr && static_cast<std::size_t>(i) + 1 < z->size();
            values[k] = both ? ComplexToFormatted(i, trace, c, units[k], true,
                                                  Lerp((*z)[i], (*z)[i + 1], t), t)
                             : ComplexToFormatted(i, trace, c, units[k], false, none, 0.0);
        } else {
            const double y0 = ComplexToFormatted(i, trace, c, units[k], false, none, 0.0);
            NAUnit unit = UnitNone;
            const double y1 = ComplexToFormatted(i + 1, trace, c, unit, false, none, 0.0);
            const bool phase = trace.traceFormat == Interface::TracePhase || c == CompPhase;
            values[k] = phase && std::abs(y1 - y0) > kPi ? InterpolatePhaseAcrossPi(y0, y1, t)
                                                         : y0 + (y1 - y0) * t;
        }
    }
    return count;
}

// The L/C components report the size of the inductance or capacitance, positive in both
// cases: the conversion already gives the capacitance as a positive value, and negating it
// would show a negative farad value.
double CMarkerMR::ComplexToFormatted(int index, const TraceData& trace, MarkerFormat_ component,
                                     NAUnit& unit, bool useGiven, const TsComplex& given,
                                     double fraction) const {
    const bool fixed = markerType == MkrFixed;
    const auto at = static_cast<std::size_t>(index);
    const Interface::TraceFormat traceFormat = trace.traceFormat == Interface::TraceSecondPhase
                                                   ? Interface::TracePhase
                                                   : trace.traceFormat;
    const Interface::TraceFormat own = GetCorrespondingFormat(component);
    const std::vector<float>* f = trace.formattedData;
    if (own != Interface::TraceNone && own == traceFormat && f != nullptr && !f->empty() &&
        (fixed || at < f->size())) {
        unit = trace.formattedUnit;
        if (unit == UnitDBm && referenceMarker != nullptr)
            unit = UnitDB;
        return fixed ? responseValue : (*f)[at];
    }
    const std::vector<TsComplex>* zs = trace.complexData;
    TsComplex z{0.0f, 0.0f};
    if (fixed)
        z = rangeValue;
    else if (useGiven)
        z = given;
    else if (zs != nullptr && at < zs->size())
        z = (*zs)[at];
    else
        return 0.0;
    const InputArray* s = trace.stimulus;
    const bool otherDomain = get_DomainEnum() != DomainFrequency;
    const TsComplex z0 = owner != nullptr ? owner->GetSystemImpedance() : TsComplex(50.0f, 0.0f);
    switch (component) {
        case CompLinMag:
            switch (trace.dataUnit) {
                case UnitVolts:
                    unit = UnitWatts;
                    return z.MagSquared() * 0.001;
                case UnitNone:
                    unit = UnitUnits;
                    return z.Mag();
                case UnitLinear:
                    unit = UnitUnits;
                    return z.re;
                case UnitK:
                    unit = UnitWatts;
                    return z.MagSquared() * kBoltzmann;
                default:
                    return 0.0;
            }
        case CompLogMag: {
            float out = 0.0f;
            switch (trace.dataUnit) {
                case UnitVolts:
                    unit = referenceMarker != nullptr ? UnitDB : UnitDBm;
                    return z.LogMag();
                case UnitLinear:
                    unit = UnitDB;
                    FormatData10LogMag(&z, &out, 1);
                    return out;
                case UnitK:
                    unit = UnitDBm;
                    FormatNoiseDensity(&z, &out, 1);
                    return out;
                default:
                    unit = UnitDB;
                    return z.LogMag();
            }
        }
        case CompPhase:
            unit = UnitRadians;
            return z.Phase();
        case CompDelay: {
            unit = UnitSeconds;
            if (zs == nullptr || s == nullptr)
                return 0.0;
            if (!otherDomain)
                return Format::Delay(*zs, *s, index);
            const std::size_t k = at == 0 ? 1 : at;
            if (k >= zs->size())
                return 0.0;
            const double aux = owner->GetAuxStimulusValue();
            return Format::Delay((*zs)[k - 1], (*zs)[k], aux, aux);
        }
        case CompReal:
            unit = UnitUnits;
            return z.re;
        case CompImag:
            unit = UnitUnits;
            return z.im;
        case CompSWR:
            unit = UnitNone;
            return z.SWR();
        case CompResistance:
            unit = UnitOhms;
            return z.Impedance(z0).re;
        case CompReactance:
            unit = UnitOhms;
            return z.Impedance(z0).im;
        case CompConductance:
            unit = UnitSiemens;
            return z.Admittance(z0).re;
        case CompSusceptance:
            unit = UnitSiemens;
            return z.Admittance(z0).im;
        case CompImpedanceLC:
        case CompAdmittanceLC: {
            if (s == nullptr || s->empty() || (!otherDomain && at >= s->size())) {
                unit = UnitNone;
                return 0.0;
            }
            double frequency = 0.0;
            if (otherDomain) {
                frequency = owner->GetAuxStimulusValue();
            } else {
                frequency = s->at(at);
                if (component == CompImpedanceLC && useGiven && at + 1 < s->size())
                    frequency += (s->at(at + 1) - frequency) * fraction;
            }
            bool capacitance = false;
            const double value =
                component == CompImpedanceLC
                    ? Format::Z_ToInductance(z.Impedance(z0), frequency, capacitance)
                    : Format::Y_ToInductance(z.Admittance(z0), frequency, capacitance);
            unit = capacitance ? UnitFarads : UnitHenries;
            return value;
        }
        case CompKelvin:
        case CompFahrenheit:
        case CompCelsius: {
            const NAUnit to = component == CompKelvin       ? UnitKelvin
                              : component == CompFahrenheit ? UnitFahrenheit
                                                            : UnitCelsius;
            float out = 0.0f;
            ConvertTemperature(&z, &out, 1, trace.dataUnit, to);
            unit = to;
            return out;
        }
        default:
            return 0.0;
    }
}

long CMarkerMR::GetAbsoluteFormattedValue(MarkerFormatEnum* format, std::vector<float>& values) {
    if (format == nullptr)
        return kInvalidArg;
    const TraceData trace = OwnerTraceData();
    double v[3];
    NAUnit units[3];
    const int count = ComputeDisplayValues(trace, *format, v, units);
    values.resize(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k)
        values[k] = static_cast<float>(v[k]);
    return kOk;
}

long CMarkerMR::GetFormattedValue(MarkerFormatEnum* format, std::vector<float>& values) {
    const long status = GetAbsoluteFormattedValue(format, values);
    if (status != kOk || referenceMarker == nullptr)
        return status;
    const TraceData trace = OwnerTraceData();
    double v[3];
    NAUnit units[3];
    referenceMarker->ComputeDisplayValues(trace, *format, v, units);
    for (std::size_t k = 0; k < values.size(); ++k)
        values[k] = static_cast<float>(values[k] - v[k]);
    return status;
}

bool CMarkerMR::FormatMarker(const MarkerResult& result, MarkerFormatEnum format, float z0,
                             float& first, float& second) {
    if (format == result.displayFormat) {
        first = result.displayValues[0];
        second = result.displayValues[1];
        return true;
    }
    const TsComplex& z = result.value;
    const TsComplex reference(z0, 0.0f);
    switch (format) {
        case MkrLinMag:
            first = static_cast<float>(z.Mag());
            return true;
        case MkrLogMag:
            first = static_cast<float>(z.LogMag());
            return true;
        case MkrPhase:
            first = static_cast<float>(z.Phase() * kRadiansToDegrees);
            return true;
        case MkrReal:
        case MkrKelvin:
        case MkrFahrenheit:
        case MkrCelsius:
            first = z.re;
            return true;
        case MkrImag:
            first = z.im;
            return true;
        case MkrSWR:
            first = static_cast<float>(z.SWR());
            return true;
        case MkrLinMagPhase:
            first = static_cast<float>(z.Mag());
            second = static_cast<float>(z.Phase() * kRadiansToDegrees);
            return true;
        case MkrLogMagPhase:
            first = static_cast<float>(z.LogMag());
            second = static_cast<float>(z.Phase() * kRadiansToDegrees);
            return true;
        case MkrImpedance: {
            const TsComplex w = z.Impedance(reference);
            first = w.re;
            second = w.im;
            return true;
        }
        case MkrAdmittance: {
            const TsComplex w = z.Admittance(reference);
            first = w.re;
            second = w.im;
            return true;
        }
        case MkrRealImag:
            first = z.re;
            second = z.im;
            return true;
        default:
            return false;
    }
}

}  // namespace Tessel
