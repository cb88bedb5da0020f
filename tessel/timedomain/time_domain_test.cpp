#include "tessel/timedomain/time_domain.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using Tessel::TimeDomain;

constexpr double kNs = 1e-9;

TEST(TimeDomainSettings, NewObjectReportsInitialSettings) {
    TimeDomain td;
    EXPECT_DOUBLE_EQ(td.GetStartTime(), -10 * kNs);
    EXPECT_DOUBLE_EQ(td.GetStopTime(), 10 * kNs);
    EXPECT_DOUBLE_EQ(td.GetCenterTime(), 0.0);
    EXPECT_DOUBLE_EQ(td.GetSpanTime(), 20 * kNs);
    EXPECT_EQ(td.GetKaiserBeta(), 6.0);
    EXPECT_EQ(td.GetWindowShape(), TimeDomain::Normal);
    EXPECT_EQ(td.GetTransformMode(), TimeDomain::BandPass);
    EXPECT_EQ(td.GetTimePoints(), 201u);
    EXPECT_EQ(td.GetDCValue(), 0.0);
    double start = 0, stop = 0;
    unsigned points = 0;
    EXPECT_EQ(td.GetFrequencyData(start, stop, points), Tessel::kOk);
    EXPECT_EQ(start, 1e9);
    EXPECT_EQ(stop, 1e9);
    EXPECT_EQ(points, 201u);
    // Factors at beta 6; the band-pass width is doubled.
    EXPECT_DOUBLE_EQ(td.GetImpulseWidth(1.0), 2 * 0.975561);
    EXPECT_DOUBLE_EQ(td.GetStepRiseTime(1.0), 0.986);
    EXPECT_EQ(td.GetImpulseWidth(), 0.0);  // zero stored span
    EXPECT_TRUE(td.IsModified());
    EXPECT_EQ(td.Validate(), Tessel::kOk);
    EXPECT_FALSE(td.IsModified());
    EXPECT_EQ(td.SetTimePoints(101), Tessel::kNotImplemented);
    EXPECT_EQ(td.GetKaiserBetaMin(), 0.0);
    EXPECT_EQ(td.GetKaiserBetaMax(), 13.0);
    EXPECT_EQ(td.GetKaiserBetaNorm(), 6.0);
}

TEST(TimeDomainSettings, PresetsApplyToLaterObjectsOnly) {
    TimeDomain before;
    const double oldStart = TimeDomain::SetPresetStartTime(-2 * kNs);
    const double oldStop = TimeDomain::SetPresetStopTime(3 * kNs);
    const double oldBeta = TimeDomain::SetPresetKaiserBeta(2.5);
    EXPECT_EQ(oldStart, -1e-8);
    EXPECT_EQ(oldStop, 1e-8);
    EXPECT_EQ(oldBeta, 6.0);
    TimeDomain after;
    EXPECT_EQ(after.GetStartTime(), -2 * kNs);
    EXPECT_EQ(after.GetStopTime(), 3 * kNs);
    EXPECT_EQ(after.GetKaiserBeta(), 2.5);
    EXPECT_EQ(after.GetWindowShape(), TimeDomain::Normal);  // whatever the preset beta
    EXPECT_DOUBLE_EQ(after.GetStepRiseTime(1.0), (0.588 + 0.7) / 2);
    EXPECT_EQ(before.GetStartTime(), -10 * kNs);
    EXPECT_EQ(TimeDomain::SetPresetStartTime(oldStart), -2 * kNs);
    TimeDomain::SetPresetStopTime(oldStop);
    TimeDomain::SetPresetKaiserBeta(oldBeta);
    EXPECT_EQ(TimeDomain::GetPresetKaiserBeta(), 6.0);

    TimeDomain copy(before), assigned;
    assigned = before;
    before.SetKaiserBeta(3.0);  // copies share the state
    EXPECT_EQ(copy.GetKaiserBeta(), 3.0);
    EXPECT_EQ(assigned.GetKaiserBeta(), 3.0);
}

