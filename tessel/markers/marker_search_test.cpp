// SPDX-License-Identifier: Apache-2.0
// Searches on small traces whose answers are read off the data, and on closed-form curves.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/services/host_services.h"
#include "tessel/core/status.h"
#include "tessel/markers/internal/test_trace.h"
#include "tessel/markers/marker_set.h"

namespace Tessel {
namespace {

using testing::TestTrace;

// Local maxima at 1 (5), 3 (1), 5 (10), 7 (8) and 9 (9); with excursion 3 the one at 3 fails
// the peak test on its left side only, the one at 7 on its right side only.
const std::vector<float> kPeaks = {0, 5, 0, 1, -5, 10, 0, 8, 6, 9, 0};
// Crossings of 5 at 2.5 (rising) and 7.5 (falling).
const std::vector<float> kTriangle = {0, 2, 4, 6, 8, 10, 8, 6, 4, 2, 0};

struct SearchRow {
    const char* name;
    const std::vector<float>* data;
    Interface::TraceFormat format;
    MarkerFunction function;
    double start;
    float threshold;
    long status;
    double bucket;  // where the marker ends
};

const SearchRow kSearches[] = {
    {"MaxOfPeaks", &kPeaks, Interface::TraceLogMag, FuncMax, 9, -100, kOk, 5},
    {"Min", &kPeaks, Interface::TraceLogMag, FuncMin, 9, -100, kOk, 4},
    {"PeakRightFirst", &kPeaks, Interface::TraceLogMag, FuncPeakRight, 0, -100, kOk, 1},
    {"PeakRightSkipsFailedTest", &kPeaks, Interface::TraceLogMag, FuncPeakRight, 1, -100, kOk, 5},
    {"PeakRightPastHigherNeighbour", &kPeaks, Interface::TraceLogMag, FuncPeakRight, 5, -100, kOk,
     9},
    {"PeakRightNoneLeft", &kPeaks, Interface::TraceLogMag, FuncPeakRight, 9, -100,
     kNoQualifyingPeak, 9},
    {"PeakLeft", &kPeaks, Interface::TraceLogMag, FuncPeakLeft, 9, -100, kOk, 5},
    {"PeakRightThreshold", &kPeaks, Interface::TraceLogMag, FuncPeakRight, 0, 9.5f, kOk, 5},
    {"PeakRightAboveAll", &kPeaks, Interface::TraceLogMag, FuncPeakRight, 0, 10.5f,
     kNoQualifyingPeak, 0},
    {"LinearIgnoresThresholdAndExcursion", &kPeaks, Interface::TraceLinMag, FuncPeakRight, 1, 500,
     kOk, 3},
    {"NextLowerPeak", &kPeaks, Interface::TraceLogMag, FuncNextPeak, 5, -100, kOk, 9},
    {"NextLowerPeakAgain", &kPeaks, Interface::TraceLogMag, FuncNextPeak, 9, -100, kOk, 1},
    {"TargetRight", &kTriangle, Interface::TraceLogMag, FuncTargetRight, 0, 0, kOk, 2.5},
    {"TargetRightSkipsCurrent", &kTriangle, Interface::TraceLogMag, FuncTargetRight, 2.5, 0, kOk,
     7.5},
    {"TargetRightNoWrap", &kTriangle, Interface::TraceLogMag, FuncTargetRight, 7.5, 0,
     kTargetNotFound, 7.5},
    {"TargetWraps", &kTriangle, Interface::TraceLogMag, FuncTarget, 7.5, 0, kOk, 2.5},
    {"TargetLeft", &kTriangle, Interface::TraceLogMag, FuncTargetLeft, 7.5, 0, kOk, 2.5},
    {"TargetLeftNoWrap", &kTriangle, Interface::TraceLogMag, FuncTargetLeft, 2.5, 0,
     kTargetNotFound, 2.5},
};

class SearchTest : public ::testing::TestWithParam<SearchRow> {};

TEST_P(SearchTest, MovesToTheExpectedPoint) {
    const SearchRow& row = GetParam();
    TestTrace trace(static_cast<int>(row.data->size()), 0.0, row.data->size() - 1.0);
    trace.SetTraceFormat(row.format);
    trace.Fill([&](std::size_t i) { return (*row.data)[i]; });
    CMarkerSet set;
    set.SetDataProvider(&trace);
    CMarkerMR* m = nullptr;
    set.CreateMarker(1, &m);
    m->put_AbsoluteBucketPosition(row.start);
    m->put_PeakThreshold(row.threshold);
    m->put_TargetValue(5.0f);
    EXPECT_EQ(m->Compute(row.function), row.status);
    double bucket = -1;
    m->get_AbsoluteBucketPosition(&bucket);
    EXPECT_NEAR(bucket, row.bucket, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Markers, SearchTest, ::testing::ValuesIn(kSearches),
                         [](const auto& info) { return std::string(info.param.name); });

struct SearchFixture : ::testing::Test {
    TestTrace trace{11, 0.0, 10.0};
    CMarkerSet set;
    CMarkerMR* m = nullptr;
    std::vector<MarkerResult> results;
    SearchFixture() {
        trace.Fill([](std::size_t i) { return kPeaks[i]; });
        set.SetDataProvider(&trace);
        set.CreateMarker(1, &m);
    }
    double Bucket() {
        double b = 0;
        m->get_AbsoluteBucketPosition(&b);
        return b;
    }
};

TEST_F(SearchFixture, FailedNextLowerPeakStaysAndReportsToTheApplication) {
    HostServices::ScopedReset reset;
    m->put_AbsoluteBucketPosition(1);
    EXPECT_EQ(m->Compute(FuncNextPeak), kNoQualifyingPeak);
    EXPECT_EQ(Bucket(), 1.0);
    ASSERT_EQ(HostServices::ReportedErrors().size(), 1u);
    EXPECT_EQ(HostServices::ReportedErrors()[0].code, MakeStatus(0xE8080882));
    EXPECT_EQ(HostServices::ReportedErrors()[0].message,
              L" Didn't find a lower amplitude peak that satisfied Excursion and Threshold.");
}

TEST_F(SearchFixture, PlateausAndFlatTracesHaveNoStrictPeak) {
    trace.Fill([](std::size_t i) { return i == 4 || i == 5 ? 3.0 : 0.0; });
    m->put_AbsoluteBucketPosition(0);
    EXPECT_EQ(m->Compute(FuncPeakRight), kNoQualifyingPeak);
    trace.Fill([](std::size_t) { return 1.0; });
    m->put_AbsoluteBucketPosition(7);
    EXPECT_EQ(m->Compute(FuncMax), kOk);
    EXPECT_EQ(Bucket(), 0.0);
    trace.SetFormattedData({});
    EXPECT_EQ(m->Compute(FuncMax), kInvalidArg);
}

TEST_F(SearchFixture, UserRangeLimitsSearchesAndAnEmptyOneChangesNothing) {
    trace.SetUserRange(2, 6.0, 2.5);
    m->SetUserRange(2);
    m->put_AbsoluteDomainValue(3.0);
    EXPECT_EQ(m->Compute(FuncMax), kOk);
    EXPECT_EQ(Bucket(), 5.0);
    EXPECT_EQ(m->put_AbsoluteDomainValue(9.0), kMarkerValueClamped);
    EXPECT_EQ(Bucket(), 6.0);
    EXPECT_EQ(m->GetUserRangeMin(), 6.0);
    trace.SetUserRange(2, 100.0, 200.0);
    const MarkerFunction functions[] = {FuncMax, FuncMin, FuncPeakRight, FuncNextPeak, FuncTarget};
    for (MarkerFunction f : functions)
        EXPECT_EQ(m->Compute(f), kInvalidArg) << f;
    EXPECT_EQ(m->put_AbsoluteDomainValue(1.0), kInvalidArg);
    EXPECT_EQ(m->put_AbsoluteBucketPosition(1.0), kInvalidArg);
    EXPECT_EQ(Bucket(), 6.0);
    long lo = -1, hi = -1;
    double flo = -1, fhi = -1;
    EXPECT_EQ(set.GetLimitedIndicies(lo, hi, trace.Stimulus(), 2), 0);
    EXPECT_EQ(set.GetLimitedIndicies2(flo, fhi, trace.Stimulus(), 2), 0.0);
    EXPECT_EQ(lo + hi + flo + fhi, 0.0);
    // A range between two points holds no whole point.
    trace.SetUserRange(3, 3.2, 3.7);
    EXPECT_EQ(set.GetLimitedIndicies(lo, hi, trace.Stimulus(), 3), 0);
    EXPECT_EQ(lo, 4);
    EXPECT_NEAR(set.GetLimitedIndicies2(flo, fhi, trace.Stimulus(), 3), 0.5, 1e-12);
}

TEST_F(SearchFixture, TargetWithoutInterpolationReadsTheNearestPoint) {
    trace.Fill([](std::size_t i) { return kTriangle[i]; });
    m->put_Interpolate(0);
    m->put_AbsoluteBucketPosition(0);
    m->put_TargetValue(5.4f);
    m->put_MarkerFunction(FuncTargetRight);
    m->SetFunctionTracking(true);
    set.ProcessData(false, false, nullptr, results);
    EXPECT_NEAR(Bucket(), 2.7, 1e-6);
    EXPECT_EQ(results[0].position, 3.0);
    EXPECT_EQ(results[0].stimulus, 3.0);
    EXPECT_EQ(results[0].displayValues[0], 6.0f);
}

// Gain of an amplifier over input power -30..10 dBm: flat 20 dB up to -5 dBm, then falling as
// 0.04·(P + 5)², so the 1 dB compression point is at 0 dBm.
TEST(CompressionSearch, FindsTheCompressionPointOrStopsAtTheEnd) {
    TestTrace trace(401, -30.0, 10.0);
    trace.Scalar([](double p) { return p <= -5 ? 20.0 : 20.0 - 0.04 * (p + 5) * (p + 5); });
    CMarkerSet set;
    set.SetDataProvider(&trace);
    CMarkerMR* m = nullptr;
    set.CreateMarker(1, &m);
    double level = 1.0, in = 0, out = 0;
    EXPECT_EQ(m->SetCompressionLevel(level), kOk);
    m->GetCompPowerIn(&in);
    m->GetCompPowerOut(&out);
    EXPECT_NEAR(in, 0.0, 0.1);
    EXPECT_NEAR(out, 19.0, 0.1);
    EXPECT_TRUE(m->GetCompressionData().found);
    EXPECT_NEAR(m->GetCompressionData().measuredCompression, 1.0, 1e-3);
    m->put_Interpolate(0);  // re-runs the search, reading whole points
    m->GetCompPowerIn(&in);
    EXPECT_NEAR(in, 0.0, 0.1 + 1e-9);
    EXPECT_NEAR(in * 10.0, std::round(in * 10.0), 1e-9);
    level = 100.0;
    EXPECT_EQ(m->Compute(FuncCompression), kFalse);  // found again where it was
    m->SetCompressionLevel(level);
    EXPECT_FALSE(m->GetCompressionData().found);
    EXPECT_EQ(m->Compute(FuncCompression), kCompressionNotFound);
    m->GetCompPowerIn(&in);
    EXPECT_EQ(in, 10.0);
}

}  // namespace
}  // namespace Tessel
