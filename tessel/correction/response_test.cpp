// SPDX-License-Identifier: Apache-2.0
#include "tessel/correction/response.h"

#include <complex>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/correction/enhanced_response.h"
#include "tessel/correction/internal/forward_error_models.h"

namespace {

using namespace Tessel;
namespace fm = Tessel::forward_models;
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

// Both forms refuse missing data and outputs they cannot write without writing, then correct
// the range into the container, into a vector and through a container buffer pointed at a host
// array; perfect terms return the raw data. Copies share the set-up.
TEST(Response, CorrectsTheRangeIntoEveryKindOfOutputAndRefusesWhatItCannotWrite) {
    fm::Random rng(::testing::UnitTest::GetInstance()->random_seed());
    const int n = 50, start = 10, stop = 40;
    std::vector<TsComplex> raw(n), tracking(n), isolation(n);
    for (int i = 0; i < n; ++i) {
        raw[i] = fm::ToTs(rng.Polar(0.01, 1.0));
        tracking[i] = fm::ToTs(rng.Polar(0.5, 1.0));
        isolation[i] = fm::ToTs(rng.Polar(1e-4, 1e-3));
    }
    const std::vector<TsComplex> ones(n, TsComplex(1)), zeros(n), sevens(stop, TsComplex(7));
    const auto check = [&](auto original, bool isol) {
        auto alg = original;
        boost::shared_ptr<DataMatrix> out(new DataMatrix({L"old"}, 2)), hostOut;
        std::vector<TsComplex> v = sevens, host = sevens, shortV(stop - 1, TsComplex(7));
        ASSERT_TRUE(original.CreateOutputContainer(out, n));
        ASSERT_TRUE(original.CreateOutputContainer(hostOut, 0));
        ASSERT_EQ(out->Size(), 1);
        EXPECT_EQ((*out)(0, 0)->name, L"S21");
        EXPECT_FALSE(original.ApplyCorrection(start, stop, *out, 0));  // nothing set
        ASSERT_TRUE(alg.SetErrorTermData(L"ResponseTracking(S21)", tracking.data(), n));
        ASSERT_TRUE(!isol || alg.SetErrorTermData(L"ResponseIsolation(S21)", isolation.data(), n));
        EXPECT_FALSE(original.ApplyCorrection(start, stop, v));  // raw still missing
        ASSERT_TRUE(alg.SetRawData(L"S21,1", raw.data()));
        DataMatrix empty, noData({L"S21"}, 0);
        EXPECT_FALSE(original.ApplyCorrection(start, n + 1, *out, 0));  // container holds n
        EXPECT_FALSE(original.ApplyCorrection(-1, stop, v));
        EXPECT_FALSE(original.ApplyCorrection(start, stop, shortV));
        EXPECT_FALSE(original.ApplyCorrection(start, stop, empty, 0));
        EXPECT_FALSE(original.ApplyCorrection(start, stop, noData, 0));
        EXPECT_TRUE(original.ApplyCorrection(5, 5, shortV));  // empty range: nothing to write
        EXPECT_EQ(shortV, std::vector<TsComplex>(stop - 1, TsComplex(7)));
        EXPECT_EQ(v, sevens);
        (*hostOut)(0, 0)->data = host.data();
        ASSERT_TRUE(original.ApplyCorrection(start, stop, *out, 0));
        ASSERT_TRUE(original.ApplyCorrection(start, stop, v));
        ASSERT_TRUE(original.ApplyCorrection(start, stop, *hostOut, 0));
        EXPECT_EQ(v, host);
        for (int i = 0; i < n; ++i) {
            const TsComplex got = (*out)(0, 0)->data[i];
            const Cd expect = (D(raw[i]) - (isol ? D(isolation[i]) : 0.0)) / D(tracking[i]);
            if (i < start || i >= stop)
                EXPECT_TRUE(got == TsComplex() && (i >= stop || v[i] == TsComplex(7))) << i;
            else
                EXPECT_TRUE(std::abs(D(got) - expect) < 1e-6 * std::abs(expect) && v[i] == got);
        }
        ASSERT_TRUE(alg.SetErrorTermData(L"ResponseTracking(S21)", ones.data(), n));
        ASSERT_TRUE(!isol || alg.SetErrorTermData(L"ResponseIsolation(S21)", zeros.data(), n));
        v.assign(n, TsComplex());
        ASSERT_TRUE(original.ApplyCorrection(0, n, v));
        EXPECT_EQ(v, raw) << isol;
    };
    check(Response(L"S21"), false);
    check(ResponseIsol(L"S21"), true);
}

}  // namespace
