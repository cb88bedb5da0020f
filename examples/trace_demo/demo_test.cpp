// SPDX-License-Identifier: Apache-2.0
// End-to-end runs of tessel-demo, checked against the circuit model it measures.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "examples/trace_demo/demo_app.h"
#include "examples/trace_demo/fixture_and_cal.h"
#include "tessel/touchstone/touchstone.h"

namespace demo {
namespace {

const std::string kDir = (std::filesystem::temp_directory_path() / "tessel-demo-test").string();

struct DemoRun {
    int rc = -1;
    std::string out, err;
    DemoFigures fig;
};

DemoRun RunWith(std::vector<std::string> args) {
    args.insert(args.begin(), {"tessel-demo", "--out", kDir});
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    DemoRun r;
    r.rc = RunDemo(static_cast<int>(argv.size()), argv.data(), out, err, &r.fig);
    r.out = out.str();
    r.err = err.str();
    return r;
}

double S21Db(const DeviceDescription& d, double f) {
    return 20.0 * std::log10(std::abs(DeviceS(d, f)[2]));
}

// The crossing of |S21| = level between a (above) and b (below), by bisection.
double Crossing(const DeviceDescription& d, double a, double b, double level) {
    for (int k = 0; k < 60; ++k) {
        const double m = 0.5 * (a + b);
        (S21Db(d, m) > level ? a : b) = m;
    }
    return 0.5 * (a + b);
}

// The embedded measurement once, shared by the checks on it.
class Embedded : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { run = new DemoRun(RunWith({"--save", kDir + "/saved.s2p"})); }
    static void TearDownTestSuite() { delete run; }
    static DemoRun* run;
};
DemoRun* Embedded::run = nullptr;

TEST_F(Embedded, MarkersReadTheFilterWithinOnePercent) {
    ASSERT_EQ(run->rc, 0) << run->err;
    const DeviceDescription d;
    double peakHz = 1e9;
    for (double f = 1e9; f < 4e9; f += 1e5)
        peakHz = S21Db(d, f) > S21Db(d, peakHz) ? f : peakHz;
    const double peak = S21Db(d, peakHz);
    const double lo = Crossing(d, peakHz, 0.5e9, peak - 3.0);
    const double hi = Crossing(d, peakHz, 5.5e9, peak - 3.0);
    const MarkerReport& mk = run->fig.markers;
    ASSERT_TRUE(mk.bandwidthValid);
    EXPECT_NEAR(-mk.peakDb, -peak, 0.01 * -peak);
    EXPECT_NEAR(mk.bandwidthHz, hi - lo, 0.01 * (hi - lo));
    EXPECT_NEAR(mk.centreHz, 0.5 * (lo + hi), 0.01 * 0.5 * (lo + hi));
    EXPECT_NEAR(mk.q, 0.5 * (lo + hi) / (hi - lo), 0.01 * 0.5 * (lo + hi) / (hi - lo));
    // The target marker sits where the model falls 20 dB below the peak; the delta marker
    // reads its own value minus the peak's.
    const MarkerReadout& target = mk.markers[4];
    ASSERT_TRUE(target.valid);
    EXPECT_NEAR(target.stimulusHz, Crossing(d, peakHz, 5.9e9, peak - 20.0), 5e6);
    const MarkerReadout& delta = mk.markers[5];
    EXPECT_EQ(delta.reference, 1);
    EXPECT_NEAR(delta.deltaDb, S21Db(d, delta.stimulusHz) - peak, 0.05);
    EXPECT_NEAR(delta.deltaHz, delta.stimulusHz - mk.markers[0].stimulusHz, 1.0);
}

TEST_F(Embedded, CalibratesDeembedsAndPassesTheMask) {
    ASSERT_EQ(run->rc, 0) << run->err;
    EXPECT_TRUE(run->fig.limit.tested && run->fig.limit.pass);
    EXPECT_NE(run->out.find("Limit test (S21, the filter's band-pass mask): PASS"),
              std::string::npos);
    EXPECT_LT(run->fig.termResidual, 1e-5);
    EXPECT_LT(run->fig.correctionResidual, 1e-5);
    // Replacing the cable through its model restores the flawless-cable device to the noise
    // level, well beyond what the gate achieves.
    EXPECT_LT(run->fig.deembeddedS11Error, 2e-3);
    EXPECT_LT(run->fig.deembeddedS11Error * 2, run->fig.gatedS11Error);
}

TEST_F(Embedded, SavedFileHoldsTheCorrectedDevice) {
    ASSERT_EQ(run->rc, 0) << run->err;
    const Tessel::TouchstoneData t = Tessel::ReadTouchstoneFile(kDir + "/saved.s2p");
    ASSERT_EQ(t.ports, 2);
    ASSERT_EQ(t.frequencyHz.size(), 1601u);
    const DeviceDescription d;
    double worst = 0.0;
    for (size_t i = 0; i < t.frequencyHz.size(); ++i) {
        EXPECT_DOUBLE_EQ(t.frequencyHz[i], 6e9 * double(i + 1) / 1601.0);
        const SParams s = DeviceS(d, t.frequencyHz[i]);
        for (int k = 0; k < 4; ++k) {
            const TsComplex v = t.at(i, k / 2, k % 2);
            worst = std::max(worst, std::abs(Cd(v.re, v.im) - s[k]));
        }
    }
    EXPECT_LT(worst, 3e-3);  // receiver noise through the correction
    // The demo reading its own file back reads the same markers.
    const DemoRun back = RunWith({kDir + "/saved.s2p"});
    ASSERT_EQ(back.rc, 0) << back.err;
    EXPECT_NEAR(back.fig.markers.peakDb, run->fig.markers.peakDb, 1e-4);
    EXPECT_NEAR(back.fig.markers.bandwidthHz, run->fig.markers.bandwidthHz, 1e3);
}

TEST(DemoLimits, TightFloorFailsInsideItsRowOnly) {
    const DemoRun r = RunWith({"--limit", "min:2.2:2.6:-0.5", "--limit", "max:4:6:-35"});
    ASSERT_EQ(r.rc, 0) << r.err;
    ASSERT_TRUE(r.fig.limit.tested);
    EXPECT_FALSE(r.fig.limit.pass);
    EXPECT_NE(r.out.find("FAIL: "), std::string::npos);
    // Each failing point lies under a row that the filter's model violates there (the
    // 0.5 dB floor in the pass band, the -35 dB ceiling where the skirt is still higher).
    const DeviceDescription d;
    for (int i : r.fig.limit.failing) {
        const double f = 6e9 * (i + 1) / 1601.0;
        if (f <= 2.6e9)
            EXPECT_TRUE(f >= 2.2e9 && S21Db(d, f) < -0.45) << f;
        else
            EXPECT_TRUE(f >= 4e9 && S21Db(d, f) > -35.5) << f;
    }
    EXPECT_LT(r.fig.limit.failing.size(), size_t(r.fig.limit.testedPoints));
    std::ifstream html(kDir + "/report.html");
    const std::string report((std::istreambuf_iterator<char>(html)), {});
    EXPECT_NE(report.find("<title>Limit fail: 2.2"), std::string::npos);
    EXPECT_EQ(RunWith({"--limit", "min:2.6:2.2:-1"}).rc, 2);
}

// Against the model without noise: replacing the cable gives the flawless-cable device in all
// four parameters; removing it alone leaves the filter, which the matched flawless cable only
// delays (S21 = c21·F21, S11 = c12·c21·F11).
TEST(DemoDeembedding, CableReplacementIsExactWithoutNoise) {
    const SyntheticMeasurement m = MakeSyntheticMeasurement(200, 6e9, 0.0, 1);
    std::array<Trace, 4> dut;
    std::vector<SParams> cable, flawless;
    for (int p = 0; p < 4; ++p) {
        for (const Cd& z : m.truth[p])
            dut[p].emplace_back(float(z.real()), float(z.imag()));
    }
    for (double f : m.frequencyHz) {
        cable.push_back(SteppedCableS(m.device, f));
        flawless.push_back(FlawlessCableS(m.device, f));
    }
    const std::array<Trace, 4> replaced = ReplaceInputCable(dut, cable, flawless);
    const std::array<Trace, 4> bare = ReplaceInputCable(dut, cable, {});
    auto at = [](const Trace& t, size_t i) { return Cd(t[i].re, t[i].im); };
    for (size_t i = 0; i < m.frequencyHz.size(); ++i) {
        for (int p = 0; p < 4; ++p)
            EXPECT_LT(std::abs(at(replaced[p], i) - m.reference[p][i]), 1e-4) << p << " " << i;
        const SParams& c = flawless[i];
        EXPECT_LT(std::abs(c[2] * at(bare[2], i) - m.reference[2][i]), 1e-4) << i;
        EXPECT_LT(std::abs(c[1] * c[2] * at(bare[0], i) - m.reference[0][i]), 1e-4) << i;
    }
    EXPECT_THROW(ReplaceInputCable(dut, {cable[0]}, {}), std::runtime_error);
}

TEST(DemoFileMode, ZeroSamplesUnityGainAndLabels) {
    std::filesystem::create_directories(kDir);
    const std::string file = kDir + "/zero.s2p";
    std::ofstream(file) << "# GHz S RI R 50\n"
                        << "1 0 0 1.0001 0 1.0001 0 0.1 0\n"
                        << "2 0.01 0 1 0 1 0 0.1 0\n"
                        << "3 0.02 0 1 0 1 0 0.1 0\n"
                        << "4 0.02 0 1 0 1 0 0.1 0\n";
    const DemoRun r = RunWith({"--gate", "0.1:0.5", file});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("beyond the 200 dB display floor at 1 GHz"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("200.0 dB"), std::string::npos);
    EXPECT_EQ(r.out.find("-0.0"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("middle 80 % of the band"), std::string::npos);
    std::ifstream html(kDir + "/report.html");
    const std::string report((std::istreambuf_iterator<char>(html)), {});
    EXPECT_EQ(report.find(" corrected<"), std::string::npos);
    EXPECT_NE(report.find("<title>Marker 1 (peak): "), std::string::npos);
}

}  // namespace
}  // namespace demo
