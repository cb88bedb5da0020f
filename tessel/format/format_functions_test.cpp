// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/format_functions.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/format/internal/format_kernels.h"
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
    // Long enough to cross the blocks the phases are computed in.
    const int cuts[] = {0, 1, 2, 3, 77, 78, 150, 151, 300, 600};
    for (const double step : {-0.9, 0.45, 3.0, -3.1}) {
        std::vector<TsComplex> z(600);
        for (int i = 0; i < 600; ++i) {
            z[i] = TsComplex::FromMagPhase(1.0, step * i + 0.3);
        }
        std::vector<float> whole, pieces(600);
        ASSERT_EQ(FormatDataPhase(z, whole, 0, 600, true), kOk);
        for (int k = 0; k + 1 < 10; ++k) {
            ASSERT_EQ(FormatDataPhase(z.data(), pieces.data(), cuts[k], cuts[k + 1], true), kOk);
        }
        for (int i = 0; i < 600; ++i) {
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

// Every kernel variant the processor runs, on magnitudes over the whole float range at angles
// round the circle, magnitudes just below 1 (where SWR is ill-conditioned), and special values.
class KernelVariants : public ::testing::Test {
  protected:
    static std::vector<TsComplex> Sweep() {
        std::vector<TsComplex> z;
        for (double decade = -45.0; decade < 38.5; decade += 0.37) {
            for (int k = 0; k < 61; ++k) {
                z.push_back(TsComplex::FromMagPhase(std::pow(10.0, decade), 0.103 * k - kPi));
            }
        }
        for (int j = 0; j < 2000; ++j) {  // 1 - |z|² from 1e-7 down to 1e-11: SWR near its cap
            const double re = 1.0f - 5.9604645e-8f * float(j % 50 + 1), rest = 1 - re * re;
            const float im = float(std::sqrt(rest - rest * std::pow(1e-4, (j % 40) / 39.0)));
            z.push_back(TsComplex(float(re), im));
            z.push_back(TsComplex(-im, -float(re)));
        }
        std::mt19937 rng(7);  // dense around |z| = 1 (0 dB) and over a few octaves either side
        std::uniform_real_distribution<double> octaves(-3.0, 3.0), angle(-kPi, kPi);
        for (int j = 0; j < 20000; ++j) {
            z.push_back(
                TsComplex::FromMagPhase(std::exp2(octaves(rng) * (j % 2 ? 1 : 1e-6)), angle(rng)));
        }
        for (int j = -300; j <= 300; ++j) {  // a real part within float steps of 1, im tiny
            z.push_back(TsComplex(1.0f + 5.9604645e-8f * float(j), float(j % 7) * 1e-5f));
        }
        const float inf = INFINITY, nan = NAN;
        for (float a :
             {0.0f, -0.0f, 1e-45f, 3e-41f, 1.1e-38f, 1.0f, -1.0f, 3.4e38f, inf, -inf, nan}) {
            for (float b : {0.0f, -0.0f, 2e-45f, -0.5f, inf, -inf, nan, -std::nanf("")}) {
                z.push_back(TsComplex(a, b));
            }
        }
        return z;
    }

    // Distance in float steps; NaN only matches NaN, and a non-finite or special reference
    // (the zero value, the SWR cap) only itself.
    static int UlpsApart(float got, double want, bool special) {
        const float w = float(want);
        if (std::isnan(w) || std::isnan(got)) {
            return std::isnan(w) && std::isnan(got) ? 0 : 1000;
        }
        if (special || !std::isfinite(w)) {
            return got == w ? 0 : 1000;
        }
        const auto ordered = [](float f) {
            std::int32_t i;
            std::memcpy(&i, &f, sizeof i);
            return i < 0 ? std::int64_t(INT32_MIN) - i : std::int64_t(i);
        };
        return int(std::min<std::int64_t>(std::llabs(ordered(got) - ordered(w)), 1000));
    }

    const std::vector<TsComplex> z_ = Sweep();
};

TEST_F(KernelVariants, StayWithinTwoFloatUlpsOfTheDoubleFormulasAndKeepSpecialValues) {
    using Kernels = internal::FormatKernels;
    struct Function {
        const char* name;
        void (*run)(const Kernels&, const TsComplex*, float*, std::size_t);
        double (*reference)(double re, double im);
        bool (*special)(double reference);
    };
    const auto none = [](double) { return false; };
    const Function functions[] = {
        {"logMag",
         [](const Kernels& k, const TsComplex* z, float* o, std::size_t n) {
             k.logMag(z, o, n, -173.0);
         },
         [](double re, double im) {
             return re == 0 && im == 0 ? -173.0 : 10 * std::log10(re * re + im * im);
         },
         [](double r) { return r == -173.0; }},
        {"powerDb",
         [](const Kernels& k, const TsComplex* z, float* o, std::size_t n) {
             k.powerDb(z, o, n, 1.3806504e-20, -173.0);
         },
         [](double re, double) {
             return re == 0 ? -173.0 : 10 * std::log10(std::fabs(re) * 1.3806504e-20);
         },
         [](double r) { return r == -173.0; }},
        {"milliampereDb",
         [](const Kernels& k, const TsComplex* z, float* o, std::size_t n) {
             k.levelDb(z, o, n, internal::Level::kMilliamperes, 75.0, -173.0);
         },
         [](double re, double im) {
             const double v = std::sqrt((re * re + im * im) * 0.001 * 75.0) * 1000.0 / 75.0;
             return v == 0 ? -173.0 : 20 * std::log10(v);
         },
         [](double r) { return r == -173.0; }},
        {"noiseDb",
         [](const Kernels& k, const TsComplex* z, float* o, std::size_t n) {
             k.levelDb(z, o, n, internal::Level::kNoiseMillivolts, 50.0, -173.0);
         },
         [](double re, double) {
             const double v = std::sqrt(std::fabs(re) * 1.3806504e-20 * 0.001 * 50.0) * 1000.0;
             return v == 0 ? -173.0 : 20 * std::log10(v);
         },
         [](double r) { return r == -173.0; }},
        {"rawDb",
         [](const Kernels& k, const TsComplex* z, float* o, std::size_t n) {
             k.levelDb(z, o, n, internal::Level::kRaw, 50.0, -173.0);
         },
         [](double re, double) { return re == 0 ? -173.0 : 20 * std::log10(re); },
         [](double r) { return r == -173.0; }},
        {"linMag",
         [](const Kernels& k, const TsComplex* z, float* o, std::size_t n) { k.linMag(z, o, n); },
         [](double re, double im) { return std::hypot(re, im); }, none},
        {"phase",
         [](const Kernels& k, const TsComplex* z, float* o, std::size_t n) { k.phase(z, o, n); },
         [](double re, double im) { return std::atan2(im, re); }, none},
        {"swr",
         [](const Kernels& k, const TsComplex* z, float* o, std::size_t n) { k.swr(z, o, n); },
         [](double re, double im) {
             const double g = std::hypot(re, im);
             return g < 1 ? std::min((1 + g) / (1 - g), 1e10) : 1e10;
         },
         [](double r) { return r == 1e10; }}};
    const auto variants = internal::SupportedKernels();
    EXPECT_EQ(variants.front(), &internal::PortableKernels());
    const std::size_t specials = z_.size() - 88;  // the special values close the sweep
    std::vector<std::vector<float>> portable;
    for (const Kernels* kernels : variants) {
        for (const Function& f : functions) {
            std::vector<float> out(z_.size());
            f.run(*kernels, z_.data(), out.data(), z_.size());
            if (kernels == variants.front()) {
                portable.push_back(out);
            }
            // Special inputs give the portable results bit for bit (signed zeros, infinities, the
            // zero value, the cap), NaN for NaN: which operand's payload survives depends on the
            // compiler's operand order even in the portable variant.
            const auto& same = portable[&f - functions];
            for (std::size_t i = specials; i < z_.size(); ++i) {
                EXPECT_TRUE(std::isnan(out[i]) ? std::isnan(same[i])
                                               : std::memcmp(&out[i], &same[i], sizeof(float)) == 0)
                    << kernels->name << " " << f.name << " " << out[i] << " " << same[i];
            }
            int worst = 0;
            for (std::size_t i = 0; i < z_.size(); ++i) {
                const double want = f.reference(z_[i].re, z_[i].im);
                const int ulps = UlpsApart(out[i], want, f.special(want));
                worst = std::max(worst, ulps);
                ASSERT_LE(ulps, 2) << kernels->name << " " << f.name << " (" << z_[i].re << ", "
                                   << z_[i].im << ") gave " << out[i] << " for " << want;
            }
            // Short runs end inside a partial vector: each must equal the long run's values.
            for (std::size_t n = 1; n <= 17; ++n) {
                std::vector<float> part(n);
                f.run(*kernels, z_.data() + 100, part.data(), n);
                for (std::size_t i = 0; i < n; ++i) {
                    ASSERT_EQ(UlpsApart(part[i], out[100 + i], false), 0)
                        << kernels->name << " " << f.name << " n=" << n;
                }
            }
            RecordProperty(std::string(kernels->name) + "_" + f.name, worst);
        }
        // The double phases that unwrapping starts from: within 1e-12 of atan2, relatively.
        std::vector<double> phase(z_.size());
        kernels->phaseDouble(z_.data(), phase.data(), z_.size());
        for (std::size_t i = 0; i < z_.size(); ++i) {
            const double want = std::atan2(double(z_[i].im), double(z_[i].re));
            const double tolerance = std::isnan(want) ? 0.0 : 1e-12 * std::fabs(want);
            ASSERT_THAT(phase[i], testing::NanSensitiveDoubleNear(want, tolerance))
                << kernels->name << " " << i;
        }
    }
}
