// SPDX-License-Identifier: Apache-2.0
#include "tessel/converter/band_break_helper.h"

#include <gtest/gtest.h>

#include "platform/services/host_services.h"
#include "tessel/genericparams/gp_values.h"

using QuorUtility::InputArray;
using QuorUtility::Segment;

namespace {

const InputArray kUp(Segment::Linear(700e6, 800e6, 101));    // 750 MHz is point 50
const InputArray kDown(Segment::Linear(800e6, 700e6, 101));  // 750 MHz is point 50

class BandBreaks : public ::testing::Test {
  protected:
    HostServices::ScopedReset reset_;
    void Configure(void (*edit)(HostServices::Configuration&)) {
        HostServices::Configuration c = HostServices::CurrentConfiguration();
        edit(c);
        HostServices::SetConfiguration(c);
    }
};

InputArray Joined(const InputArray& a, const InputArray& b) {
    InputArray r = a;
    for (const Segment& s : b.GetSegments())
        r.push_back(s);
    return r;
}

}  // namespace

TEST_F(BandBreaks, BreakListsAndPositions) {
    const std::vector<double> plain{10e6, 750e6, 1.5e9, 3.2e9, 6.4e9, 13.5e9, 20e9};
    EXPECT_EQ(GetBandBreaks(false), plain);
    EXPECT_EQ(GetBandBreaks(true), plain);
    Configure([](HostServices::Configuration& c) {
        c.hardware.bandBreaks = {0.0, 5e6, 750e6, 0.0, 1.5e9};
        c.hardware.additionalBandBreaks = {1.5e9};
        c.hardware.bandOffsets = {{1, 1e6}};  // the band of 750 MHz (above the 5 MHz break)
    });
    EXPECT_EQ(GetBandBreaks(false), (std::vector<double>{750e6, 1.5e9}));
    EXPECT_EQ(GetBandBreaks(true), (std::vector<double>{53e6, 749e6, 1.5e9}));
    EXPECT_EQ(GetBandBreaks(), (std::vector<double>{53e6, 749e6, 750e6, 1.5e9}));
    EXPECT_EQ(FindBandBreaks(kUp), std::vector<int>{50});  // 749 MHz: x = 49, first above 50
    HostServices::ResetConfiguration();
    EXPECT_EQ(FindBandBreaks(kUp), std::vector<int>{51});  // exactly on point 50
    EXPECT_TRUE(FindBandBreaks(InputArray(Segment::Linear(750e6, 1.5e9, 11))).empty());
}

TEST_F(BandBreaks, PhaseBreakPointsWithSpurs) {
    Configure([](HostServices::Configuration& c) { c.spurFrequencies = {725e6}; });
    AIBaseStimulus s;
    s.SetStimulus(Joined(kUp, kDown));
    s.AddSubSweep(1, InputArray(Segment::Linear(740e6, 760e6, 21)));
    s.AddSubSweep(0, InputArray(Segment::Linear(700e6, 760e6, 7)));  // not selected
    s.SetSelectedSubSweep(5);
    std::vector<int> points{176, 3};
    AddPhaseBreakPoints(s, points);
    // Band: 51 upward, 101 + 50 downward, 11 in the sub-sweep; spur changes at 26 and 176.
    EXPECT_EQ(points, (std::vector<int>{3, 11, 26, 51, 151, 176}));
}

TEST_F(BandBreaks, SplittingSortingAndModifiedStimulus) {
    AIBaseStimulus s;
    s.SetStimulus(Joined(kUp, Joined(kDown, InputArray(Segment::Fixed(750e6, 5)))));
    MixStimulusRange r(s, false);
    EXPECT_TRUE(r.Split(800e6).empty());  // last point up, first point down, fixed
    const std::vector<MixStimulusSplitIndex> got = r.Split(750e6);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].index, 50.0);
    EXPECT_TRUE(got[0].ascending);
    EXPECT_EQ(got[1].index, 101.0 + 49.0);
    EXPECT_FALSE(got[1].ascending);
    EXPECT_EQ(got[1].frequency, -1.0);
    EXPECT_EQ(r.GetSplitIndices()[1].frequency, 750e6);
    r.AddSplitIndex(MixStimulusSplitIndex(50.00005));
    r.AddSplitIndex(MixStimulusSplitIndex(20.0));
    r.AddSplitIndex(MixStimulusSplitIndex(20.00001, 720e6));
    r.SortIndicies();
    EXPECT_EQ(r.GetStitchIndices(), (std::vector<int>{20, 50, 150}));
    EXPECT_EQ(r.GetSplitIndices()[0].frequency, 720e6);
    EXPECT_EQ(r.GetSplitIndices()[1].frequency, 750e6);

    struct Case {
        bool edge, longLeadIn;
        std::size_t size, settleAt;
    } cases[] = {{false, false, 181, 91}, {true, false, 183, 92}, {false, true, 941, 851}};
    for (const Case& c : cases) {
        s.SetStimulus(kUp);
        MixStimulusRange one(s, c.longLeadIn);
        one.SetExtraEdgePoints(c.edge);
        one.Split(750e6);
        InputArray stim, second, companion(std::vector<double>(101, 5.0));
        std::vector<float> perPoint;
        one.GetModifiedStimulus(stim, second, perPoint, companion);
        ASSERT_EQ(stim.size(), c.size);
        const std::size_t lead = c.longLeadIn ? 800 : 40;
        const auto at = [&](std::size_t i) { return stim.at(i) * 1e-3; };  // kHz, rounded
        EXPECT_NEAR(at(0), 700e3, 1e-6);
        EXPECT_NEAR(at(lead + 50), 750e3, 1e-6);
        EXPECT_NEAR(at(c.settleAt), 751e3, 1e-6);
        EXPECT_NEAR(at(lead + 51), c.edge ? 750e3 : 751e3, 1e-6);
        EXPECT_NEAR(at(lead + 92), c.edge ? 750e3 + 0.01 : 752e3, 1e-6);
        EXPECT_EQ(companion.size(), c.size);
        EXPECT_EQ(companion.at(lead - 1), 10000.0);
        EXPECT_EQ(companion.at(lead + 51), c.edge ? 5.0 : 10000.0);
        EXPECT_EQ(companion.at(lead + 51 + 40), c.edge ? 10000.0 : 5.0);
    }
}

