// SPDX-License-Identifier: Apache-2.0
#include "examples/trace_demo/svg_plot.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

void ExpectTicks(const std::vector<double>& got, const std::vector<double>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], want[i], 1e-12) << i;
}

TEST(SvgPlot, NiceTicksUseOneTwoFiveSteps) {
    ExpectTicks(demo::NiceTicks(0.0, 6.0, 6), {0, 1, 2, 3, 4, 5, 6});
    ExpectTicks(demo::NiceTicks(-0.93, 0.1, 5), {-0.8, -0.6, -0.4, -0.2, 0.0});
    ExpectTicks(demo::NiceTicks(-45.0, -3.0, 4), {-40, -30, -20, -10});
    EXPECT_TRUE(demo::NiceTicks(1.0, 1.0, 5).empty());
    EXPECT_TRUE(demo::NiceTicks(0.0, std::numeric_limits<double>::infinity(), 5).empty());
}

TEST(SvgPlot, RendersTitleAxesLegendAndEscapesText) {
    demo::Plot p;
    p.title = "S21 <log> & more";
    p.xLabel = "Frequency (GHz)";
    p.yLabel = "|S21| (dB)";
    demo::Series s;
    s.label = "corrected";
    s.x = {1, 2, 3, 4};
    s.y = {0, -1, std::nan(""), -3};
    p.series.push_back(s);
    const std::string svg = demo::RenderSvg(p);
    EXPECT_NE(svg.find("S21 &lt;log&gt; &amp; more"), std::string::npos);
    EXPECT_NE(svg.find("Frequency (GHz)"), std::string::npos);
    EXPECT_NE(svg.find(">corrected</text>"), std::string::npos);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    // The NaN breaks the line into two sub-paths.
    size_t moves = 0;
    for (size_t at = svg.find(" M"); at != std::string::npos; at = svg.find(" M", at + 1))
        ++moves;
    EXPECT_EQ(moves, 2u);
}

TEST(SvgPlot, EmptyOrFlatDataStillDraws) {
    demo::Plot p;
    p.title = "empty";
    EXPECT_NE(demo::RenderSvg(p).find("</svg>"), std::string::npos);
    demo::Series s;
    s.x = {1, 2};
    s.y = {5, 5};
    p.series.push_back(s);
    const std::string svg = demo::RenderSvg(p);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
}

}  // namespace
