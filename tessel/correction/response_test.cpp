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

Cd D(const TsComplex& z) {
    return {z.re, z.im};
}

std::vector<std::wstring> ErrorTermNames(ICorrectionAlgorithm& alg) {
    std::vector<std::wstring> names;
    EXPECT_TRUE(alg.GetErrorTermNames(names));
    return names;
}

std::vector<std::wstring> RawNames(ICorrectionAlgorithm& alg) {
    std::vector<std::wstring> names;
    EXPECT_TRUE(alg.GetRawNames(names));
    return names;
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

TEST(Response, NamesItsTermsAndRawBufferFromTheRawName) {
    Response r(L"S21");
    ResponseIsol ri(L"b2,1");
    EXPECT_EQ(ErrorTermNames(r), std::vector<std::wstring>{L"ResponseTracking(S21)"});
    EXPECT_EQ(ErrorTermNames(ri),
              (std::vector<std::wstring>{L"ResponseTracking(b2,1)", L"ResponseIsolation(b2,1)"}));
    EXPECT_EQ(RawNames(r), std::vector<std::wstring>{L"S21"});
    EXPECT_EQ(r.ResultCount(), 1);
    EXPECT_EQ(ri.ResultCount(), 1);

    std::wstring name;
    ri.ResetErrorTermEnumerator();
    ASSERT_TRUE(ri.GetNextErrorTermName(name));
    EXPECT_EQ(name, L"ResponseTracking(b2,1)");
    ASSERT_TRUE(ri.GetNextErrorTermName(name));
    EXPECT_EQ(name, L"ResponseIsolation(b2,1)");
    EXPECT_FALSE(ri.GetNextErrorTermName(name));
    ri.ResetErrorTermEnumerator();
    ASSERT_TRUE(ri.GetNextErrorTermName(name));
    EXPECT_EQ(name, L"ResponseTracking(b2,1)");

    r.ResetRawEnumerator();
    ASSERT_TRUE(r.GetNextRawName(name));
    EXPECT_EQ(name, L"S21");
    EXPECT_FALSE(r.GetNextRawName(name));
    r.ResetRawEnumerator();
    EXPECT_TRUE(r.GetNextRawName(name));
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
    Response receiver(L"a1,1");
    EXPECT_FALSE(receiver.SetRawData(L"a1,1", data.data()));
}

TEST(Response, KeepsTheInterfaceDefaults) {
    ResponseIsol r(L"S21");
    ICorrectionAlgorithm& alg = r;
    try {
        alg.SetBothSourcesAreOn(true);
        FAIL() << "no exception";
    } catch (long code) {
        EXPECT_EQ(code, kNotImplemented);
        EXPECT_EQ(static_cast<unsigned long>(code) & 0xFFFFFFFFu, 0x80004001u);
    }
    EXPECT_FALSE(alg.GetBothSourcesAreOn());
    EXPECT_TRUE(alg.GetMatchCorrectionState(3));
    alg.SetMatchCorrectionState(3, false);
    EXPECT_TRUE(alg.GetMatchCorrectionState(3));
    EXPECT_EQ(alg.GetErrorTermRangeIndex(L"ResponseTracking(S21)"), 0);
    std::vector<std::wstring> hinted, correctable;
    EXPECT_TRUE(alg.GetHintedRawNames(7, hinted));
    alg.GetHintedCorrectableParameters(7, correctable);
    EXPECT_EQ(hinted, std::vector<std::wstring>{L"S21"});
    EXPECT_EQ(correctable, std::vector<std::wstring>{L"S21"});
    std::wstring calType = L"unchanged";
    EXPECT_FALSE(alg.SetCalType(L"Response"));
    EXPECT_FALSE(alg.GetCalType(calType));
    EXPECT_EQ(calType, L"unchanged");
}

TEST_F(ResponseTest, CorrectsTheRangeIntoTheOutputContainer) {
    const int n = 50, start = 10, stop = 40;
    const auto raw = Random(n, 0.01, 1.0), tracking = Random(n, 0.5, 1.0),
               isolation = Random(n, 1e-4, 1e-3);
    Response r(L"S21");
    ResponseIsol ri(L"S21");
    for (ICorrectionAlgorithm* alg :
         {static_cast<ICorrectionAlgorithm*>(&r), static_cast<ICorrectionAlgorithm*>(&ri)}) {
        ASSERT_TRUE(alg->SetRawData(L"S21,1", raw.data()));
        ASSERT_TRUE(alg->SetErrorTermData(L"ResponseTracking(S21)", tracking.data(), n));
    }
    ASSERT_TRUE(ri.SetErrorTermData(L"ResponseIsolation(S21)", isolation.data(), n));

    boost::shared_ptr<DataMatrix> out, outIsol;
    ASSERT_TRUE(r.CreateOutputContainer(out, n));
    ASSERT_TRUE(ri.CreateOutputContainer(outIsol, n));
    ASSERT_EQ(out->Size(), 1);
    EXPECT_EQ((*out)(0, 0)->name, L"S21");
    ASSERT_TRUE(r.ApplyCorrection(start, stop, *out, 0));
    ASSERT_TRUE(ri.ApplyCorrection(start, stop, *outIsol, 0));
    const TsComplex* s = (*out)(0, 0)->data;
    const TsComplex* si = (*outIsol)(0, 0)->data;
    for (int i = 0; i < n; ++i) {
        if (i < start || i >= stop) {
            EXPECT_EQ(s[i], TsComplex()) << i;
            EXPECT_EQ(si[i], TsComplex()) << i;
            continue;
        }
        const Cd expect = D(raw[i]) / D(tracking[i]);
        const Cd expectIsol = (D(raw[i]) - D(isolation[i])) / D(tracking[i]);
        EXPECT_LT(std::abs(D(s[i]) - expect), 1e-6 * std::abs(expect)) << i;
        EXPECT_LT(std::abs(D(si[i]) - expectIsol), 1e-6 * std::abs(expectIsol)) << i;
    }

    std::vector<TsComplex> v(stop, TsComplex(7));
    ASSERT_TRUE(r.ApplyCorrection(start, stop, v));
    EXPECT_EQ(v[start - 1], TsComplex(7));
    EXPECT_EQ(v[start], s[start]);
}

TEST_F(ResponseTest, PerfectTermsReturnTheRawData) {
    const int n = 16;
    const auto raw = Random(n, 0.01, 1.0);
    const std::vector<TsComplex> ones(n, TsComplex(1)), zeros(n);
    Response r(L"S21");
    ResponseIsol ri(L"S21");
    ASSERT_TRUE(r.SetRawData(L"S21", raw.data()));
    ASSERT_TRUE(ri.SetRawData(L"S21", raw.data()));
    ASSERT_TRUE(r.SetErrorTermData(L"ResponseTracking(S21)", ones.data(), n));
    ASSERT_TRUE(ri.SetErrorTermData(L"ResponseTracking(S21)", ones.data(), n));
    ASSERT_TRUE(ri.SetErrorTermData(L"ResponseIsolation(S21)", zeros.data(), n));
    std::vector<TsComplex> out(n), outIsol(n);
    ASSERT_TRUE(r.ApplyCorrection(0, n, out));
    ASSERT_TRUE(ri.ApplyCorrection(0, n, outIsol));
    EXPECT_EQ(out, raw);
    EXPECT_EQ(outIsol, raw);
}

TEST_F(ResponseTest, RefusesMissingDataAndShortOutputsWithoutWriting) {
    const int n = 8;
    const auto raw = Random(n, 0.1, 1.0), tracking = Random(n, 0.5, 1.0);
    ResponseIsol r(L"S11");
    boost::shared_ptr<DataMatrix> out;
    ASSERT_TRUE(r.CreateOutputContainer(out, n));
    std::vector<TsComplex> v(n, TsComplex(3));
    EXPECT_FALSE(r.ApplyCorrection(0, n, *out, 0));  // nothing set
    ASSERT_TRUE(r.SetErrorTermData(L"ResponseTracking(S11)", tracking.data(), n));
    ASSERT_TRUE(r.SetErrorTermData(L"ResponseIsolation(S11)", tracking.data(), n));
    EXPECT_FALSE(r.ApplyCorrection(0, n, v));  // raw still missing
    ASSERT_TRUE(r.SetRawData(L"S11", raw.data()));
    EXPECT_FALSE(r.ApplyCorrection(0, n + 1, *out, 0));  // container holds n points
    EXPECT_FALSE(r.ApplyCorrection(-1, n, v));
    std::vector<TsComplex> shortVector(n - 1, TsComplex(3));
    EXPECT_FALSE(r.ApplyCorrection(0, n, shortVector));
    EXPECT_EQ(shortVector, std::vector<TsComplex>(n - 1, TsComplex(3)));
    EXPECT_EQ(v, std::vector<TsComplex>(n, TsComplex(3)));
    for (int i = 0; i < n; ++i)
        EXPECT_EQ((*out)(0, 0)->data[i], TsComplex());
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
