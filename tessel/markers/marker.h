// SPDX-License-Identifier: Apache-2.0
// Tessel::CMarkerMR: one marker on one trace.
//
// A marker holds its position three ways: as a fractional point index (`bucket`), as that
// index over the last point index (`relativePosition`) and as the stimulus value there
// (`domainValue`, interpolated linearly between points). `desiredDomainValue` remembers the
// stimulus value last asked for, so the marker returns to it when the stimulus changes. On
// every update the marker reads the trace's formatted and complex data at its position and
// turns them into up to three display values in its readout format. A delta marker shows its
// values minus those of its reference marker, another marker of the same set; the reference
// keeps the delta markers that use it in `subscribers` and clears their references when it is
// destroyed.
//
// Markers are created and owned by a CMarkerSet, which gives them the trace through its data
// provider. The searches (maximum, minimum, peaks, target crossings, compression point) move
// the marker's bucket; see marker_search.cpp.
//
// Every marker operation that needs the trace reads it through the owner; a marker made with a
// null owner sees an empty trace and requests no refresh. Getters that write through a pointer
// refuse a null pointer with kInvalidArg. Positions and searches are refused with kInvalidArg,
// leaving the marker where it is, when the marker's user range does not overlap the stimulus
// (there is no span to move in) or the position asked for is NaN.
#pragma once

#include <set>
#include <vector>

#include "tessel/core/export.h"
#include "tessel/core/types.h"
#include "tessel/format/data_format.h"
#include "tessel/format/na_unit.h"
#include "tessel/format/trace_format.h"
#include "tessel/markers/marker_types.h"
#include "tessel/markers/scpi_value.h"

namespace Tessel {

class CMarkerSet;

class TESSEL_EXPORT CMarkerMR : public Interface::ISCPIValue {
  public:
    // One readout component.
    enum MarkerFormat_ : int {
        CompLinMag = 0,
        CompLogMag = 1,
        CompPhase = 2,
        CompDelay = 3,
        CompReal = 4,
        CompImag = 5,
        CompSWR = 6,
        CompResistance = 7,
        CompReactance = 8,
        CompConductance = 9,
        CompSusceptance = 10,
        CompImpedanceLC = 11,
        CompAdmittanceLC = 12,
        CompKelvin = 13,
        CompFahrenheit = 14,
        CompCelsius = 15,
        CompNone = 16,
    };

    // The trace a computation works on.
    struct TraceData {
        const InputArray* stimulus = nullptr;
        const std::vector<TsComplex>* complexData = nullptr;
        const std::vector<float>* formattedData = nullptr;
        NAUnit dataUnit = UnitNone;
        NAUnit formattedUnit = UnitNone;
        Interface::TraceFormat traceFormat = Interface::TraceLogMag;
    };

    // Size of the saved record and its current version.
    static constexpr int kRecordSize = 129;
    static constexpr int kRecordVersion = 5;

    CMarkerMR(CMarkerSet* set, long number);
    // Copies every field, the subscriber set and the reference link included, without
    // registering the copy with its reference marker.
    CMarkerMR(const CMarkerMR& other);
    CMarkerMR& operator=(const CMarkerMR& other);
    // Leaves the reference's subscribers and clears the reference of every subscriber.
    ~CMarkerMR() override;

    long GetMarkerNum() const { return markerNumber; }
    long get_MarkerNum(long* number) const;
    DomainEnum get_DomainEnum() const;

    // Settings.
    long put_MarkerFormat(MarkerFormatEnum format);
    long get_MarkerFormat(MarkerFormatEnum* format) const;
    long put_MarkerFunction(MarkerFunction function);
    MarkerFunction get_MarkerFunction() const { return markerFunction; }
    bool SetFunctionTracking(bool on);
    bool GetFunctionTracking() const { return functionTracking; }
    long put_Type(MarkerType type);
    MarkerType get_Type() const { return markerType; }
    // Clamped to -500..500; 0x2808085E when clamped.
    long put_PeakThreshold(float value);
    long put_PeakExcursion(float value);
    float get_PeakThreshold() const { return peakThreshold; }
    float get_PeakExcursion() const { return peakExcursion; }
    long put_TargetValue(float value);
    float get_TargetValue() const { return targetValue; }
    void SetUserRange(long range) { userRange = range; }
    long GetUserRange() const { return userRange; }
    long put_Interpolate(short on);
    long get_Interpolate(short* on) const;
    long SetCompressionLevel(double& level);
    long GetCompressionLevel(double* level) const;
    long GetCompPowerIn(double* power) const;
    long GetCompPowerOut(double* power) const;
    void SetFixedRangeValue1(double) {}
    void SetFixedRangeValue2(double) {}
    double GetFixedRangeValue1() const { return 0.0; }
    double GetFixedRangeValue2() const { return 0.0; }
    long get_DomainValueUsingDomainIndex() const;

