// SPDX-License-Identifier: Apache-2.0
#include "tessel/converter/phase_stitch.h"

#include <cmath>

#include <gtest/gtest.h>

#include "platform/services/host_services.h"
#include "tessel/converter/band_breaks.h"

using QuorUtility::InputArray;
using QuorUtility::Segment;
using QuorUtility::TsComplex;

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

// Forward model: magnitude 2, constant phase step, plus `jump` radians from each break on.
std::vector<TsComplex> Trace(int n, double step, const std::vector<int>& breaks, double jump) {
    std::vector<TsComplex> d(n);
    for (int i = 0; i < n; ++i) {
        double phase = i * step;
        for (int b : breaks)
            phase += i >= b ? jump : 0.0;
        d[i] = TsComplex::FromMagPhase(2.0, phase);
    }
    return d;
}

double Step(const std::vector<TsComplex>& d, int i) {
    return (d[i + 1] / d[i]).Phase();
}

}  // namespace

TEST(StitchPhase, RemovesJumpsAtBreaksForBothProperties) {
    struct Case {
        std::vector<int> breaks;
        PhaseStitchProperty property;
    } cases[] = {{{10}, StitchAverage},
                 {{10, 25, 31}, StitchAverage},
                 {{10, 25}, StitchFollowing},
                 {{7, 39}, static_cast<PhaseStitchProperty>(5)}};
    for (const Case& c : cases) {
        std::vector<TsComplex> d = Trace(40, 3 * kDeg, c.breaks, 90 * kDeg);
        d[0] = TsComplex::FromMagPhase(2.0, 1.0);  // re-phased by extrapolation
        int unused = 7, end = 40;
        StitchPhaseAtBandBreaks(unused, end, c.breaks, d, c.property);
        EXPECT_EQ(end, 40);
        for (int i = 0; i + 1 < 40; ++i)
            EXPECT_NEAR(Step(d, i), 3 * kDeg, 1e-4) << i;
    }
}

TEST(StitchPhase, EdgeBreaksAndEndLimit) {
    // Breaks 0..2 are ignored (the jump at 2 stays) but point 0 is still re-phased.
    std::vector<TsComplex> d = Trace(10, 5 * kDeg, {2}, 1.0), before = d;
    int unused = 0, end = 10;
    StitchPhaseAtBandBreaks(unused, end, {0, 1, 2, 50, -4}, d, StitchAverage);
    EXPECT_NEAR(d[0].Phase(), -1.0, 1e-5);
    for (int i = 1; i < 10; ++i)
        EXPECT_EQ(d[i], before[i]);
    // The step across a break: average direction of the neighbours (3 deg) or the next (4 deg).
    for (PhaseStitchProperty p : {StitchAverage, StitchFollowing}) {
        d = Trace(12, 2 * kDeg, {6}, 1.0);
        for (int i = 7; i < 12; ++i)
            d[i] *= TsComplex::FromMagPhase(1.0, (i - 6) * 2 * kDeg);
        StitchPhaseAtBandBreaks(unused, end, {6}, d, p);
        EXPECT_NEAR(Step(d, 5), (p == StitchFollowing ? 4 : 3) * kDeg, 1e-4);
    }
    // Rotation stops at the caller's end; adjacent breaks: the first uses the step before.
    d = Trace(20, 2 * kDeg, {8, 9}, 45 * kDeg);
    end = 12;
    StitchPhaseAtBandBreaks(unused, end, {8, 9}, d, StitchAverage);
    EXPECT_EQ(end, 20);
    EXPECT_NEAR(Step(d, 7), 2 * kDeg, 1e-4);
    EXPECT_NEAR(Step(d, 8), 2 * kDeg, 1e-4);
    EXPECT_NEAR(Step(d, 11), 92 * kDeg, 1e-4);  // point 12 was not rotated
    // Empty and short traces, break on the last point: nothing read past the end.
    std::vector<TsComplex> empty, two = Trace(2, 0.1, {}, 0.0);
    StitchPhaseAtBandBreaks(unused, end, {1}, empty, StitchAverage);
    StitchPhaseAtBandBreaks(unused, end, {1}, two, StitchAverage);
    EXPECT_EQ(two, Trace(2, 0.1, {}, 0.0));
    d = Trace(6, 0.1, {5}, 1.0);
    StitchPhaseAtBandBreaks(unused, end, {5}, d, StitchFollowing);
    EXPECT_NEAR(Step(d, 4), 0.1, 1e-5);
}

