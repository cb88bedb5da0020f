// SPDX-License-Identifier: Apache-2.0
#include "tessel/limittest/limittest.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "tessel/core/status.h"
#include "tessel/limittest/internal/limit_test_data.h"

namespace Tessel {
namespace {

using Interface::LimitTestResult_t;
using Interface::LimitTestStimRespMode_t;

constexpr long kItems = LimitTest::kItemsPerSegment;

// The type item as stored: truncated toward zero, NaN as 0, saturated at the 32-bit range
// (converting an out-of-range double to an integer would be undefined).
std::int32_t TypeFromValue(double v) {
    if (std::isnan(v))
        return 0;
    if (v <= static_cast<double>(INT32_MIN))
        return INT32_MIN;
    if (v >= static_cast<double>(INT32_MAX))
        return INT32_MAX;
    return static_cast<std::int32_t>(v);
}

// Writes one item; returns whether it changed. Responses are compared before they are narrowed
// to 32 bits, the type after truncation (against what is stored).
bool WriteItem(LimitSegment& row, long item, double v) {
    switch (item) {
        case Interface::ItemType: {
            const std::int32_t type = TypeFromValue(v);
            const bool changed = type != row.type;
            row.type = type;
            return changed;
        }
        case Interface::ItemBeginStimulus:
        case Interface::ItemEndStimulus: {
            double& field =
                item == Interface::ItemBeginStimulus ? row.beginStimulus : row.endStimulus;
            if (v == field)
                return false;
            field = v;
            return true;
        }
        default: {
            float& field =
                item == Interface::ItemBeginResponse ? row.beginResponse : row.endResponse;
            if (v == static_cast<double>(field))
                return false;
            field = static_cast<float>(v);
            return true;
        }
    }
}

bool IsZeroRow(const LimitSegment& row) {
    return row.beginStimulus == 0.0 && row.endStimulus == 0.0 && row.beginResponse == 0.0f &&
           row.endResponse == 0.0f && row.type == 0;
}

// a + b, saturated at the range of long (indices that far out are beyond every table).
long SaturatingAdd(long a, long b) {
    long sum;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? LONG_MAX : LONG_MIN;
    return sum;
}

}  // namespace

LimitTest::LimitTest() : data_(std::make_unique<LimitTestData>()) {}

LimitTest::LimitTest(const LimitTest& other)
    : axisNeeded(other.axisNeeded),
      overall_(other.overall_),
      data_(std::make_unique<LimitTestData>(*other.data_)),
      subscribers_(other.subscribers_),
      soundOnFail_(other.soundOnFail_) {
    data_->table.reserve(kMaxSegments);
}

LimitTest& LimitTest::operator=(const LimitTest& other) {
    if (this != &other) {
        axisNeeded = other.axisNeeded;
        overall_ = other.overall_;
        *data_ = *other.data_;
        data_->table.reserve(kMaxSegments);
        subscribers_ = other.subscribers_;
        soundOnFail_ = other.soundOnFail_;
    }
    return *this;
}

LimitTest::~LimitTest() {
    FireResult(Interface::LimitPass);
}

long LimitTest::GetNumOfSegments() const {
    return static_cast<long>(data_->table.size());
}

long LimitTest::GetNumOfData() const {
    return GetNumOfSegments() * kItems;
}

long LimitTest::SetLimitDataValues(long first, long count, const double* values) {
    if (count > 0 && values == nullptr)
        return kInvalidArg;
    long lastIndex;
    if (__builtin_add_overflow(first, count, &lastIndex) ||
        __builtin_sub_overflow(lastIndex, 1, &lastIndex))
        return kInvalidArg;
    const long lastSegment = lastIndex / kItems;
    if (lastSegment + 1 > kMaxSegments)
        return kInvalidArg;
    std::vector<LimitSegment>& table = data_->table;
    if (lastSegment >= 0 && table.size() < static_cast<std::size_t>(lastSegment + 1))
        table.resize(static_cast<std::size_t>(lastSegment + 1));

    long status = kOk;
    bool changed = false;
    for (long k = 0; k < count; ++k) {
        const long index = first + k;
        if (index >= GetNumOfData()) {
            status = kInvalidArg;
            break;
        }
        // A negative index has a negative item or, at multiples of 5, a negative row.
        if (index < 0) {
            status = kFail;
            break;
        }
        const long segment = index / kItems;
        changed |= WriteItem(table[static_cast<std::size_t>(segment)], index - segment * kItems,
                             values[k]);
    }
    while (!table.empty() && IsZeroRow(table.back()))
        table.pop_back();
    if (changed) {
        data_->dirty = true;
        FireChange(first, count);
    }
    return status;
}

long LimitTest::SetLimitDataValue(long segment, Interface::LimitTestSegmentItem_t item,
                                  double value) {
    long index;
    if (__builtin_mul_overflow(segment, kItems, &index) ||
        __builtin_add_overflow(index, static_cast<long>(item), &index))
        return kInvalidArg;
    return SetLimitDataValues(index, 1, &value);
}

long LimitTest::ReadValues(long first, long count, double* out, bool asDrawn) const {
    if (count <= 0)
        return kOk;
    if (out == nullptr)
        return kInvalidArg;
    const LimitTestData& d = *data_;
    const double stimulusOffset = asDrawn ? d.EffectiveStimulusOffset() : 0.0;
    for (long k = 0; k < count; ++k) {
        const long index = SaturatingAdd(first, k);
        if (index >= GetNumOfData()) {
            if (asDrawn)
                return kInvalidArg;
            out[k] = 0.0;
            return kFalse;
        }
        if (index < 0)
            return kInvalidArg;
        const LimitSegment& row = d.table[static_cast<std::size_t>(index / kItems)];
        float responseOffset = 0.0f;
        if (asDrawn && row.type == SegmentMax)
            responseOffset = d.EffectiveMaxOffset();
        else if (asDrawn && row.type == SegmentMin)
            responseOffset = d.EffectiveMinOffset();
        switch (index % kItems) {
            case Interface::ItemType:
                out[k] = row.type;
                break;
            case Interface::ItemBeginStimulus:
                out[k] = row.beginStimulus + stimulusOffset;
                break;
            case Interface::ItemEndStimulus:
                out[k] = row.endStimulus + stimulusOffset;
                break;
            case Interface::ItemBeginResponse:
                // Summed in 32 bits, as the test does.
                out[k] = row.beginResponse + responseOffset;
                break;
            default:
                out[k] = row.endResponse + responseOffset;
                break;
        }
    }
    return kOk;
}

long LimitTest::GetLimitDataValues(long first, long count, double* out) const {
    return ReadValues(first, count, out, false);
}

double LimitTest::GetLimitDataValue(long segment, Interface::LimitTestSegmentItem_t item) const {
    long index;
    double value = 0.0;
    if (!__builtin_mul_overflow(segment, kItems, &index) &&
        !__builtin_add_overflow(index, static_cast<long>(item), &index))
        GetLimitDataValues(index, 1, &value);
    return value;
}

long LimitTest::GetLimitLineValues(long first, long count, double* out) const {
    return ReadValues(first, count, out, true);
}

void LimitTest::ClearTable() {
    data_->table.clear();
    data_->dirty = true;
    FireChange(-1, -1);
}

void LimitTest::SettingChanged() {
    data_->dirty = true;
    overall_ = Interface::LimitNoResult;
    FireChange(-1, -1);
}

long LimitTest::SetLimitTestStimulusMode(LimitTestStimRespMode_t mode) {
    if (mode < Interface::OffsetNone || mode > Interface::OffsetStartStimulus)
        return kInvalidArg;
    if (mode == data_->stimulusMode)
        return kOk;
    const double before = data_->EffectiveStimulusOffset();
    data_->stimulusMode = mode;
    if (before != data_->EffectiveStimulusOffset())
        SettingChanged();
    return kOk;
}

long LimitTest::SetLimitTestResponseMaxMode(LimitTestStimRespMode_t mode) {
    if (mode < Interface::OffsetNone || mode > Interface::OffsetValue)
        return kInvalidArg;
    if (mode == data_->responseMaxMode)
        return kOk;
    const float before = data_->EffectiveMaxOffset();
    data_->responseMaxMode = mode;
    if (before != data_->EffectiveMaxOffset())
        SettingChanged();
    return kOk;
}

long LimitTest::SetLimitTestResponseMinMode(LimitTestStimRespMode_t mode) {
    if (mode < Interface::OffsetNone || mode > Interface::OffsetValue)
        return kInvalidArg;
    if (mode == data_->responseMinMode)
        return kOk;
    const float before = data_->EffectiveMinOffset();
    data_->responseMinMode = mode;
    if (before != data_->EffectiveMinOffset())
        SettingChanged();
    return kOk;
}

LimitTestStimRespMode_t LimitTest::GetLimitTestStimulusMode() const {
    return data_->stimulusMode;
}

LimitTestStimRespMode_t LimitTest::GetLimitTestResponseMaxMode() const {
    return data_->responseMaxMode;
}

LimitTestStimRespMode_t LimitTest::GetLimitTestResponseMinMode() const {
    return data_->responseMinMode;
}

long LimitTest::SetLimitTestStimulusOffset(double offset) {
    if (offset != data_->stimulusOffset) {
        data_->stimulusOffset = offset;
        SettingChanged();
    }
    return kOk;
}

long LimitTest::SetLimitTestResponseMaxOffset(double offset) {
    if (offset != static_cast<double>(data_->responseMaxOffset)) {
        data_->responseMaxOffset = static_cast<float>(offset);
        SettingChanged();
    }
    return kOk;
}

long LimitTest::SetLimitTestResponseMinOffset(double offset) {
    if (offset != static_cast<double>(data_->responseMinOffset)) {
        data_->responseMinOffset = static_cast<float>(offset);
        SettingChanged();
    }
    return kOk;
}

double LimitTest::GetLimitTestStimulusOffset() const {
    return data_->stimulusOffset;
}

double LimitTest::GetLimitTestResponseMaxOffset() const {
    return data_->responseMaxOffset;
}

double LimitTest::GetLimitTestResponseMinOffset() const {
    return data_->responseMinOffset;
}

void LimitTest::SetXAxis(const InputArray& axis, bool rescale) {
    LimitTestData& d = *data_;
    if (rescale && !d.xAxis.empty() && !d.table.empty()) {
        const double oldFirst = d.xAxis.front();
        const double oldSpan = d.xAxis.back() - oldFirst;
        const double newFirst = axis.front();
        const double newSpan = axis.back() - newFirst;
        // An old axis without a span gives no mapping; the rows then keep their stimuli.
        if (oldSpan != 0.0) {
            for (LimitSegment& row : d.table) {
                row.beginStimulus = newSpan * ((row.beginStimulus - oldFirst) / oldSpan) + newFirst;
                row.endStimulus = newSpan * ((row.endStimulus - oldFirst) / oldSpan) + newFirst;
            }
        }
    }
    d.numPoints = static_cast<std::int32_t>(std::min<std::size_t>(axis.size(), INT32_MAX));
    if (!axis.empty())
        d.startStimulus = axis.at(0);
    d.xAxis = axis;
    d.axisIsLog = axis.NumSegments() == 1 && axis.GetSegment(0).IsLog();
    d.dirty = true;
    if (rescale)
        FireChange(0, GetNumOfData());
    axisNeeded = false;
}

void LimitTest::ProcessData(const std::vector<float>& data, DataFormat format, int start, int end,
                            LimitTestResult_t& overall, std::vector<LimitTestResult_t>& results) {
    const long first = start;
    const long last = static_cast<long>(end) - 1;
    if (first <= last) {
        // Points read lie below both the end and the axis size.
        const long readEnd = std::min<long>(end, data_->numPoints);
        const bool fits = first >= 0 && results.size() >= static_cast<std::size_t>(end) &&
                          (readEnd <= first || data.size() >= static_cast<std::size_t>(readEnd));
        if (!fits) {
            overall = overall_;
            return;
        }
    }
    DoTest(first, last, data.empty() ? nullptr : data.data(), results, format);
    overall = overall_;
}

void LimitTest::DoTest(long first, long last, const float* data,
                       std::vector<LimitTestResult_t>& results, DataFormat format) {
    if (first > last)
        return;
    if (first == 0)
        overall_ = Interface::LimitNoResult;
    for (long i = first; i <= last;) {
        const internal::TestRunResult run = internal::TestRun(*data_, data, i, last, format);
        std::fill_n(results.begin() + i, run.length, run.result);
        if (run.result == Interface::LimitFail)
            overall_ = Interface::LimitFail;
        else if (run.result == Interface::LimitPass && overall_ != Interface::LimitFail)
            overall_ = Interface::LimitPass;
        i += run.length;
    }
}

void LimitTest::FireChange(long first, long count) {
    if (first == -1 || count == -1) {
        first = 0;
        count = GetNumOfData();
    }
    // A copy, so that a sink leaving the set during its callback cannot break the walk.
    const std::vector<ILimitTestEvent*> sinks(subscribers_.begin(), subscribers_.end());
    for (ILimitTestEvent* sink : sinks)
        sink->OnLimitChange(this, first, count);
}

void LimitTest::FireResult(LimitTestResult_t result) {
    const std::vector<ILimitTestEvent*> sinks(subscribers_.begin(), subscribers_.end());
    for (ILimitTestEvent* sink : sinks)
        sink->OnLimitResult(this, result);
}

void LimitTest::SubscribeEvents(ILimitTestEvent* sink) {
    if (sink != nullptr)
        subscribers_.insert(sink);
}

void LimitTest::UnsubscribeEvents(ILimitTestEvent* sink) {
    subscribers_.erase(sink);
}

int LimitTest::SaveData(void* buffer, int size) {
    const int needed = internal::RecordSize(*data_);
    if (buffer == nullptr)
        return needed;
    if (size < needed)
        return 0;
    internal::WriteRecord(*data_, overall_, static_cast<unsigned char*>(buffer));
    return needed;
}

void LimitTest::RecallData(void* buffer, int size) {
    if (buffer == nullptr)
        return;
    axisNeeded = true;
    if (size > 0)
        internal::ReadRecord(static_cast<const unsigned char*>(buffer),
                             static_cast<std::size_t>(size), *data_, overall_);
}

}  // namespace Tessel
