// SPDX-License-Identifier: Apache-2.0
#include "tessel/timedomain/phase_change.h"

#include <functional>

#include "tessel/core/status.h"
#include "tessel/timedomain/time_domain_test_support.h"

namespace {

using namespace Tessel;
using namespace Tessel::test;
using QuorUtility::InputArray;
using QuorUtility::Segment;

// The arguments of PhaseChange with everything off; cases switch on what they need.
struct Args {
    double phaseOffset = 0, delay1 = 0, dcLoss1 = 0, slope1 = 0, cutoff1 = 0;
    MediaType media1 = MediaCoax, media2 = MediaCoax, media3 = MediaCoax;
    bool sections = false, singleLine = false;
    bool on2 = false, twoPoint2 = false, on3 = false, twoPoint3 = false;
    double delay2 = 0, l1_2 = 0, l2_2 = 0, f1_2 = 0, f2_2 = 0, extra2 = 0, cutoff2 = 0;
    double delay3 = 0, l1_3 = 0, l2_3 = 0, f1_3 = 0, f2_3 = 0, extra3 = 0, cutoff3 = 0;

    long Run(const TsComplex* in, WrapFreq f, unsigned first, unsigned last, TsComplex* out) const {
        return PhaseChange(in, f, phaseOffset, delay1, dcLoss1, slope1, media1, cutoff1, sections,
                           delay2, l1_2, l2_2, f1_2, f2_2, extra2, on2, twoPoint2, media2, cutoff2,
                           delay3, l1_3, l2_3, f1_3, f2_3, extra3, on3, twoPoint3, media3, cutoff3,
                           first, last, out, singleLine);
    }
};

std::vector<TsComplex> Samples(int n) {
    std::vector<TsComplex> v;
    for (int i = 0; i < n; ++i) {
        v.emplace_back(0.5f + 0.01f * i, -0.25f + 0.02f * i);
    }
    return v;
}

double Gain(double db) {
    return std::pow(10.0, db / 20);
}

TEST(PhaseChange, CopiesWithSectionOneOffAndWritesNothingOnEmptyOrBadRange) {
    const auto in = Samples(4);
    const std::vector<TsComplex> nines(4, TsComplex(9, 9));
    std::vector<TsComplex> out = nines;
    Args a;
    a.delay2 = 1e-9;  // sections 2 and 3 alone, without the sections flag: a plain copy
    a.delay3 = 2e-9;
    EXPECT_EQ(a.Run(in.data(), WrapFreq(3e9), 0, 4, out.data()), kOk);
    EXPECT_EQ(out, in);
    out = nines;
    a.delay1 = 1e-9;
    EXPECT_EQ(a.Run(in.data(), WrapFreq(1e9), 2, 2, out.data()), kOk);
    EXPECT_EQ(a.Run(nullptr, WrapFreq(1e9), 0, 4, out.data()), kInvalidArg);
    const InputArray axis(Segment::Linear(1e9, 2e9, 3));
    EXPECT_EQ(a.Run(in.data(), &axis, 0, 4, out.data()), kInvalidArg);  // past the axis
    EXPECT_EQ(out, nines);
}

// Each case sets arguments, runs points first..last (either order) of a frequency source, and
// expects every sample of the run multiplied by factor(f) and the others untouched.
TEST(PhaseChange, FactorsOfDelayLossAndDispersion) {
    const InputArray sweep(Segment::Linear(1e9, 5e9, 9)), flat(Segment::Fixed(1e9, 9));
    const InputArray twoPoints(Segment::Linear(2e9, 4e9, 2)), flat4(Segment::Fixed(4e9, 9));
    // Section 1 as a waveguide with cutoff 2 GHz: no phase at and below the cutoff.
    auto w1 = [](double f) { return f > 2e9 ? std::sqrt(1 - (2e9 / f) * (2e9 / f)) : 0.0; };
    auto lines = [](Args& a, bool single, bool sections) {  // loss slope in dB per GHz
        a.phaseOffset = 0.3, a.delay1 = 0.2e-9, a.media1 = MediaWaveguide, a.cutoff1 = 2e9;
        a.delay2 = 0.1e-9, a.delay3 = 0.4e-9, a.dcLoss1 = 0.5, a.slope1 = 0.25;
        a.singleLine = single, a.sections = sections;
    };
    auto delay = [](Args& a) { a.delay1 = 0.123e-9; };
    auto delayFactor = [](double f) { return std::polar(1.0, 2 * M_PI * f * 0.123e-9); };
    auto lineGain = [](double f) { return Gain(0.5 + 0.25 * f / 1e9); };
    const double k = std::log10(1.0 / 3) / std::log10(1.0 / 4);  // 1 dB at 1 GHz, 3 dB at 4 GHz
    struct Case {
        std::function<void(Args&)> set;
        WrapFreq source;
        unsigned first, last;
        std::function<Cd(double)> factor;
    };
    const Case cases[] = {
        {delay, WrapFreq(1e9), 5, 1, delayFactor},
        {delay, &flat, 1, 5, delayFactor},  // a constant axis: its first point for all
        {[](Args& a) { a.media1 = MediaWaveguide, a.cutoff1 = 5e9, a.phaseOffset = 0.1; },
         WrapFreq(0.0), 0, 3, [](double) { return std::polar(1.0, -0.1); }},
        {[&](Args& a) { lines(a, false, false); }, &sweep, 0, 9,  // three separate sections
         [&](double f) {
             return std::polar(lineGain(f), 2 * M_PI * f * (0.2e-9 * w1(f) + 0.5e-9) - 0.3);
         }},
        {[&](Args& a) { lines(a, true, true); }, &sweep, 0, 9,  // one line of all three delays
         [&](double f) { return std::polar(lineGain(f), 2 * M_PI * f * 0.7e-9 * w1(f) - 0.3); }},
        {[&](Args& a) { lines(a, true, false); }, &sweep, 0, 9,  // one line of section 1
         [&](double f) { return std::polar(lineGain(f), 2 * M_PI * f * 0.2e-9 * w1(f) - 0.3); }},
        {[](Args& a) {
             a.sections = a.on2 = a.twoPoint2 = true, a.l1_2 = 1, a.l2_2 = 3, a.f1_2 = 1e9,
             a.f2_2 = 4e9;
         },
         &twoPoints, 0, 2, [&](double f) { return Cd(Gain(std::pow(f / 1e9, k))); }},
        {[](Args& a) { a.sections = a.on3 = true, a.l1_3 = 0.5, a.f1_3 = 1e9, a.extra3 = 0.2; },
         &twoPoints, 0, 2, [](double f) { return Cd(Gain(0.2 + 0.5 * std::sqrt(f / 1e9))); }},
        {[](Args& a) {  // one factor for all points: sections 2 and 3 add no gain
             a.sections = a.on3 = true, a.l1_3 = 0.5, a.f1_3 = 1e9, a.delay1 = 0.05e-9;
         },
         &flat4, 0, 2, [](double f) { return std::polar(1.0, 2 * M_PI * f * 0.05e-9); }},
    };
    const auto in = Samples(9);
    for (std::size_t c = 0; c < std::size(cases); ++c) {
        Args a;
        cases[c].set(a);
        std::vector<TsComplex> out(9, TsComplex(9, 9));
        const unsigned first = std::min(cases[c].first, cases[c].last);
        const unsigned last = std::max(cases[c].first, cases[c].last);
        ASSERT_EQ(a.Run(in.data(), cases[c].source, cases[c].first, cases[c].last, out.data()),
                  kOk);
        for (unsigned i = 0; i < 9; ++i) {
            const InputArray* axis = cases[c].source.stimulus;
            const bool run = i >= first && i < last;
            const double f = axis == nullptr ? cases[c].source.frequency : axis->at(run ? i : 0);
            const Cd want = run ? ToCd(in[i]) * cases[c].factor(f) : Cd(9, 9);
            EXPECT_LT(std::abs(ToCd(out[i]) - want), 3e-6 * (1 + std::abs(want)))
                << "case " << c << " point " << i;
        }
    }
    std::vector<TsComplex> same = in;  // in place
    Args a;
    delay(a);
    ASSERT_EQ(a.Run(same.data(), WrapFreq(1e9), 0, 9, same.data()), kOk);
    EXPECT_LT(std::abs(ToCd(same[4]) - ToCd(in[4]) * delayFactor(1e9)), 3e-6);
}

}  // namespace
