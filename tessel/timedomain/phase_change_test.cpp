#include "tessel/timedomain/phase_change.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using QuorUtility::InputArray;
using QuorUtility::Segment;
using Tessel::MediaCoax;
using Tessel::MediaType;
using Tessel::MediaWaveguide;
using Tessel::TsComplex;
using Tessel::WrapFreq;
using Cd = std::complex<double>;

// The arguments of PhaseChange with everything off; tests switch on what they need.
struct Args {
    double phaseOffset = 0, delay1 = 0, dcLoss1 = 0, slope1 = 0, cutoff1 = 0;
    MediaType media1 = MediaCoax, media2 = MediaCoax, media3 = MediaCoax;
    bool sections = false, singleLine = false;
    bool on2 = false, twoPoint2 = false, on3 = false, twoPoint3 = false;
    double delay2 = 0, l1_2 = 0, l2_2 = 0, f1_2 = 0, f2_2 = 0, extra2 = 0, cutoff2 = 0;
    double delay3 = 0, l1_3 = 0, l2_3 = 0, f1_3 = 0, f2_3 = 0, extra3 = 0, cutoff3 = 0;

    long Run(const TsComplex* in, WrapFreq f, unsigned first, unsigned last, TsComplex* out) const {
        return Tessel::PhaseChange(in, f, phaseOffset, delay1, dcLoss1, slope1, media1, cutoff1,
                                   sections, delay2, l1_2, l2_2, f1_2, f2_2, extra2, on2, twoPoint2,
                                   media2, cutoff2, delay3, l1_3, l2_3, f1_3, f2_3, extra3, on3,
                                   twoPoint3, media3, cutoff3, first, last, out, singleLine);
    }
};

std::vector<TsComplex> Samples(int n) {
    std::vector<TsComplex> v;
    for (int i = 0; i < n; ++i) {
        v.emplace_back(0.5f + 0.01f * i, -0.25f + 0.02f * i);
    }
    return v;
}

void ExpectFactor(const TsComplex& in, const TsComplex& out, Cd factor) {
    const Cd want = Cd(in.re, in.im) * factor;
    EXPECT_NEAR(out.re, want.real(), 2e-6 * (1 + std::abs(want)));
    EXPECT_NEAR(out.im, want.imag(), 2e-6 * (1 + std::abs(want)));
}

TEST(PhaseChange, CopiesWithSectionOneOffAndWritesNothingOnEmptyOrBadRange) {
    const auto in = Samples(4);
    const std::vector<TsComplex> nines(4, TsComplex(9, 9));
    std::vector<TsComplex> out = nines;
    Args a;
    a.delay2 = 1e-9;  // sections 2 and 3 alone, without the sections flag: a plain copy
    a.delay3 = 2e-9;
    EXPECT_EQ(a.Run(in.data(), WrapFreq(3e9), 0, 4, out.data()), Tessel::kOk);
    EXPECT_EQ(out, in);
    out = nines;
    a.delay1 = 1e-9;
    EXPECT_EQ(a.Run(in.data(), WrapFreq(1e9), 2, 2, out.data()), Tessel::kOk);
    EXPECT_EQ(a.Run(nullptr, WrapFreq(1e9), 0, 4, out.data()), Tessel::kInvalidArg);
    const InputArray axis(Segment::Linear(1e9, 2e9, 3));
    EXPECT_EQ(a.Run(in.data(), &axis, 0, 4, out.data()), Tessel::kInvalidArg);  // past axis
    EXPECT_EQ(out, nines);
}

TEST(PhaseChange, SectionOneDelayAtOneFrequency) {
    const auto in = Samples(6);
    std::vector<TsComplex> out(6, TsComplex(9, 9));
    Args a;
    a.delay1 = 0.123e-9;
    ASSERT_EQ(a.Run(in.data(), WrapFreq(1e9), 5, 1, out.data()), Tessel::kOk);  // [1, 5)
    for (int i = 1; i < 5; ++i) {
        ExpectFactor(in[i], out[i], std::polar(1.0, 2 * M_PI * 1e9 * 0.123e-9));
    }
    EXPECT_TRUE(out[0] == TsComplex(9, 9) && out[5] == TsComplex(9, 9));
    // In place, with a constant axis standing for its first point.
    std::vector<TsComplex> same = in;
    const InputArray constant(Segment::Fixed(1e9, 6));
    ASSERT_EQ(a.Run(same.data(), &constant, 1, 5, same.data()), Tessel::kOk);
    EXPECT_TRUE(std::equal(same.begin() + 1, same.begin() + 5, out.begin() + 1));
    // A waveguide below its cutoff (or at 0 Hz) adds no phase: only the offset remains.
    a.media1 = MediaWaveguide;
    a.cutoff1 = 5e9;
    a.phaseOffset = 0.1;
    for (double f : {0.0, 1e9}) {
        ASSERT_EQ(a.Run(in.data(), WrapFreq(f), 0, 1, out.data()), Tessel::kOk);
        ExpectFactor(in[0], out[0], std::polar(1.0, -0.1));
    }
}

