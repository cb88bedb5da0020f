#include "tessel/format/format_functions.h"

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using namespace Tessel;
using Cd = std::complex<double>;

constexpr double kPi = 3.141592653589793;

std::vector<TsComplex> RandomSamples(int n, float scale) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    std::uniform_real_distribution<float> u(-scale, scale);
    std::vector<TsComplex> z(n);
    for (auto& s : z) {
        s = TsComplex(u(rng), u(rng));
    }
    return z;
}

Cd D(const TsComplex& z) {
    return {z.re, z.im};
}

TEST(FormatScalars, MatchClosedFormsInDouble) {
    const auto z = RandomSamples(500, 0.7f);  // |z| < 1 so that SWR is finite
    const int n = int(z.size());
    std::vector<float> logMag(n), linMag(n), phase(n), swr(n), re(n), im(n);
    ASSERT_EQ(FormatDataLogMag(z.data(), logMag.data(), n), kOk);
    ASSERT_EQ(FormatDataLinMag(z.data(), linMag.data(), n), kOk);
    ASSERT_EQ(FormatDataPhase(z.data(), phase.data(), n), kOk);
    ASSERT_EQ(FormatDataSWR(z.data(), swr.data(), n), kOk);
    ASSERT_EQ(FormatDataReal(z.data(), re.data(), n), kOk);
    ASSERT_EQ(FormatDataImag(z.data(), im.data(), n), kOk);
    for (int i = 0; i < n; ++i) {
        const double m = std::abs(D(z[i]));
        EXPECT_FLOAT_EQ(logMag[i], float(20.0 * std::log10(m)));
        EXPECT_FLOAT_EQ(linMag[i], float(m));
        EXPECT_FLOAT_EQ(phase[i], float(std::arg(D(z[i]))));
        EXPECT_FLOAT_EQ(swr[i], float((1.0 + m) / (1.0 - m)));
        EXPECT_EQ(re[i], z[i].re);
        EXPECT_EQ(im[i], z[i].im);
    }
}

TEST(FormatScalars, VectorFormsResizeAndMatchArrayForms) {
    const auto z = RandomSamples(64, 2.0f);
    std::vector<float> array(z.size()), vec(3, 7.0f);
    using ArrayForm = long (*)(const TsComplex*, float*, int);
    using VectorForm = long (*)(const std::vector<TsComplex>&, std::vector<float>&);
    const std::pair<ArrayForm, VectorForm> forms[] = {
        {FormatDataLogMag, FormatDataLogMag}, {FormatDataLinMag, FormatDataLinMag},
        {FormatDataPhase, FormatDataPhase},   {FormatDataSWR, FormatDataSWR},
        {FormatDataReal, FormatDataReal},     {FormatDataImag, FormatDataImag}};
    for (const auto& [arrayForm, vectorForm] : forms) {
        ASSERT_EQ(arrayForm(z.data(), array.data(), int(z.size())), kOk);
        ASSERT_EQ(vectorForm(z, vec), kOk);
        EXPECT_EQ(vec, array);
    }
}

TEST(FormatScalars, ZeroMagnitudeGivesTheZeroValueNeverMinusInfinity) {
    const TsComplex z[3] = {TsComplex(0.0f, 0.0f), TsComplex(-1e-3f, 5.0f), TsComplex(2.0f, 0.0f)};
    float out[3];
    ASSERT_EQ(FormatDataLogMag(z, out, 3), kOk);
    EXPECT_EQ(out[0], -200.0f);
    ASSERT_EQ(FormatData10LogMag(z, out, 3), kOk);
    EXPECT_EQ(out[0], -200.0f);
    EXPECT_FLOAT_EQ(out[1], float(10.0 * std::log10(double(1e-3f))));  // |re|, im ignored
    EXPECT_FLOAT_EQ(out[2], float(10.0 * std::log10(2.0)));
    ASSERT_EQ(FormatNoiseDensity(z, out, 3), kOk);
    EXPECT_EQ(out[0], -200.0f);
    EXPECT_FLOAT_EQ(out[2], float(10.0 * std::log10(2.0 * 1.3806504e-23 * 1000.0)));

    EXPECT_EQ(FormatDataLinMag(nullptr, out, 1), kInvalidArg);
    EXPECT_EQ(FormatDataPhase(nullptr, out, 0), kOk);

    const double saved = TsComplex::m_logMagZeroValue;
    TsComplex::m_logMagZeroValue = -150.0;
    FormatDataLogMag(z, out, 1);
    TsComplex::m_logMagZeroValue = saved;
    EXPECT_EQ(out[0], -150.0f);
}