TEST_F(BandBreaks, SetupRangesLeadInAndEqualRanges) {
    AIBaseStimulus s;
    s.SetStimulus(kUp);
    s.AddSubSweep(1, kUp, InputArray(std::vector<double>(101, 3.0)), std::vector<float>(101, 1));
    MixBandBreakHelper h;
    std::vector<int> points;
    h.SetupRanges(s, points, false, InputArray(Segment::Linear(40e6, 60e6, 3)), kUp);
    EXPECT_EQ(points, std::vector<int>{51});
    EXPECT_TRUE(h.GetLongLeadIn());
    ASSERT_EQ(h.GetRanges().size(), 1u);
    EXPECT_EQ(h.GetRanges()[0].GetEqualRanges().size(), 1u);
    EXPECT_EQ(s.GetStimulus().size(), 101u + 40 + 800);
    EXPECT_EQ(s.GetSubSweepStimulus(0), s.GetStimulus());
    EXPECT_EQ(s.GetSubSweepSecondAxis(0).size(), 941u);
    EXPECT_EQ(s.GetSubSweepPerPoint(0).size(), 941u);
    EXPECT_EQ(s.GetSubSweepStimulus(0).GetSegments(), s.GetStimulus().GetSegments());

    PAComponent pa;
    h.ApplyToPointAveraging(pa, false, 1, false);  // b2,1 is slot 1
    EXPECT_EQ(pa.GetStitchPhase().stitchIndices, std::vector<int>{50});
    EXPECT_EQ(pa.GetStitchPhase().receiverSlotId, 2);
    EXPECT_EQ(pa.GetStitchPhase().leadInPoints, 800);
    EXPECT_FALSE(pa.GetStitchPhase().edgePoints);
    PAComponent none;
    h.ApplyToPointAveraging(none, true, 0, true);
    EXPECT_FALSE(none.GetStitchPhase().enabled);

    AIBaseStimulus empty;  // no segments: nothing to split, nothing read out of bounds
    h.SetupRanges(empty, points, false, kUp, kUp);
    EXPECT_TRUE(empty.GetStimulus().empty());
    // Skipped set-ups change nothing but still collect the stitch points.
    for (int variant = 0; variant < 2; ++variant) {
        AIBaseStimulus t;
        t.SetStimulus(kUp);
        t.SetStimulusList(variant ? std::vector<double>{1.0} : std::vector<double>{});
        points.clear();
        h.SetupRanges(t, points, variant == 0, kUp, kUp);
        EXPECT_EQ(points, std::vector<int>{51});
        EXPECT_TRUE(h.GetRanges().empty());
        EXPECT_EQ(t.GetStimulus(), kUp);
    }
}

