// SPDX-License-Identifier: Apache-2.0
// LimitTest: the limit lines of one trace, and the point-by-point test of formatted data
// against them.
//
// A limit line is a table of at most 100 straight segments. Each row runs from a begin
// stimulus/response pair to an end stimulus/response pair and is an upper limit (`SegmentMax`),
// a lower limit (`SegmentMin`) or switched off (`SegmentOff`, and any other type value). The
// table is addressed as a flat array of values, value index = row × 5 + item
// (`Interface::LimitTestSegmentItem_t`). Stimulus values can be shifted by an offset or by the
// first point of the trace's axis, the responses of upper and of lower rows by their own offsets.
//
// At each axis point x the upper limit is the lowest, and the lower limit the highest, of the
// straight lines of the rows that cover x (both ends inclusive, in either direction). The line
// runs through the row's two end points, in log10(x) on an axis of one logarithmic segment and
// in x otherwise; a vertical row (equal ends) gives the smaller of its two responses at its one
// stimulus. A point without a covering row has no result (`LimitNoResult`); a value on a limit,
// and a value that is not a number, passes.
//
// The per-point limits are cached: every change that can move a limit marks the cache dirty,
// and the next test rebuilds it (points × rows work). A test is then one linear scan that hands
// out its results in runs of equal value.
//
// Observers (`ILimitTestEvent`) hear of every table change through `OnLimitChange` with the
// range of value indices concerned, and of the object's destruction through `OnLimitResult`
// with `LimitPass`. They are called on the calling thread, inside the call that made the
// change; a sink must not subscribe or unsubscribe from inside a callback.
//
// Copies are deep: table, settings and cache are duplicated, subscribers are shared (not owned).
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "tessel/core/export.h"
#include "tessel/core/types.h"
#include "tessel/format/data_format.h"

namespace Interface {

enum LimitTestResult_t : std::int32_t {
    LimitFail = 0,      // outside its limits; overall: some point failed
    LimitPass = 1,      // within its limits
    LimitNoResult = 2,  // no segment covers the point; overall: nothing tested since the reset
};

enum LimitTestSegmentItem_t : std::int32_t {
    ItemType = 0,
    ItemBeginStimulus = 1,
    ItemEndStimulus = 2,
    ItemBeginResponse = 3,
    ItemEndResponse = 4,
};

enum LimitTestStimRespMode_t : std::int32_t {
    OffsetNone = 0,           // no offset is added
    OffsetValue = 1,          // the stored offset is added
    OffsetStartStimulus = 2,  // stimulus only: the axis' first point is added
};

}  // namespace Interface

namespace Tessel {

// Unwrapped phase in radians: the format number 17, which the format list leaves unnamed. Its
// only user is the limit test, which compares it in degrees like `FormatPhase`; the name says
// what such an array holds (phase continued across ±π).
inline constexpr DataFormat FormatUnwrappedPhase = static_cast<DataFormat>(17);

// The type item of a limit row.
enum LimitSegmentType : std::int32_t { SegmentOff = 0, SegmentMax = 1, SegmentMin = 2 };

// One row of the segment table (also the row layout of the saved record: 32 bytes with 4
// reserved ones at the end). A new row is all zero.
struct TESSEL_EXPORT LimitSegment {
    double beginStimulus = 0.0;
    double endStimulus = 0.0;
    float beginResponse = 0.0f;
    float endResponse = 0.0f;
    std::int32_t type = SegmentOff;  // values other than 1 and 2 behave like SegmentOff
};

class LimitTest;

// A sink of limit-test notifications. It holds no data; copying copies nothing.
class TESSEL_EXPORT ILimitTestEvent {
  public:
    ILimitTestEvent() = default;
    ILimitTestEvent(const ILimitTestEvent&) {}
    ILimitTestEvent& operator=(const ILimitTestEvent&) { return *this; }

    // Values firstIndex .. firstIndex + count - 1 of `sender`'s table may have changed.
    virtual void OnLimitChange(LimitTest* sender, long firstIndex, long count) = 0;
    virtual void OnLimitResult(LimitTest* sender, Interface::LimitTestResult_t result) = 0;

  protected:
    // Sinks are never destroyed through this interface.
    ~ILimitTestEvent() = default;
};

struct LimitTestData;

class TESSEL_EXPORT LimitTest {
  public:
    static constexpr int kMaxSegments = 100;
    static constexpr int kItemsPerSegment = 5;
    static constexpr std::int32_t kRecordTag = 45;
    static constexpr std::int32_t kRecordVersion = 1;
    static constexpr int kRecordHeaderSize = 44;
    static constexpr int kRecordRowSize = 32;

    // An empty table with default settings; `axisNeeded` is true and the overall result
    // `LimitNoResult`.
    LimitTest();
    // Deep copies; the subscribers of `other` are subscribed to the copy too.
    LimitTest(const LimitTest& other);
    LimitTest& operator=(const LimitTest& other);
    // Tells every subscriber OnLimitResult(this, LimitPass) first.
    ~LimitTest();

    // True after construction and RecallData, false after SetXAxis.
    bool axisNeeded = true;

    int GetMaxNumLimitSegments() const { return kMaxSegments; }
    long GetNumOfSegments() const;
    long GetNumOfData() const;