    // Position.
    long put_AbsoluteDomainValue(double value);
    long get_AbsoluteDomainValue(double* value) const;
    long put_DomainValue(double value);
    long get_DomainValue(double* value) const;
    double GetDesiredDomainVal() const { return desiredDomainValue; }
    long put_AbsoluteBucketPosition(double bucket);
    long get_AbsoluteBucketPosition(double* bucket) const;
    double MoveBucket(double bucket);
    long GetMaxBucket() const;
    long UpdateBuketFromValue(double value);
    long put_AbsoluteRangeValue(TsComplex value);
    long get_AbsoluteRangeValue(TsComplex* value) const;

    // Reference marker and change events.
    long put_ReferenceMarker(long number);
    long get_ReferenceMarker(CMarkerMR** marker) const;
    long GetReferenceMarkerNum() const { return referenceMarkerNumber; }
    unsigned long SubscribeChangeEvent(CMarkerMR* marker);
    unsigned long UnsubscribeChangeEvent(CMarkerMR* marker);
    void FireMRChangeEvent(unsigned long, unsigned long);
    void MRChanged(unsigned long, unsigned long, unsigned long);
    void PutRefMarkerAfterRecall();

    // Computation and readout.
    long Update(bool updateBucket, bool updateFromPosition, bool computeDomain,
                Interface::TraceFormat traceFormat, const std::vector<float>* formatted,
                const std::vector<TsComplex>* complexData, NAUnit dataUnit, NAUnit formattedUnit,
                const InputArray& stimulus, MarkerResult& result);
    long Compute(MarkerFunction function);
    // Display values in `*format` (15 is resolved and written back), one entry per component.
    long GetAbsoluteFormattedValue(MarkerFormatEnum* format, std::vector<float>& values);
    // As above, minus the reference marker's values in the same format.
    long GetFormattedValue(MarkerFormatEnum* format, std::vector<float>& values);
    // Readout of a result in another format; false for group delay and unknown formats.
    static bool FormatMarker(const MarkerResult& result, MarkerFormatEnum format, float z0,
                             float& first, float& second);

    // User ranges, as the owner's data provider reports and sets them.
    double GetUserRangeMin(long range) const;
    double GetUserRangeMax(long range) const;
    double GetUserRangeMin() const { return GetUserRangeMin(userRange); }
    double GetUserRangeMax() const { return GetUserRangeMax(userRange); }
    bool SetUserRangeMin(long range, double& value);
    bool SetUserRangeMax(long range, double& value);
    bool SetUserRangeMin(double& value) { return SetUserRangeMin(userRange, value); }
    bool SetUserRangeMax(double& value) { return SetUserRangeMax(userRange, value); }

    // Interface::ISCPIValue: id 1 peak excursion, 2 peak threshold, 3 domain value.
    long GetValue(Interface::SCPIMinOrMax which, int id, int& value) override;
    long GetValue(Interface::SCPIMinOrMax which, int id, double& value) override;
    long SetValue(int id, int value) override;
    long SetValue(int id, double value) override;
    Interface::ISCPIValue* GetSCPIValue() override { return this; }

    // The compression block, for readouts.
    const CompressionData& GetCompressionData() const { return compression; }

  private:
    friend class CMarkerSet;

    explicit CMarkerMR(CMarkerSet* set);