TEST_F(BandBreaks, FrequencyLimitAndOpposedSweeps) {
    AIBaseStimulus s;
    s.SetStimulus(InputArray(std::vector<double>{1000400.0, 1000500.0}));
    MixBandBreakHelper h;
    h.SetFrequencyLimit(1000.0);
    EXPECT_TRUE(h.IsPhaseReferenceMeasurementOn());
    std::vector<int> points;
    h.SetupRanges(s, points, false, kUp, kUp);
    const auto* offsets = dynamic_cast<const Hwpi::GPScalar<InputArray>*>(
        s.GetSettings().ptr_find(L"ReceiverFrequencyOffset").get());
    ASSERT_NE(offsets, nullptr);
    ASSERT_EQ(offsets->GetValue().size(), 42u);
    EXPECT_NEAR(offsets->GetValue().at(0), -400.0, 1e-6);
    EXPECT_NEAR(offsets->GetValue().at(41), 500.0, 1e-6);
    EXPECT_EQ(offsets->GetValue().GetSegments().size(), s.GetStimulus().GetSegments().size());

    AIBaseStimulus o;
    o.SetStimulus(kUp);
    o.AddSubSweep(1, kDown);
    o.GetSettings().append(Hwpi::GenericParameter::Ptr(
        new Hwpi::GPScalar<double>(L"ReceiverFrequencyOffset", 1000.0)));
    EXPECT_TRUE(OpposedSweepsShareBreak(o));
    AIBaseStimulus same = o;
    same.SetSubSweepStimulus(0, InputArray(Segment::Linear(700e6, 900e6, 101)));
    EXPECT_FALSE(OpposedSweepsShareBreak(same));
    MixBandBreakHelper g;
    g.SetInterpolateStitch(false);
    g.SetupRanges(o, points, false, kUp, kUp);
    EXPECT_EQ(o.GetStimulus().at(0), 700e6 - 200.0);
    const auto* shifted = dynamic_cast<const Hwpi::GPScalar<double>*>(
        o.GetSettings().ptr_find(L"ReceiverFrequencyOffset").get());
    ASSERT_NE(shifted, nullptr);
    EXPECT_EQ(shifted->GetValue(), 1200.0);
    EXPECT_EQ(o.GetStimulus().size(), o.GetSubSweepStimulus(0).size());
}

TEST_F(BandBreaks, PhaseReferenceAdjustments) {
    using QuorUtility::TsComplex;
    constexpr double kDeg = 3.14159265358979323846 / 180.0;
    const std::vector<TsComplex> raw{
        TsComplex::FromMagPhase(1, 0), TsComplex::FromMagPhase(1, 5 * kDeg),
        TsComplex::FromMagPhase(1, 100 * kDeg), TsComplex::FromMagPhase(1, 105 * kDeg)};
    const InputArray stim(Segment::Linear(1e9, 1.3e9, 4));
    struct Case {
        double limit;
        int last, firstOut, lastOut;
        bool resolved;
    } cases[] = {{2.5e6, 4, 0, 4, true}, {1e7, 4, 0, 4, false}, {2.5e6, 3, 0, 0, false}};
    for (const Case& c : cases) {
        MixBandBreakHelper h;
        h.SetFrequencyLimit(c.limit);
        std::vector<TsComplex> d = raw;
        int first = 2, last = c.last;
        h.AdjustPhaseReferenceMeasurementPreAverage(stim, d, first, last);
        EXPECT_EQ(first, c.firstOut);
        EXPECT_EQ(last, c.lastOut);
        EXPECT_NEAR((d[2] / d[1]).Phase(), (c.resolved ? 5 : 95) * kDeg, 1e-5);
        EXPECT_NEAR((d[3] / d[2]).Phase(), 5 * kDeg, 1e-5);
    }
    MixBandBreakHelper post;
    std::vector<TsComplex> d = raw;
    int first = 1, last = 2;
    post.AdjustPhaseReferenceMeasurementPostAverage(stim, d, first, last);
    EXPECT_EQ(d, raw);
    post.SetPhaseReferenceMeasurement(true);
    post.AdjustPhaseReferenceMeasurementPostAverage(stim, d, first, last);
    EXPECT_NE(d, raw);
}

// At a 625 kHz limit a phase jump (group delay off at one point) is stitched, a change of slope
// (delay stepping to a new level) is not; another limit leaves the jump alone.
TEST_F(BandBreaks, PhaseJumpsAreStitchedAtThe625kHzLimitOnly) {
    using QuorUtility::TsComplex;
    constexpr int kPoints = 40, kAt = 20;
    // Radians per step, within the ambiguity (2π/16); 0.04 rad is 10 ns of delay over 625 kHz.
    constexpr double kSlope = -0.1, kJump = 0.04;
    const InputArray stim(Segment::Linear(1e9, 1e9 + (kPoints - 1) * 625e3, kPoints));
    struct Case {
        double limit, jump, change, keptJump;  // `change` is added to every step from kAt on
    } cases[] = {{625e3, kJump, 0.0, 0.0}, {1.25e6, kJump, 0.0, kJump}, {625e3, 0.0, kJump, 0.0}};
    for (const Case& c : cases) {
        std::vector<TsComplex> d;
        for (int i = 0; i < kPoints; ++i)
            d.push_back(TsComplex::FromMagPhase(
                2.0, i * kSlope + (i >= kAt ? c.jump + (i - kAt + 1) * c.change : 0.0)));
        MixBandBreakHelper h;
        h.SetFrequencyLimit(c.limit);
        int first = 0, last = kPoints;
        h.AdjustPhaseReferenceMeasurementPreAverage(stim, d, first, last);
        for (int i = 2; i < kPoints; ++i)
            EXPECT_NEAR((d[i] / d[i - 1]).Phase(),
                        kSlope + (i >= kAt ? c.change : 0.0) + (i == kAt ? c.keptJump : 0.0), 1e-4)
                << c.limit << " " << i;
    }
}
