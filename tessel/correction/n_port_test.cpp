#include "tessel/correction/n_port.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/os/heap_block_size.h"
#include "tessel/correction/internal/allocation_counter.h"
#include "tessel/correction/internal/forward_error_models.h"
#include "tessel/correction/internal/matrix_correction.h"

namespace {

using namespace Tessel;
namespace fm = Tessel::forward_models;
using fm::Cd;
using Ports = std::vector<int>;
using Names = std::vector<std::wstring>;
using Out = boost::shared_ptr<DataMatrix>;

Ports FirstPorts(int n) {
    Ports p(n);
    std::iota(p.begin(), p.end(), 1);
    return p;
}
std::wstring SParam(int p, int q) {
    return L"S" + std::to_wstring(p) + (p >= 10 || q >= 10 ? L"_" : L"") + std::to_wstring(q);
}
template <class T>
std::vector<T*> Ptrs(std::vector<std::vector<T>>& arrays) {
    std::vector<T*> p;
    for (auto& a : arrays)
        p.push_back(a.data());
    return p;
}

// The arrays of an N-port calibration and measurement over `points` points, made through the
// forward model, and their loading into an NPort.
struct Sweep {
    int n, points;
    Ports ports;                                                  // ascending
    std::vector<std::vector<TsComplex>> leak, track, match, raw;  // [r·N + c][point]
    std::vector<std::vector<Cd>> truth;                           // [point][r·N + c]