    // Writes `count` values from value index `first`. Returns 0; 0x80070057 when the last
    // index lies in row 100 or beyond (nothing written) or at or past the end of the grown
    // table (the loop stops there), 0x80004005 for a negative index (the loop stops there).
    // Values written before an error stay written. Afterwards trailing all-zero rows are
    // dropped, and a change of any value is reported as (first, count). A type value is
    // truncated toward zero; NaN is stored as 0 and values beyond the 32-bit range saturate.
    // A null `values` with count > 0 returns 0x80070057 and changes nothing.
    long SetLimitDataValues(long first, long count, const double* values);
    long SetLimitDataValue(long segment, Interface::LimitTestSegmentItem_t item, double value);
    // The stored values (type as its integer value). Returns 0; 1 at the first index past the
    // table, whose slot gets 0.0 (later slots are not written); 0x80070057 for a negative index.
    // A null `out` with count > 0 returns 0x80070057.
    long GetLimitDataValues(long first, long count, double* out) const;
    // One stored value, 0.0 past the end or for an invalid index.
    double GetLimitDataValue(long segment, Interface::LimitTestSegmentItem_t item) const;
    // The values as drawn, with the effective offsets added; 0x80070057 at or past the end of
    // the table or for a negative index (or a null `out` with count > 0).
    long GetLimitLineValues(long first, long count, double* out) const;
    // Empties the table and reports (0, 0).
    void ClearTable();

    // Mode setters: 0x80070057 for a mode out of range (stimulus 0..2, responses 0..1).
    // A change of the effective offset is reported for the whole table and resets the overall
    // result to LimitNoResult.
    long SetLimitTestStimulusMode(Interface::LimitTestStimRespMode_t mode);
    long SetLimitTestResponseMaxMode(Interface::LimitTestStimRespMode_t mode);
    long SetLimitTestResponseMinMode(Interface::LimitTestStimRespMode_t mode);
    Interface::LimitTestStimRespMode_t GetLimitTestStimulusMode() const;
    Interface::LimitTestStimRespMode_t GetLimitTestResponseMaxMode() const;
    Interface::LimitTestStimRespMode_t GetLimitTestResponseMinMode() const;
    // Offset setters store the offset whatever the mode (the response ones as 32-bit floats);
    // a new value is reported for the whole table and resets the overall result. Return 0.
    long SetLimitTestStimulusOffset(double offset);
    long SetLimitTestResponseMaxOffset(double offset);
    long SetLimitTestResponseMinOffset(double offset);
    double GetLimitTestStimulusOffset() const;
    double GetLimitTestResponseMaxOffset() const;
    double GetLimitTestResponseMinOffset() const;

    // Gives the trace's stimulus axis; its first point becomes the start stimulus (an empty
    // axis keeps the previous one). With `rescale`, every row's stimuli are first mapped
    // linearly from the old axis span onto the new one (skipped when the old axis is empty,
    // the table is empty, or the old axis starts and ends at the same value, which has no span
    // to map from) and the whole table is reported as changed, also when nothing was mapped.
    void SetXAxis(const InputArray& axis, bool rescale);

    // Tests points start .. end - 1 of `data` into results[start .. end - 1] and sets `overall`
    // to the overall result. A test starting at point 0 first resets the overall result; then
    // any failing point makes it LimitFail, else any passing point LimitPass. Phase formats
    // (FormatPhase, FormatUnwrappedPhase) are in radians and compared in degrees, converted in
    // double and rounded to float, so float π/2 compares as exactly 90. Points beyond
    // the axis give LimitNoResult. `results` must hold at least `end` entries and `data` every
    // tested point inside the axis; when they do not, or start is negative, nothing is tested
    // and `overall` receives the unchanged overall result.
    void ProcessData(const std::vector<float>& data, DataFormat format, int start, int end,
                     Interface::LimitTestResult_t& overall,
                     std::vector<Interface::LimitTestResult_t>& results);
    long GetLimitTestResult() const { return overall_; }

    bool GetSoundOnFail() const { return soundOnFail_; }
    void PutSoundOnFail(bool on) { soundOnFail_ = on; }

    // Adding a sink twice keeps one entry; removing an absent sink does nothing. Sinks are not
    // owned and are called in address order.
    void SubscribeEvents(ILimitTestEvent* sink);
    void UnsubscribeEvents(ILimitTestEvent* sink);

    // Writes the saved record (44 + 32·rows bytes, little-endian) and returns its size. A null
    // buffer only returns the size; a size below it returns 0 and writes nothing.
    int SaveData(void* buffer, int size);
    // Reads a saved record of `size` bytes. A null buffer does nothing. Otherwise `axisNeeded`
    // is set, and a record of version 1 replaces the modes, the overall result, the four
    // offset values it holds (stimulus, upper and lower response offsets, and the start
    // stimulus that stimulus mode 2 adds) and the table; the cache is not marked. The record is
    // taken whole or not at all: one shorter than its header or its rows, or with a row count
    // outside 0..100, loads nothing. The recalled table takes effect in the test after the next
    // SetXAxis.
    void RecallData(void* buffer, int size);

  private:
    void DoTest(long first, long last, const float* data,
                std::vector<Interface::LimitTestResult_t>& results, DataFormat format);
    void FireChange(long first, long count);
    void FireResult(Interface::LimitTestResult_t result);
    // Marks the cache dirty, reports the whole table and resets the overall result.
    void SettingChanged();
    // Shared by the two readers: `asDrawn` selects GetLimitLineValues.
    long ReadValues(long first, long count, double* out, bool asDrawn) const;

    Interface::LimitTestResult_t overall_ = Interface::LimitNoResult;
    std::unique_ptr<LimitTestData> data_;
    std::set<ILimitTestEvent*> subscribers_;
    bool soundOnFail_ = false;
};

}  // namespace Tessel
