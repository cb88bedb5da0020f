#include "tessel/correction/response.h"

#include <complex>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/correction/enhanced_response.h"

namespace {

using namespace Tessel;
using Cd = std::complex<double>;
using Names = std::vector<std::wstring>;

Cd D(const TsComplex& z) {
    return {z.re, z.im};
}

// The algorithm's listing of its term or raw names, checked against what its enumerator yields
// after a reset (twice: a reset starts over).
Names Listed(ICorrectionAlgorithm& alg, bool terms) {
    Names listed, walked;
    EXPECT_TRUE(terms ? alg.GetErrorTermNames(listed) : alg.GetRawNames(listed));
    std::wstring name;
    for (int pass = 0; pass < 2; ++pass) {
        walked.clear();
        terms ? alg.ResetErrorTermEnumerator() : alg.ResetRawEnumerator();
        while (walked.size() < 10 &&
               (terms ? alg.GetNextErrorTermName(name) : alg.GetNextRawName(name)))
            walked.push_back(name);
        EXPECT_EQ(walked, listed);
    }
    return listed;
}

TEST(Response, NamesItsBuffersFromTheRawNameAndMatchesRawNamesUpToTheComma) {
    Response r(L"S21");
    ResponseIsol ri(L"b2,1");
    EXPECT_EQ(Listed(r, true), Names{L"ResponseTracking(S21)"});
    EXPECT_EQ(Listed(r, false), Names{L"S21"});
    EXPECT_EQ(Listed(ri, true), (Names{L"ResponseTracking(b2,1)", L"ResponseIsolation(b2,1)"}));
    EXPECT_EQ(Listed(ri, false), Names{L"b2,1"});
    EXPECT_EQ(r.ResultCount() + ri.ResultCount(), 2);
    const TsComplex* data = &TsComplex::m_minus200dB;
    for (const auto& [name, ok] : {std::pair{L"S21,3", true},
                                   {L"S21", true},
                                   {L"s21", false},
                                   {L"S2", false},
                                   {nullptr, false}})
        EXPECT_EQ(r.SetRawData(name, data), ok);
    // A raw name holding a comma can never be set: the given name is cut before comparing.
    EXPECT_FALSE(ri.SetRawData(L"b2,1", data));
    for (const auto& [name, ok] : {std::pair{L"ResponseTracking(S21)", true},
                                   {L"ResponseTracking", false},
                                   {nullptr, false}})
        EXPECT_EQ(r.SetErrorTermData(name, data, 4), ok);
    for (const auto& [name, ok] : {std::pair{L"S21", true}, {L"S21,3", false}, {L"S12", false}}) {
        EXPECT_EQ(r.IsParameterCorrectable(name), ok);
        EXPECT_EQ(r.SetAuxNameByName(name, L"Trace 1"), ok);
    }
    EXPECT_FALSE(r.IsParameterCorrectable(nullptr));
}

// Algorithms that do not override them keep the interface's answers: match correction on for
// every port whatever was set, range index 0 for every name, hinted lists equal to the plain
// ones whatever the hint, no both-sources support and no cal type for the response forms.
TEST(CorrectionAlgorithm, KeepsTheInterfaceDefaults) {
    std::vector<std::unique_ptr<ICorrectionAlgorithm>> algs;
    algs.emplace_back(new Response(L"S21"));
    algs.emplace_back(new ResponseIsol(L"a1,1"));
    algs.emplace_back(new NPort(2, {1, 2}));
    algs.emplace_back(new EnhancedResponse({2, 1}));
    for (const auto& alg : algs) {
        Names raw = {L"kept"};
        alg->GetRawNames(raw);
        for (const int hint : {0, 1, -7}) {
            alg->SetMatchCorrectionState(hint, false);
            EXPECT_TRUE(alg->GetMatchCorrectionState(hint));
            Names hinted = {L"kept"}, params = {L"kept"}, hintedParams = {L"kept"};
            EXPECT_TRUE(alg->GetHintedRawNames(hint, hinted));
            alg->GetCorrectableParameters(params);
            alg->GetHintedCorrectableParameters(hint, hintedParams);
            EXPECT_EQ(hinted, raw);
            EXPECT_EQ(params, raw);
            EXPECT_EQ(hintedParams, raw);
        }
        for (const wchar_t* name : {L"Directivity(1,1)", L"ResponseTracking(S21)", L"", L"x"})
            EXPECT_EQ(alg->GetErrorTermRangeIndex(name), ICorrectionAlgorithm::ETERM_RANGE_DEFAULT);
        EXPECT_EQ(ICorrectionAlgorithm::ETERM_RANGE_DEFAULT, 0);
    }
    for (int k = 0; k < 2; ++k) {
        ICorrectionAlgorithm& alg = *algs[k];
        EXPECT_FALSE(alg.GetBothSourcesAreOn());
        try {
            alg.SetBothSourcesAreOn(true);
            ADD_FAILURE() << "no exception";
        } catch (long code) {
            EXPECT_EQ(static_cast<unsigned long>(code) & 0xFFFFFFFFu, 0x80004001u);
        }
        std::wstring calType = L"unchanged";
        EXPECT_FALSE(alg.SetCalType(L"Response"));
        EXPECT_FALSE(alg.GetCalType(calType));
        EXPECT_EQ(calType, L"unchanged");
    }
}

class ResponseTest : public ::testing::Test {
  protected:
    const unsigned seed_ = static_cast<unsigned>(::testing::UnitTest::GetInstance()->random_seed());
    ::testing::ScopedTrace seedTrace_{__FILE__, __LINE__, "random seed " + std::to_string(seed_)};
    std::mt19937 gen_{seed_};
    std::vector<TsComplex> Random(int n, double lo, double hi) {
        std::uniform_real_distribution<double> mag(lo, hi), ph(-M_PI, M_PI);
        std::vector<TsComplex> v(n);
        for (auto& z : v)
            z = TsComplex::FromMagPhase(mag(gen_), ph(gen_));
        return v;
    }
};

// Both forms correct the range into the container, into a vector and through a container
// buffer pointed at a host array; perfect terms return the raw data. Copies share the set-up.
TEST_F(ResponseTest, CorrectsTheRangeIntoEveryKindOfOutput) {
    const int n = 50, start = 10, stop = 40;
    const auto raw = Random(n, 0.01, 1.0), tracking = Random(n, 0.5, 1.0),
               isolation = Random(n, 1e-4, 1e-3);
    const std::vector<TsComplex> ones(n, TsComplex(1)), zeros(n);
    const auto check = [&](auto& original, bool isol) {
        auto alg = original;
        ASSERT_TRUE(alg.SetRawData(L"S21,1", raw.data()));
        ASSERT_TRUE(alg.SetErrorTermData(L"ResponseTracking(S21)", tracking.data(), n));
        ASSERT_TRUE(!isol || alg.SetErrorTermData(L"ResponseIsolation(S21)", isolation.data(), n));
        boost::shared_ptr<DataMatrix> out(new DataMatrix({L"old"}, 2)), hostOut;
        ASSERT_TRUE(original.CreateOutputContainer(out, n));
        ASSERT_TRUE(original.CreateOutputContainer(hostOut, 0));
        ASSERT_EQ(out->Size(), 1);
        EXPECT_EQ((*out)(0, 0)->name, L"S21");
        std::vector<TsComplex> v(stop, TsComplex(7)), host(stop, TsComplex(7));
        (*hostOut)(0, 0)->data = host.data();
        ASSERT_TRUE(original.ApplyCorrection(start, stop, *out, 0));
        ASSERT_TRUE(original.ApplyCorrection(start, stop, v));
        ASSERT_TRUE(original.ApplyCorrection(start, stop, *hostOut, 0));
        EXPECT_EQ(v, host);
        EXPECT_EQ(v[start - 1], TsComplex(7));
        for (int i = 0; i < n; ++i) {
            const TsComplex got = (*out)(0, 0)->data[i];
            if (i < start || i >= stop) {
                EXPECT_EQ(got, TsComplex()) << i;
                continue;
            }
            const Cd expect = (D(raw[i]) - (isol ? D(isolation[i]) : 0.0)) / D(tracking[i]);
            EXPECT_LT(std::abs(D(got) - expect), 1e-6 * std::abs(expect)) << isol << i;
            EXPECT_EQ(v[i], got);
        }
        ASSERT_TRUE(alg.SetErrorTermData(L"ResponseTracking(S21)", ones.data(), n));
        ASSERT_TRUE(!isol || alg.SetErrorTermData(L"ResponseIsolation(S21)", zeros.data(), n));
        v.assign(n, TsComplex());
        ASSERT_TRUE(original.ApplyCorrection(0, n, v));
        EXPECT_EQ(v, raw) << isol;
    };
    Response r(L"S21");
    ResponseIsol ri(L"S21");
    check(r, false);
    check(ri, true);
}

TEST_F(ResponseTest, RefusesMissingDataAndShortOutputsWithoutWriting) {
    const int n = 8;
    const auto raw = Random(n, 0.1, 1.0), tracking = Random(n, 0.5, 1.0);
    ResponseIsol r(L"S11");
    boost::shared_ptr<DataMatrix> out;
    ASSERT_TRUE(r.CreateOutputContainer(out, n));
    std::vector<TsComplex> v(n, TsComplex(3)), shortVector(n - 1, TsComplex(3));
    EXPECT_FALSE(r.ApplyCorrection(0, n, *out, 0));  // nothing set
    ASSERT_TRUE(r.SetErrorTermData(L"ResponseTracking(S11)", tracking.data(), n));
    ASSERT_TRUE(r.SetErrorTermData(L"ResponseIsolation(S11)", tracking.data(), n));
    EXPECT_FALSE(r.ApplyCorrection(0, n, v));  // raw still missing
    ASSERT_TRUE(r.SetRawData(L"S11", raw.data()));
    EXPECT_FALSE(r.ApplyCorrection(0, n + 1, *out, 0));  // container holds n points
    EXPECT_FALSE(r.ApplyCorrection(-1, n, v));
    EXPECT_FALSE(r.ApplyCorrection(0, n, shortVector));
    EXPECT_EQ(shortVector, std::vector<TsComplex>(n - 1, TsComplex(3)));
    EXPECT_EQ(v, std::vector<TsComplex>(n, TsComplex(3)));
    EXPECT_EQ(std::vector<TsComplex>((*out)(0, 0)->data, (*out)(0, 0)->data + n),
              std::vector<TsComplex>(n));
    EXPECT_TRUE(r.ApplyCorrection(5, 5, shortVector));  // empty range: nothing to write
    DataMatrix empty, noData({L"S11"}, 0);
    EXPECT_FALSE(r.ApplyCorrection(0, n, empty, 0));
    EXPECT_FALSE(r.ApplyCorrection(0, n, noData, 0));
}

}  // namespace