class TimeDomainGrid : public ::testing::Test {
  protected:
    // 101 points over 1 GHz: alias-free limit L = 100 ns.
    void SetUp() override {
        ASSERT_EQ(td.SetFrequencyData(1e9, 2e9, 101), Tessel::kOk);
        td.Validate();
    }
    TimeDomain td;
};

TEST_F(TimeDomainGrid, TimeLimitFollowsPointSpacing) {
    double limit = 0;
    ASSERT_EQ(td.GetTimeLimitValue(&limit), Tessel::kOk);
    EXPECT_DOUBLE_EQ(limit, 100 * kNs);
    EXPECT_EQ(td.GetTimePoints(), 101u);
    EXPECT_EQ(td.GetTimeLimitValue(nullptr), Tessel::kUnexpected);
    td.SetFrequencyData(1e9, 2e9, 1);
    limit = -1;
    EXPECT_EQ(td.GetTimeLimitValue(&limit), Tessel::kUnexpected);
    EXPECT_EQ(limit, -1);
}

TEST_F(TimeDomainGrid, StartAndStopClampAndPushEachOther) {
    EXPECT_EQ(td.SetStartTime(-5 * kNs, true), Tessel::kOk);
    EXPECT_TRUE(td.IsModified());
    td.Validate();
    EXPECT_EQ(td.SetStartTime(-5 * kNs, true), Tessel::kUnchanged);
    EXPECT_FALSE(td.IsModified());

    EXPECT_EQ(td.SetStartTime(-300 * kNs, true), Tessel::kFalse);
    EXPECT_DOUBLE_EQ(td.GetStartTime(), -100 * kNs);
    EXPECT_EQ(td.SetStartTime(-300 * kNs, false), Tessel::kOk);
    EXPECT_DOUBLE_EQ(td.GetStartTime(), -300 * kNs);

    EXPECT_EQ(td.SetStartTime(20 * kNs, true), Tessel::kOk);  // after the stop (10 ns)
    EXPECT_DOUBLE_EQ(td.GetStopTime(), 20 * kNs);
    EXPECT_EQ(td.SetStopTime(-30 * kNs, true), Tessel::kOk);
    EXPECT_DOUBLE_EQ(td.GetStartTime(), -30 * kNs);
    EXPECT_EQ(td.SetStopTime(500 * kNs, true), Tessel::kFalse);
    EXPECT_DOUBLE_EQ(td.GetStopTime(), 100 * kNs);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(td.SetStartTime(nan, true), Tessel::kInvalidArg);
    EXPECT_EQ(td.SetStopTime(INFINITY, false), Tessel::kInvalidArg);
    EXPECT_DOUBLE_EQ(td.GetStopTime(), 100 * kNs);
}

TEST_F(TimeDomainGrid, CenterShrinksSpanSymmetricallyToFit) {
    EXPECT_EQ(td.SetCenterTime(95 * kNs), Tessel::kOk);  // half span 10 ns does not fit
    EXPECT_DOUBLE_EQ(td.GetStartTime(), 90 * kNs);
    EXPECT_DOUBLE_EQ(td.GetStopTime(), 100 * kNs);
    EXPECT_EQ(td.SetCenterTime(95 * kNs), Tessel::kUnchanged);
    EXPECT_EQ(td.SetCenterTime(300 * kNs), Tessel::kFalse);  // centre itself clamped
    EXPECT_DOUBLE_EQ(td.GetStartTime(), 100 * kNs);
    EXPECT_DOUBLE_EQ(td.GetStopTime(), 100 * kNs);
    EXPECT_EQ(td.SetCenterTime(0.0), Tessel::kOk);
    EXPECT_EQ(td.GetSpanTime(), 0.0);
}

TEST_F(TimeDomainGrid, SpanStaysAroundCentreAndWithinLimit) {
    td.SetStartTime(2 * kNs, true);
    td.SetStopTime(6 * kNs, true);
    EXPECT_EQ(td.SetSpanTime(-1.0), Tessel::kOk);  // negative span becomes 0, no result 1
    EXPECT_DOUBLE_EQ(td.GetStartTime(), 4 * kNs);
    EXPECT_DOUBLE_EQ(td.GetStopTime(), 4 * kNs);
    EXPECT_EQ(td.SetSpanTime(0.0), Tessel::kUnchanged);
    EXPECT_EQ(td.SetSpanTime(1.0), Tessel::kFalse);  // largest span 2·(100 - 4) ns
    EXPECT_DOUBLE_EQ(td.GetStartTime(), -92 * kNs);
    EXPECT_DOUBLE_EQ(td.GetStopTime(), 100 * kNs);
}