    // Searches (marker_search.cpp).
    long MkrMax(const InputArray& stimulus, const std::vector<float>* data);
    long MkrMin(const InputArray& stimulus, const std::vector<float>* data);
    long MkrNextPeak(const InputArray& stimulus, const std::vector<float>* data, bool logScale);
    long MkrNextPeakRight(const InputArray& stimulus, const std::vector<float>* data,
                          bool logScale);
    long MkrNextPeakLeft(const InputArray& stimulus, const std::vector<float>* data, bool logScale);
    long MkrTargetSearch(const TraceData& trace, float target, double start, bool searchRight,
                         bool wrap, bool skipCurrent);
    long MkrCompressionSearch(const TraceData& trace);
    static bool LocalMaxRight(const float*& cursor, const float* limit, const float* last);
    static bool LocalMaxLeft(const float*& cursor, const float* limit, const float* first);
    static bool PeakTest(const float* first, const float* last, float excursion, const float* peak);
    // The search range of the marker's user range (see CMarkerSet::GetLimitedIndicies).
    long GetLimitedIndicies(long& lo, long& hi, const InputArray& stimulus) const;
    double GetLimitedIndicies2(double& lo, double& hi, const InputArray& stimulus) const;
    // The search range as point count, start value and index, stop value and index; the
    // values in ascending order. Returns the point count (0 for an empty range).
    long GetLimitedDataInfo(const InputArray& stimulus, double& startValue, long& startIndex,
                            double& stopValue, long& stopIndex) const;
    // The fractional index span of the marker's user range; false when it does not overlap
    // the stimulus (or there is no stimulus).
    bool LimitedSpan(const InputArray& stimulus, double& lo, double& hi) const;
    // The stimulus values bounding the search range, ascending; false as LimitedSpan.
    bool LimitedValues(const InputArray& stimulus, double& startValue, double& stopValue) const;
    // The whole-index search range clamped to the data; false when it holds no point.
    bool SearchRange(const InputArray& stimulus, const std::vector<float>& data, long& lo,
                     long& hi) const;
    long PeakRightOrLeft(const InputArray& stimulus, const std::vector<float>* data, bool logScale,
                         bool right);

    // Position helpers (marker.cpp).
    void DomainFromBucket(const InputArray& stimulus);
    void DomainFromRelative(const InputArray& stimulus);
    long BucketFromDomain(const InputArray& stimulus);
    void OwnerUpdate();
    TraceData OwnerTraceData() const;

    // Computation (marker_readout.cpp).
    long ComputeInternal(MarkerFunction function, const TraceData& trace, bool computeDomain,
                         bool updateBucket);
    long ComputeDomainValue(MarkerFunction function, const TraceData& trace);
    long ComputeRangeValue(const TraceData& trace);
    int ComputeDisplayValues(const TraceData& trace, MarkerFormatEnum& format, double values[3],
                             NAUnit units[3]) const;
    double ComplexToFormatted(int index, const TraceData& trace, MarkerFormat_ component,
                              NAUnit& unit, bool useGiven, const TsComplex& given,
                              double fraction) const;
    void LinearInterpolate(const TraceData& trace);
    MarkerFormatEnum MarkerFormat(Interface::TraceFormat traceFormat) const;
    static Interface::TraceFormat GetCorrespondingFormat(MarkerFormat_ component);
    static int ConvertToMarkerFormat(MarkerFormatEnum format, MarkerFormat_ components[3]);
    static DataFormat ConvertToDataFormat(MarkerFormatEnum format);

    // Saved record (marker_record.cpp). SaveData(null, ...) returns the size; a buffer of
    // fewer than 129 bytes is refused with 0. RecallData returns the record's size field, or
    // kInvalidArg (nothing changed) for a null record or one shorter than its version needs.
    int SaveData(void* buffer, int size) const;
    long RecallData(const void* record, int size);

    CMarkerSet* owner;
    long markerNumber;
    long userRange = 0;
    float peakThreshold = -100.0f;
    float peakExcursion = 3.0f;
    float targetValue = 0.0f;
    CompressionData compression;
    MarkerType markerType = MkrNormal;
    bool functionTracking = false;
    CMarkerMR* referenceMarker = nullptr;
    long referenceMarkerNumber = 0;
    double domainValue = 0.0;
    double desiredDomainValue = 1e6;
    double bucket = 0.0;
    double relativePosition = 0.0;
    TsComplex rangeValue{0.0f, 0.0f};
    DataFormat dataFormat = FormatLogMag;
    double responseValue = 0.0;
    MarkerFunction markerFunction = FuncMax;
    MarkerFormatEnum markerFormat = MkrDefault;
    bool interpolate = true;
    MarkerFormatEnum displayFormat = MkrLogMag;
    double displayValues[3] = {0.0, 0.0, 0.0};
    NAUnit displayUnits[3] = {UnitNone, UnitNone, UnitNone};
    std::set<CMarkerMR*> subscribers;
};

}  // namespace Tessel
