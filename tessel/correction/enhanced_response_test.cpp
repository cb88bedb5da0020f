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

TEST(EnhancedResponse, ListsOnlyTheForwardTermsAndRawNames) {
    EnhancedResponse alg({2, 1});  // receiving port 2, source port 1
    const std::vector<std::wstring> terms = {
        L"Directivity(1,1)", L"SourceMatch(1,1)", L"ReflectionTracking(1,1)",
        L"CrossTalk(2,1)",   L"LoadMatch(2,1)",   L"TransmissionTracking(2,1)"};
    std::vector<std::wstring> names;
    ASSERT_TRUE(alg.GetErrorTermNames(names));
    EXPECT_EQ(names, terms);
    names.clear();
    ASSERT_TRUE(alg.GetRawNames(names));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"S11", L"S21"}));
    EXPECT_EQ(alg.ResultCount(), 2);

    // The enumerators walk the N-port's lists and skip the names that are not the own ones,
    // in the N-port's order.
    std::vector<std::wstring> walked;
    std::wstring name;
    alg.ResetErrorTermEnumerator();
    while (alg.GetNextErrorTermName(name))
        walked.push_back(name);
    EXPECT_EQ(walked,
              (std::vector<std::wstring>{
                  L"Directivity(1,1)", L"CrossTalk(2,1)", L"SourceMatch(1,1)", L"LoadMatch(2,1)",
                  L"ReflectionTracking(1,1)", L"TransmissionTracking(2,1)"}));
    walked.clear();
    alg.ResetRawEnumerator();
    while (alg.GetNextRawName(name))
        walked.push_back(name);
    EXPECT_EQ(walked, (std::vector<std::wstring>{L"S11", L"S21"}));

    EnhancedResponse wide({10, 3});
    names.clear();
    wide.GetRawNames(names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"S33", L"S10_3"}));
    EXPECT_THROW(EnhancedResponse({1, 2, 3}), std::invalid_argument);
    EXPECT_THROW(EnhancedResponse({2, 2}), std::invalid_argument);
}

TEST(EnhancedResponse, DirectivityTermFillsTheReverseDirectionWithIdealArrays) {
    EnhancedResponse alg({2, 1});
    const std::vector<TsComplex> d(201, TsComplex(0.1f));
    EXPECT_EQ(alg.GetErrorTerm(L"Directivity(2,2)"), nullptr);
    ASSERT_TRUE(alg.SetErrorTermData(L"Directivity(1,1)", d.data(), 201));
    const TsComplex* zeros = alg.GetErrorTerm(L"Directivity(2,2)");
    const TsComplex* ones = alg.GetErrorTerm(L"TransmissionTracking(1,2)");
    ASSERT_NE(zeros, nullptr);
    ASSERT_NE(ones, nullptr);
    for (int i = 0; i < 201; ++i) {
        ASSERT_EQ(zeros[i], TsComplex(0));
        ASSERT_EQ(ones[i], TsComplex(1));
    }
    EXPECT_EQ(alg.GetErrorTerm(L"ReflectionTracking(2,2)"), ones);
    EXPECT_EQ(alg.GetErrorTerm(L"SourceMatch(2,2)"), zeros);
    EXPECT_EQ(alg.GetErrorTerm(L"LoadMatch(1,2)"), zeros);
    EXPECT_EQ(alg.GetErrorTerm(L"CrossTalk(1,2)"), zeros);
    EXPECT_EQ(alg.GetRawData(L"S22"), zeros);
    EXPECT_EQ(alg.GetRawData(L"S12"), zeros);
    EXPECT_EQ(alg.GetErrorTerm(L"Directivity(1,1)"), d.data());
    EXPECT_FALSE(alg.SetErrorTermData(L"Directivity(3,3)", d.data(), 201));
}

class EnhancedResponseTest : public ::testing::Test {
  protected:
    const unsigned seed_ = static_cast<unsigned>(::testing::UnitTest::GetInstance()->random_seed());
    ::testing::ScopedTrace seedTrace_{__FILE__, __LINE__, "random seed " + std::to_string(seed_)};
    fm::Random rng_{seed_};
};