// Separate sections; then one line of the three delays (sections flag set) or of section 1
// alone (flag clear), all with the dispersion of section 1.
TEST(PhaseChange, PerPointFactorsFollowTheStimulusForSeparateAndSingleLines) {
    const InputArray axis(Segment::Linear(1e9, 5e9, 9));
    const auto in = Samples(9);
    std::vector<TsComplex> out(9);
    Args a;
    a.phaseOffset = 0.3;
    a.delay1 = 0.2e-9;
    a.media1 = MediaWaveguide;
    a.cutoff1 = 2e9;  // below and at the cutoff the section adds no phase
    a.delay2 = 0.1e-9;
    a.delay3 = 0.4e-9;
    a.dcLoss1 = 0.5;
    a.slope1 = 0.25;  // dB per GHz
    for (int line = 0; line < 3; ++line) {
        a.singleLine = line > 0;
        a.sections = line == 1;
        ASSERT_EQ(a.Run(in.data(), &axis, 0, 9, out.data()), Tessel::kOk);
        for (int i = 0; i < 9; ++i) {
            const double f = 1e9 + i * 0.5e9;
            const double w1 = f > 2e9 ? std::sqrt(1 - (2e9 / f) * (2e9 / f)) : 0.0;
            const double delay = line == 0   ? 0.2e-9 * w1 + 0.5e-9
                                 : line == 1 ? 0.7e-9 * w1
                                             : 0.2e-9 * w1;
            const double gain = std::pow(10.0, (0.5 + 0.25 * f / 1e9) / 20);
            ExpectFactor(in[i], out[i], std::polar(gain, 2 * M_PI * f * delay - 0.3));
        }
    }
}

TEST(PhaseChange, LossModelsOfSectionsTwoAndThree) {
    const InputArray axis(Segment::Linear(2e9, 4e9, 2));
    const auto in = Samples(2);
    std::vector<TsComplex> out(2);
    Args a;
    a.sections = a.on2 = a.twoPoint2 = true;
    a.l1_2 = 1;  // 1 dB at 1 GHz, 3 dB at 4 GHz: exponent log10(1/3)/log10(1/4) = 0.7925
    a.l2_2 = 3;
    a.f1_2 = 1e9;
    a.f2_2 = 4e9;
    ASSERT_EQ(a.Run(in.data(), &axis, 0, 2, out.data()), Tessel::kOk);
    const double k = std::log10(1.0 / 3) / std::log10(1.0 / 4);
    ExpectFactor(in[0], out[0], std::pow(10.0, std::pow(2.0, k) / 20));  // 1·2^0.7925 dB
    ExpectFactor(in[1], out[1], std::pow(10.0, 3.0 / 20));  // the model's own second point

    // Square-root law on section 3 plus its extra loss; section 2 off.
    a.on2 = false;
    a.on3 = true;
    a.l1_3 = 0.5;
    a.f1_3 = 1e9;
    a.extra3 = 0.2;
    ASSERT_EQ(a.Run(in.data(), &axis, 0, 2, out.data()), Tessel::kOk);
    ExpectFactor(in[1], out[1], std::pow(10.0, (0.2 + 0.5 * 2) / 20));  // sqrt(4 GHz/1 GHz)

    // One factor (constant stimulus): sections 2 and 3 add no gain.
    const InputArray constant(Segment::Fixed(4e9, 2));
    a.delay1 = 0.05e-9;
    ASSERT_EQ(a.Run(in.data(), &constant, 0, 2, out.data()), Tessel::kOk);
    ExpectFactor(in[1], out[1], std::polar(1.0, 2 * M_PI * 4e9 * 0.05e-9));
}

}  // namespace
