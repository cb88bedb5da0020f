#include "tessel/format/format.h"

#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using namespace Tessel;

constexpr double kPi = 3.141592653589793;

TEST(FormatZeroValue, ObjectKeepsItsOwnZeroValueForMemberLogMag) {
    const double saved = TsComplex::m_logMagZeroValue;
    TsComplex::m_logMagZeroValue = -180.0;
    Format format;  // takes the library-wide value at construction
    TsComplex::m_logMagZeroValue = saved;
    EXPECT_EQ(format.SetLogMagZeroValue(-90.0), -180.0);

    const std::vector<TsComplex> z = {TsComplex(0.0f, 0.0f), TsComplex(0.0f, -0.5f)};
    float arr[2];
    std::vector<float> vec, range;
    ASSERT_EQ(format.LogMag(z.data(), arr, 2), kOk);
    ASSERT_EQ(format.LogMag(z, vec), kOk);
    ASSERT_EQ(format.LogMag(z, range, 0, 2), kOk);
    EXPECT_EQ(arr[0], -90.0f);
    EXPECT_EQ(vec[0], -90.0f);
    EXPECT_EQ(range[0], float(saved));  // the range form uses the library-wide value
    EXPECT_FLOAT_EQ(arr[1], float(20 * std::log10(0.5)));
    EXPECT_EQ(vec[1], arr[1]);
    EXPECT_EQ(format.GetLogMagZerovalue(), -90.0);
}

TEST(FormatDoubleForms, KeepTheUnroundedValues) {
    const std::vector<TsComplex> z = {TsComplex(0.3f, -0.4f), TsComplex(-1.0f, 1e-3f)};
    std::vector<double> phase, swr, re, im;
    ASSERT_EQ(
        Format::Phase(z, phase) | Format::SWR(z, swr) | Format::Real(z, re) | Format::Imag(z, im),
        kOk);
    const double m = std::hypot(double(0.3f), double(0.4f));
    EXPECT_EQ(phase[0], std::atan2(double(-0.4f), double(0.3f)));
    EXPECT_DOUBLE_EQ(swr[0], (1 + m) / (1 - m));
    EXPECT_EQ(std::make_pair(re[1], im[1]), std::make_pair(-1.0, double(1e-3f)));
}

TEST(FormatTwoPointDelay, WrappedPhaseStepOverAngularSpacingAndZeroForNoRisingSpacing) {
    const TsComplex a = TsComplex::FromMagPhase(1.0, 0.5), b = TsComplex::FromMagPhase(1.0, 0.2);
    EXPECT_DOUBLE_EQ(Format::Delay(a, b, 1e9, 1e9 + 1e6),
                     (a.Phase() - b.Phase()) / (2 * kPi * 1e6));
    // The step wraps by one turn: 3 rad to -3 rad is a step of 6 - 2π.
    const TsComplex c = TsComplex::FromMagPhase(1.0, 3.0), d = TsComplex::FromMagPhase(1.0, -3.0);
    EXPECT_NEAR(Format::Delay(c, d, 0.0, 1.0), (c.Phase() - d.Phase() - 2 * kPi) / (2 * kPi),
                1e-15);
    // A step of -3.1 rad lies within π: it is not wrapped.
    const TsComplex e = TsComplex::FromMagPhase(1.0, 3.1);
    EXPECT_NEAR(Format::Delay(TsComplex(1, 0), e, 0.0, 1.0), -e.Phase() / (2 * kPi), 1e-15);
    EXPECT_EQ(Format::Delay(a, b, 5.0, 5.0), 0.0);
    EXPECT_EQ(Format::Delay(a, b, 6.0, 5.0), 0.0);
}

TEST(FormatReactance, ImpedanceAndAdmittanceGiveInductanceOrCapacitance) {
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