    Sweep(const Ports& sorted, int pointCount)
        : n(int(sorted.size())), points(pointCount), ports(sorted), truth(pointCount) {
        for (auto* v : {&leak, &track, &match, &raw})
            v->assign(n * n, std::vector<TsComplex>(points));
    }
    // Stores one point's terms and the device's measurement through `measuredThrough`.
    void SetPoint(int i, const fm::NPortTerms& terms, const fm::NPortTerms& measuredThrough,
                  const std::vector<Cd>& device) {
        const std::vector<Cd> m = measuredThrough.Measure(device);
        for (int k = 0; k < n * n; ++k) {
            leak[k][i] = fm::ToTs(terms.leakage[k]);
            track[k][i] = fm::ToTs(terms.tracking[k]);
            match[k][i] = fm::ToTs(terms.match[k]);
            raw[k][i] = fm::ToTs(m[k]);
        }
        truth[i] = device;
    }
    Sweep& FillRandom(fm::Random& rng, bool crosstalk) {
        for (int i = 0; i < points; ++i) {
            const fm::NPortTerms t = rng.Terms(n, crosstalk);
            SetPoint(i, t, t, rng.Device(n));
        }
        return *this;
    }
    // Loads terms and raw data by their full names; crosstalk only when asked for.
    void Load(NPort& alg, bool withCrosstalk = true) const {
        static const wchar_t* const kWord[3][2] = {{L"CrossTalk", L"Directivity"},
                                                   {L"TransmissionTracking", L"ReflectionTracking"},
                                                   {L"LoadMatch", L"SourceMatch"}};
        for (int k = 0; k < n * n; ++k) {
            const int r = k / n, c = k % n;
            const std::wstring pq =
                L"(" + std::to_wstring(ports[r]) + L"," + std::to_wstring(ports[c]) + L")";
            const std::vector<TsComplex>* arrays[3] = {&leak[k], &track[k], &match[k]};
            for (int m = (r == c || withCrosstalk) ? 0 : 1; m < 3; ++m)
                ASSERT_TRUE(alg.SetErrorTermData((kWord[m][r == c] + pq).c_str(), arrays[m]->data(),
                                                 points));
            ASSERT_TRUE(alg.SetRawData(SParam(ports[r], ports[c]).c_str(), raw[k].data()));
        }
    }
    // Largest |corrected − truth| / max(|truth|, 0.1) over [start, stop).
    double WorstError(const DataMatrix& out, int start, int stop) const {
        double worst = 0.0;
        for (int k = 0; k < n * n; ++k)
            for (int i = start; i < stop; ++i) {
                const Cd t = truth[i][k];
                const Cd got = fm::ToCd(out(k / n, k % n)->data[i]);
                worst = std::max(worst, std::abs(got - t) / std::max(std::abs(t), 0.1));
            }
        return worst;
    }
};

// Every buffer of out holds its initial zeros.
bool Untouched(const DataMatrix& out) {
    for (int b = 0; b < out.Size(); ++b)
        for (int i = 0; i < out.PointCount(); ++i)
            if (out.GetBuffer(b)->data[i] != TsComplex())
                return false;
    return true;
}

// A fresh output container of `points` points, corrected over [start, stop); null on refusal.
Out Correct(NPort& alg, int points, int start, int stop) {
    Out out;
    EXPECT_TRUE(alg.CreateOutputContainer(out, points));
    return alg.ApplyCorrection(start, stop, *out, 0) ? out : Out();
}

class NPortTest : public ::testing::Test {
  protected:
    const unsigned seed_ = static_cast<unsigned>(::testing::UnitTest::GetInstance()->random_seed());
    ::testing::ScopedTrace seedTrace_{__FILE__, __LINE__, "random seed " + std::to_string(seed_)};
    fm::Random rng_{seed_};
};

TEST(NPort, NamesBuffersFromSortedPortsAndFindsThemByFirstSubstring) {
    NPort two(2, {2, 1});
    Names names, walked;
    std::wstring name;
    ASSERT_TRUE(two.GetRawNames(names));
    EXPECT_EQ(names, (Names{L"S11", L"S12", L"S21", L"S22"}));
    two.ResetRawEnumerator();
    while (two.GetNextRawName(name))
        walked.push_back(name);
    EXPECT_EQ(walked, names);
    ASSERT_TRUE(two.GetCalType(name));
    EXPECT_EQ(name, L"2-Port");
    EXPECT_EQ(two.ResultCount(), 4);
    EXPECT_FALSE(two.SetCalType(L"x"));
    names.clear();
    ASSERT_TRUE(two.GetErrorTermNames(names));
    ASSERT_EQ(names.size(), 12u);
    EXPECT_EQ(names[1], L"CrossTalk(1,2)");
    ASSERT_TRUE(two.GetNextErrorTermName(name));  // the listing restarts the cursor
    EXPECT_EQ(name, L"Directivity(1,1)");

    const std::vector<TsComplex> data(3);
    EXPECT_TRUE(two.SetRawData(L"S1", data.data()));  // S11 is the first match
    EXPECT_EQ(two.GetRawData(L"S11"), data.data());
    EXPECT_EQ(two.GetRawData(L"S12"), nullptr);
    EXPECT_FALSE(two.SetRawData(L"S33", data.data()));
    EXPECT_FALSE(two.IsParameterCorrectable(L"S1"));  // exact comparison
    EXPECT_TRUE(two.IsParameterCorrectable(L"S12"));
    EXPECT_FALSE(two.IsParameterCorrectable(nullptr));
    EXPECT_TRUE(two.SetErrorTermData(L"LoadMatch", data.data(), 3));
    EXPECT_EQ(two.GetErrorTerm(L"LoadMatch(1,2)"), data.data());
    EXPECT_FALSE(two.SetErrorTermData(L"SourceMatch(1,1)", nullptr, 3));
    EXPECT_FALSE(two.SetErrorTermData(L"Bogus", data.data(), 3));
    EXPECT_FALSE(two.SetAuxNameByName(L"S9", L"aux"));
    NPort copy = two;  // copies share the set-up
    copy.SetBothSourcesAreOn(true);
    EXPECT_TRUE(two.GetBothSourcesAreOn());

    Ports desc = FirstPorts(12);
    std::reverse(desc.begin(), desc.end());
    NPort twelve(12, desc);
    names.clear();
    twelve.GetRawNames(names);
    ASSERT_EQ(names.size(), 144u);
    EXPECT_EQ(names[8], L"S19");
    EXPECT_EQ(names[9], L"S1_10");
    EXPECT_EQ(names[9 * 12], L"S10_1");
    EXPECT_EQ(names[9 * 12 + 9], L"S10_10");
    ASSERT_TRUE(twelve.GetCalType(name));
    EXPECT_EQ(name, L"12-Port");
    EXPECT_FALSE(NPort(0, {}).GetCalType(name));
    EXPECT_THROW(NPort(3, {1, 2}), std::invalid_argument);
}

// The one-port kernel, the twelve-term kernel and the matrix solution each recover random
// devices over a sub-range, with crosstalk given or left unset (then it counts as zero). Once
// its work space is sized, the matrix path allocates nothing per point.
TEST_F(NPortTest, RecoversDevicesThroughTheErrorModelOnEveryPath) {
    for (const Ports& ports :
         {Ports{3}, Ports{1, 2}, Ports{1, 2, 3}, Ports{1, 3, 4, 12}, FirstPorts(6)})
        for (const bool crosstalk : {false, true}) {
            const int n = int(ports.size());
            Sweep s(ports, 64);
            s.FillRandom(rng_, crosstalk);
            NPort alg(n, Ports(ports.rbegin(), ports.rend()));
            s.Load(alg, crosstalk);
            ASSERT_TRUE(alg.SetAuxNameByName(SParam(ports[n - 1], ports[0]).c_str(), L"Trace 7"));
            const Out out = Correct(alg, s.points, 5, 60);  // also sizes the work space
            ASSERT_TRUE(out) << n << crosstalk;
            const long allocations = testing_support::AllocationCount();
            ASSERT_TRUE(alg.ApplyCorrection(5, 60, *out, 0));
            if (n > 2) {
                EXPECT_EQ(testing_support::AllocationCount() - allocations, 0) << n;
                EXPECT_EQ((*out)(n - 1, 0)->auxName, L"Trace 7");  // handed on by this path
            }
            EXPECT_LT(s.WorstError(*out, 5, 60), 1e-5) << n << crosstalk;
            EXPECT_EQ(out->GetValidIndex(), 60);
            EXPECT_EQ((*out)(0, 0)->data[4], TsComplex());  // outside the range
            EXPECT_EQ((*out)(n - 1, n - 1)->data[60], TsComplex());
        }
}

// An eight-term two-port test set with switch terms: each port has an error adapter
// (directivity, source match, reflection tracking) and each direction a transmission
// product tau; the non-driven port is terminated through its switch with reflection g seen at
// its receivers. A calibration reports the twelve terms
//   EL = ES' + ER'·g / (1 − ED'·g),   ET = tau / (1 − ED'·g)   (primes: the receiving port).
// With both sources on the non-driven port stays in its source state: the device sees that
// port's source match, and the transmission is measured through tau alone.
TEST_F(NPortTest, BothSourcesOnCorrectsWithTheSourceMatchTermination) {
    const int points = 64;
    Sweep on({1, 2}, points), off({1, 2}, points);
    for (int i = 0; i < points; ++i) {
        fm::NPortTerms twelve = rng_.Terms(2, true), bothOn = twelve;
        for (const auto& [rcv, drv] : {std::pair{1, 0}, std::pair{0, 1}}) {
            const int k = rcv * 2 + drv, kk = rcv * 3;
            const Cd tau = rng_.Polar(0.5, 1.0), g = rng_.Polar(0.05, 0.3);
            const Cd ed = twelve.leakage[kk], es = twelve.match[kk], er = twelve.tracking[kk];
            twelve.match[k] = es + er * g / (1.0 - ed * g);
            twelve.tracking[k] = tau / (1.0 - ed * g);
            bothOn.match[k] = es;
            bothOn.tracking[k] = tau;
        }
        const std::vector<Cd> device = rng_.Device(2);
        on.SetPoint(i, twelve, bothOn, device);
        off.SetPoint(i, twelve, twelve, device);
    }
    for (Sweep* s : {&on, &off}) {
        NPort alg(2, {1, 2});
        s->Load(alg);
        alg.SetBothSourcesAreOn(s == &on);
        Out out = Correct(alg, points, 0, points);
        ASSERT_TRUE(out);
        EXPECT_LT(s->WorstError(*out, 0, points), 1e-5) << (s == &on ? "on" : "off");
        alg.SetBothSourcesAreOn(s != &on);  // the other setting misses the device
        ASSERT_TRUE(alg.ApplyCorrection(0, points, *out, 0));
        EXPECT_GT(s->WorstError(*out, 0, points), 1e-3);
    }
}

TEST_F(NPortTest, TwoPortKernelAndMatrixSolutionAgree) {
    Sweep s({1, 2}, 200);
    s.FillRandom(rng_, true);
    NPort alg(2, {1, 2});
    s.Load(alg);
    const Out out = Correct(alg, s.points, 0, s.points);
    ASSERT_TRUE(out);
    std::vector<std::vector<TsComplex>> viaMatrix(4, std::vector<TsComplex>(s.points));
    internal::MatrixCorrection(2).Run(Ptrs(s.leak).data(), Ptrs(s.track).data(),
                                      Ptrs(s.match).data(), Ptrs(s.raw).data(),
                                      Ptrs(viaMatrix).data(), 0, s.points);
    double worst = 0.0;
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < s.points; ++i)
            worst = std::max(worst, std::abs(fm::ToCd((*out)(k / 2, k % 2)->data[i]) -
                                             fm::ToCd(viaMatrix[k][i])));
    EXPECT_LT(worst, 1e-5);
}

