// SPDX-License-Identifier: Apache-2.0
// Tessel::CMarkerSet: the markers of one trace and the readouts built from several markers.
//
// A set owns up to ten markers, numbered 1 to 10 (slot k holds marker k + 1), and keeps which
// one is active. It reaches the trace through the host's IDataProvider, and asks the host to
// refresh through it whenever a marker setting changes, except while `ProcessData` runs
// (`busy`). On every trace update the host calls `ProcessData`, which re-runs the tracking
// readout, updates every marker and fills the result records; `ComputeStatistics` fills the
// trace statistics over a user range.
//
// Readouts built from consecutive markers (created when missing):
//  - bandwidth: four markers; the peak (or, for a positive level, the notch), the two points
//    at the given level from it, and the centre between them, with loss and Q = centre/width;
//  - PSat: three markers; the maximum, the point backed off from it, the first point;
//  - NOP: four markers; the maximum, the back-off point, the operating point offset from it,
//    and the first point.
//
// Copying a set copies every marker too (a deep copy); references between the copied markers
// are re-resolved within the copy, so every marker belongs to exactly one set and is
// destroyed exactly once.
#pragma once

#include <vector>

#include "tessel/core/export.h"
#include "tessel/core/types.h"
#include "tessel/markers/data_provider.h"
#include "tessel/markers/marker.h"
#include "tessel/markers/marker_types.h"

class CArchive;

namespace Tessel {

class TESSEL_EXPORT CMarkerSet {
  public:
    static constexpr int kMarkerCount = 10;
    // Header length of the saved record; its first field holds 35 instead.
    static constexpr int kRecordHeaderSize = 34;
    static constexpr int kRecordVersion = 3;
    // Version of the archive form.
    static constexpr int kArchiveVersion = 1;
    // The highest statistics user range.
    static constexpr long kMaxUserRange = 16;

    CMarkerSet();
    CMarkerSet(const CMarkerSet& other);
    CMarkerSet& operator=(const CMarkerSet& other);
    virtual ~CMarkerSet();

    void SetDataProvider(IDataProvider* provider) { dataProvider = provider; }
    virtual long MaxMarkerCount() { return kMarkerCount; }

    // `marker` may be null when the caller does not need the marker.
    long CreateMarker(long number, CMarkerMR** marker);
    // A null `marker` is refused with kInvalidArg (as in get_ActiveMarker).
    long GetMarker(long number, CMarkerMR** marker) const;
    long RemoveMarker(long number);
    long get_ActiveMarker(CMarkerMR** marker) const;
    long put_ActiveMarker(long number);
    // Entry i of `slots` becomes the slot index first + i - 1 of marker first + i; every
    // marker number must lie in 1..10. Missing markers are created.
    bool CreateMultipleMarkers(std::vector<long>& slots, long first);
    long put_Interpolate(short on);
    long put_MarkerFormat(MarkerFormatEnum format);
    // Refresh request (0) unless busy.
    void Update();

    // The trace, through the data provider; without a provider, an empty trace.
    DomainEnum GetDomainEnum() const { return domainKind; }
    void GetBuffer(const InputArray*& stimulus, const std::vector<float>*& formatted) const;
    void GetBuffers(const InputArray*& stimulus, const std::vector<TsComplex>*& complexData,
                    const std::vector<float>*& formatted) const;
    const InputArray& GetStimulusBuffer() const;
    Interface::TraceFormat GetTraceFormat() const;
    NAUnit GetTraceUnit() const;
    NAUnit GetFormattedTraceUnit() const;
    TsComplex GetSystemImpedance() const;
    double GetAuxStimulusValue() const;
    bool GetUserRange(long range, double& min, double& max) const;
    bool SetUserRangeMin(long range, const double& value);
    bool SetUserRangeMax(long range, const double& value);

    // Search ranges. GetLimitedIndicies2 gives the fractional indices of the stimulus span
    // narrowed to user range `range` (when range > 0 and the provider knows it) and returns
    // hi - lo; a user range that does not overlap the stimulus gives lo = hi = 0 and 0.
    // GetLimitedIndicies turns them into whole indices (lo rounded up, hi down) and returns the
    // point count. A user range that does not overlap counts no point here either (lo = hi = 0,
    // result 0), so nothing treats the first point as inside it.
    double GetLimitedIndicies2(double& lo, double& hi, const InputArray& stimulus,
                               long range) const;
    // The fractional indices lo <= hi of the span above; false when the user range does not
    // overlap the stimulus or the stimulus is empty.
    bool LimitedSpan(double& lo, double& hi, const InputArray& stimulus, long range) const;
    long GetLimitedIndicies(long& lo, long& hi, const InputArray& stimulus, long range) const;