TEST_F(TimeDomainGrid, FewerThanTwoPointsUseTheFixedLimit) {
    td.SetFrequencyData(1e9, 1e9, 0);
    EXPECT_EQ(td.SetStartTime(-20000.0, true), Tessel::kFalse);
    EXPECT_EQ(td.GetStartTime(), -10000.0);
    EXPECT_EQ(td.SetSpanTime(1e9), Tessel::kFalse);
    EXPECT_TRUE(std::isfinite(td.GetSpanTime()));
    EXPECT_EQ(td.SetCenterTime(1.0), Tessel::kOk);
    EXPECT_TRUE(std::isfinite(td.GetStartTime()));
    double min = -1, max = -1;
    td.GetMinMaxImpulseWidth(min, max);
    EXPECT_EQ(min, 0.0);
    EXPECT_EQ(max, 0.0);
}

TEST(TimeDomainWindow, BetaClampsAndNamesItsShape) {
    TimeDomain td;
    EXPECT_EQ(td.SetKaiserBeta(20.0), Tessel::kOk);
    EXPECT_EQ(td.GetKaiserBeta(), 13.0);
    EXPECT_EQ(td.GetWindowShape(), TimeDomain::Maximum);
    td.Validate();
    EXPECT_EQ(td.SetKaiserBeta(13.0), Tessel::kUnchanged);
    EXPECT_FALSE(td.IsModified());
    EXPECT_EQ(td.SetKaiserBeta(6.00005), Tessel::kOk);
    EXPECT_EQ(td.GetWindowShape(), TimeDomain::Normal);
    EXPECT_EQ(td.SetKaiserBeta(7.0), Tessel::kOk);
    EXPECT_EQ(td.GetWindowShape(), TimeDomain::Custom);
    EXPECT_EQ(td.SetKaiserBeta(-1.0), Tessel::kOk);
    EXPECT_EQ(td.GetWindowShape(), TimeDomain::Minimum);
    EXPECT_EQ(td.SetKaiserBeta(std::nan("")), Tessel::kInvalidArg);
    EXPECT_EQ(td.GetKaiserBeta(), 0.0);
}

TEST(TimeDomainWindow, ShapeSetsBetaAndCustomKeepsIt) {
    TimeDomain td;
    td.SetKaiserBeta(7.5);
    EXPECT_EQ(td.SetWindowShape(TimeDomain::Custom), Tessel::kUnchanged);
    EXPECT_EQ(td.SetWindowShape(TimeDomain::Minimum), Tessel::kOk);
    EXPECT_EQ(td.GetKaiserBeta(), 0.0);
    EXPECT_DOUBLE_EQ(td.GetStepRiseTime(1.0), 0.448);
    EXPECT_EQ(td.SetWindowShape(TimeDomain::Custom), Tessel::kOk);
    EXPECT_EQ(td.GetKaiserBeta(), 0.0);
    EXPECT_EQ(td.SetWindowShape(TimeDomain::Maximum), Tessel::kOk);
    EXPECT_EQ(td.GetKaiserBeta(), 13.0);
    EXPECT_EQ(td.SetWindowShape(static_cast<TimeDomain::WindowShape>(7)), Tessel::kInvalidArg);
    EXPECT_EQ(td.GetWindowShape(), TimeDomain::Maximum);
}

