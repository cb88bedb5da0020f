// SPDX-License-Identifier: Apache-2.0
// The marker set: slots, ProcessData, statistics, the readouts on closed-form traces, the
// saved record and the archive form.
#include "tessel/markers/marker_set.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/archive/c_archive.h"
#include "platform/measutil/quor_exception.h"
#include "tessel/core/status.h"
#include "tessel/markers/internal/test_trace.h"

namespace Tessel {
namespace {

using testing::Resonator;
using testing::TestTrace;

struct SetTest : ::testing::Test {
    TestTrace trace{21, 0.0, 20.0};
    CMarkerSet set;
    std::vector<MarkerResult> results;
    MarkerSetResults setResults;
    SetTest() {
        trace.Fill([](std::size_t i) { return static_cast<double>(i); });
        set.SetDataProvider(&trace);
    }
    CMarkerMR* Marker(long n) {
        CMarkerMR* m = nullptr;
        set.CreateMarker(n, &m);
        return m;
    }
    static double Domain(CMarkerMR* m) {
        double d = 0;
        m->get_AbsoluteDomainValue(&d);
        return d;
    }
};

TEST_F(SetTest, SlotsFollowTheCreateGetRemoveRules) {
    CMarkerMR* m = reinterpret_cast<CMarkerMR*>(&set);
    EXPECT_EQ(set.get_ActiveMarker(&m), kNoObject);
    for (long bad : {0L, 11L}) {
        EXPECT_EQ(set.CreateMarker(bad, &m), kInvalidArg);
        EXPECT_EQ(m, nullptr);
        EXPECT_EQ(set.GetMarker(bad, &m), kInvalidArg);
        EXPECT_EQ(set.RemoveMarker(bad), kInvalidArg);
    }
    EXPECT_EQ(set.GetMarker(2, &m), kEmptyMarkerSlot);
    EXPECT_EQ(set.put_ActiveMarker(2), kInvalidArg);
    CMarkerMR* third = Marker(3);
    EXPECT_EQ(Domain(third), 10.0);  // the middle of the sweep
    third->put_AbsoluteDomainValue(4.0);
    EXPECT_EQ(Domain(Marker(7)), 4.0);  // at the active marker
    EXPECT_EQ(trace.GetRefreshCount(true), 2);
    EXPECT_EQ(set.CreateMarker(3, &m), kFalse);
    EXPECT_EQ(m, third);
    EXPECT_EQ(set.put_ActiveMarker(7), kOk);
    EXPECT_EQ(set.RemoveMarker(7), kFalse);
    set.get_ActiveMarker(&m);
    EXPECT_EQ(m, third);
    EXPECT_EQ(set.put_MarkerFormat(MkrLinMag), kNotImplemented);

    std::vector<long> slots(4);
    EXPECT_FALSE(set.CreateMultipleMarkers(slots, 8));
    EXPECT_TRUE(set.CreateMultipleMarkers(slots, 2));
    EXPECT_EQ(slots, (std::vector<long>{1, 2, 3, 4}));
    set.SetMarkerBandwidthTracking(true);
    set.SetMarkerPSatTracking(true);
    set.SetMarkerNOPTracking(true);
    set.RemoveMarker(4);
    EXPECT_FALSE(set.GetMarkerBandwidthTracking() || set.GetMarkerNOPTracking());
    EXPECT_TRUE(set.GetMarkerPSatTracking());
    set.RemoveMarker(3);
    EXPECT_FALSE(set.GetMarkerPSatTracking());
}

TEST_F(SetTest, ProcessDataUpdatesEverySlotWithoutRefreshRequests) {
    CMarkerMR* m = Marker(2);
    Marker(9)->put_AbsoluteDomainValue(15.0);
    m->put_MarkerFunction(FuncMin);
    m->SetFunctionTracking(true);
    set.SetMarkerBandwidthLevel(-1.0f);
    set.SetMarkerBandwidthTracking(true);  // creates markers 1 to 4 on the next pass
    const int requests = trace.GetRefreshCount(false) + trace.GetRefreshCount(true);
    EXPECT_EQ(set.ProcessData(false, false, &setResults, results), 0);
    EXPECT_EQ(trace.GetRefreshCount(false) + trace.GetRefreshCount(true), requests);
    ASSERT_EQ(results.size(), 10u);
    EXPECT_TRUE(results[0].valid && results[3].valid && results[8].valid);
    EXPECT_FALSE(results[4].valid);
    EXPECT_EQ(results[1].stimulus, 0.0);  // marker 2 ran its tracked minimum
    EXPECT_EQ(results[8].stimulus, 15.0);
    EXPECT_EQ(setResults.activeMarkerNumber, 2);
    // A change of domain kind repositions the markers from their relative positions.
    trace.SetUseDomainKind3(true);
    trace.SetStimulus(InputArray(Segment::Linear(100.0, 140.0, 41)));
    trace.Fill([](std::size_t i) { return static_cast<double>(i); });
    set.ProcessData(false, false, &setResults, results);
    EXPECT_EQ(set.GetDomainEnum(), DomainKind3);
    EXPECT_EQ(results[8].stimulus, 130.0);
}

TEST_F(SetTest, StatisticsCoverTheUserRangeOfFormattedOrLogMagnitudeData) {
    trace.SetUserRange(1, 2.0, 5.0);
    EXPECT_FALSE(set.SetUserRangeForStats(17));
    EXPECT_TRUE(set.SetUserRangeForStats(1));
    EXPECT_EQ(set.GetUserRangeForStats(), 1);
    set.ShowStatistics(true);
    set.ComputeStatistics(&setResults);
    EXPECT_TRUE(setResults.statisticsShowing);
    EXPECT_FALSE(setResults.bandwidthPriority);
    EXPECT_DOUBLE_EQ(setResults.statistic1, 3.5);
    EXPECT_DOUBLE_EQ(setResults.minimum, 2.0);
    EXPECT_DOUBLE_EQ(setResults.maximum, 5.0);
    EXPECT_DOUBLE_EQ(setResults.peakToPeak, 3.0);
    EXPECT_NEAR(setResults.statistic5, std::sqrt(13.5), 1e-6);
    MarkerSetResults fresh;  // ProcessData reports everything but the statistics
    set.ProcessData(false, false, &fresh, results);
    EXPECT_EQ(fresh.statistic1 + fresh.maximum, 0.0);
    trace.SetFormattedData({});
    set.ComputeStatistics(&setResults);
    EXPECT_NEAR(setResults.maximum, 20.0 * std::log10(5.0), 1e-5);
    EXPECT_NEAR(setResults.minimum, 20.0 * std::log10(2.0), 1e-5);
    trace.SetUserRange(1, 50.0, 60.0);  // no overlap: no point
    set.ComputeStatistics(&setResults);
    EXPECT_EQ(setResults.maximum + setResults.statistic1, 0.0);
    trace.ClearUserRanges();
    trace.Fill([](std::size_t i) { return static_cast<double>(i); });
    trace.SetComplexData({});  // values but no complex data: nothing computed
    set.ComputeStatistics(&setResults);
    EXPECT_EQ(setResults.maximum, 0.0);
}

// The bandwidth of a resonance, and of a notch for a positive level, against the closed-form
// crossing points |H(x)|² = 10^(level/10), x = 2(f - f0)/b.
TEST(Bandwidth, MeasuresPassBandAndNotchInClosedForm) {
    const double f0 = 1.5e9;
    struct Row {
        float level;
        double depth;  // H = 1 - depth·(1 - resonator); 0 is the plain resonator
        double b;
    } rows[] = {{-3.0f, 0.0, 1e7}, {-6.0f, 0.0, 2e7}, {3.0f, 0.9, 1e8}};
    for (const Row& row : rows) {
        TestTrace trace(2001, 1.45e9, 1.55e9);
        trace.Complex([&](double f) {
            const auto r = Resonator(f, f0, row.b);
            return row.depth == 0.0 ? r : 1.0 - row.depth * r;
        });
        CMarkerSet set;
        set.SetDataProvider(&trace);
        set.SetMarkerBandwidthLevel(row.level);
        EXPECT_EQ(set.MarkerBandwidth(1), kOk);
        MarkerSetResults r;
        std::vector<MarkerResult> markers;
        set.ProcessData(false, false, &r, markers);
        // Plain: 1/(1+x²) = p. Notch with d = depth: ((1-d)² + x²)/(1+x²) = p.
        const double bottom = row.depth == 0.0 ? 0.0 : 20 * std::log10(1.0 - row.depth);
        const double p = std::pow(10.0, (bottom + row.level) / 10.0);
        const double q = row.depth == 0.0 ? 1.0 : (1 - row.depth) * (1 - row.depth);
        const double x = row.depth == 0.0 ? std::sqrt(1 / p - 1) : std::sqrt((p - q) / (1 - p));
        const double width = row.b * x;
        EXPECT_TRUE(r.bandwidthOn && r.bandwidthValid);
        EXPECT_NEAR(r.bandwidth, width, 1e-3 * width) << row.level;
        EXPECT_NEAR(r.bandwidthCentre, f0, 1e-3 * width);
        EXPECT_NEAR(r.bandwidthQ, f0 / width, 1e-3 * f0 / width);
        EXPECT_NEAR(r.bandwidthLoss, bottom, 1e-3);
    }
    TestTrace flat(11, 0.0, 10.0);
    flat.Fill([](std::size_t) { return 0.0; });
    CMarkerSet set;
    set.SetDataProvider(&flat);
    EXPECT_EQ(set.MarkerBandwidth(1), kBandwidthNotFound);
    EXPECT_EQ(set.MarkerBandwidth(8), kBandwidthNotFound);
}

// Output power of an amplifier over input power -30..10 dBm: P + 20 - 0.04·(P + 5)² above
// -5 dBm, with its maximum 21.25 dBm at 7.5 dBm and 1 dB below it at 2.5 dBm.
TEST(AmplifierReadouts, PSatAndNopFindTheSaturationPoints) {
    TestTrace trace(401, -30.0, 10.0);
    trace.Scalar([](double p) { return p + 20.0 - (p > -5 ? 0.04 * (p + 5) * (p + 5) : 0.0); });
    CMarkerSet set;
    set.SetDataProvider(&trace);
    set.SetMarkerPSatBackOff(1.0);
    set.SetMarkerNOPBackOff(1.0);
    set.SetMarkerNOPOffset(-2.0);
    EXPECT_EQ(set.MarkerPowerSaturation(1), kOk);
    EXPECT_EQ(set.MarkerNOP(5), kOk);
    MarkerSetResults r;
    std::vector<MarkerResult> markers;
    set.ProcessData(false, false, &r, markers);
    EXPECT_TRUE(r.psatOn && r.psatValid && r.psatPriority && r.nopValid);
    EXPECT_NEAR(r.psatMaxStimulus, 7.5, 1e-9);
    EXPECT_NEAR(r.psatMaxValue, 21.25, 1e-5);
    EXPECT_NEAR(r.psatBackOffStimulus, 2.5, 0.1);
    EXPECT_NEAR(r.psatBackOffValue, 20.25, 1e-3);
    EXPECT_EQ(r.psatFirstStimulus, -30.0);
    EXPECT_EQ(r.psatFirstValue, -10.0f);
    EXPECT_NEAR(r.nopOperatingStimulus, 0.5, 0.1);
    EXPECT_NEAR(r.nopOperatingValue, 19.29, 1e-3);
    EXPECT_NEAR(r.nopMaxValue, 21.25, 1e-5);
    set.SetMarkerPSatBackOff(100.0);
    EXPECT_EQ(set.MarkerPowerSaturation(1), kPSatInvalid);
    set.SetMarkerNOPBackOff(100.0);
    EXPECT_EQ(set.MarkerNOP(1), kNopInvalid);
}

// Markers 1, 2 (a delta marker on 1) and 5 (fixed, phase, tracking its minimum).
struct RecordTest : SetTest {
    RecordTest() {
        Marker(1)->put_AbsoluteDomainValue(3.0);
        CMarkerMR* delta = Marker(2);
        delta->put_AbsoluteDomainValue(7.5);
        delta->put_ReferenceMarker(1);
        CMarkerMR* m = Marker(5);
        m->put_MarkerFormat(MkrPhase);
        m->put_Type(MkrFixed);
        m->put_PeakThreshold(-20.0f);
        m->put_PeakExcursion(6.0f);
        m->put_TargetValue(1.5f);
        m->put_Interpolate(0);
        m->put_MarkerFunction(FuncMin);
        m->SetFunctionTracking(true);
        m->put_AbsoluteRangeValue(TsComplex(2.0f, -1.0f));
        set.put_ActiveMarker(2);
        set.SetMarkerBandwidthLevel(-6.0f);
        set.set_CoupledMarkers(true);
        set.ShowStatistics(true);
    }
    std::vector<unsigned char> Save(const CMarkerSet& s) {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(s.SaveData(nullptr, 0)));
        EXPECT_EQ(s.SaveData(bytes.data(), static_cast<int>(bytes.size())), bytes.size());
        return bytes;
    }
    static std::string Hex(const std::vector<unsigned char>& b, std::size_t from, std::size_t n) {
        std::string s;
        char two[3];
        for (std::size_t i = from; i < from + n; ++i) {
            std::snprintf(two, sizeof two, "%02x", b[i]);
            s += two;
        }
        return s;
    }
};

TEST_F(RecordTest, WritesTheGoldenSetRecord) {
    const std::vector<unsigned char> bytes = Save(set);
    ASSERT_EQ(bytes.size(), 34u + 3 * 129);
    EXPECT_EQ(Hex(bytes, 0, 34),
              "2300000003000000020000000100000000010000c0c000000003000000830100"
              "0001");
    EXPECT_EQ(Hex(bytes, 34, 129),
              "810000000500000001000000000000000000000000000000000059c000000000"
              "000008400000000000000000000000000000084000000000000008400f000002"
              "01333333333333c33f0000000000000000000000000000f03f000000000000f0"
              "3f00000000000000000000000000000000000000000000000000000000000000"
              "00");
    EXPECT_EQ(Hex(bytes, 163, 129),
              "810000000500000002000000000000000100000000000000000059c000000000"
              "0000084000000000000000000000000000001e400000000000001e400f000002"
              "01000000000000d83f0000000000000000000000000000f03f000000000000f0"
              "3f00000000000000000000000000000000000000000000000000000000000000"
              "00");
    EXPECT_EQ(Hex(bytes, 292, 129),
              "810000000500000005000000000000000000000000000000000034c000000000"
              "00001840000000000000f83f0000000000000840000000000000084002010106"
              "00333333333333c33f0000000000000000000000000000f03f000000000000f0"
              "3f000000000000000000000000000000000000000000000000399d52a246dfa1"
              "3f");
    EXPECT_EQ(set.SaveData(std::vector<unsigned char>(100).data(), 100), 0);
}

// Marker records of versions 1 to 5 restore their prefix of the fields; a version 2 record
// with format 12 reads format 15.
TEST_F(RecordTest, RecallsMarkerRecordsOfEveryVersion) {
    std::vector<unsigned char> bytes = Save(set);
    for (int version = 1; version <= 5; ++version) {
        SCOPED_TRACE(version);
        std::vector<unsigned char> old = bytes;
        for (int k = 0; k < 3; ++k)
            old[34 + 129 * k + 4] = static_cast<unsigned char>(version);
        old[34 + 60] = 12;  // marker 1 in kelvin
        CMarkerSet recalled;
        EXPECT_EQ(recalled.RecallData(old.data(), static_cast<int>(old.size())), old.size());
        CMarkerMR *m1 = nullptr, *m2 = nullptr, *m5 = nullptr;
        ASSERT_EQ(recalled.GetMarker(1, &m1) + recalled.GetMarker(2, &m2), kOk);
        ASSERT_EQ(recalled.GetMarker(5, &m5), kOk);
        MarkerFormatEnum format;
        m1->get_MarkerFormat(&format);
        EXPECT_EQ(format, version < 3 ? MkrDefault : MkrKelvin);
        EXPECT_EQ(Domain(m2), 7.5);
        CMarkerMR* reference = nullptr;
        EXPECT_EQ(m2->get_ReferenceMarker(&reference), kOk);
        EXPECT_EQ(reference, m1);
        EXPECT_EQ(m5->get_PeakExcursion(), 6.0f);
        EXPECT_TRUE(m5->GetFunctionTracking());
        const std::vector<unsigned char> again = Save(recalled);
        EXPECT_EQ(Hex(again, 34 + 129 + 65, 8),
                  version >= 2 ? Hex(bytes, 34 + 129 + 65, 8) : "0000000000000000");
        EXPECT_EQ(Hex(again, 292 + 113, 16),
                  version == 5 ? Hex(bytes, 292 + 113, 16) : std::string(32, '0'));
        EXPECT_EQ(recalled.get_CoupledMarkers(), true);
    }
}

TEST_F(RecordTest, RecallsVersionOneSetsAndRefusesBadRecordsWhole) {
    const std::vector<unsigned char> bytes = Save(set);
    std::vector<unsigned char> v1 = bytes;
    v1.erase(v1.begin() + 33);
    v1[4] = 1;
    CMarkerSet::set_AllMeasCoupledMarkers(false);
    CMarkerSet recalled;
    EXPECT_EQ(recalled.RecallData(v1.data(), static_cast<int>(v1.size())), v1.size());
    EXPECT_EQ(Save(recalled), bytes);  // byte 17 restored the process-wide flag

    auto refused = [&](std::vector<unsigned char> bad, int size) {
        EXPECT_EQ(recalled.RecallData(bad.data(), size), kInvalidArg);
        EXPECT_EQ(Save(recalled), bytes);
    };
    std::vector<unsigned char> bad = bytes;
    bad[34 + 129 + 8] = 1;  // marker 2 recorded as marker 1 again
    refused(bad, static_cast<int>(bad.size()));
    bad[34 + 129 + 8] = 11;
    refused(bad, static_cast<int>(bad.size()));
    refused(bytes, static_cast<int>(bytes.size()) - 1);
    refused(bytes, 20);
    bad = bytes;
    bad[25] = 11;  // eleven marker records
    refused(bad, static_cast<int>(bad.size()));
    bool coupled = false;
    CMarkerSet::get_AllMeasCoupledMarkers(&coupled);
    EXPECT_TRUE(coupled);
}

// A copy owns its own markers, with references resolved among them.
TEST_F(RecordTest, CopiesAreDeepAndArchivesKeepTheReadoutSettings) {
    set.SetMarkerNOPBackOff(2.5);
    set.ShowStatistics(true);
    auto copy = std::make_unique<CMarkerSet>(set);
    CMarkerSet assigned;
    assigned = *copy;
    set.RemoveMarker(1);
    for (CMarkerSet* s : {copy.get(), &assigned}) {
        CMarkerMR *m1 = nullptr, *m2 = nullptr, *reference = nullptr;
        s->GetMarker(1, &m1);
        s->GetMarker(2, &m2);
        EXPECT_EQ(m2->get_ReferenceMarker(&reference), kOk);
        EXPECT_EQ(reference, m1);
        EXPECT_TRUE(s->get_ActiveMarker(&reference) == kOk && reference == m2);
        EXPECT_TRUE(s->GetMarkerNOPBackOff() == 2.5 && s->StatisticsShowing());
    }
    copy.reset();

    set.SetMarkerPSatBackOff(1.5);
    set.SetMarkerPSatTracking(true);
    set.SetMarkerNOPOffset(-2.0);
    set.SetMarkerNOPTracking(true);
    std::vector<unsigned char> bytes;
    CArchive out(bytes, CArchive::store);
    set.Serialize(out);
    ASSERT_EQ(bytes.size(), 4 + 8 + 12 + 16 + 12u);
    CArchive in(bytes, CArchive::load);
    assigned.Serialize(in);
    EXPECT_EQ(assigned.GetMarkerPSatBackOff(), 1.5);
    EXPECT_TRUE(assigned.GetMarkerPSatTracking() && assigned.GetMarkerNOPTracking());
    EXPECT_EQ(assigned.GetMarkerNOPOffset(), -2.0);
    bytes[0] = 2;
    CArchive newer(bytes, CArchive::load);
    try {
        assigned.Serialize(newer);
        ADD_FAILURE() << "no exception";
    } catch (const QuorException& e) {
        EXPECT_EQ(e.Code(), MakeStatus(0xE8080867));
    }
}

}  // namespace
}  // namespace Tessel
