// SPDX-License-Identifier: Apache-2.0
#include "tessel/correction/match_alg.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "tessel/correction/internal/forward_error_models.h"

namespace Tessel {
namespace {

using namespace forward_models;
using Names = std::vector<std::wstring>;

std::wstring Pair(const wchar_t* w, int p, int q) {
    return w + std::to_wstring(p + 1) + L"," + std::to_wstring(q + 1);
}
std::wstring Track(wchar_t w, int p) {
    return (w == L'a' ? L"ReferenceTracking(a" : L"ResponseTracking(b") + std::to_wstring(p + 1) +
           L")";
}

// A two-port measured with unratioed receivers: the forward model's S-parameters plus the waves
// of its flow graph (a = a0 + Γ·b, b = S·a) for one source (the other port on its load match)
// or both sources (each on its source match); raw a reads tracking·a0, raw b(r) tracking·b_r.
struct Receivers {
    static constexpr int kPoints = 300;
    Random rng{7};
    Sweep sweep{{1, 2}, kPoints};
    std::map<std::wstring, std::vector<TsComplex>> in;  // raw receivers and tracking terms
    std::map<std::wstring, std::vector<Cd>> truth;      // match-corrected receivers
    MatchAlg alg{2, {1, 2}};
    boost::shared_ptr<DataMatrix> out;

