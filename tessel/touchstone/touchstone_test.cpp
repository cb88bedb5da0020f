// SPDX-License-Identifier: Apache-2.0
#include "tessel/touchstone/touchstone.h"

#include <cstdio>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

using Tessel::ParseTouchstone;
using Tessel::TouchstoneData;
using Tessel::TouchstoneError;

std::string ErrorOf(const std::string& text, int ports) {
    try {
        ParseTouchstone(text, ports, "f.sNp");
    } catch (const TouchstoneError& e) {
        return e.what();
    }
    return "(accepted)";
}

// One value a good file holds: parameter (r, c) of point i, and that point's frequency.
struct Good {
    const char* text;
    int ports;
    size_t points, noise, i;
    int r, c;
    double fHz, re, im;
    bool toS = false;  // convert Y or Z data to S first
};

TEST(Touchstone, ReadsVersion1And2Layouts) {
    const Good cases[] = {
        // Defaults GHz MA; comments and CRLF anywhere.
        {"! c\r\n1 0.5 90 ! c\r\n\r\n2 1 0\n", 1, 2, 0, 0, 0, 0, 1e9, 0.0, 0.5},
        {"# MHz S DB R 75\n100 -20 180\n", 1, 1, 0, 0, 0, 0, 1e8, -0.1, 0.0},
        // Version 1 two-port columns are 11 21 12 22.
        {"# Hz s ri\n5 1 2 3 4 5 6 7 8\n", 2, 1, 0, 0, 1, 0, 5, 3, 4},
        // Three ports wrap after each row, four ports after four values.
        {"# kHz S RI\n1 1 0 2 0 3 0\n 4 0 5 0 6 0\n 7 0 8 0 9 0\n2 1 0 2 0 3 0\n4 0 5 0 6 0\n"
         "7 0 8 0 9 0\n",
         3, 2, 0, 1, 2, 0, 2e3, 7, 0},
        {"# Hz S RI\n1 0 0 1 0 2 0 3 0\n4 0 5 0 6 0 7 0\n8 0 9 0 10 0 11 0\n"
         "12 0 13 0 14 0 15 0\n",
         4, 1, 0, 0, 2, 3, 1, 11, 0},
        // The noise block starts where the frequency stops rising.
        {"# GHz S MA R 50\n1 0 0 1 0 1 0 0 0\n2 0 0 1 0 1 0 0 0\n! noise\n1 0.5 0.3 45 0.2\n"
         "3 0.6 0.3 45 0.2\n",
         2, 2, 2, 1, 1, 0, 2e9, 1, 0},
        // A repeated frequency is a point; at the same frequency five numbers start the noise.
        {"# GHz S RI\n1 0 0 1 0 1 0 0 0\n1 0 0 2 0 1 0 0 0\n1 0.5 0.3 45 0.2\n", 2, 2, 1, 1, 1, 0,
         1e9, 2, 0},
        // Version 2: 12_21 order, references over two lines, noise data.
        {"[Version] 2.0\n# Hz S RI R 50\n[Number of Ports] 2\n[Two-Port Data Order] 12_21\n"
         "[Number of Frequencies] 1\n[Number of Noise Frequencies] 1\n[Reference] 50\n 75\n"
         "[Network Data]\n9 1 2 3 4\n 5 6 7 8\n[Noise Data]\n9 1 0.5 10 0.3\n[End]\n",
         2, 1, 1, 0, 0, 1, 9, 3, 4},
        {"[Version] 2.0\n# Hz S RI\n[Number of Ports] 3\n[Number of Frequencies] 1\n"
         "[Matrix Format] Lower\n[Network Data]\n1 1 0\n 2 0 3 0\n 4 0 5 0 6 0\n[End]\n",
         3, 1, 0, 0, 0, 2, 1, 4, 0},
        {"[Version] 2.0\n# Hz S RI\n[Number of Ports] 3\n[Number of Frequencies] 1\n"
         "[Matrix Format] Upper\n[Network Data]\n1 1 0 2 0 3 0\n 4 0 5 0\n 6 0\n[End]\n",
         3, 1, 0, 0, 1, 1, 1, 4, 0},
        // Y and Z to S: 100 ohm on 50 (normalized in version 1), a 50 ohm shunt between 50 ohm
        // ports (S11 = -1/3, S21 = 2/3), 100 and 25 ohm on ports of 50 and 75 ohm.
        {"# Hz Z RI R 50\n1 2 0\n", 1, 1, 0, 0, 0, 0, 1, 1.0 / 3, 0, true},
        {"# Hz Y RI R 50\n1 0.5 0\n", 1, 1, 0, 0, 0, 0, 1, 1.0 / 3, 0, true},
        {"# Hz Z RI R 50\n1 1 0 1 0 1 0 1 0\n", 2, 1, 0, 0, 0, 0, 1, -1.0 / 3, 0, true},
        {"# Hz Z RI R 50\n1 1 0 1 0 1 0 1 0\n", 2, 1, 0, 0, 1, 0, 1, 2.0 / 3, 0, true},
        {"[Version] 2.0\n# Hz Z RI\n[Number of Ports] 2\n[Two-Port Data Order] 12_21\n"
         "[Number of Frequencies] 1\n[Reference] 50 75\n[Network Data]\n1 100 0 0 0 0 0 25 0\n"
         "[End]\n",
         2, 1, 0, 0, 1, 1, 1, -0.5, 0, true},
    };
    for (const Good& g : cases) {
        SCOPED_TRACE(g.text);
        TouchstoneData d = ParseTouchstone(g.text, g.ports, "x");
        if (g.toS)
            Tessel::ConvertToS(d);
        EXPECT_EQ(d.options.parameter, Tessel::TsParameter::S);
        ASSERT_EQ(d.ports, g.ports);
        ASSERT_EQ(d.frequencyHz.size(), g.points);
        ASSERT_EQ(d.data.size(), g.points * g.ports * g.ports);
        EXPECT_EQ(d.noise.size(), g.noise);
        EXPECT_DOUBLE_EQ(d.frequencyHz[g.i], g.fHz);
        EXPECT_NEAR(d.at(g.i, g.r, g.c).re, g.re, 1e-6);
        EXPECT_NEAR(d.at(g.i, g.r, g.c).im, g.im, 1e-6);
    }
    const TouchstoneData v2 = ParseTouchstone(cases[7].text, 2, "x");
    EXPECT_EQ(v2.referenceOhms, (std::vector<double>{50, 75}));
}

