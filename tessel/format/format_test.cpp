// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/format.h"

#include <cmath>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/format/internal/format_test_util.h"

namespace {

using namespace Tessel;
using testutil::kPi;

TEST(Format, ObjectKeepsItsOwnZeroValueAndDoubleFormsKeepTheUnroundedValues) {
    const double saved = TsComplex::m_logMagZeroValue;
    TsComplex::m_logMagZeroValue = -180.0;
    Format format;  // takes the library-wide value at construction
    TsComplex::m_logMagZeroValue = saved;
    EXPECT_EQ(format.SetLogMagZeroValue(-90.0), -180.0);
    EXPECT_EQ(format.GetLogMagZerovalue(), -90.0);
    const std::vector<TsComplex> z = {TsComplex(0.0f, 0.0f), TsComplex(0.3f, -0.4f)};
    float arr[2];
    std::vector<float> vec, range;
    ASSERT_EQ(format.LogMag(z.data(), arr, 2) | format.LogMag(z, vec), kOk);
    ASSERT_EQ(format.LogMag(z, range, 0, 2), kOk);  // uses the library-wide value
    EXPECT_TRUE(arr[0] == -90.0f && vec[0] == -90.0f && range[0] == float(saved));
    const double m = std::hypot(double(0.3f), double(0.4f));
    EXPECT_FLOAT_EQ(arr[1], float(20 * std::log10(m)));
    EXPECT_TRUE(vec[1] == arr[1] && range[1] == arr[1]);
    std::vector<double> phase, swr, re, im;
    ASSERT_EQ(Format::Phase(z, phase) | Format::SWR(z, swr) | Format::Real(z, re), kOk);
    ASSERT_EQ(Format::Imag(z, im), kOk);
    EXPECT_EQ(phase[1], std::atan2(double(-0.4f), double(0.3f)));
    EXPECT_DOUBLE_EQ(swr[1], (1 + m) / (1 - m));
    EXPECT_TRUE(re[1] == double(0.3f) && im[1] == double(-0.4f));
}

// The phase step is wrapped by one turn (exactly ±π stays) and divided by 2π·(f2 - f1); a
// spacing that does not rise gives 0.
TEST(Format, TwoPointDelay) {
    const std::tuple<double, double, double, double> rows[] = {{0.5, 0.2, 1e9, 1e9 + 1e6},
                                                               {3.0, -3.0, 0, 1},
                                                               {0, 3.1, 0, 1},
                                                               {0.5, 0.2, 5, 5},
                                                               {0.5, 0.2, 6, 5}};
    for (const auto& [p1, p2, f1, f2] : rows) {
        const TsComplex a = TsComplex::FromMagPhase(1, p1), b = TsComplex::FromMagPhase(1, p2);
        const double step = std::remainder(a.Phase() - b.Phase(), 2 * kPi);
        const double want = f2 > f1 ? step / (2 * kPi * (f2 - f1)) : 0.0;
        EXPECT_NEAR(Format::Delay(a, b, f1, f2), want, 1e-12 * std::fabs(want)) << p1 << " " << f1;
    }
}

TEST(Format, ImpedanceAndAdmittanceGiveInductanceOrCapacitance) {
    // The rows alternate the expected flag, so that each one is seen to be written.
    const double f = 1e6, w = 2 * kPi * f;
    const std::tuple<bool, TsComplex, double, double, bool> rows[] = {
        {false, TsComplex(50, 62.8f), f, 62.8f / w, false},  // Z: inductive
        {false, TsComplex(50, -10), f, 1 / (w * 10), true},  // Z: capacitive
        {false, TsComplex(50, -10), 0.0, 0.0, false},
        {true, TsComplex(0.02f, 0.0f), f, 0.0, true},  // Y: B = 0 counts as a zero capacitance
        {true, TsComplex(0.02f, -0.01f), f, 1 / (w * double(0.01f)), false},
        {true, TsComplex(0.02f, 0.5f), f, 0.5 / w, true},
        {true, TsComplex(0, 1), 0.0, 0.0, false}};
    bool isCap = true;
    for (const auto& [admittance, z, freq, want, cap] : rows) {
        const double got = admittance ? Format::Y_ToInductance(z, freq, isCap)
                                      : Format::Z_ToInductance(z, freq, isCap);
        EXPECT_DOUBLE_EQ(got, want) << z.re << " " << z.im;
        EXPECT_EQ(isCap, cap) << z.re << " " << z.im;
    }
}

}  // namespace