    TsComplex& In(const std::wstring& name, int i) {
        return (in[name].resize(kPoints), in[name][i]);
    }
    explicit Receivers(bool both) {
        for (int i = 0; i < kPoints; ++i) {
            const NPortTerms t = rng.Terms(2, false);
            const std::vector<Cd> s = rng.Device(2);
            sweep.SetPoint(i, t, t, s);
            const Cd a0[2] = {rng.Polar(0.5, 2), rng.Polar(0.5, 2)};
            for (int p = 0; p < 2; ++p) {
                In(Track(L'b', p), i) = ToTs(rng.Polar(0.5, 1));
                const TsComplex ref = In(Track(L'a', p), i) = ToTs(rng.Polar(0.5, 1));
                In(Pair(L"a", p, p), i) = ToTs(ToCd(ref) * a0[p]);
            }
            for (int c = 0; c < 2; ++c) {  // drive port c (both drive when `both`)
                std::vector<Cd> k(4), rhs(2);
                for (int r = 0; r < 2; ++r) {
                    rhs[r] = both ? s[r * 2] * a0[0] + s[r * 2 + 1] * a0[1] : s[r * 2 + c] * a0[c];
                    for (int j = 0; j < 2; ++j)
                        k[r * 2 + j] = Cd(r == j) - s[r * 2 + j] * t.match[j * 2 + (both ? j : c)];
                }
                const std::vector<Cd> b = Solve(k, rhs);
                const Cd ac = a0[c] + t.match[c * 3] * b[c];
                truth[Pair(L"a", c, c)].push_back(ac);
                for (int r = 0; r < 2; ++r) {
                    truth[Pair(L"b", r, c)].push_back(both ? b[r] : s[r * 2 + c] * ac);
                    In(Pair(L"b", r, c), i) = ToTs(ToCd(In(Track(L'b', r), i)) * b[r]);
                }
                if (both) {  // S(c,c) and b(c,c) hold the raw b/a of the both-driving state
                    const Cd g = b[c] / ac;
                    const Cd m =
                        t.leakage[c * 3] + t.tracking[c * 3] * g / (1.0 - t.match[c * 3] * g);
                    sweep.raw[c * 3][i] = ToTs(m);
                    In(Pair(L"b", c, c), i) = ToTs(m * ToCd(In(Pair(L"a", c, c), i)));
                }
            }
        }
        sweep.Load(alg, false);
        for (auto& [name, v] : in)
            name.size() > 5 ? alg.SetErrorTermData(name.c_str(), v.data(), kPoints)
                            : alg.SetRawData(name.c_str(), v.data());
        alg.SetBothSourcesAreOn(both);
        alg.CreateOutputContainer(out, kPoints);
    }
    Cd Out(const std::wstring& name, int i) const {
        return ToCd(out->GetDataByName(name)->data[i]);
    }
};

// Every name an enumerator gives until it returns false (twice: it stays at its end).
Names Drain(const std::function<bool(std::wstring&)>& next) {
    Names names;
    std::wstring name;
    while (next(name))
        names.push_back(name);
    EXPECT_FALSE(next(name));
    return names;
}

TEST(MatchAlgTest, NamesEnumeratorsAndStates) {
    MatchAlg alg(2, {1, 2});
    Names raw, terms;
    alg.GetRawNames(raw);
    EXPECT_EQ(raw, (Names{L"S11", L"S12", L"S21", L"S22", L"a1,1", L"a2,2", L"b1,1", L"b1,2",
                          L"b2,1", L"b2,2"}));
    alg.ResetRawEnumerator();
    EXPECT_EQ(Drain([&](std::wstring& n) { return alg.GetNextRawName(n); }), raw);
    alg.GetErrorTermNames(terms);
    ASSERT_EQ(terms.size(), 12u + 6u);
    EXPECT_EQ(Names(terms.end() - 6, terms.end()),
              (Names{L"ReferenceTracking(a1)", L"ReferenceTracking(a2)", L"ResponseTracking(b1)",
                     L"ResponseTracking(b2)", L"SourcePowerCal(1)", L"SourcePowerCal(2)"}));
    alg.ResetErrorTermEnumerator();
    EXPECT_EQ(Drain([&](std::wstring& n) { return alg.GetNextErrorTermName(n); }), terms);
    EXPECT_TRUE(alg.IsParameterCorrectable(L"b2,1") && !alg.IsParameterCorrectable(L"b2"));

    alg.SetMatchCorrectionState(2, false);
    EXPECT_TRUE(alg.GetMatchCorrectionState(1) && !alg.GetMatchCorrectionState(2));
    alg.SetMatchCorrectionState(-1, false);
    EXPECT_FALSE(alg.GetMatchCorrectionState(1));
    try {
        alg.GetMatchCorrectionState(7);
        ADD_FAILURE() << "no throw";
    } catch (long code) {
        EXPECT_EQ(code, -402126766L);
    }
    MatchAlg none(0, {});  // one-port NPort, no receivers
    EXPECT_TRUE(none.GetRawNames(raw = {}) && raw == Names{L"S11"} && none.ResultCount() == 1);
    EXPECT_THROW(MatchAlg(3, {1, 2}), std::invalid_argument);
}

TEST(MatchAlgTest, OutputContainerAliases) {
    for (bool both : {false, true}) {
        MatchAlg alg(2, {2, 5});
        alg.SetBothSourcesAreOn(both);
        boost::shared_ptr<DataMatrix> out;
        ASSERT_TRUE(alg.CreateOutputContainer(out, 3));
        EXPECT_EQ(out->Size(), 4 + 2 + 4);
        const auto same = [&](const wchar_t* alias, const wchar_t* name) {
            return out->GetDataByName(alias) != nullptr &&
                   out->GetDataByName(alias) == out->GetDataByName(name);
        };
        EXPECT_TRUE(same(L"R2,2", L"a2,2") && same(L"R5,5", L"a5,5"));
        EXPECT_TRUE(same(L"B,2", L"b2,2") && same(L"B,5", L"b2,5"));
        EXPECT_EQ(out->GetDataByName(L"E,2"), nullptr);  // no letter past port 4
        EXPECT_EQ(same(L"R2,5", L"a2,2") && same(L"a2,5", L"a2,2") && same(L"a5,2", L"a5,5"), both);
    }
}

// Match-corrected waves equal the flow graph's; without match correction each receiver is raw
// over its tracking; missing inputs leave receivers untouched.
TEST(MatchAlgTest, CorrectedReceivers) {
    for (bool both : {false, true}) {
        Receivers m(both);
        ASSERT_TRUE(m.alg.ApplyCorrection(0, Receivers::kPoints, *m.out, 0));
        EXPECT_GE(MatchAlg::ReflectionScratchSize(), size_t(Receivers::kPoints));
        EXPECT_TRUE(both || m.sweep.WorstError(*m.out, 0, Receivers::kPoints) < 1e-4);
        for (const auto& [name, truth] : m.truth)
            for (int i = 0; i < Receivers::kPoints; ++i)
                ASSERT_LT(std::abs(m.Out(name, i) - truth[i]), 1e-4 * std::abs(truth[i])) << i;
    }
    Receivers off(true);  // both sources on, but the two-source path needs match correction
    off.alg.SetMatchCorrectionState(-1, false);
    off.alg.ApplyCorrection(5, 9, *off.out, 0);
    for (const auto& [name, raw] : off.in)
        for (int i = 0; name.size() == 4 && i < Receivers::kPoints; ++i) {
            const Cd want = ToCd(raw[i]) / ToCd(off.in[Track(name[0], name[1] - L'1')][i]);
            EXPECT_LT(std::abs(off.Out(name, i) - (i >= 5 && i < 9 ? want : 0.0)), 1e-5);
        }
    Receivers m(false);  // missing inputs: receivers left untouched
    m.alg.SetRawData(L"a1,1", nullptr);
    m.alg.ApplyCorrection(0, 4, *m.out, 0);
    EXPECT_TRUE(m.Out(L"a1,1", 0) == 0.0 && m.Out(L"a2,2", 0) != 0.0);
    m.alg.SetRawData(L"S21", nullptr);  // the S-parameter correction fails: nothing more
    EXPECT_TRUE(m.alg.ApplyCorrection(4, 8, *m.out, 0));
    EXPECT_EQ(m.Out(L"a2,2", 4), 0.0);
}

}  // namespace
}  // namespace Tessel
