#include "tessel/format/format_functions.h"

#include <cmath>
#include <complex>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/format/internal/format_test_util.h"

namespace {

using namespace Tessel;
using testutil::kPi;
using Cd = std::complex<double>;

TEST(FormatScalars, ArrayAndVectorFormsMatchClosedFormsInDouble) {
    const auto z = testutil::Random<TsComplex>(500, -0.7, 0.7);  // |z| < 1: SWR is finite
    struct Form {
        long (*array)(const TsComplex*, float*, int);
        long (*vector)(const std::vector<TsComplex>&, std::vector<float>&);
        double (*reference)(Cd);
    };
    const Form forms[] = {
        {FormatDataLogMag, FormatDataLogMag, [](Cd c) { return 20 * std::log10(std::abs(c)); }},
        {FormatDataLinMag, FormatDataLinMag, [](Cd c) { return std::abs(c); }},
        {FormatDataPhase, FormatDataPhase, [](Cd c) { return std::arg(c); }},
        {FormatDataSWR, FormatDataSWR, [](Cd c) { return (1 + std::abs(c)) / (1 - std::abs(c)); }},
        {FormatDataReal, FormatDataReal, [](Cd c) { return c.real(); }},
        {FormatDataImag, FormatDataImag, [](Cd c) { return c.imag(); }}};
    std::vector<float> array(z.size()), vec(3, 7.0f);
    for (const Form& f : forms) {
        ASSERT_EQ(f.array(z.data(), array.data(), int(z.size())), kOk);
        ASSERT_EQ(f.vector(z, vec), kOk);
        EXPECT_EQ(vec, array);  // resized to the input and filled alike
        for (std::size_t i = 0; i < z.size(); ++i) {
            EXPECT_FLOAT_EQ(array[i], float(f.reference(Cd(z[i].re, z[i].im))))
                << &f - forms << " " << i;
        }
    }
}

TEST(FormatScalars, PowerFormsTakeTheRealPartAndZeroGivesTheZeroValueReadAtEachCall) {
    const TsComplex z[3] = {TsComplex(0.0f, 0.0f), TsComplex(-1e-3f, 5.0f), TsComplex(2.0f, 0.0f)};
    float log[3], power[3], noise[3];
    ASSERT_EQ(FormatDataLogMag(z, log, 3) | FormatData10LogMag(z, power, 3), kOk);
    ASSERT_EQ(FormatNoiseDensity(z, noise, 3), kOk);
    EXPECT_TRUE(log[0] == -200.0f && power[0] == -200.0f && noise[0] == -200.0f);
    EXPECT_FLOAT_EQ(power[1], float(10.0 * std::log10(double(1e-3f))));  // |re|, im ignored
    EXPECT_FLOAT_EQ(power[2], float(10.0 * std::log10(2.0)));
    EXPECT_FLOAT_EQ(noise[2], float(10.0 * std::log10(2.0 * 1.3806504e-23 * 1000.0)));
    const double saved = TsComplex::m_logMagZeroValue;
    TsComplex::m_logMagZeroValue = -150.0;
    FormatDataLogMag(z, log, 1);
    TsComplex::m_logMagZeroValue = saved;
    EXPECT_EQ(log[0], -150.0f);
    EXPECT_EQ(FormatDataLinMag(nullptr, log, 1), kInvalidArg);
    EXPECT_EQ(FormatDataPhase(nullptr, log, 0), kOk);
}

TEST(RangeForms, WriteOnlyTheRunSizeTheOutputByTheirRuleAndRefuseOutsideRuns) {
    const auto z = testutil::Random<TsComplex>(20, -1, 1);
    std::vector<float> out(2, 9.0f), phase(3, 8.0f);
    ASSERT_EQ(FormatDataLogMag(z, out, 3, 6), kOk);  // grows to `last`
    EXPECT_TRUE(out.size() == 6u && out[0] == 9.0f && out[2] == 0.0f &&
                out[4] == float(z[4].LogMag()));
    ASSERT_EQ(FormatDataPhase(z, phase, 5, 10, false), kOk);  // resized to the input
    EXPECT_TRUE(phase.size() == 20u && phase[4] == 0.0f && phase[10] == 0.0f);
    EXPECT_EQ(phase[7], float(z[7].Phase()));
    out.assign(30, 9.0f);
    const auto before = out;
    EXPECT_EQ(FormatDataLogMag(z, out, 5, 5) | FormatDataLogMag(z, out, 6, 2), kOk);
    EXPECT_EQ(FormatDataLogMag(z, out, 18, 21) & FormatDataLogMag(z, out, -1, 3), kInvalidArg);
    EXPECT_EQ(
        FormatDataPhase(z, out, 15, 21, true) & FormatDataPhase(z.data(), out.data(), -1, 4, true),
        kInvalidArg);
    EXPECT_EQ(out, before);
    ASSERT_EQ(FormatDataLogMag(z, out, 0, 4), kOk);  // never shrinks
    EXPECT_TRUE(out.size() == 30u && out[4] == 9.0f && out[3] == float(z[3].LogMag()));
}

// Any step shorter than π between neighbours is followed, however close to π; a step of
// exactly π stays. A sweep delivered in pieces continues the turn count of the earlier runs.
TEST(PhaseUnwrap, RecoversAnAccumulatingPhaseInOneRunOrInContinuedPieces) {
    const int cuts[] = {0, 1, 2, 3, 77, 78, 150, 151, 200};
    for (const double step : {-0.9, 0.45, 3.0, -3.1}) {
        std::vector<TsComplex> z(200);
        for (int i = 0; i < 200; ++i) {
            z[i] = TsComplex::FromMagPhase(1.0, step * i + 0.3);
        }
        std::vector<float> whole, pieces(200);
        ASSERT_EQ(FormatDataPhase(z, whole, 0, 200, true), kOk);
        for (int k = 0; k + 1 < 9; ++k) {
            ASSERT_EQ(FormatDataPhase(z.data(), pieces.data(), cuts[k], cuts[k + 1], true), kOk);
        }
        for (int i = 0; i < 200; ++i) {
            const double want = step * i + 0.3, tolerance = 1e-4 * (1 + std::fabs(want));
            EXPECT_NEAR(whole[i], want, tolerance) << "step " << step << " point " << i;
            EXPECT_NEAR(pieces[i], whole[i], tolerance) << "step " << step << " point " << i;
        }
    }
    const std::vector<TsComplex> half = {TsComplex(1, 0), TsComplex(-1, 0), TsComplex(1, 0),
                                         TsComplex(0, 1), TsComplex(0, -1), TsComplex(0, 1)};
    std::vector<float> out;
    ASSERT_EQ(FormatDataPhase(half, out, 0, 6, true), kOk);
    const float pi = float(kPi), halfPi = float(kPi / 2);
    EXPECT_EQ(out, (std::vector<float>{0.0f, pi, 0.0f, halfPi, -halfPi, halfPi}));
    // An earlier run left out[2] two and a half turns above out[0]: the count starts at 2
    // (truncated), and 4π + 0.25 is within π of 5π, so no further step is taken.
    const std::vector<TsComplex> flat(6, TsComplex::FromMagPhase(1.0, 0.25));
    out = {0.0f, 0.0f, float(5 * kPi), 0, 0, 0};
    ASSERT_EQ(FormatDataPhase(flat.data(), out.data(), 3, 6, true), kOk);
    EXPECT_TRUE(out[3] == float(4 * kPi + 0.25) && out[5] == out[3]);
}

}  // namespace