    // Bandwidth readout.
    bool SetMarkerBandwidthLevel(float level);
    float GetMarkerBandwidthLevel() const { return bandwidthLevel; }
    void SetMarkerBandwidthTracking(bool on) { bandwidthTracking = on; }
    bool GetMarkerBandwidthTracking() const { return bandwidthTracking; }
    bool MarkerBandwidthOff();
    bool GetMarkerBandwidthState() const { return readouts.bandwidthOn; }
    void SetBandwidthDisplayPriority(bool on) { readouts.bandwidthPriority = on; }
    bool GetBandwidthDisplayPriority() const { return readouts.bandwidthPriority; }
    long MarkerBandwidth(long first);

    // PSat readout.
    void SetMarkerPSatBackOff(double backOff) { readouts.psatBackOff = backOff; }
    double GetMarkerPSatBackOff() const { return readouts.psatBackOff; }
    void SetMarkerPSatTracking(bool on) { psatTracking = on; }
    bool GetMarkerPSatTracking() const { return psatTracking; }
    bool MarkerPowerSaturationOff();
    bool GetMarkerPowerSaturationState() const { return readouts.psatOn; }
    long MarkerPowerSaturation(long first);

    // NOP readout.
    void SetMarkerNOPBackOff(double backOff) { readouts.nopBackOff = backOff; }
    double GetMarkerNOPBackOff() const { return readouts.nopBackOff; }
    void SetMarkerNOPOffset(double offset) { readouts.nopOffset = offset; }
    double GetMarkerNOPOffset() const { return readouts.nopOffset; }
    void SetMarkerNOPTracking(bool on) { nopTracking = on; }
    bool GetMarkerNOPTracking() const { return nopTracking; }
    bool MarkerNOPOff();
    bool GetMarkerNOPState() const { return readouts.nopOn; }
    long MarkerNOP(long first);

    // Statistics.
    bool SetUserRangeForStats(long range);
    long GetUserRangeForStats() const { return statsUserRange; }
    void ShowStatistics(bool show);
    bool StatisticsShowing() const { return readouts.statisticsShowing; }
    bool get_CoupledMarkers() const { return coupledMarkers; }
    void set_CoupledMarkers(bool on);
    static long get_AllMeasCoupledMarkers(bool* on);
    static void set_AllMeasCoupledMarkers(bool on);

    // Statistics of the trace over the statistics user range. Does nothing without a data
    // provider or with a null result.
    void ComputeStatistics(MarkerSetResults* results);
    // Updates every marker into `markerResults` (resized to 10) and copies the set's readouts
    // into `*results` (skipped when null). Returns 0.
    int ProcessData(bool updateBucket, bool updateFromPosition, MarkerSetResults* results,
                    std::vector<MarkerResult>& markerResults);

    // Saved record. SaveData(null, ...) returns the size 34 + 129 per marker; with a buffer it
    // writes the record and returns the same size, or 0 (nothing written) when `size` is
    // smaller. RecallData returns the bytes read, or kInvalidArg with the set unchanged for a
    // record that is truncated, has a version below 1, holds more than 10 marker records, or
    // names a marker number outside 1..10 or twice. A recalled record replaces every marker.
    int SaveData(void* buffer, int size) const;
    long RecallData(const void* record, int size);
    // Archive form of the PSat and NOP settings. Loading a version of 2 or more throws
    // QuorException 0xE8080867; the archive's own failures propagate.
    void Serialize(CArchive& archive);

  private:
    friend class CMarkerMR;

    void RequestRefresh(int reason);
    bool CreateMarkerGroup(long first, int count, CMarkerMR* group[]);
    long MarkerBandwidthInternal(long first);
    long MarkerPowerSaturationInternal(long first);
    long MarkerNOPInternal(long first);
    // The log-magnitude readout of a marker (its first value).
    double LogMagValue(CMarkerMR& marker);
    // Updates a marker, its reference first, once per ProcessData pass.
    void UpdateMarker(int slot, bool updateBucket, bool updateFromPosition,
                      const CMarkerMR::TraceData& trace, std::vector<MarkerResult>& results,
                      bool updated[]);
    void CopyFrom(const CMarkerSet& other);
    void DestroyMarkers();

    IDataProvider* dataProvider = nullptr;
    bool busy = false;
    CMarkerMR* markers[kMarkerCount] = {};
    DomainEnum domainKind = DomainFrequency;
    float bandwidthLevel = -3.0f;
    bool bandwidthTracking = false;
    bool psatTracking = false;
    bool nopTracking = false;
    long statsUserRange = 0;
    // The active marker, the readout switches, back-offs, priorities and results, and the last
    // statistics, kept in the form ProcessData and ComputeStatistics report them.
    MarkerSetResults readouts;
    bool coupledMarkers;
    // Scratch buffers reused by every update, so ProcessData allocates only on its first call.
    std::vector<float> scratchValues;
    std::vector<float> statsScratch;

    static bool m_bAllMeasCoupledMarkers;
};

}  // namespace Tessel