TEST_F(NPortTest, PerfectErrorTermsReturnTheRawDataOnEveryPath) {
    for (const auto& [n, bothOn] :
         {std::pair{1, false}, {2, false}, {2, true}, {3, false}, {4, false}}) {
        Sweep s(FirstPorts(n), 32);
        const fm::NPortTerms perfect(n);
        for (int i = 0; i < s.points; ++i)
            s.SetPoint(i, perfect, perfect, rng_.Device(n));
        NPort alg(n, s.ports);
        s.Load(alg);
        alg.SetBothSourcesAreOn(bothOn);
        const Out out = Correct(alg, s.points, 0, s.points);
        ASSERT_TRUE(out);
        for (int k = 0; k < n * n; ++k)
            for (int i = 0; i < s.points; ++i)
                ASSERT_EQ((*out)(k / n, k % n)->data[i], s.raw[k][i]) << n << " " << k;
    }
}

TEST_F(NPortTest, RefusesBadSetUpsWithoutWriting) {
    for (const int n : {1, 2, 3}) {
        Sweep s(FirstPorts(n), 10);
        s.FillRandom(rng_, true);
        NPort alg(n, s.ports);
        Out out;
        ASSERT_TRUE(alg.CreateOutputContainer(out, s.points));
        if (n > 1) {  // the one-port path reports success whatever its kernel says
            EXPECT_FALSE(alg.ApplyCorrection(0, 10, *out, 0)) << n;  // nothing set
        }
        s.Load(alg);
        EXPECT_FALSE(alg.ApplyCorrection(0, 11, *out, 0)) << n;  // container holds 10 points
        EXPECT_FALSE(alg.ApplyCorrection(-1, 10, *out, 0)) << n;
        DataMatrix small(n - 1, FirstPorts(n - 1), 10);
        EXPECT_FALSE(alg.ApplyCorrection(0, 10, small, 0)) << n;
        EXPECT_TRUE(Untouched(*out)) << n;
        EXPECT_TRUE(Untouched(small)) << n;
        if (n == 2) {  // three buffers cannot take a two-port result
            DataMatrix three({L"S11", L"S12", L"S21"}, 10);
            EXPECT_FALSE(alg.ApplyCorrection(0, 10, three, 0));
            EXPECT_TRUE(Untouched(three));
            EXPECT_EQ(three.GetValidIndex(), 0);
        }
    }
}