TEST(LogMagRange, GrowsToLastNeverShrinksAndWritesOnlyTheRun) {
    const auto z = RandomSamples(10, 1.0f);
    std::vector<float> out(2, 9.0f);
    ASSERT_EQ(FormatDataLogMag(z, out, 3, 6), kOk);
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(out[0], 9.0f);
    EXPECT_EQ(out[2], 0.0f);
    EXPECT_FLOAT_EQ(out[4], float(20.0 * std::log10(std::abs(D(z[4])))));
    out.assign(10, 9.0f);
    ASSERT_EQ(FormatDataLogMag(z, out, 0, 4), kOk);
    EXPECT_EQ(out.size(), 10u);
    EXPECT_EQ(out[4], 9.0f);
    EXPECT_EQ(FormatDataLogMag(z, out, 5, 5), kOk);
    EXPECT_EQ(FormatDataLogMag(z, out, 6, 2), kOk);
    EXPECT_EQ(FormatDataLogMag(z, out, 8, 11), kInvalidArg);
    EXPECT_EQ(FormatDataLogMag(z, out, -1, 3), kInvalidArg);
    EXPECT_EQ(out[5], 9.0f);
}

// Samples of unit magnitude with phase `step`·i (an accumulating phase), and that phase.
std::vector<TsComplex> PhaseRamp(int n, double step, std::vector<double>& truePhase) {
    std::vector<TsComplex> z(n);
    truePhase.resize(n);
    for (int i = 0; i < n; ++i) {
        truePhase[i] = step * i + 0.3;
        z[i] = TsComplex::FromMagPhase(1.0, truePhase[i]);
    }
    return z;
}

TEST(PhaseUnwrap, RecoversAnAccumulatingPhase) {
    // Any step shorter than π between neighbours is followed, however close to π.
    for (const double step : {-0.9, 0.45, 3.0, -3.1}) {
        std::vector<double> expected;
        const auto z = PhaseRamp(200, step, expected);
        std::vector<float> out;
        ASSERT_EQ(FormatDataPhase(z, out, 0, 200, true), kOk);
        ASSERT_EQ(out.size(), 200u);
        for (int i = 0; i < 200; ++i) {
            EXPECT_NEAR(out[i], expected[i], 1e-4 * (1 + std::fabs(expected[i])))
                << "step " << step << " point " << i;
        }
    }
}

TEST(PhaseUnwrap, StepsOfExactlyPiAreNotUnwrapped) {
    const std::vector<TsComplex> z = {TsComplex(1, 0), TsComplex(-1, 0), TsComplex(1, 0),
                                      TsComplex(0, 1), TsComplex(0, -1), TsComplex(0, 1)};
    std::vector<float> out;
    ASSERT_EQ(FormatDataPhase(z, out, 0, 6, true), kOk);
    const float halfPi = float(kPi / 2);
    EXPECT_EQ(out, (std::vector<float>{0.0f, float(kPi), 0.0f, halfPi, -halfPi, halfPi}));
}

TEST(PhaseUnwrap, ContinuedRunKeepsTheOffsetOfTheEarlierRun) {
    std::vector<double> expected;
    const auto z = PhaseRamp(300, -0.8, expected);
    std::vector<float> whole, pieces;
    ASSERT_EQ(FormatDataPhase(z, whole, 0, 300, true), kOk);
    ASSERT_EQ(FormatDataPhase(z, pieces, 0, 1, true), kOk);
    // The runs of a sweep that delivers its points in pieces, in order.
    const int cuts[] = {1, 2, 3, 77, 78, 150, 151, 300};
    for (int k = 0; k + 1 < 8; ++k) {
        ASSERT_EQ(FormatDataPhase(z.data(), pieces.data(), cuts[k], cuts[k + 1], true), kOk);
    }
    for (int i = 0; i < 300; ++i) {
        EXPECT_NEAR(pieces[i], whole[i], 1e-4 * (1 + std::fabs(whole[i]))) << i;
        EXPECT_NEAR(whole[i], expected[i], 1e-4 * (1 + std::fabs(expected[i]))) << i;
    }
}

TEST(PhaseUnwrap, ContinuationTakesTheWholeTurnsOfOutFirstMinusOneOverOutZero) {
    // An earlier run left out[2] two and a half turns above out[0]: the count starts at 2.
    const std::vector<TsComplex> z(6, TsComplex::FromMagPhase(1.0, 0.25));
    std::vector<float> out = {0.0f, 0.0f, float(5 * kPi), 0, 0, 0};
    ASSERT_EQ(FormatDataPhase(z.data(), out.data(), 3, 6, true), kOk);
    // 4π + 0.25 is within π of 5π, so no further step is taken.
    EXPECT_FLOAT_EQ(out[3], float(4 * kPi + 0.25));
    EXPECT_FLOAT_EQ(out[5], float(4 * kPi + 0.25));
}

TEST(PhaseRange, WithoutTheFlagWritesPlainPhaseOfTheRunOnly) {
    std::vector<double> expected;
    const auto z = PhaseRamp(20, 1.3, expected);
    std::vector<float> out(3, 8.0f);
    ASSERT_EQ(FormatDataPhase(z, out, 5, 10, false), kOk);
    ASSERT_EQ(out.size(), 20u);
    EXPECT_EQ(out[4], 0.0f);
    for (int i = 5; i < 10; ++i) {
        EXPECT_FLOAT_EQ(out[i], float(std::arg(D(z[i]))));
    }
    EXPECT_EQ(out[10], 0.0f);
    EXPECT_EQ(FormatDataPhase(z, out, 15, 21, true), kInvalidArg);
    EXPECT_EQ(FormatDataPhase(z.data(), out.data(), -1, 4, true), kInvalidArg);
}

}  // namespace