TEST(TimeDomainWindow, FactorsInterpolateTheTables) {
    TimeDomain td;
    td.SetTransformMode(TimeDomain::LowPassImpulse);
    td.SetKaiserBeta(2.5);
    EXPECT_DOUBLE_EQ(td.GetImpulseWidth(1.0), (0.679289 + 0.752108) / 2);
    td.SetKaiserBeta(0.25);
    EXPECT_DOUBLE_EQ(td.GetStepRiseTime(1.0), 0.448 + 0.25 * (0.489 - 0.448));
    // Back from a factor: the step factor of beta 6 gives beta 6; halfway between rows.
    EXPECT_EQ(td.SetStepRiseTime(0.986, 1.0), Tessel::kOk);
    EXPECT_DOUBLE_EQ(td.GetKaiserBeta(), 6.0);
    EXPECT_EQ(td.SetImpulseWidth((1.107016 + 1.167734) / 2 / 2e9), Tessel::kOk);  // zero span
    EXPECT_EQ(td.GetKaiserBeta(), 0.0);
    EXPECT_EQ(td.SetImpulseWidth((1.107016 + 1.167734) / 2, 1.0), Tessel::kOk);
    EXPECT_NEAR(td.GetKaiserBeta(), 8.5, 1e-12);
}

TEST(TimeDomainWindow, WidthsFromSpanAndBackToBeta) {
    TimeDomain td;
    td.SetFrequencyData(1e9, 3e9, 201);  // span 2 GHz
    const double bandPass = td.GetImpulseWidth();
    td.SetTransformMode(TimeDomain::LowPassStep);
    EXPECT_DOUBLE_EQ(bandPass, 2 * td.GetImpulseWidth());
    EXPECT_DOUBLE_EQ(td.GetImpulseWidth(), 0.975561 / 2e9);
    double min = 0, max = 0;
    td.GetMinMaxImpulseWidth(min, max);
    EXPECT_DOUBLE_EQ(min, 0.601726 / 2e9);
    EXPECT_DOUBLE_EQ(max, 1.385393 / 2e9);
    td.GetMinMaxStepRiseTime(min, max);
    EXPECT_DOUBLE_EQ(min, 0.448 / 2e9);
    EXPECT_DOUBLE_EQ(max, 1.466 / 2e9);

    EXPECT_EQ(td.SetImpulseWidth(0.1e-9), Tessel::kOk);  // below the beta-0 width
    EXPECT_EQ(td.GetKaiserBeta(), 0.0);
    EXPECT_EQ(td.SetImpulseWidth(1e-9), Tessel::kOk);  // above the beta-13 width
    EXPECT_EQ(td.GetKaiserBeta(), 13.0);
    td.SetTransformMode(TimeDomain::BandPass);  // band-pass widths are halved first
    EXPECT_EQ(td.SetImpulseWidth(2 * 1.043091 / 2e9), Tessel::kOk);
    EXPECT_NEAR(td.GetKaiserBeta(), 7.0, 1e-9);
    EXPECT_EQ(td.SetStepRiseTime(1.213 / 2e9), Tessel::kOk);
    EXPECT_NEAR(td.GetKaiserBeta(), 9.0, 1e-9);
    EXPECT_NEAR(td.GetStepRiseTime(), 1.213 / 2e9, 1e-20);
}

TEST(TimeDomainSettings, ModeDcAndFrequencyResults) {
    TimeDomain td;
    td.Validate();
    EXPECT_EQ(td.SetTransformMode(TimeDomain::BandPass), Tessel::kUnchanged);
    EXPECT_EQ(td.SetDCValue(0.0), Tessel::kOk);  // unchanged, yet 0
    EXPECT_EQ(td.SetFrequencyData(1e9, 1e9, 201), Tessel::kOk);
    EXPECT_FALSE(td.IsModified());
    EXPECT_EQ(td.SetDCValue(0.25), Tessel::kOk);
    EXPECT_TRUE(td.IsModified());
    EXPECT_EQ(td.SetTransformMode(static_cast<TimeDomain::TransformMode>(3)), Tessel::kOk);
    EXPECT_EQ(td.GetTransformMode(), 3);
    EXPECT_DOUBLE_EQ(TimeDomain::ComputeDCValue(2.0, false, 60.0), 1.0);
    EXPECT_EQ(TimeDomain::ComputeDCValue(2.0, true, 60.0), 2.0);
}

}  // namespace
