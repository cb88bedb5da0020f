// Tests of LimitTest against limits computed here from the straight lines through each row's
// end points, with one recording sink for the notifications.
#include "tessel/limittest/limit_test.h"

#include <cfloat>
#include <cmath>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace Tessel {
namespace {

using Interface::LimitTestResult_t;
using Results = std::vector<LimitTestResult_t>;
constexpr LimitTestResult_t kFail = Interface::LimitFail, kPass = Interface::LimitPass,
                            kNone = Interface::LimitNoResult;

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

Results Process(LimitTest& t, const std::vector<float>& data, int start, int end,
            DataFormat f = FormatLogMag, LimitTestResult_t* overall = nullptr) {
    Results res(static_cast<std::size_t>(std::max(end, 0)), LimitTestResult_t(9));
    LimitTestResult_t o = LimitTestResult_t(9);
    t.ProcessData(data, f, start, end, o, res);
    EXPECT_EQ(o, t.GetLimitTestResult());
    if (overall)
        *overall = o;
    return res;
}

// An axis and offsets (stimulus, upper and lower response; applied with their modes on). The
// rows are stored shifted back by the offsets, so the lines tested are those of `kRows`.
struct LineCase {
    const char* name;
    Segment axis;
    double stimulus;
    float upper, lower;
};
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

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
    std::vector<float> inside(n), above(n), below(n);
    std::vector<double> up(n), lo(n);
    for (std::size_t i = 0; i < n; ++i) {
        Expected(rows, axis.at(i), c.axis.IsLog(), up[i], lo[i]);
        const double mid = std::isinf(up[i])   ? lo[i] + 1
                           : std::isinf(lo[i]) ? up[i] - 1
                                               : (up[i] + lo[i]) / 2;
        inside[i] = float(mid);
        above[i] = float(std::isinf(up[i]) ? mid : up[i] + 1e-3);
        below[i] = float(std::isinf(lo[i]) ? mid : lo[i] - 1e-3);
    }
    const Results in = Process(t, inside, 0, int(n) + 3), hi = Process(t, above, 0, int(n)),
                  low = Process(t, below, 0, int(n));
    for (std::size_t i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        const bool covered = !std::isinf(up[i]) || !std::isinf(lo[i]);
        EXPECT_EQ(in[i], covered ? kPass : kNone);
        EXPECT_EQ(hi[i], std::isinf(up[i]) ? in[i] : kFail);
        EXPECT_EQ(low[i], std::isinf(lo[i]) ? in[i] : kFail);
    }
    EXPECT_EQ(Results(in.begin() + n, in.end()), Results(3, kNone));  // beyond the axis
    EXPECT_EQ(std::count(in.begin(), in.begin() + n, kNone), c.axis.IsLog() ? 1 : 6);
    // Exactly on a limit (a row's begin, the vertical row, a flat row) passes; NaN passes.
    std::vector<float> exact(n, NAN);
    exact[0] = 10, exact[20] = -5, exact[n - 1] = -8;
    EXPECT_EQ(Process(t, exact, 0, int(n)), Results(in.begin(), in.begin() + n));
}

INSTANTIATE_TEST_SUITE_P(
    Axes, LimitLines,
    ::testing::Values(LineCase{"Linear", Segment::Linear(1e6, 1e9, 31), 0, 0, 0},
                      LineCase{"Log", Segment::Log(1e6, 1e9, 31), 0, 0, 0},
                      LineCase{"LinearOffsets", Segment::Linear(1e6, 1e9, 31), 16777216, 2.5f,
                               -1.5f}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace Tessel