// One-path measurement of a two-port from source port S to receiving port R: the device is
// driven at S through its error adapter and terminated at R by the load match; the reflection
// and transmission receivers read through their tracking and leakage. Enhanced response
// corrects the source side fully and leaves the load match: the corrected values are the
// device's input reflection and transmission with R terminated by that match,
//   Γin = S_SS + S_SR·S_RS·EL / (1 − S_RR·EL),   T = S_RS / (1 − S_RR·EL).
TEST_F(EnhancedResponseTest, CorrectsTheSourceSideOfAOnePathMeasurement) {
    for (const bool matchedLoad : {true, false}) {
        for (const std::vector<int>& ports : {std::vector<int>{2, 1}, std::vector<int>{1, 2}}) {
            const int points = 101, rcvPort = ports[0], srcPort = ports[1];
            const int s = srcPort - 1, r = rcvPort - 1;  // indices in the sorted pair {1, 2}
            std::vector<std::vector<TsComplex>> arrays(8, std::vector<TsComplex>(points));
            std::vector<Cd> gammaIn(points), trans(points);
            for (int i = 0; i < points; ++i) {
                fm::NPortTerms t = rng_.Terms(2, true);
                if (matchedLoad)
                    t.match[r * 2 + s] = 0.0;
                const std::vector<Cd> dev = rng_.Device(2);
                const std::vector<Cd> m = t.Measure(dev);
                const Cd el = t.match[r * 2 + s];
                const Cd loop = 1.0 - dev[r * 2 + r] * el;
                gammaIn[i] = dev[s * 2 + s] + dev[s * 2 + r] * dev[r * 2 + s] * el / loop;
                trans[i] = dev[r * 2 + s] / loop;
                const Cd values[8] = {t.leakage[s * 3],
                                      t.match[s * 3],
                                      t.tracking[s * 3],
                                      t.leakage[r * 2 + s],
                                      el,
                                      t.tracking[r * 2 + s],
                                      m[s * 3],
                                      m[r * 2 + s]};
                for (int k = 0; k < 8; ++k)
                    arrays[k][i] = fm::ToTs(values[k]);
            }
            EnhancedResponse alg(ports);
            std::vector<std::wstring> terms, raws;
            alg.GetErrorTermNames(terms);
            alg.GetRawNames(raws);
            for (int k = 0; k < 6; ++k)
                ASSERT_TRUE(alg.SetErrorTermData(terms[k].c_str(), arrays[k].data(), points));
            for (int k = 0; k < 2; ++k)
                ASSERT_TRUE(alg.SetRawData(raws[k].c_str(), arrays[6 + k].data()));
            boost::shared_ptr<DataMatrix> out;
            ASSERT_TRUE(alg.CreateOutputContainer(out, points));
            ASSERT_TRUE(alg.ApplyCorrection(0, points, *out, 0));
            double worst = 0.0;
            for (int i = 0; i < points; ++i) {
                worst = std::max(worst, std::abs(fm::ToCd((*out)(s, s)->data[i]) - gammaIn[i]));
                worst = std::max(worst, std::abs(fm::ToCd((*out)(r, s)->data[i]) - trans[i]));
            }
            EXPECT_LT(worst, 1e-5) << matchedLoad << " source " << srcPort;
        }
    }
}

TEST_F(EnhancedResponseTest, PerfectTermsReturnTheRawDataAndCopiesOutliveTheOriginal) {
    const int points = 40;
    std::vector<TsComplex> zeros(points), ones(points, TsComplex(1)), s11(points), s21(points);
    for (int i = 0; i < points; ++i) {
        s11[i] = fm::ToTs(rng_.Polar(0.0, 0.9));
        s21[i] = fm::ToTs(rng_.Polar(0.1, 1.0));
    }
    auto* original = new EnhancedResponse({2, 1});
    EnhancedResponse copy = *original;
    for (const wchar_t* name :
         {L"Directivity(1,1)", L"SourceMatch(1,1)", L"CrossTalk(2,1)", L"LoadMatch(2,1)"})
        ASSERT_TRUE(original->SetErrorTermData(name, zeros.data(), points));
    for (const wchar_t* name : {L"ReflectionTracking(1,1)", L"TransmissionTracking(2,1)"})
        ASSERT_TRUE(original->SetErrorTermData(name, ones.data(), points));
    ASSERT_TRUE(original->SetRawData(L"S11", s11.data()));
    ASSERT_TRUE(original->SetRawData(L"S21", s21.data()));
    delete original;  // the copy keeps the shared state and the ideal arrays alive
    boost::shared_ptr<DataMatrix> out;
    ASSERT_TRUE(copy.CreateOutputContainer(out, points));
    ASSERT_TRUE(copy.ApplyCorrection(0, points, *out, 0));
    for (int i = 0; i < points; ++i) {
        EXPECT_EQ((*out)(0, 0)->data[i], s11[i]);
        EXPECT_EQ((*out)(1, 0)->data[i], s21[i]);
        EXPECT_EQ((*out)(1, 1)->data[i], TsComplex());
    }
}

TEST(EnhancedResponse, IdealArraysNeverShrinkBelowARangeInUse) {
    EnhancedResponse alg({2, 1});
    const std::vector<TsComplex> d(50);
    ASSERT_TRUE(alg.SetErrorTermData(L"Directivity(1,1)", d.data(), 50));
    ASSERT_TRUE(alg.SetErrorTermData(L"Directivity", d.data(), 10));
    const TsComplex* ones = alg.GetErrorTerm(L"ReflectionTracking(2,2)");
    ASSERT_NE(ones, nullptr);
    EXPECT_EQ(ones[49], TsComplex(1));  // still 50 samples (the sanitizer build checks the read)
}

}  // namespace
