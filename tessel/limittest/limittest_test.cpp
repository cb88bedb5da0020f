// SPDX-License-Identifier: Apache-2.0
// Tests of LimitTest against limits computed here from the straight lines through each row's
// end points, with one recording sink for the notifications.
#include "tessel/limittest/limittest.h"

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace Tessel {
namespace {

using Interface::LimitTestResult_t;
constexpr LimitTestResult_t kFailed = Interface::LimitFail, kPassed = Interface::LimitPass,
                            kNoResult = Interface::LimitNoResult;

struct Row {
    double type, b, e, r0, r1;
};

struct Sink : ILimitTestEvent {
    std::vector<std::pair<long, long>> changes;
    std::vector<LimitTestResult_t> results;
    void OnLimitChange(LimitTest*, long first, long count) override {
        changes.emplace_back(first, count);
    }
    void OnLimitResult(LimitTest*, LimitTestResult_t r) override { results.push_back(r); }
};

void Load(LimitTest& t, const std::vector<Row>& rows) {
    std::vector<double> values;
    for (const Row& r : rows)
        values.insert(values.end(), {r.type, r.b, r.e, r.r0, r.r1});
    ASSERT_EQ(t.SetLimitDataValues(0, static_cast<long>(values.size()), values.data()), kOk);
}

// Independent model: upper and lower limit at x, from the line through the end points (in
// log10 x on a log axis); a vertical row gives its smaller response.
void Expected(const std::vector<Row>& rows, double x, bool log, double& up, double& lo) {
    up = INFINITY, lo = -INFINITY;
    for (const Row& r : rows) {
        if ((r.type != 1 && r.type != 2) || x < std::min(r.b, r.e) || x > std::max(r.b, r.e))
            continue;
        auto s = [&](double v) { return log ? std::log10(v) : v; };
        const double y = r.b == r.e ? std::min(r.r0, r.r1)
                                    : r.r0 + (r.r1 - r.r0) * (s(x) - s(r.b)) / (s(r.e) - s(r.b));
        r.type == 1 ? up = std::min(up, y) : lo = std::max(lo, y);
    }
}

// Tests into fresh results and returns results[start .. end) as letters F, P, N (? unwritten);
// the overall result handed out must be the stored one.
std::string Process(LimitTest& t, const std::vector<float>& data, int start, int end,
                    DataFormat f = FormatLogMag) {
    std::vector<LimitTestResult_t> res(static_cast<std::size_t>(end), LimitTestResult_t(3));
    LimitTestResult_t overall = LimitTestResult_t(3);
    t.ProcessData(data, f, start, end, overall, res);
    EXPECT_EQ(overall, t.GetLimitTestResult());
    std::string letters;
    for (int i = start; i < end; ++i)
        letters += "FPN?"[std::min<int>(res[std::size_t(i)], 3)];
    return letters;
}

// An axis and offsets (stimulus, upper and lower response; applied with their modes on). The
// rows are stored shifted back by the offsets, so the lines tested are those of `kRows`.
struct LineCase {
    const char* name;
    Segment axis;
    double stimulus;
    float upper, lower;
};
void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.name;
}

class LimitLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(LimitLines, MatchStraightLinesThroughEndPoints) {
    const LineCase& c = GetParam();
    const InputArray axis(c.axis);
    const std::size_t n = axis.size();
    const double v = axis.at(20);  // a vertical upper row exactly at a point
    // Overlapping upper rows, a lower row given end first, a gap, and two inactive rows.
    const std::vector<Row> rows = {{1, 1e6, 5e8, 10, -10},  {1, 2e8, 7.5e8, -20, 5},
                                   {2, 7e8, 1e7, -40, -30}, {2, 1e8, 6e8, -35, -25},
                                   {1, v, v, 3, -5},        {1, 9.5e8, 1e9, -8, -8},
                                   {0, 1e6, 1e9, 99, 99},   {3, 1e6, 1e9, -99, -99}};
    std::vector<Row> stored = rows;
    for (Row& r : stored) {
        const double o = r.type == 1 ? c.upper : r.type == 2 ? c.lower : 0;
        r = {r.type, r.b - c.stimulus, r.e - c.stimulus, r.r0 - o, r.r1 - o};
    }
    LimitTest t;
    Load(t, stored);
    t.SetLimitTestStimulusMode(Interface::OffsetValue);
    t.SetLimitTestResponseMaxMode(Interface::OffsetValue);
    t.SetLimitTestResponseMinMode(Interface::OffsetValue);
    t.SetLimitTestStimulusOffset(c.stimulus);
    t.SetLimitTestResponseMaxOffset(c.upper);
    t.SetLimitTestResponseMinOffset(c.lower);
    t.SetXAxis(axis, false);
    std::vector<double> up(n), lo(n);
    std::string covered;
    for (std::size_t i = 0; i < n; ++i) {
        Expected(rows, axis.at(i), c.axis.IsLog(), up[i], lo[i]);
        covered += std::isinf(up[i]) && std::isinf(lo[i]) ? 'N' : 'P';
    }
    EXPECT_EQ(std::count(covered.begin(), covered.end(), 'N'), c.axis.IsLog() ? 1 : 6);
    for (int probe = 0; probe < 4; ++probe) {  // just inside, just outside the upper, the lower
        const bool upper = probe < 2, outside = probe % 2;
        const double outward = upper ? 1e-3 : -1e-3;
        std::vector<float> data(n);
        std::string expected = covered + "NNN";  // and three points beyond the axis
        for (std::size_t i = 0; i < n; ++i) {
            const double limit = upper ? up[i] : lo[i], other = upper ? lo[i] : up[i];
            // Without this limit, a value just inside the other one (if any).
            data[i] = float(!std::isinf(limit)  ? limit + (outside ? outward : -outward)
                            : std::isinf(other) ? 0
                                                : other + outward);
            if (!std::isinf(limit) && outside)
                expected[i] = 'F';
        }
        EXPECT_EQ(Process(t, data, 0, int(n) + 3), expected) << "probe " << probe;
    }
    // Exactly on a limit (a row's begin, the vertical row, a flat row) passes; NaN passes.
    std::vector<float> exact(n, NAN);
    exact[0] = 10, exact[20] = -5, exact[n - 1] = -8;
    EXPECT_EQ(Process(t, exact, 0, int(n)), covered);
}

const LineCase kLineCases[] = {
    {"Linear", Segment::Linear(1e6, 1e9, 31), 0, 0, 0},
    {"Log", Segment::Log(1e6, 1e9, 31), 0, 0, 0},
    {"LinearOffsets", Segment::Linear(1e6, 1e9, 31), 16777216, 2.5f, -1.5f}};
INSTANTIATE_TEST_SUITE_P(Axes, LimitLines, ::testing::ValuesIn(kLineCases));

// One object, upper 90 over points 0..9, lower -90 over 0..5, axis 0..11; calls in sequence.
TEST(LimitTestOverall, FollowsPointResultsPhaseInDegrees) {
    // Format, value at every point, start, end, the results and the overall result after.
    using Step = std::tuple<DataFormat, float, int, int, std::string, LimitTestResult_t>;
    const float quarter = float(M_PI / 2);
    const Step steps[] = {{FormatPhase, quarter, 0, 12, "PPPPPPPPPPNN", kPassed},
                          {FormatUnwrappedPhase, -1.6f, 0, 12, "FFFFFFPPPPNN", kFailed},
                          {FormatPhase, 0.0f, 6, 12, "PPPPNN", kFailed},
                          {FormatLogMag, 90.0f, 0, 12, "PPPPPPPPPPNN", kPassed},
                          {FormatLogMag, 90.01f, 3, 7, "FFFF", kFailed},
                          {FormatLogMag, NAN, 0, 10, "PPPPPPPPPP", kPassed},
                          {FormatLogMag, 0.0f, 10, 14, "NNNN", kPassed},
                          {FormatLinMag, 1.6f, 0, 0, "", kPassed}};
    LimitTest t;
    Load(t, {{1, 0, 9, 90, 90}, {2, 0, 5, -90, -90}});
    t.SetXAxis(InputArray(Segment::Linear(0, 11, 12)), false);
    for (const auto& [format, value, start, end, results, overall] : steps) {
        SCOPED_TRACE(results);
        EXPECT_EQ(Process(t, std::vector<float>(14, value), start, end, format), results);
        EXPECT_EQ(t.GetLimitTestResult(), overall);
    }
    t.SetLimitTestStimulusOffset(1);  // a setting change resets the overall result
    EXPECT_EQ(t.GetLimitTestResult(), kNoResult);
    t.ClearTable();
    EXPECT_EQ(Process(t, std::vector<float>(12), 0, 12), "NNNNNNNNNNNN");
    std::vector<LimitTestResult_t> short_results(5);  // refused: too few results; nothing tested
    LimitTestResult_t overall = kFailed;
    t.ProcessData(std::vector<float>(12), FormatLogMag, 0, 12, overall, short_results);
    EXPECT_EQ(overall, kNoResult);
}

// One object and one recording sink; each step's status and (first, count) notifications.
TEST(LimitTestEvents, ReportTheChangedValueRanges) {
    using Pairs = std::vector<std::pair<long, long>>;
    using Action = std::function<long(LimitTest&)>;
    const double row[] = {1, 1e6, 2e6, 0, 0}, zeros[5] = {}, one = 1.9, two = 2;
    auto write = [](long first, long count, const double* v) -> Action {
        return [=](LimitTest& t) { return t.SetLimitDataValues(first, count, v); };
    };
    auto mode = [](auto setter, int m) -> Action {
        return [=](LimitTest& t) { return (t.*setter)(Interface::LimitTestStimRespMode_t(m)); };
    };
    auto offset = [](long (LimitTest::*setter)(double), double v) -> Action {
        return [=](LimitTest& t) { return (t.*setter)(v); };
    };
    const auto stim = &LimitTest::SetLimitTestStimulusMode;
    const auto max = &LimitTest::SetLimitTestResponseMaxMode;
    const auto maxOffset = &LimitTest::SetLimitTestResponseMaxOffset;
    using Step = std::tuple<Action, long, long, Pairs>;  // status, rows after, notifications
    const Step steps[] = {
        {write(0, 5, row), kOk, 1, {{0, 5}}},
        {write(0, 5, row), kOk, 1, {}},
        {write(5, 5, zeros), kOk, 1, {}},  // a trailing zero row is dropped
        {write(0, 1, &one), kOk, 1, {}},   // type 1.9 stores 1
        {[](LimitTest& t) { return t.SetLimitDataValue(1, Interface::ItemEndResponse, 2); },
         kOk,
         2,
         {{9, 1}}},
        {write(500, 1, &two), kInvalidArg, 2, {}},
        {write(496, 5, row), kInvalidArg, 2, {}},
        {write(-1, 2, row), kFail, 2, {}},
        {write(3, 4, row), kOk, 2, {{3, 4}}},
        {mode(stim, 3), kInvalidArg, 2, {}},
        {mode(max, 2), kInvalidArg, 2, {}},
        {mode(max, 1), kOk, 2, {}},  // the offset is still 0
        {offset(maxOffset, 2), kOk, 2, {{0, 10}}},
        {offset(maxOffset, 2), kOk, 2, {}},
        {offset(&LimitTest::SetLimitTestResponseMinOffset, 2), kOk, 2, {{0, 10}}},
        {mode(max, 0), kOk, 2, {{0, 10}}},
        {mode(stim, 2), kOk, 2, {{0, 10}}},
        {offset(&LimitTest::SetLimitTestStimulusOffset, 7), kOk, 2, {{0, 10}}},
        {mode(stim, 1), kOk, 2, {{0, 10}}},
        {[](LimitTest& t) { return t.SetXAxis(InputArray(), true), 0L; }, kOk, 2, {{0, 10}}},
        {[](LimitTest& t) { return t.ClearTable(), 0L; }, kOk, 0, {{0, 0}}},
    };
    Sink sink;
    {
        LimitTest t;
        t.SubscribeEvents(&sink);
        t.SubscribeEvents(&sink);
        for (std::size_t k = 0; k < std::size(steps); ++k) {
            const auto& [action, status, rows, changes] = steps[k];
            SCOPED_TRACE(k);
            sink.changes.clear();
            EXPECT_EQ(action(t), status);
            EXPECT_EQ(t.GetNumOfSegments(), rows);
            EXPECT_EQ(sink.changes, changes);
        }
        EXPECT_TRUE(sink.results.empty());
    }
    EXPECT_EQ(sink.results, std::vector{kPassed});  // the destructor's notification
}

TEST(LimitTestValues, ReadStoredAndDrawnValues) {
    LimitTest t;
    Load(t, {{1.9, 1e6, 2e6, 1, 2}, {2, 3e6, 4e6, -1, -2}});
    t.SetLimitTestResponseMaxOffset(0.5);
    t.SetLimitTestResponseMinOffset(-0.25);
    t.SetLimitTestResponseMaxMode(Interface::OffsetValue);
    t.SetLimitTestResponseMinMode(Interface::OffsetValue);
    t.SetLimitTestStimulusMode(Interface::OffsetStartStimulus);
    double out[10], past[2] = {-1, -1};
    ASSERT_EQ(t.GetLimitLineValues(0, 10, out), kOk);
    EXPECT_EQ(std::vector<double>(out, out + 10),
              (std::vector<double>{1, 1.3e6, 2.3e6, 1.5, 2.5, 2, 3.3e6, 4.3e6, -1.25, -2.25}));
    t.SetXAxis(InputArray(Segment::Linear(1e9, 2e9, 3)), false);
    EXPECT_EQ(t.GetLimitLineValues(2, 1, out), kOk);
    EXPECT_EQ(out[0], 1e9 + 2e6);
    EXPECT_EQ(t.GetLimitDataValue(0, Interface::ItemType), 1.0);
    EXPECT_EQ(t.GetLimitDataValue(2, Interface::ItemType), 0.0);
    EXPECT_EQ(t.GetLimitDataValues(10, 2, past), kFalse);
    EXPECT_EQ(std::vector<double>(past, past + 2), (std::vector<double>{0, -1}));
    EXPECT_EQ(t.GetLimitLineValues(9, 2, out), kInvalidArg);
    EXPECT_EQ(t.GetLimitDataValues(-1, 1, out), kInvalidArg);
}

TEST(LimitTestAxis, RescalesRowsAndCopiesDeeply) {
    Sink sink;
    auto a = std::make_unique<LimitTest>();
    a->SubscribeEvents(&sink);
    Load(*a, {{1, 2e6, 4e6, 0, 0}});
    a->SetXAxis(InputArray(Segment::Linear(1e6, 5e6, 5)), false);
    EXPECT_FALSE(a->axisNeeded);
    a->SetXAxis(InputArray(Segment::Linear(0, 8, 9)), true);
    double out[3];
    a->GetLimitDataValues(1, 2, out);
    EXPECT_EQ(std::vector<double>(out, out + 2), (std::vector<double>{2, 6}));
    LimitTest b(*a), c;
    c = *a;
    a.reset();
    sink.changes.clear();
    b.SetLimitDataValue(0, Interface::ItemEndStimulus, 3);  // the copy keeps the subscriber
    EXPECT_EQ(sink.changes, (std::vector<std::pair<long, long>>{{2, 1}}));
    EXPECT_EQ(c.GetLimitDataValue(0, Interface::ItemEndStimulus), 6.0);
    EXPECT_EQ(Process(c, std::vector<float>(9, 1), 0, 9), "NNFFFFFNN");
}

std::vector<unsigned char> Hex(const std::string& h) {
    std::vector<unsigned char> b;
    for (std::size_t i = 0; i + 1 < h.size(); i += 2)
        b.push_back(static_cast<unsigned char>(std::stoi(h.substr(i, 2), nullptr, 16)));
    return b;
}

TEST(LimitTestRecord, SavesGoldenBytesAndRecallsWholeRecordsOnly) {
    const auto golden =
        Hex("2d000000010000000300000001000200000002000000003f000000c000000000"
            "00408f4000000000804f12410000000080842e410000000080843e410000c0bf"
            "0000204001000000000000000000000000000000000000000000000000000000"
            "0000000000000000000000000000000060e346410000000080842e410000803e"
            "000080c00200000000000000");
    LimitTest t;
    Load(t, {{1, 1e6, 2e6, -1.5, 2.5}, {0, 0, 0, 0, 0}, {2, 3e6, 1e6, 0.25, -4}});
    t.SetLimitTestResponseMaxOffset(0.5);
    t.SetLimitTestResponseMaxMode(Interface::OffsetValue);
    t.SetLimitTestResponseMinOffset(-2);
    t.SetLimitTestStimulusOffset(1e3);
    t.SetLimitTestStimulusMode(Interface::OffsetStartStimulus);
    std::vector<unsigned char> bytes(141, 0xAA);
    EXPECT_EQ(t.SaveData(nullptr, 0), 140);
    EXPECT_EQ(t.SaveData(bytes.data(), 139), 0);
    EXPECT_EQ(bytes, std::vector<unsigned char>(141, 0xAA));
    EXPECT_EQ(t.SaveData(bytes.data(), 141), 140);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.end() - 1), golden);

    auto recalled = [](std::vector<unsigned char> record, int size) {
        LimitTest r;
        r.SetXAxis(InputArray(Segment::Linear(0, 1, 2)), false);
        r.RecallData(record.data(), size);
        EXPECT_TRUE(r.axisNeeded);
        std::vector<unsigned char> out(static_cast<std::size_t>(r.SaveData(nullptr, 0)));
        r.SaveData(out.data(), static_cast<int>(out.size()));
        return out;
    };
    EXPECT_EQ(recalled(golden, 140), golden);
    const auto empty = recalled(golden, 0);  // what a record that does not load leaves
    EXPECT_EQ(empty.size(), 44u);
    EXPECT_EQ(recalled(golden, 139), empty);  // shorter than its rows
    auto other = golden;
    other[4] = 2;  // version 2
    EXPECT_EQ(recalled(other, 140), empty);
    other = golden;
    other[8] = 101;  // more than 100 rows
    other.resize(44 + 32 * 101);
    EXPECT_EQ(recalled(other, int(other.size())), empty);
}

}  // namespace
}  // namespace Tessel