TEST(StitchPhase, SlopeAndAmbiguity) {
    EXPECT_NEAR(MiddlePhaseSlope(Trace(101, 0.02, {}, 0.0)), 0.02, 1e-6);
    // The middle 7 pairs only: a jump far from the middle is not seen.
    EXPECT_NEAR(MiddlePhaseSlope(Trace(101, 0.02, {5}, 1.0)), 0.02, 1e-6);
    EXPECT_NEAR(MiddlePhaseSlope(Trace(4, 0.3, {}, 0.0)), 0.3, 1e-6);
    EXPECT_EQ(MiddlePhaseSlope({}), 0.0);

    std::vector<TsComplex> d{TsComplex::FromMagPhase(1, 0), TsComplex::FromMagPhase(1, 5 * kDeg),
                             TsComplex::FromMagPhase(1, 100 * kDeg),
                             TsComplex::FromMagPhase(1, 105 * kDeg)};
    ResolvePhaseAmbiguity(d, 4);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(Step(d, i), 5 * kDeg, 1e-5) << i;
    std::vector<TsComplex> same = Trace(5, 1.0, {}, 0.0), copy = same;
    ResolvePhaseAmbiguity(same, 1);
    EXPECT_EQ(same, copy);
}

TEST(StitchPhase, SmoothingPerBand) {
    HostServices::ScopedReset reset;
    // 700..800 MHz with the 750 MHz break: two bands, the first point above the break is 51.
    const InputArray stim(Segment::Linear(700e6, 800e6, 101));
    ASSERT_EQ(FindBandBreaks(stim), std::vector<int>{51});
    std::vector<TsComplex> w = Trace(101, 0.05, {51}, 1.0);
    SmoothPhasorsPerBand(stim, w);
    for (int i = 0; i < 100; ++i)  // a linear phase survives, the jump is not smeared
        EXPECT_NEAR(Step(w, i), i == 50 ? 1.05 : 0.05, 1e-4) << i;
    EXPECT_NEAR(w[3].Mag(), 2.0 * (2.0 + 2.0 * std::cos(0.05)), 1e-4);

    // Increments: a noisy step is smoothed inside the band; the band's last increments stay.
    std::vector<TsComplex> d = Trace(30, 0.1, {}, 0.0);
    d[10] = TsComplex::FromMagPhase(3.0, d[10].Phase() + 0.05);
    SmoothPhaseIncrements(InputArray(), d, 0, 30);
    EXPECT_NEAR(d[10].Mag(), 3.0, 1e-5);
    EXPECT_NEAR(Step(d, 7), 0.1 + 0.01, 1e-5);  // +0.05 and -0.05 spread over 5 increments
    EXPECT_NEAR(Step(d, 9), 0.1, 1e-5);
    EXPECT_NEAR(Step(d, 12), 0.1 - 0.01, 1e-5);
    std::vector<TsComplex> e = Trace(30, 0.1, {}, 0.0);
    e[28] = TsComplex::FromMagPhase(2.0, e[28].Phase() + 0.05);
    const std::vector<TsComplex> tail = e;
    SmoothPhaseIncrements(InputArray(), e, 0, 30);
    EXPECT_NEAR(Step(e, 27), Step(tail, 27), 1e-5);  // unsmoothed at the band's end
    std::vector<TsComplex> shortTrace = Trace(2, 0.1, {}, 0.0), copy = shortTrace;
    SmoothPhaseIncrements(InputArray(), shortTrace, 0, 2);
    EXPECT_EQ(shortTrace, copy);
}

TEST(StitchPhase, PhaseReferencePostProcessing) {
    HostServices::ScopedReset reset;
    struct Case {
        InputArray stim;
        std::vector<int> breaks;
    } cases[] = {{InputArray(Segment::Linear(700e6, 760e6, 201)), {167}},
                 {InputArray(Segment::Linear(10e9, 10e9 + 200 * 625000.0, 201)), {}}};
    for (const Case& c : cases) {
        std::vector<TsComplex> d = Trace(201, 0.2, c.breaks, 2.0);
        EXPECT_NEAR(PostProcessPhaseReferenceMeasurement(c.stim, d), 0.2, 1e-5);
        for (int i = 1; i + 1 < 201; ++i)
            EXPECT_NEAR(Step(d, i), 0.0, 2e-3) << i;
        EXPECT_NEAR(d[77].Mag(), 2.0, 1e-5);
    }
    std::vector<TsComplex> empty, tiny = Trace(3, 0.1, {}, 0.0);
    EXPECT_EQ(PostProcessPhaseReferenceMeasurement(InputArray(), empty), 0.0);
    EXPECT_NEAR(PostProcessPhaseReferenceMeasurement(InputArray(), tiny), 0.1, 1e-6);
}
