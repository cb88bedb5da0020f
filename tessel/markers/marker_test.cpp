// SPDX-License-Identifier: Apache-2.0
#include "tessel/markers/marker.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/markers/internal/test_trace.h"
#include "tessel/markers/marker_set.h"

namespace Tessel {
namespace {

using testing::TestTrace;
constexpr double kPi = 3.14159265358979323846;

// A set over a trace of 21 points at 0..20 whose formatted value is 10·index.
struct MarkerTest : ::testing::Test {
    TestTrace trace{21, 0.0, 20.0};
    CMarkerSet set;
    std::vector<MarkerResult> results;

    MarkerTest() {
        trace.Fill([](std::size_t i) { return 10.0 * i; });
        set.SetDataProvider(&trace);
    }
    CMarkerMR* Make(long n, double at) {
        CMarkerMR* m = nullptr;
        set.CreateMarker(n, &m);
        m->put_AbsoluteDomainValue(at);
        return m;
    }
    const MarkerResult& Process(long n) {
        set.ProcessData(false, false, nullptr, results);
        return results[n - 1];
    }
};

TEST_F(MarkerTest, NewMarkerHasItsInitialSettingsAndClampsPeakSettings) {
    CMarkerMR m(&set, 3);
    MarkerFormatEnum format;
    short interpolate = 0;
    m.get_MarkerFormat(&format);
    m.get_Interpolate(&interpolate);
    EXPECT_EQ(format, MkrDefault);
    EXPECT_EQ(m.get_MarkerFunction(), FuncMax);
    EXPECT_EQ(interpolate, 1);
    EXPECT_EQ(m.get_PeakThreshold(), -100.0f);
    EXPECT_EQ(m.get_PeakExcursion(), 3.0f);
    EXPECT_EQ(m.get_TargetValue(), 0.0f);
    EXPECT_EQ(m.GetDesiredDomainVal(), 1e6);
    EXPECT_EQ(m.put_PeakThreshold(600.0f), kMarkerValueClamped);
    EXPECT_EQ(m.get_PeakThreshold(), 500.0f);
    EXPECT_EQ(m.put_PeakExcursion(-600.0f), kMarkerValueClamped);
    EXPECT_EQ(m.get_PeakExcursion(), -500.0f);
    EXPECT_EQ(m.put_PeakExcursion(7.0f), kOk);
}

TEST_F(MarkerTest, ScpiValuesAddressExcursionThresholdAndDomain) {
    CMarkerMR* m = Make(1, 5.0);
    CMarkerMR* delta = Make(2, 8.0);
    delta->put_ReferenceMarker(1);
    EXPECT_EQ(m->SetValue(1, 7.0), kOk);
    EXPECT_EQ(m->SetValue(2, 600.0), kMarkerValueClamped);
    EXPECT_EQ(delta->SetValue(3, 2.5), kOk);  // relative to the reference at 5
    double v = 0.0;
    struct Row {
        CMarkerMR* marker;
        Interface::SCPIMinOrMax which;
        int id;
        double expected;
    } rows[] = {{m, Interface::SCPICurrent, 1, 7.0},     {m, Interface::SCPICurrent, 2, 500.0},
                {m, Interface::SCPIMinimum, 1, -500.0},  {m, Interface::SCPIMaximum, 2, 500.0},
                {m, Interface::SCPIMinimum, 3, 0.0},     {m, Interface::SCPIMaximum, 3, 20.0},
                {delta, Interface::SCPICurrent, 3, 2.5}, {delta, Interface::SCPIMinimum, 3, -20.0},
                {delta, Interface::SCPIMaximum, 3, 20.0}};
    for (const Row& row : rows) {
        row.marker->GetValue(row.which, row.id, v);
        EXPECT_DOUBLE_EQ(v, row.expected) << row.id << " " << row.which;
    }
    double absolute = 0.0;
    delta->get_AbsoluteDomainValue(&absolute);
    EXPECT_DOUBLE_EQ(absolute, 7.5);
    int i = 0;
    EXPECT_THROW(m->SetValue(4, 1.0), long);
    EXPECT_THROW(m->SetValue(1, 1), long);
    EXPECT_THROW(m->GetValue(Interface::SCPICurrent, 1, i), long);
    EXPECT_THROW(m->GetValue(Interface::SCPICurrent, 9, v), long);
}

// Interpolation on reads between points; off, every readout is the nearest point while the
// stored bucket stays fractional.
TEST_F(MarkerTest, InterpolationSwitchReadsBetweenOrAtTheNearestPoint) {
    CMarkerMR* m = Make(1, 10.7);
    const MarkerResult& on = Process(1);
    EXPECT_NEAR(on.position, 10.7, 1e-9);
    EXPECT_NEAR(on.stimulus, 10.7, 1e-9);
    EXPECT_NEAR(on.responseValue, 107.0, 1e-4);
    EXPECT_NEAR(on.displayValues[0], 107.0, 1e-4);
    EXPECT_EQ(on.displayUnits[0], UnitDB);
    m->put_Interpolate(0);
    const MarkerResult& off = Process(1);
    double bucket = 0.0;
    m->get_AbsoluteBucketPosition(&bucket);
    EXPECT_NEAR(bucket, 10.7, 1e-9);
    EXPECT_EQ(off.position, 11.0);
    EXPECT_EQ(off.stimulus, 11.0);
    EXPECT_EQ(off.responseValue, 110.0f);
    EXPECT_EQ(off.displayValues[0], 110.0f);
    // At the last point no neighbour beyond the end is read.
    m->put_Interpolate(1);
    EXPECT_EQ(m->put_AbsoluteDomainValue(25.0), kMarkerValueClamped);
    EXPECT_EQ(Process(1).displayValues[0], 200.0f);
    EXPECT_EQ(m->put_AbsoluteBucketPosition(-1.0), kMarkerValueClamped);
    EXPECT_EQ(Process(1).stimulus, 0.0);
}

TEST(MarkerPhase, InterpolatesAcrossPlusMinusPiAlongTheShorterArc) {
    TestTrace trace(3, 0.0, 2.0);
    trace.SetTraceFormat(Interface::TracePhase);
    trace.SetFormattedUnit(UnitRadians);
    const double a = 179.0 * kPi / 180.0;
    trace.Complex([&](double f) { return std::polar(1.0, f == 0.0 ? a : f == 1.0 ? -a : a); });
    CMarkerSet set;
    set.SetDataProvider(&trace);
    CMarkerMR* m = nullptr;
    set.CreateMarker(1, &m);
    std::vector<MarkerResult> results;
    for (double at : {0.5, 1.5, 0.25}) {
        m->put_AbsoluteDomainValue(at);
        set.ProcessData(false, false, nullptr, results);
        const double expected = at == 0.25 ? a + 0.25 * (2 * kPi - 2 * a) : -kPi;
        EXPECT_NEAR(results[0].displayValues[0], expected, 1e-5) << at;
    }
}

// Delta readouts are the differences of the absolute readouts; a dBm trace reads dB in a
// delta marker; removing the reference makes the marker absolute again.
TEST(MarkerDelta, ReadsDifferencesUntilItsReferenceIsRemoved) {
    TestTrace trace(201, 1e9, 2e9);
    trace.SetFormattedUnit(UnitDBm);
    trace.Complex([](double f) { return testing::Resonator(f, 1.5e9, 1e8); });
    CMarkerSet set;
    set.SetDataProvider(&trace);
    CMarkerMR *reference = nullptr, *delta = nullptr;
    set.CreateMarker(1, &reference);
    set.CreateMarker(3, &delta);
    reference->put_AbsoluteDomainValue(1.4523e9);
    delta->put_AbsoluteDomainValue(1.6071e9);
    std::vector<MarkerResult> absolute, results;
    set.ProcessData(false, false, nullptr, absolute);
    delta->put_ReferenceMarker(1);
    delta->put_MarkerFormat(MkrLogMagPhase);
    set.ProcessData(false, false, nullptr, results);
    const MarkerResult& d = results[2];
    EXPECT_EQ(d.referenceMarkerNumber, 1);
    EXPECT_NEAR(d.displayValues[0], absolute[2].displayValues[0] - absolute[0].displayValues[0],
                1e-5);
    EXPECT_EQ(d.displayUnits[0], UnitDB);
    EXPECT_EQ(absolute[2].displayUnits[0], UnitDBm);
    EXPECT_NEAR(d.deltaStimulus, 1.6071e9 - 1.4523e9, 1e-3);
    EXPECT_EQ(d.deltaValue, absolute[2].value - absolute[0].value);
    const float phase = static_cast<float>(absolute[2].value.Phase() - absolute[0].value.Phase());
    EXPECT_NEAR(d.displayValues[1], phase, 1e-3);
    double relative = 0.0;
    delta->get_DomainValue(&relative);
    EXPECT_NEAR(relative, 1.6071e9 - 1.4523e9, 1e-3);

    set.RemoveMarker(1);
    set.ProcessData(false, false, nullptr, results);
    EXPECT_EQ(results[2].referenceMarkerNumber, 0);
    EXPECT_NEAR(results[2].displayValues[0], absolute[2].displayValues[0], 1e-5);
    EXPECT_EQ(delta->GetReferenceMarkerNum(), 0);
    CMarkerMR* none = nullptr;
    EXPECT_EQ(delta->get_ReferenceMarker(&none), kNoObject);
}

TEST_F(MarkerTest, FixedMarkerKeepsItsStoredValues) {
    CMarkerMR* m = Make(1, 4.0);
    EXPECT_EQ(m->put_AbsoluteRangeValue(TsComplex(1.0f, 2.0f)), kRangeValueOnlyOnFixedMarker);
    m->put_Type(MkrFixed);
    m->put_AbsoluteRangeValue(TsComplex(3.0f, 4.0f));
    EXPECT_EQ(Process(1).displayValues[0], 3.0f);  // the response value in the trace format
    trace.SetTraceFormat(Interface::TracePhase);
    EXPECT_EQ(m->put_AbsoluteRangeValue(TsComplex(90.0f, 1.0f)), kOk);
    TsComplex kept;
    m->get_AbsoluteRangeValue(&kept);
    EXPECT_EQ(kept, TsComplex(3.0f, 4.0f));
    EXPECT_NEAR(Process(1).displayValues[0], kPi / 2, 1e-6);
    m->put_MarkerFormat(MkrRealImag);
    EXPECT_EQ(Process(1).displayValues[1], 4.0f);
    m->put_Type(static_cast<MarkerType>(2));
    EXPECT_EQ(m->Compute(FuncCurrent), kFail);
}

// A tracking reference numbered below its delta marker is brought up to date first.
TEST_F(MarkerTest, DeltaMarkerReadsItsReferenceOfTheSameUpdate) {
    CMarkerMR* reference = Make(1, 0.0);
    reference->put_MarkerFunction(FuncMax);
    reference->SetFunctionTracking(true);
    Make(4, 10.0)->put_ReferenceMarker(1);
    trace.Fill([](std::size_t i) { return i == 6 ? 100.0 : 0.0; });
    EXPECT_EQ(Process(4).deltaStimulus, 4.0);
    EXPECT_EQ(results[3].displayValues[0], -100.0f);
}

// Readouts of a complex sample Γ = 0.2 + 0.1j at 1 GHz in the component formats.
TEST(MarkerFormats, ReadsEveryComponentFromTheComplexSample) {
    TestTrace trace(2, 1e9, 2e9);
    trace.SetTraceFormat(Interface::TraceComplexReIm);
    trace.Complex([](double) { return std::complex<double>(0.2, 0.1); });
    CMarkerSet set;
    set.SetDataProvider(&trace);
    CMarkerMR* m = nullptr;
    set.CreateMarker(1, &m);
    m->put_AbsoluteDomainValue(1e9);
    const std::complex<double> g(0.2, 0.1), z = 50.0 * (1.0 + g) / (1.0 - g), y = 1.0 / z;
    const double w = 2 * kPi * 1e9;
    struct Row {
        MarkerFormatEnum format;
        double first, second, third;
        NAUnit unit0, unit2;
    } rows[] = {
        {MkrLinMag, std::abs(g), 0, 0, UnitUnits, UnitNone},
        {MkrLogMagPhase, 20 * std::log10(std::abs(g)), std::arg(g), 0, UnitDB, UnitNone},
        {MkrSWR, (1 + std::abs(g)) / (1 - std::abs(g)), 0, 0, UnitNone, UnitNone},
        {MkrImpedance, z.real(), z.imag(), z.imag() / w, UnitOhms, UnitHenries},
        {MkrAdmittance, y.real(), y.imag(), -1 / (w * y.imag()), UnitSiemens, UnitHenries},
        {MkrRealImag, 0.2, 0.1, 0, UnitUnits, UnitNone},
    };
    std::vector<MarkerResult> results;
    for (const Row& row : rows) {
        m->put_MarkerFormat(row.format);
        set.ProcessData(false, false, nullptr, results);
        const MarkerResult& r = results[0];
        EXPECT_EQ(r.displayFormat, row.format);
        EXPECT_NEAR(r.displayValues[0], row.first, 1e-5 * std::abs(row.first));
        EXPECT_NEAR(r.displayValues[1], row.second, 1e-5 * std::abs(row.second) + 1e-7);
        EXPECT_NEAR(r.displayValues[2], row.third, 1e-5 * std::abs(row.third) + 1e-15);
        EXPECT_EQ(r.displayUnits[0], row.unit0);
        EXPECT_EQ(r.displayUnits[2], row.unit2);
        float first = 0, second = 0;
        EXPECT_TRUE(CMarkerMR::FormatMarker(r, row.format, 50.0f, first, second));
        EXPECT_EQ(first, r.displayValues[0]);
        ASSERT_TRUE(CMarkerMR::FormatMarker(r, MkrLinMagPhase, 50.0f, first, second));
        EXPECT_NEAR(second, std::arg(g) * 57.29578, 1e-4);
    }
    float first = 0, second = 0;
    EXPECT_FALSE(CMarkerMR::FormatMarker(results[0], MkrDelay, 50.0f, first, second));
    // A capacitive impedance reads a positive capacitance in farads.
    trace.Complex([](double) { return std::complex<double>(0.2, -0.1); });
    m->put_MarkerFormat(MkrImpedance);
    set.ProcessData(false, false, nullptr, results);
    const std::complex<double> zc = 50.0 * (1.0 + std::conj(g)) / (1.0 - std::conj(g));
    EXPECT_EQ(results[0].displayUnits[2], UnitFarads);
    EXPECT_NEAR(results[0].displayValues[2], -1 / (w * zc.imag()), 1e-5 / (w * -zc.imag()));
}

}  // namespace
}  // namespace Tessel
