#include "tessel/correction/response.h"

#include <complex>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

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

TEST(Response, NamesItsTermsAndRawBufferFromTheRawName) {
    Response r(L"S21");
    ResponseIsol ri(L"b2,1");
    EXPECT_EQ(Listed(r, true), Names{L"ResponseTracking(S21)"});
    EXPECT_EQ(Listed(r, false), Names{L"S21"});
    EXPECT_EQ(Listed(ri, true), (Names{L"ResponseTracking(b2,1)", L"ResponseIsolation(b2,1)"}));
    EXPECT_EQ(Listed(ri, false), Names{L"b2,1"});
    EXPECT_EQ(r.ResultCount(), 1);
    EXPECT_EQ(ri.ResultCount(), 1);
}

TEST(Response, MatchesRawNamesUpToTheCommaAndTermNamesExactly) {
    Response r(L"S21");
    const std::vector<TsComplex> data(4);
    EXPECT_TRUE(r.SetRawData(L"S21,3", data.data()));
    EXPECT_TRUE(r.SetRawData(L"S21", data.data()));
    EXPECT_FALSE(r.SetRawData(L"s21", data.data()));
    EXPECT_FALSE(r.SetRawData(L"S2", data.data()));
    EXPECT_FALSE(r.SetRawData(nullptr, data.data()));
    EXPECT_FALSE(r.SetErrorTermData(L"ResponseTracking", data.data(), 4));
    EXPECT_TRUE(r.SetErrorTermData(L"ResponseTracking(S21)", data.data(), 4));
    EXPECT_FALSE(r.SetErrorTermData(nullptr, data.data(), 4));
    EXPECT_TRUE(r.IsParameterCorrectable(L"S21"));
    EXPECT_FALSE(r.IsParameterCorrectable(L"S21,3"));
    EXPECT_FALSE(r.IsParameterCorrectable(L"S12"));
    EXPECT_FALSE(r.IsParameterCorrectable(nullptr));
    EXPECT_TRUE(r.SetAuxNameByName(L"S21", L"Trace 1"));
    EXPECT_FALSE(r.SetAuxNameByName(L"S21,3", L"Trace 1"));
    // A raw name holding a comma can never be set: the given name is cut before comparing.
    EXPECT_FALSE(Response(L"a1,1").SetRawData(L"a1,1", data.data()));
}

TEST(Response, KeepsTheInterfaceDefaults) {
    ResponseIsol r(L"S21");
    ICorrectionAlgorithm& alg = r;
    try {
        alg.SetBothSourcesAreOn(true);
        FAIL() << "no exception";
    } catch (long code) {
        EXPECT_EQ(static_cast<unsigned long>(code) & 0xFFFFFFFFu, 0x80004001u);
    }
    std::wstring calType = L"unchanged";
    EXPECT_FALSE(alg.SetCalType(L"Response"));
    EXPECT_FALSE(alg.GetCalType(calType));
    EXPECT_EQ(calType, L"unchanged");
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

TEST_F(ResponseTest, CorrectsTheRangeAndPerfectTermsReturnTheRawData) {
    const int n = 50, start = 10, stop = 40;
    const auto raw = Random(n, 0.01, 1.0), tracking = Random(n, 0.5, 1.0),
               isolation = Random(n, 1e-4, 1e-3);
    const std::vector<TsComplex> ones(n, TsComplex(1)), zeros(n);
    const auto check = [&](auto& alg, bool isol) {
        ASSERT_TRUE(alg.SetRawData(L"S21,1", raw.data()));
        ASSERT_TRUE(alg.SetErrorTermData(L"ResponseTracking(S21)", tracking.data(), n));
        ASSERT_TRUE(!isol || alg.SetErrorTermData(L"ResponseIsolation(S21)", isolation.data(), n));
        boost::shared_ptr<DataMatrix> out;
        ASSERT_TRUE(alg.CreateOutputContainer(out, n));
        ASSERT_EQ(out->Size(), 1);
        EXPECT_EQ((*out)(0, 0)->name, L"S21");
        ASSERT_TRUE(alg.ApplyCorrection(start, stop, *out, 0));
        std::vector<TsComplex> v(stop, TsComplex(7));
        ASSERT_TRUE(alg.ApplyCorrection(start, stop, v));
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
        ASSERT_TRUE(alg.ApplyCorrection(0, n, v));
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
    DataMatrix empty;
    EXPECT_FALSE(r.ApplyCorrection(0, n, empty, 0));
}

TEST(Response, CopiesShareTheSetUpAndContainersAreReplaced) {
    const std::vector<TsComplex> raw(4, TsComplex(2)), tracking(4, TsComplex(0, 1));
    Response original(L"S12");
    Response copy = original;
    ASSERT_TRUE(copy.SetRawData(L"S12", raw.data()));
    ASSERT_TRUE(copy.SetErrorTermData(L"ResponseTracking(S12)", tracking.data(), 4));
    std::vector<TsComplex> out(4);
    ASSERT_TRUE(original.ApplyCorrection(0, 4, out));
    EXPECT_EQ(out[3], TsComplex(0, -2));
    boost::shared_ptr<DataMatrix> container(new DataMatrix({L"old"}, 2));
    const boost::shared_ptr<DataMatrix> held = container;
    ASSERT_TRUE(original.CreateOutputContainer(container, 9));
    EXPECT_NE(container, held);
    EXPECT_EQ(container->PointCount(), 9);
    EXPECT_EQ(container->GetDataByName(L"S12"), (*container)(0, 0));
}

}  // namespace
