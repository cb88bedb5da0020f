#include "tessel/correction/match_alg.h"

#include <gtest/gtest.h>

#include "tessel/correction/internal/forward_error_models.h"

namespace Tessel {
namespace {

using namespace forward_models;
using Names = std::vector<std::wstring>;

// A two-port {1, 2} measured with unratioed receivers: the S-parameter sweep of the forward
// model plus the receiver waves of the flow graph, for one source (a = a0·e_c + Γ·b with the
// other port on its load match) or for both sources at once (each port on its source match).
struct Receivers {
    static constexpr int kPoints = 300;
    Random rng{7};
    Sweep sweep{{1, 2}, kPoints};
    std::vector<TsComplex> refTrack[2], testTrack[2], rawA[2], rawB[4];
    std::vector<Cd> trueA[2], trueB[4];  // b index r·2 + c
    MatchAlg alg{2, {1, 2}};
    boost::shared_ptr<DataMatrix> out;

    explicit Receivers(bool bothSources) {
        for (auto* v : {refTrack, testTrack, rawA})
            v[0].resize(kPoints), v[1].resize(kPoints);
        trueA[0].resize(kPoints), trueA[1].resize(kPoints);
        for (int k = 0; k < 4; ++k)
            rawB[k].resize(kPoints), trueB[k].resize(kPoints);
        for (int i = 0; i < kPoints; ++i) {
            const NPortTerms t = rng.Terms(2, false);
            const std::vector<Cd> s = rng.Device(2);
            sweep.SetPoint(i, t, t, s);
            const Cd a0[2] = {rng.Polar(0.5, 2), rng.Polar(0.5, 2)};
            for (int p = 0; p < 2; ++p) {
                refTrack[p][i] = ToTs(rng.Polar(0.5, 1)), testTrack[p][i] = ToTs(rng.Polar(0.5, 1));
                rawA[p][i] = ToTs(ToCd(refTrack[p][i]) * a0[p]);
            }
            for (int c = 0; c < 2; ++c) {  // drive port c (both drive when bothSources)
                std::vector<Cd> k(4), rhs(2);
                for (int r = 0; r < 2; ++r) {
                    rhs[r] = bothSources ? s[r * 2] * a0[0] + s[r * 2 + 1] * a0[1]
                                         : s[r * 2 + c] * a0[c];
                    for (int j = 0; j < 2; ++j)
                        k[r * 2 + j] =
                            Cd(r == j) - s[r * 2 + j] * t.match[j * 2 + (bothSources ? j : c)];
                }
                const std::vector<Cd> b = Solve(k, rhs);
                const Cd ac = a0[c] + t.match[c * 3] * b[c];
                trueA[c][i] = ac;
                for (int r = 0; r < 2; ++r) {
                    trueB[r * 2 + c][i] = bothSources ? b[r] : s[r * 2 + c] * ac;
                    rawB[r * 2 + c][i] = ToTs(ToCd(testTrack[r][i]) * b[r]);
                }
                if (bothSources) {  // raw b/a of the both-driving state in S(c,c)
                    const Cd g = b[c] / ac, d = t.leakage[c * 3], e = t.tracking[c * 3];
                    const Cd m = d + e * g / (1.0 - t.match[c * 3] * g);
                    sweep.raw[c * 3][i] = ToTs(m);
                    rawB[c * 3][i] = ToTs(m * ToCd(rawA[c][i]));
                }
            }
        }
        sweep.Load(alg, false);
        for (int p = 0; p < 2; ++p) {
            const std::wstring n = std::to_wstring(p + 1);
            alg.SetErrorTermData((L"ReferenceTracking(a" + n + L")").c_str(), refTrack[p].data(),
                                 kPoints);
            alg.SetErrorTermData((L"ResponseTracking(b" + n + L")").c_str(), testTrack[p].data(),
                                 kPoints);
            alg.SetRawData((L"a" + n + L"," + n).c_str(), rawA[p].data());
            for (int q = 0; q < 2; ++q)
                alg.SetRawData((L"b" + n + L"," + std::to_wstring(q + 1)).c_str(),
                               rawB[p * 2 + q].data());
        }
        alg.SetBothSourcesAreOn(bothSources);
        alg.CreateOutputContainer(out, kPoints);
    }
    // Largest relative error of a receiver output against the truth.
    double Worst(const wchar_t* name, const std::vector<Cd>& truth) const {
        double worst = 0.0;
        for (int i = 0; i < kPoints; ++i)
            worst = std::max(worst, std::abs(ToCd(out->GetDataByName(name)->data[i]) - truth[i]) /
                                        std::abs(truth[i]));
        return worst;
    }
};

TEST(MatchAlgTest, NamesEnumeratorsAndStates) {
    MatchAlg alg(2, {1, 2});
    Names raw, terms;
    alg.GetRawNames(raw);
    EXPECT_EQ(raw, (Names{L"S11", L"S12", L"S21", L"S22", L"a1,1", L"a2,2", L"b1,1", L"b1,2",
                          L"b2,1", L"b2,2"}));
    alg.ResetRawEnumerator();
    std::wstring name;
    for (const std::wstring& expected : raw) {
        ASSERT_TRUE(alg.GetNextRawName(name));
        EXPECT_EQ(name, expected);
    }
    EXPECT_FALSE(alg.GetNextRawName(name));
    EXPECT_FALSE(alg.GetNextRawName(name));  // stays at its end until reset
    alg.GetErrorTermNames(terms);
    ASSERT_EQ(terms.size(), 12u + 6u);
    EXPECT_EQ(Names(terms.end() - 6, terms.end()),
              (Names{L"ReferenceTracking(a1)", L"ReferenceTracking(a2)", L"ResponseTracking(b1)",
                     L"ResponseTracking(b2)", L"SourcePowerCal(1)", L"SourcePowerCal(2)"}));
    alg.ResetErrorTermEnumerator();
    for (const std::wstring& expected : terms) {
        ASSERT_TRUE(alg.GetNextErrorTermName(name));
        EXPECT_EQ(name, expected);
    }
    EXPECT_FALSE(alg.GetNextErrorTermName(name));
    EXPECT_FALSE(alg.GetNextErrorTermName(name));
    EXPECT_TRUE(alg.IsParameterCorrectable(L"b2,1"));
    EXPECT_TRUE(alg.IsParameterCorrectable(L"S12"));
    EXPECT_FALSE(alg.IsParameterCorrectable(L"b2"));

    alg.SetMatchCorrectionState(2, false);
    EXPECT_TRUE(alg.GetMatchCorrectionState(1));
    EXPECT_FALSE(alg.GetMatchCorrectionState(2));
    alg.SetMatchCorrectionState(-1, false);
    EXPECT_FALSE(alg.GetMatchCorrectionState(1));
    for (auto call : {+[](MatchAlg& a) { a.GetMatchCorrectionState(7); },
                      +[](MatchAlg& a) { a.SetMatchCorrectionState(3, true); }}) {
        try {
            call(alg);
            ADD_FAILURE() << "no throw";
        } catch (long code) {
            EXPECT_EQ(code, -402126766L);
        }
    }
    MatchAlg none(0, {});  // one-port NPort, no receivers
    raw.clear();
    none.GetRawNames(raw);
    EXPECT_EQ(raw, Names{L"S11"});
    EXPECT_EQ(none.ResultCount(), 1);
    EXPECT_THROW(MatchAlg(3, {1, 2}), std::invalid_argument);
    EXPECT_FALSE(alg.SetRawData(nullptr, nullptr));
}

TEST(MatchAlgTest, OutputContainerAliases) {
    for (bool both : {false, true}) {
        MatchAlg alg(2, {4, 5});
        alg.SetBothSourcesAreOn(both);
        boost::shared_ptr<DataMatrix> out;
        ASSERT_TRUE(alg.CreateOutputContainer(out, 3));
        EXPECT_EQ(out->Size(), 4 + 2 + 4);
        const auto same = [&](const wchar_t* alias, const wchar_t* name) {
            return out->GetDataByName(alias) != nullptr &&
                   out->GetDataByName(alias) == out->GetDataByName(name);
        };
        EXPECT_TRUE(same(L"R4,4", L"a4,4") && same(L"R5,5", L"a5,5"));
        EXPECT_TRUE(same(L"D,4", L"b4,4") && same(L"D,5", L"b4,5"));
        EXPECT_EQ(out->GetDataByName(L"E,4"), nullptr);  // no letter past port 4
        EXPECT_EQ(same(L"R4,5", L"a4,4") && same(L"a4,5", L"a4,4") && same(L"a5,4", L"a5,5"), both);
    }
    MatchAlg alg(2, {1, 2});
    boost::shared_ptr<DataMatrix> out;
    alg.CreateOutputContainer(out, 1);
    for (auto [alias, name] :
         {std::pair{L"A,1", L"b1,1"}, {L"B,1", L"b2,1"}, {L"A,2", L"b1,2"}, {L"B,2", L"b2,2"}})
        EXPECT_EQ(out->GetDataByName(alias), out->GetDataByName(name)) << alias;
}

TEST(MatchAlgTest, MatchCorrectedWavesFollowTheFlowGraph) {
    for (bool both : {false, true}) {
        Receivers m(both);
        ASSERT_TRUE(m.alg.ApplyCorrection(0, Receivers::kPoints, *m.out, 0));
        EXPECT_GE(MatchAlg::ReflectionScratchSize(), size_t(Receivers::kPoints));
        if (!both) {
            EXPECT_LT(m.sweep.WorstError(*m.out, 0, Receivers::kPoints), 1e-4);
        }
        EXPECT_LT(m.Worst(L"a1,1", m.trueA[0]), 1e-4) << both;
        EXPECT_LT(m.Worst(L"a2,2", m.trueA[1]), 1e-4) << both;
        for (int k = 0; k < 4; ++k) {
            const std::wstring b =
                L"b" + std::to_wstring(k / 2 + 1) + L"," + std::to_wstring(k % 2 + 1);
            EXPECT_LT(m.Worst(b.c_str(), m.trueB[k]), 1e-4) << both << " b" << k;
        }
    }
}

TEST(MatchAlgTest, WithoutMatchCorrectionEachReceiverIsRawOverTracking) {
    Receivers m(true);  // both sources on, but the two-source path needs match correction
    m.alg.SetMatchCorrectionState(-1, false);
    m.alg.ApplyCorrection(5, 9, *m.out, 0);
    for (int i = 0; i < Receivers::kPoints; ++i) {
        const bool in = i >= 5 && i < 9;
        for (int p = 0; p < 2; ++p) {
            const std::wstring n = std::to_wstring(p + 1);
            const Cd a = ToCd(m.out->GetDataByName(L"a" + n + L"," + n)->data[i]);
            EXPECT_LT(std::abs(a - (in ? ToCd(m.rawA[p][i]) / ToCd(m.refTrack[p][i]) : 0.0)), 1e-5);
            for (int q = 0; q < 2; ++q) {
                const Cd b =
                    ToCd(m.out->GetDataByName(L"b" + n + L"," + std::to_wstring(q + 1))->data[i]);
                const Cd t = ToCd(m.rawB[p * 2 + q][i]) / ToCd(m.testTrack[p][i]);
                EXPECT_LT(std::abs(b - (in ? t : 0.0)), 1e-5);
            }
        }
    }
}

TEST(MatchAlgTest, MissingInputsLeaveReceiversUntouched) {
    Receivers m(false);
    m.alg.SetRawData(L"a1,1", nullptr);
    m.alg.ApplyCorrection(0, 4, *m.out, 0);
    EXPECT_EQ(m.out->GetDataByName(L"a1,1")->data[0].re, 0.0f);  // skipped
    EXPECT_NE(m.out->GetDataByName(L"a2,2")->data[0].re, 0.0f);
    m.alg.SetRawData(L"S21", nullptr);  // the S-parameter correction fails: nothing more
    m.alg.ApplyCorrection(4, 8, *m.out, 0);
    EXPECT_EQ(m.out->GetDataByName(L"a2,2")->data[4].re, 0.0f);
    EXPECT_TRUE(m.alg.ApplyCorrection(-3, 8, *m.out, 0));
}

}  // namespace
}  // namespace Tessel