TEST_F(NPortTest, DebugSizeCheckRefusesArraysTheHeapKnowsAreShort) {
    EXPECT_TRUE(GetEnableDebugSizeChecks());  // on from load
    Sweep s({1, 2, 3}, 16);
    s.FillRandom(rng_, true);
    NPort alg(3, {1, 2, 3});
    s.Load(alg);
    // A tracked copy of raw S11 that the heap knows holds 15 samples.
    auto* tracked = static_cast<TsComplex*>(HostOs::TrackedAlloc(15 * sizeof(TsComplex)));
    std::copy(s.raw[0].begin(), s.raw[0].begin() + 15, tracked);
    ASSERT_TRUE(alg.SetRawData(L"S11", tracked));
    Out out;
    ASSERT_TRUE(alg.CreateOutputContainer(out, 16));
    EXPECT_FALSE(alg.ApplyCorrection(0, 16, *out, 0));
    EXPECT_TRUE(Untouched(*out));
    EXPECT_TRUE(alg.ApplyCorrection(0, 15, *out, 0));
    EXPECT_LT(s.WorstError(*out, 0, 15), 1e-5);
    HostOs::TrackedFree(tracked);
}

TEST(NPort, SingularPointGetsTheMissingDataMarker) {
    // Source match 1 and a raw reflection equal to directivity + tracking make B(0,0) zero at
    // point 1 with everything else zero: B is singular there.
    const int n = 3, points = 3;
    NPort alg(n, {1, 2, 3});
    Names names;
    alg.GetErrorTermNames(names);
    const std::vector<TsComplex> zeros(points), ones(points, TsComplex(1));
    for (const std::wstring& name : names) {
        const bool one =
            name.find(L"Tracking") != std::wstring::npos || name == L"SourceMatch(1,1)";
        alg.SetErrorTermData(name.c_str(), (one ? ones : zeros).data(), points);
    }
    const std::vector<TsComplex> s11 = {TsComplex(0.5f), TsComplex(-1), TsComplex(0.5f)};
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c <= n; ++c)
            alg.SetRawData(SParam(r, c).c_str(), (r == 1 && c == 1 ? s11 : zeros).data());
    const Out out = Correct(alg, points, 0, points);
    ASSERT_TRUE(out);
    for (int k = 0; k < n * n; ++k)
        EXPECT_EQ(out->GetBuffer(k)->data[1], TsComplex::m_minus200dB) << k;
    EXPECT_NEAR(out->GetBuffer(0)->data[0].re, 0.5 / 1.5, 1e-7);  // S11 = a / (1 + a) elsewhere
}

}  // namespace
