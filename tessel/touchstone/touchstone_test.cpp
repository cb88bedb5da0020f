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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string e = ErrorOf(c.text, c.ports);
        EXPECT_NE(e.find(c.message), std::string::npos) << e;
        EXPECT_EQ(e.find('\n'), std::string::npos);
    }
}

TEST(Touchstone, WritesVersion1And2ThatReadBackExactly) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    for (int version : {1, 2}) {
        for (int ports : {1, 2, 3, 5}) {
            for (auto kind : {Tessel::TsParameter::S, Tessel::TsParameter::Z}) {
                SCOPED_TRACE(std::to_string(version) + " " + std::to_string(ports));
                TouchstoneData d;
                d.version = version;
                d.ports = ports;
                d.options.parameter = kind;
                d.referenceOhms.assign(ports, 50.0);
                if (version == 2)
                    d.referenceOhms.back() = 75.0;
                for (int i = 0; i < 3; ++i) {
                    d.frequencyHz.push_back(1e9 / 3.0 * (i + 1));
                    for (int k = 0; k < ports * ports; ++k)
                        d.data.push_back(Tessel::TsComplex(u(rng) * 3e-7f, u(rng) * 1e30f));
                }
                if (ports == 2)
                    d.noise = {{1e8 / 3.0, 0.7, 0.3, -170.25, 0.1}, {2e8, 0.8, 0.4, 10, 0.2}};
                const std::string text = Tessel::FormatTouchstone(d, version);
                const TouchstoneData back = ParseTouchstone(text, version == 1 ? ports : 0, "w");
                EXPECT_EQ(back.version, version);
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