TEST(Touchstone, ErrorsNameFileLineAndWhatWasExpected) {
    const std::string v2 = "[Version] 2.0\n# Hz S RI\n[Number of Ports] 1\n";
    const std::string v4 = "[Version] 2.1\n# Hz S RI\n[Number of Ports] 4\n[Mixed-Mode Order] ";
    const struct {
        std::string text;
        int ports;
        const char* message;
    } cases[] = {
        {"<html>\n", 1, "f.sNp:1: not a Touchstone file"},
        {std::string("1 2 3\0", 6), 1, "f.sNp: not a Touchstone file"},
        {"# GHz S RI\n1e300 1 0\n", 1, ":2: expected a non-negative frequency"},
        {"# GHz S DB\n1 7000 0\n", 1, ":2: expected values within float range"},
        {"# Hz S RI\n1 1 0\n2 1 x.1\n", 1, ":3: expected a number, found \"x.1\""},
        {"# Hz S RI\n1 1 0\n2 1\n", 1, ":3: expected 3 numbers in the record, found 2"},
        {"# Hz S RI\n2 1 0\n1 1 0\n", 1, ":3: expected frequencies that never fall"},
        {"# Hz S RI\n1 1 0 1 0 1 0 1 0\n2 1 0 1 0 1 0 1 0\n1 1 1 1 1\n0 1 1 1 1\n", 2,
         ":5: expected noise frequencies rising"},
        {"# Hz S QQ\n", 1, ":1: expected Hz, kHz"},
        {"# Hz S R -5\n", 1, ":1: expected a positive reference"},
        {"# Hz S R 50 75\n1 1 0\n", 1, ":1: expected one reference resistance after R, or one"},
        {"[Version] 2.1\n# R 50 50\n", 0, ":2: expected one reference resistance after R in"},
        {"1 1 0\n# Hz S RI\n", 1, ":2: expected the option line before"},
        {"! only a comment\n", 1, ":1: expected network data, found none"},
        {"# Hz S RI\n1 1 0\n", 0, ":2: expected [Version] 2.0"},
        {"# Hz S RI\n[Number of Ports] 1\n", 1, ":2: expected [Version] 2.0 before"},
        {v2 + "[Number of Frequencies] 2\n[Network Data]\n1 1 0\n[End]\n", 1,
         ":7: expected 2 network frequencies, found 1"},
        {v2 + "[Number of Frequencies] 1\n[Network Data]\n1 1 0\n2 1 0\n", 1,
         ":7: expected [Noise Data] or [End] after 1"},
        {v2 + "[Number of Frequencies] 1\n[Network Data]\n1 1 0\n", 1, ":6: expected [End]"},
        {v2 + "[Number of Frequencies] 1\n[Bogus]\n", 1, ":5: expected a Touchstone 2 keyword"},
        {v2 + "[Reference] 50 60\n", 1, ":4: expected one positive reference impedance"},
        {v2 + "[Number of Frequencies] 1\n[Network Data]\n1 1 0\n[End]\n", 2,
         ":3: expected 2 ports, as the file name says"},
        {"[Version] 2.0\n# Hz S RI\n[Number of Ports] 2\n[Number of Frequencies] 1\n"
         "[Network Data]\n",
         0, ":5: expected [Two-Port Data Order]"},
        {v2 + "[End Information]\n", 1, ":4: expected [Begin Information] before"},
        {v2 + "[Begin Information]\nx\n", 1, ":5: expected [End Information] before the end"},
        {"[Version] 2.0\n[Mixed-Mode Order] S1\n", 0, ":2: expected [Number of Ports] before"},
        {v4 + "S1 S2 S3 S4\n[Mixed-Mode Order] S1 S2 S3 S4\n", 0, ":5: expected one [Mixed"},
        {v4 + "D1,2 C1,2 S3 X4\n", 0, "entries after [Mixed-Mode Order], found \"X4\""},
        {v4 + "D1,2 C1,2 S3 D4\n", 0, "found \"D4\""},
        {v4 + "D1,2 C1,2 S3 S4x\n", 0, "found \"S4x\""},
        {v4 + "D1,2 C1,2 S3 S100\n", 0, "found \"S100\""},
        {v4 + "D1,2 C1,2 S3\n", 0, ":4: expected 4 entries after [Mixed-Mode Order], found 3"},
        {v4 + "S1 S2 S3 S4 S1\n", 0, "found more"},
        {v4 + "D1,2 C1,2 S3 S5\n", 0, "port numbers from 1 to 4"},
        {v4 + "D1,1 C1,1 S3 S4\n", 0, "two different ports"},
        {v4 + "D1,2 C2,1 S3 S4\n", 0, "expected one D and one C entry per pair in"},
        {v4 + "D1,2 C1,2 C1,2 S4\n", 0, "found C1,2"},
        {v4 + "D1,2 S1 S3 S4\n", 0, "each port once in [Mixed-Mode Order], found port 1 2 times"},
        {"[Version] 2.0\n# Hz H RI\n[Number of Ports] 2\n[Two-Port Data Order] 12_21\n"
         "[Number of Frequencies] 1\n[Mixed-Mode Order] d1,2 c1,2\n[Network Data]\n"
         "1 1 0 1 0 1 0 1 0\n[End]\n",
         0, ":9: expected S, Y or Z parameters with [Mixed-Mode Order]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string e = ErrorOf(c.text, c.ports);
        EXPECT_NE(e.find(c.message), std::string::npos) << e;
        EXPECT_EQ(e.find('\n'), std::string::npos);
    }
}

// Mixed-mode orders by port count: D/C pairs in either port order, single-ended ports between.
std::vector<Tessel::TsMixedModeEntry> MixedOrder(int ports) {
    using M = Tessel::TsMode;
    switch (ports) {
        case 2:
            return {{M::Differential, 1, 2}, {M::Common, 1, 2}};
        case 3:
            return {{M::SingleEnded, 3, 0}, {M::Differential, 2, 1}, {M::Common, 2, 1}};
        case 5:
            return {{M::Differential, 1, 3},
                    {M::Common, 1, 3},
                    {M::SingleEnded, 2, 0},
                    {M::Differential, 5, 4},
                    {M::Common, 5, 4}};
    }
    return {};
}

TEST(Touchstone, WritesVersion1And2ThatReadBackExactly) {
    using Tessel::TsMatrixFormat;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    for (int version : {1, 2})
        for (int ports : {1, 2, 3, 5})
            for (auto kind : {Tessel::TsParameter::S, Tessel::TsParameter::Z})
                for (auto half :
                     {TsMatrixFormat::Full, TsMatrixFormat::Lower, TsMatrixFormat::Upper}) {
                    SCOPED_TRACE(testing::Message() << version << " " << ports << " " << int(half));
                    TouchstoneData d;
                    d.version = version;
                    d.ports = ports;
                    d.options.parameter = kind;
                    d.matrixFormat = version == 2 ? half : TsMatrixFormat::Full;
                    d.referenceOhms.assign(ports, 50.0);
                    d.referenceOhms.back() = 75.0;  // one R per port on a version 1 option line
                    if (version == 2) {
                        d.minorVersion = ports % 2;
                        d.mixedModeOrder = MixedOrder(ports);
                        d.information = {"[Manufacturer] tessel", "# 1 2 [x]"};
                    }
                    for (int i = 0; i < 3; ++i) {
                        d.frequencyHz.push_back(1e9 / 3.0 * (i + 1));
                        for (int k = 0; k < ports * ports; ++k) {
                            const int r = k / ports, c = k % ports;  // a half needs symmetry
                            d.data.push_back(
                                half != TsMatrixFormat::Full && c < r
                                    ? d.at(i, c, r)
                                    : Tessel::TsComplex(u(rng) * 3e-7f, u(rng) * 1e30f));
                        }
                    }
                    if (ports == 2)
                        d.noise = {{1e8 / 3.0, 0.7, 0.3, -170.25, 0.1}, {2e8, 0.8, 0.4, 10, 0.2}};
                    const std::string text = Tessel::FormatTouchstone(d, version);
                    const TouchstoneData back =
                        ParseTouchstone(text, version == 1 ? ports : 0, "w");
                    EXPECT_EQ(back.version, version);
                    EXPECT_EQ(back.minorVersion, d.minorVersion);
                    EXPECT_EQ(back.matrixFormat, d.matrixFormat);
                    EXPECT_EQ(back.mixedModeOrder, d.mixedModeOrder);
                    EXPECT_EQ(back.information, d.information);
                    EXPECT_EQ(back.frequencyHz, d.frequencyHz);
                    EXPECT_EQ(back.referenceOhms, d.referenceOhms);
                    ASSERT_EQ(back.data.size(), d.data.size());
                    for (size_t k = 0; k < d.data.size(); ++k)
                        ASSERT_EQ(back.data[k], d.data[k]) << text;
                    ASSERT_EQ(back.noise.size(), d.noise.size());
                    for (size_t k = 0; k < d.noise.size(); ++k)
                        EXPECT_EQ(back.noise[k].gammaOptAngleDeg, d.noise[k].gammaOptAngleDeg);
                }
}

TEST(Touchstone, RefusesToWriteWhatWouldNotReadBack) {
    TouchstoneData good = ParseTouchstone(
        "[Version] 2.0\n# Hz S RI\n[Number of Ports] 3\n[Number of Frequencies] 1\n"
        "[Matrix Format] Upper\n[Begin Information] text\n! c\n [a] b \n[end  INFORMATION ]\n"
        "[Mixed-Mode Order] S3 D2,1 C2,1\n[Network Data]\n1 1 0 2 0 3 0\n 4 0 5 0\n 6 0\n[End]\n",
        0, "x");
    EXPECT_EQ(good.information, (std::vector<std::string>{"text", "[a] b"}));
    EXPECT_EQ(good.mixedModeOrder, MixedOrder(3));
    TouchstoneData single = good;
    single.mixedModeOrder.clear();  // version 1 keeps the information as comments
    EXPECT_NE(Tessel::FormatTouchstone(single, 1).find("\n! [a] b\n"), std::string::npos);
    const struct {
        void (*change)(TouchstoneData&);
        int version;
        const char* message;
    } cases[] = {
        {[](TouchstoneData&) {}, 1, "expected single-ended data in version 1"},
        {[](TouchstoneData& d) { d.mixedModeOrder.pop_back(); }, 2, "expected 3 entries"},
        {[](TouchstoneData& d) { d.options.parameter = Tessel::TsParameter::H; }, 2,
         "expected S, Y or Z parameters with a mixed-mode order"},
        {[](TouchstoneData& d) { d.at(0, 1, 0).im = 1; }, 2, "expected symmetric matrices"},
        {[](TouchstoneData& d) { d.minorVersion = 2; }, 2, "expected minor version 0 or 1"},
        {[](TouchstoneData& d) { d.matrixFormat = Tessel::TsMatrixFormat(3); }, 2, "Full, Lower"},
        {[](TouchstoneData& d) { d.mixedModeOrder[0].mode = Tessel::TsMode(3); }, 2, "D, C or S"},
    };
    for (const auto& c : cases) {
        TouchstoneData d = good;
        c.change(d);
        try {
            Tessel::FormatTouchstone(d, c.version);
            ADD_FAILURE() << c.message;
        } catch (const TouchstoneError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
    for (const char* line : {"", " a", "a\t", "a!b", "a\nb", "[End Information]"}) {
        TouchstoneData d = good;
        d.information = {line};  // lines that would not read back as they are
        EXPECT_THROW(Tessel::FormatTouchstone(d, 2), TouchstoneError) << line;
    }
}

TEST(Touchstone, RefusesSingularConversionToS) {
    TouchstoneData singular = ParseTouchstone("# Hz Z RI R 50\n1 -1 0\n", 1, "x");
    EXPECT_THROW(Tessel::ConvertToS(singular), TouchstoneError);
}

TEST(Touchstone, ReadsFilesByExtension) {
    const TouchstoneData d =
        ParseTouchstone("# Hz S RI\n1 1 0 2 0 3 0 4 0 5 0 6 0 7 0 8 0 9 0", 3, "");
    const std::string base = ::testing::TempDir() + "touchstone_test";
    for (const char* ext : {".S3P", ".ts"}) {
        Tessel::WriteTouchstoneFile(base + ext, d, ext[1] == 't' ? 2 : 1);
        EXPECT_EQ(Tessel::ReadTouchstoneFile(base + ext).data, d.data);
        std::remove((base + ext).c_str());
    }
    EXPECT_THROW(Tessel::ReadTouchstoneFile(base + ".txt"), TouchstoneError);
    EXPECT_THROW(Tessel::ReadTouchstoneFile(base + "_missing.s1p"), TouchstoneError);
}

}  // namespace
