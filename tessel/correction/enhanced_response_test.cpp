// SPDX-License-Identifier: Apache-2.0
#include "tessel/correction/enhanced_response.h"

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/correction/internal/forward_error_models.h"

namespace {

using namespace Tessel;
namespace fm = Tessel::forward_models;
using fm::Cd;
using Names = std::vector<std::wstring>;

// The names the enumerators yield, in turn, after a reset.
Names Walk(EnhancedResponse& alg, bool terms) {
    Names walked;
    std::wstring name;
    terms ? alg.ResetErrorTermEnumerator() : alg.ResetRawEnumerator();
    while (terms ? alg.GetNextErrorTermName(name) : alg.GetNextRawName(name))
        walked.push_back(name);
    return walked;
}

TEST(EnhancedResponse, ListsAndEnumeratesOnlyTheForwardTermsAndRawNames) {
    EnhancedResponse alg({2, 1});  // receiving port 2, source port 1
    Names terms, raws, tenThree;
    ASSERT_TRUE(alg.GetErrorTermNames(terms) && alg.GetRawNames(raws));
    EXPECT_EQ(terms, (Names{L"Directivity(1,1)", L"SourceMatch(1,1)", L"ReflectionTracking(1,1)",
                            L"CrossTalk(2,1)", L"LoadMatch(2,1)", L"TransmissionTracking(2,1)"}));
    EXPECT_EQ(raws, (Names{L"S11", L"S21"}));
    EXPECT_EQ(alg.ResultCount(), 2);
    // The enumerators walk the N-port's lists in its order, skipping names not of their own.
    EXPECT_EQ(Walk(alg, true),
              (Names{L"Directivity(1,1)", L"CrossTalk(2,1)", L"SourceMatch(1,1)", L"LoadMatch(2,1)",
                     L"ReflectionTracking(1,1)", L"TransmissionTracking(2,1)"}));
    EXPECT_EQ(Walk(alg, false), raws);
    EnhancedResponse({10, 3}).GetRawNames(tenThree);
    EXPECT_EQ(tenThree, (Names{L"S33", L"S10_3"}));
    EXPECT_THROW(EnhancedResponse({1, 2, 3}), std::invalid_argument);
    EXPECT_THROW(EnhancedResponse({2, 2}), std::invalid_argument);
}

TEST(EnhancedResponse, DirectivityTermPointsTheReverseDirectionAtIdealArrays) {
    EnhancedResponse alg({2, 1});
    const std::vector<TsComplex> d(201, TsComplex(0.1f));
    EXPECT_EQ(alg.GetErrorTerm(L"Directivity(2,2)"), nullptr);
    ASSERT_TRUE(alg.SetErrorTermData(L"Directivity(1,1)", d.data(), 201));
    EXPECT_EQ(alg.GetErrorTerm(L"Directivity(1,1)"), d.data());
    const TsComplex* zeros = alg.GetErrorTerm(L"Directivity(2,2)");
    const TsComplex* ones = alg.GetErrorTerm(L"TransmissionTracking(1,2)");
    ASSERT_TRUE(zeros && ones);
    EXPECT_EQ(std::vector<TsComplex>(zeros, zeros + 201), std::vector<TsComplex>(201));
    EXPECT_EQ(std::vector<TsComplex>(ones, ones + 201), std::vector<TsComplex>(201, TsComplex(1)));
    EXPECT_EQ(alg.GetErrorTerm(L"ReflectionTracking(2,2)"), ones);
    for (const wchar_t* name : {L"SourceMatch(2,2)", L"LoadMatch(1,2)", L"CrossTalk(1,2)"})
        EXPECT_EQ(alg.GetErrorTerm(name), zeros) << name;
    EXPECT_EQ(alg.GetRawData(L"S22"), zeros);
    EXPECT_EQ(alg.GetRawData(L"S12"), zeros);
    EXPECT_FALSE(alg.SetErrorTermData(L"Directivity(3,3)", d.data(), 201));
    // A later, shorter directivity never shrinks the arrays below a range in use.
    ASSERT_TRUE(alg.SetErrorTermData(L"Directivity", d.data(), 10));
    ones = alg.GetErrorTerm(L"ReflectionTracking(2,2)");
    ASSERT_NE(ones, nullptr);
    EXPECT_EQ(ones[200], TsComplex(1));  // the sanitizer build checks the read
    // A range beyond the ideal arrays is refused; the forward arrays hold 250 points here.
    const std::vector<TsComplex> forward(250, TsComplex(0.5f));
    for (const wchar_t* name : {L"SourceMatch(1,1)", L"ReflectionTracking(1,1)", L"CrossTalk(2,1)",
                                L"LoadMatch(2,1)", L"TransmissionTracking(2,1)"})
        ASSERT_TRUE(alg.SetErrorTermData(name, forward.data(), 250));
    ASSERT_TRUE(alg.SetRawData(L"S11", forward.data()) && alg.SetRawData(L"S21", forward.data()));
    DataMatrix out(2, {1, 2}, 250);
    EXPECT_FALSE(alg.ApplyCorrection(0, 202, out, 0));
    EXPECT_EQ(out.GetBuffer(0)->data[0], TsComplex());
    EXPECT_TRUE(alg.ApplyCorrection(202, 202, out, 0));
    EXPECT_TRUE(alg.ApplyCorrection(150, 201, out, 0));
    EXPECT_NE(out.GetBuffer(0)->data[200], TsComplex());
}

// One-path measurement of a two-port from source port S to receiving port R: the device is
// driven at S through its error adapter and terminated at R by the load match; the reflection
// and transmission receivers read through their tracking and leakage. Enhanced response
// corrects the source side fully and leaves the load match: the corrected values are the
// device's input reflection and transmission with R terminated by that match,
//   Γin = S_SS + S_SR·S_RS·EL / (1 − S_RR·EL),   T = S_RS / (1 − S_RR·EL).
// Perfect terms return the raw data exactly. The algorithm is set up through a handle that is
// destroyed before its copy corrects: the copy keeps the shared state and the ideal arrays.
TEST(EnhancedResponse, CorrectsTheSourceSideOfAOnePathMeasurement) {
    fm::Random rng(::testing::UnitTest::GetInstance()->random_seed());
    const int points = 101;
    enum Terms { kPerfect, kMatchedLoad, kGeneral };
    for (const Terms mode : {kPerfect, kMatchedLoad, kGeneral})
        for (const std::vector<int>& ports : {std::vector<int>{2, 1}, std::vector<int>{1, 2}}) {
            const int s = ports[1] - 1, r = ports[0] - 1;  // indices in the sorted pair {1, 2}
            std::vector<std::vector<TsComplex>> arrays(8, std::vector<TsComplex>(points));
            std::vector<Cd> gammaIn(points), trans(points);
            for (int i = 0; i < points; ++i) {
                fm::NPortTerms t = mode == kPerfect ? fm::NPortTerms(2) : rng.Terms(2, true);
                if (mode == kMatchedLoad)
                    t.match[r * 2 + s] = 0.0;
                const std::vector<Cd> dev = rng.Device(2), m = t.Measure(dev);
                const int ss = s * 3, rs = r * 2 + s;
                const Cd el = t.match[rs], loop = 1.0 - dev[r * 3] * el;
                const Cd values[8] = {t.leakage[ss], t.match[ss], t.tracking[ss],
                                      t.leakage[rs], el,          t.tracking[rs],
                                      m[ss],         m[rs]};
                for (int k = 0; k < 8; ++k)
                    arrays[k][i] = fm::ToTs(values[k]);
                gammaIn[i] = dev[ss] + dev[s * 2 + r] * dev[rs] * el / loop;
                trans[i] = dev[rs] / loop;
            }
            auto* original = new EnhancedResponse(ports);
            EnhancedResponse alg = *original;
            Names terms, raws;
            original->GetErrorTermNames(terms);
            original->GetRawNames(raws);
            for (int k = 0; k < 6; ++k)
                ASSERT_TRUE(original->SetErrorTermData(terms[k].c_str(), arrays[k].data(), points));
            for (int k = 0; k < 2; ++k)
                ASSERT_TRUE(original->SetRawData(raws[k].c_str(), arrays[6 + k].data()));
            delete original;
            boost::shared_ptr<DataMatrix> out;
            ASSERT_TRUE(alg.CreateOutputContainer(out, points));
            ASSERT_TRUE(alg.ApplyCorrection(0, points, *out, 0));
            double worst = 0.0;
            for (int i = 0; i < points; ++i) {
                if (mode == kPerfect) {
                    ASSERT_EQ((*out)(s, s)->data[i], arrays[6][i]) << i;
                    ASSERT_EQ((*out)(r, s)->data[i], arrays[7][i]) << i;
                }
                worst = std::max(worst, std::abs(fm::ToCd((*out)(s, s)->data[i]) - gammaIn[i]));
                worst = std::max(worst, std::abs(fm::ToCd((*out)(r, s)->data[i]) - trans[i]));
            }
            EXPECT_LT(worst, 1e-5) << mode << " source " << ports[1];
        }
}

}  // namespace
