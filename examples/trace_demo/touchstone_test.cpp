#include "examples/trace_demo/touchstone.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

namespace {

using demo::ParseTouchstone;
using demo::ReadTouchstoneFile;
using demo::TouchstoneError;

const std::string kData = TESSEL_DEMO_TESTDATA;

std::string ErrorOf(const std::string& path) {
    try {
        ReadTouchstoneFile(path);
    } catch (const TouchstoneError& e) {
        return e.what();
    }
    return "";
}

TEST(Touchstone, ReadsRealImaginaryTwoPortInParameterOrder) {
    const auto d = ReadTouchstoneFile(kData + "/attenuator_ri.s2p");
    ASSERT_EQ(d.ports, 2);
    ASSERT_EQ(d.frequencyHz.size(), 3u);
    EXPECT_DOUBLE_EQ(d.frequencyHz[1], 2e9);
    EXPECT_DOUBLE_EQ(d.referenceOhms, 50.0);
    // File columns are S11 S21 S12 S22; the result is S11 S12 S21 S22.
    EXPECT_EQ(d.s[0][1], std::complex<double>(0.01, 0.01));
    EXPECT_EQ(d.s[2][1], std::complex<double>(0.0, 0.5));
    EXPECT_EQ(d.s[3][1], std::complex<double>(0.02, -0.01));
}

TEST(Touchstone, ConvertsDecibelAndMagnitudeAngleFormats) {
    const auto s1 = ReadTouchstoneFile(kData + "/short_db.s1p");
    ASSERT_EQ(s1.ports, 1);
    EXPECT_DOUBLE_EQ(s1.frequencyHz[0], 100e6);
    EXPECT_NEAR(std::abs(s1.s[0][1]), std::pow(10.0, -0.2 / 20), 1e-12);
    EXPECT_NEAR(std::arg(s1.s[0][1]), 170.0 * M_PI / 180, 1e-12);

    const auto s2 = ReadTouchstoneFile(kData + "/filter_ma_khz.s2p");
    EXPECT_DOUBLE_EQ(s2.frequencyHz[1], 1.5e9);
    EXPECT_NEAR(std::abs(s2.s[2][1]), 0.95, 1e-12);
    EXPECT_NEAR(std::arg(s2.s[0][0]), -10.0 * M_PI / 180, 1e-12);
}

TEST(Touchstone, MalformedFilesNameTheFailingLine) {
    EXPECT_NE(ErrorOf(kData + "/bad_number.s2p").find("bad_number.s2p:3: not a number"),
              std::string::npos);
    EXPECT_NE(ErrorOf(kData + "/bad_count.s1p").find("bad_count.s1p:3: expected 3 numbers"),
              std::string::npos);
    EXPECT_NE(ErrorOf(kData + "/bad_order.s1p").find(":3: frequencies must rise"),
              std::string::npos);
    EXPECT_NE(ErrorOf(kData + "/y_params.s2p").find(":1: only S-parameter"), std::string::npos);
    EXPECT_NE(ErrorOf(kData + "/missing.s2p").find("cannot open"), std::string::npos);
    EXPECT_NE(ErrorOf(kData + "/attenuator_ri.txt").find("expected a .s1p or .s2p"),
              std::string::npos);
}

TEST(Touchstone, RejectsEmptyAndUnknownOptions) {
    EXPECT_THROW(ParseTouchstone("! nothing\n", 1, "x"), TouchstoneError);
    EXPECT_THROW(ParseTouchstone("# GHz S QQ\n1 1 0\n", 1, "x"), TouchstoneError);
    EXPECT_THROW(ParseTouchstone("# GHz S RI R -5\n1 1 0\n", 1, "x"), TouchstoneError);
    EXPECT_THROW(ParseTouchstone("1 1 0\n# GHz S RI\n", 1, "x"), TouchstoneError);
    EXPECT_THROW(ParseTouchstone("1 1e999 0\n", 1, "x"), TouchstoneError);
    // Defaults: GHz, magnitude-angle, 50 ohms; a second option line is ignored.
    const auto d = ParseTouchstone("1 0.5 90\n", 1, "x");
    EXPECT_DOUBLE_EQ(d.frequencyHz[0], 1e9);
    EXPECT_NEAR(d.s[0][0].imag(), 0.5, 1e-12);
    const auto e = ParseTouchstone("# MHz S RI R 75\n# GHz S MA\n2 0.1 0.2\r\n", 1, "x");
    EXPECT_DOUBLE_EQ(e.frequencyHz[0], 2e6);
    EXPECT_DOUBLE_EQ(e.referenceOhms, 75.0);
    EXPECT_EQ(e.s[0][0], std::complex<double>(0.1, 0.2));
}

}  // namespace
