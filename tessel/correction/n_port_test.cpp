#include "tessel/correction/n_port.h"

#include <iostream>
#include <sstream>
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

std::wstring Pair(int p, int q) {
    return L"(" + std::to_wstring(p) + L"," + std::to_wstring(q) + L")";
}
std::wstring SParam(int p, int q) {
    return L"S" + std::to_wstring(p) + (p >= 10 || q >= 10 ? L"_" : L"") + std::to_wstring(q);
}

// The arrays of an N-port calibration and measurement over `points` points, filled from
// random error terms and devices through the forward model, and their loading into an NPort.
struct Sweep {
    int n, points;
    std::vector<int> ports;                                       // ascending
    std::vector<std::vector<TsComplex>> leak, track, match, raw;  // [r·N + c][point]
    std::vector<std::vector<Cd>> truth;                           // [point][r·N + c]

    Sweep(const std::vector<int>& sortedPorts, int pointCount)
        : n(int(sortedPorts.size())), points(pointCount), ports(sortedPorts) {
        for (auto* v : {&leak, &track, &match, &raw})
            v->assign(n * n, std::vector<TsComplex>(points));
        truth.resize(points);
    }
    // Stores one point's terms and the device's measurement through them.
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
    void FillRandom(fm::Random& rng, bool crosstalk) {
        for (int i = 0; i < points; ++i) {
            const fm::NPortTerms t = rng.Terms(n, crosstalk);
            SetPoint(i, t, t, rng.Device(n));
        }
    }
    void Load(NPort& alg, bool withCrosstalk = true) const {
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c) {
                const int k = r * n + c;
                const std::wstring pq = Pair(ports[r], ports[c]);
                const bool diag = r == c;
                if (diag || withCrosstalk) {
                    ASSERT_TRUE(
                        alg.SetErrorTermData(((diag ? L"Directivity" : L"CrossTalk") + pq).c_str(),
                                             leak[k].data(), points));
                }
                ASSERT_TRUE(alg.SetErrorTermData(
                    ((diag ? L"ReflectionTracking" : L"TransmissionTracking") + pq).c_str(),
                    track[k].data(), points));
                ASSERT_TRUE(
                    alg.SetErrorTermData(((diag ? L"SourceMatch" : L"LoadMatch") + pq).c_str(),
                                         match[k].data(), points));
                ASSERT_TRUE(alg.SetRawData(SParam(ports[r], ports[c]).c_str(), raw[k].data()));
            }
    }
    // Largest |corrected − truth| / max(|truth|, 0.1) over the range.
    double WorstError(const DataMatrix& out, int start, int stop) const {
        double worst = 0.0;
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c)
                for (int i = start; i < stop; ++i) {
                    const Cd t = truth[i][r * n + c];
                    const Cd got = fm::ToCd(out(r, c)->data[i]);
                    worst = std::max(worst, std::abs(got - t) / std::max(std::abs(t), 0.1));
                }
        return worst;
    }
};

class NPortTest : public ::testing::Test {
  protected:
    const unsigned seed_ = static_cast<unsigned>(::testing::UnitTest::GetInstance()->random_seed());
    ::testing::ScopedTrace seedTrace_{__FILE__, __LINE__, "random seed " + std::to_string(seed_)};
    fm::Random rng_{seed_};
};

TEST(NPort, NamesRawBuffersFromSortedPortsWithTheUnderscoreRule) {
    NPort two(2, {2, 1});
    std::vector<std::wstring> names;
    ASSERT_TRUE(two.GetRawNames(names));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"S11", L"S12", L"S21", L"S22"}));
    std::wstring calType;
    ASSERT_TRUE(two.GetCalType(calType));
    EXPECT_EQ(calType, L"2-Port");
    EXPECT_EQ(two.ResultCount(), 4);
    EXPECT_FALSE(two.SetCalType(L"x"));

    std::vector<int> ports;
    for (int p = 12; p >= 1; --p)
        ports.push_back(p);
    NPort twelve(12, ports);
    names.clear();
    twelve.GetRawNames(names);
    ASSERT_EQ(names.size(), 144u);
    EXPECT_EQ(names[9], L"S1_10");
    EXPECT_EQ(names[8], L"S19");
    EXPECT_EQ(names[9 * 12], L"S10_1");
    EXPECT_EQ(names[9 * 12 + 9], L"S10_10");
    ASSERT_TRUE(twelve.GetCalType(calType));
    EXPECT_EQ(calType, L"12-Port");
    NPort none(0, {});
    EXPECT_FALSE(none.GetCalType(calType));
    EXPECT_THROW(NPort(3, {1, 2}), std::invalid_argument);
}

TEST(NPort, EnumeratesAndSetsByNameWithSubstrings) {
    NPort alg(2, {1, 2});
    std::wstring name;
    alg.ResetRawEnumerator();
    std::vector<std::wstring> seen;
    while (alg.GetNextRawName(name))
        seen.push_back(name);
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"S11", L"S12", L"S21", L"S22"}));

    std::vector<std::wstring> terms;
    ASSERT_TRUE(alg.GetErrorTermNames(terms));
    ASSERT_EQ(terms.size(), 12u);
    EXPECT_EQ(terms[1], L"CrossTalk(1,2)");
    ASSERT_TRUE(alg.GetNextErrorTermName(name));  // the cursor starts over after the listing
    EXPECT_EQ(name, L"Directivity(1,1)");

    const std::vector<TsComplex> data(3);
    EXPECT_TRUE(alg.SetRawData(L"S1", data.data()));
    EXPECT_EQ(alg.GetRawData(L"S11"), data.data());
    EXPECT_EQ(alg.GetRawData(L"S12"), nullptr);
    EXPECT_FALSE(alg.IsParameterCorrectable(L"S1"));
    EXPECT_TRUE(alg.IsParameterCorrectable(L"S12"));
    EXPECT_FALSE(alg.IsParameterCorrectable(nullptr));
    EXPECT_FALSE(alg.SetRawData(L"S33", data.data()));
    EXPECT_TRUE(alg.SetErrorTermData(L"LoadMatch", data.data(), 3));
    EXPECT_EQ(alg.GetErrorTerm(L"LoadMatch(1,2)"), data.data());
    EXPECT_FALSE(alg.SetErrorTermData(L"SourceMatch(1,1)", nullptr, 3));
    EXPECT_FALSE(alg.SetErrorTermData(L"Bogus", data.data(), 3));
    EXPECT_TRUE(alg.SetAuxNameByName(L"S2", L"aux"));
    EXPECT_FALSE(alg.SetAuxNameByName(L"S9", L"aux"));

    EXPECT_FALSE(alg.GetBothSourcesAreOn());
    NPort copy = alg;
    copy.SetBothSourcesAreOn(true);
    EXPECT_TRUE(alg.GetBothSourcesAreOn());

    std::wostringstream text;
    std::wstreambuf* old = std::wcout.rdbuf(text.rdbuf());
    alg.DumpData();
    std::wcout.rdbuf(old);
    EXPECT_EQ(text.str().substr(0, 32), L"Directivity(1,1)\nCrossTalk(1,2)\n");
}

TEST_F(NPortTest, RecoversOneAndTwoPortDevicesThroughTheErrorModel) {
    for (const bool crosstalk : {false, true}) {
        for (const std::vector<int>& ports : {std::vector<int>{3}, std::vector<int>{1, 2}}) {
            Sweep s(ports, 101);
            s.FillRandom(rng_, crosstalk);
            NPort alg(int(ports.size()), ports);
            s.Load(alg);
            boost::shared_ptr<DataMatrix> out;
            ASSERT_TRUE(alg.CreateOutputContainer(out, s.points));
            ASSERT_TRUE(alg.ApplyCorrection(0, s.points, *out, 0));
            EXPECT_LT(s.WorstError(*out, 0, s.points), 1e-5) << ports.size() << crosstalk;
            EXPECT_EQ(out->GetValidIndex(), s.points);
        }
    }
}

TEST_F(NPortTest, RecoversThreeAndFourPortDevicesByTheMatrixSolution) {
    for (const std::vector<int>& ports :
         {std::vector<int>{1, 2, 3}, std::vector<int>{1, 3, 4, 12}}) {
        Sweep s(ports, 64);
        s.FillRandom(rng_, true);
        std::vector<int> shuffled(ports.rbegin(), ports.rend());
        NPort alg(int(ports.size()), shuffled);
        s.Load(alg);
        ASSERT_TRUE(alg.SetAuxNameByName(SParam(ports[1], ports[0]).c_str(), L"Trace 7"));
        boost::shared_ptr<DataMatrix> out;
        ASSERT_TRUE(alg.CreateOutputContainer(out, s.points));
        ASSERT_TRUE(alg.ApplyCorrection(5, 60, *out, 0));
        EXPECT_LT(s.WorstError(*out, 5, 60), 1e-5) << ports.size();
        EXPECT_EQ(out->GetValidIndex(), 60);
        EXPECT_EQ((*out)(1, 0)->auxName, L"Trace 7");
        EXPECT_EQ((*out)(0, 0)->data[4], TsComplex());  // outside the range
        EXPECT_EQ((*out)(2, 2)->data[60], TsComplex());
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
        fm::NPortTerms twelve =
            rng_.Terms(2, true);  // directivity, source match, tracking, crosstalk
        fm::NPortTerms bothOn = twelve;
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
        boost::shared_ptr<DataMatrix> out;
        ASSERT_TRUE(alg.CreateOutputContainer(out, points));
        ASSERT_TRUE(alg.ApplyCorrection(0, points, *out, 0));
        EXPECT_LT(s->WorstError(*out, 0, points), 1e-5) << (s == &on ? "on" : "off");
        // The flag matters: the other setting misses the device.
        alg.SetBothSourcesAreOn(s != &on);
        ASSERT_TRUE(alg.ApplyCorrection(0, points, *out, 0));
        EXPECT_GT(s->WorstError(*out, 0, points), 1e-3);
    }
}

TEST_F(NPortTest, TwoPortKernelAndMatrixSolutionAgree) {
    Sweep s({1, 2}, 200);
    s.FillRandom(rng_, true);
    NPort alg(2, {1, 2});
    s.Load(alg);
    boost::shared_ptr<DataMatrix> out;
    ASSERT_TRUE(alg.CreateOutputContainer(out, s.points));
    ASSERT_TRUE(alg.ApplyCorrection(0, s.points, *out, 0));
    std::vector<std::vector<TsComplex>> matrixOut(4, std::vector<TsComplex>(s.points));
    std::vector<const TsComplex*> leak, track, match, raw;
    std::vector<TsComplex*> outPtrs;
    for (int k = 0; k < 4; ++k) {
        leak.push_back(s.leak[k].data());
        track.push_back(s.track[k].data());
        match.push_back(s.match[k].data());
        raw.push_back(s.raw[k].data());
        outPtrs.push_back(matrixOut[k].data());
    }
    internal::MatrixCorrection(2).Run(leak.data(), track.data(), match.data(), raw.data(),
                                      outPtrs.data(), 0, s.points);
    double worst = 0.0;
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < s.points; ++i)
            worst = std::max(worst, std::abs(fm::ToCd((*out)(k / 2, k % 2)->data[i]) -
                                             fm::ToCd(matrixOut[k][i])));
    EXPECT_LT(worst, 1e-5);
}

TEST_F(NPortTest, PerfectErrorTermsReturnTheRawDataOnEveryPath) {
    for (const int n : {1, 2, 3, 4}) {
        for (const bool bothOn : {false, true}) {
            if (bothOn && n != 2)
                continue;
            std::vector<int> ports;
            for (int p = 1; p <= n; ++p)
                ports.push_back(p);
            Sweep s(ports, 32);
            const fm::NPortTerms perfect(n);
            for (int i = 0; i < s.points; ++i)
                s.SetPoint(i, perfect, perfect, rng_.Device(n));
            NPort alg(n, ports);
            s.Load(alg);
            alg.SetBothSourcesAreOn(bothOn);
            boost::shared_ptr<DataMatrix> out;
            ASSERT_TRUE(alg.CreateOutputContainer(out, s.points));
            ASSERT_TRUE(alg.ApplyCorrection(0, s.points, *out, 0));
            for (int k = 0; k < n * n; ++k)
                for (int i = 0; i < s.points; ++i)
                    ASSERT_EQ((*out)(k / n, k % n)->data[i], s.raw[k][i]) << n << " " << k;
        }
    }
}

TEST_F(NPortTest, MissingCrosstalkCountsAsZero) {
    for (const std::vector<int>& ports : {std::vector<int>{1, 2}, std::vector<int>{1, 2, 3}}) {
        Sweep s(ports, 20);
        s.FillRandom(rng_, false);
        NPort alg(int(ports.size()), ports);
        s.Load(alg, /*withCrosstalk=*/false);
        boost::shared_ptr<DataMatrix> out;
        ASSERT_TRUE(alg.CreateOutputContainer(out, s.points));
        ASSERT_TRUE(alg.ApplyCorrection(0, s.points, *out, 0));
        EXPECT_LT(s.WorstError(*out, 0, s.points), 1e-5);
    }
}

// Every buffer of out holds its initial zeros.
bool Untouched(const DataMatrix& out) {
    for (int b = 0; b < out.Size(); ++b)
        for (int i = 0; i < out.PointCount(); ++i)
            if (out.GetBuffer(b)->data[i] != TsComplex())
                return false;
    return true;
}

TEST_F(NPortTest, RefusesBadSetUpsWithoutWriting) {
    for (const std::vector<int>& ports :
         {std::vector<int>{1}, std::vector<int>{1, 2}, std::vector<int>{1, 2, 3}}) {
        const int n = int(ports.size());
        Sweep s(ports, 10);
        s.FillRandom(rng_, true);
        NPort alg(n, ports);
        boost::shared_ptr<DataMatrix> out;
        ASSERT_TRUE(alg.CreateOutputContainer(out, s.points));
        if (n > 1) {  // the one-port path reports success whatever its kernel says
            EXPECT_FALSE(alg.ApplyCorrection(0, 10, *out, 0)) << n;  // nothing set
        }
        s.Load(alg);
        EXPECT_FALSE(alg.ApplyCorrection(0, 11, *out, 0)) << n;  // container holds 10 points
        EXPECT_FALSE(alg.ApplyCorrection(-1, 10, *out, 0)) << n;
        std::vector<int> fewer(ports.begin(), ports.end() - 1);
        DataMatrix small(n - 1, fewer, 10);
        EXPECT_FALSE(alg.ApplyCorrection(0, 10, small, 0)) << n;
        EXPECT_TRUE(Untouched(*out)) << n;
        EXPECT_TRUE(Untouched(small)) << n;
    }
    // Three buffers cannot take a two-port result; an N-port needs N·N.
    Sweep s2({1, 2}, 10);
    s2.FillRandom(rng_, true);
    NPort two(2, {1, 2});
    s2.Load(two);
    DataMatrix three({L"S11", L"S12", L"S21"}, 10);
    EXPECT_FALSE(two.ApplyCorrection(0, 10, three, 0));
    EXPECT_TRUE(Untouched(three));
    EXPECT_EQ(three.GetValidIndex(), 0);
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
    boost::shared_ptr<DataMatrix> out;
    ASSERT_TRUE(alg.CreateOutputContainer(out, 16));
    EXPECT_FALSE(alg.ApplyCorrection(0, 16, *out, 0));
    EXPECT_TRUE(Untouched(*out));
    EXPECT_TRUE(alg.ApplyCorrection(0, 15, *out, 0));
    EXPECT_LT(s.WorstError(*out, 0, 15), 1e-5);
    SetEnableDebugSizeChecks(false);
    EXPECT_FALSE(GetEnableDebugSizeChecks());
    SetEnableDebugSizeChecks(true);
    HostOs::TrackedFree(tracked);
}

TEST_F(NPortTest, MatrixPathAllocatesNothingPerPoint) {
    for (const int n : {3, 4, 6}) {
        std::vector<int> ports;
        for (int p = 1; p <= n; ++p)
            ports.push_back(p);
        Sweep s(ports, 200);
        s.FillRandom(rng_, true);
        NPort alg(n, ports);
        s.Load(alg);
        boost::shared_ptr<DataMatrix> out;
        ASSERT_TRUE(alg.CreateOutputContainer(out, s.points));
        ASSERT_TRUE(alg.ApplyCorrection(0, 10, *out, 0));  // sizes the work space
        const long before = testing_support::AllocationCount();
        ASSERT_TRUE(alg.ApplyCorrection(0, s.points, *out, 0));
        EXPECT_EQ(testing_support::AllocationCount() - before, 0) << n;
    }
}

TEST(NPort, SingularPointGetsTheMissingDataMarker) {
    // Source match 1 and a raw reflection equal to directivity + tracking make B(0,0) zero at
    // point 1 with everything else zero: B is singular there.
    const int n = 3, points = 3;
    NPort alg(n, {1, 2, 3});
    std::vector<std::vector<TsComplex>> arrays;
    std::vector<std::wstring> names;
    alg.GetErrorTermNames(names);
    std::vector<TsComplex> zeros(points), ones(points, TsComplex(1)),
        minusOne(points, TsComplex(-1));
    for (const std::wstring& name : names) {
        const bool tracking = name.find(L"Tracking") != std::wstring::npos;
        const bool source11 = name == L"SourceMatch(1,1)";
        alg.SetErrorTermData(name.c_str(),
                             tracking   ? ones.data()
                             : source11 ? ones.data()
                                        : zeros.data(),
                             points);
    }
    std::vector<TsComplex> s11 = {TsComplex(0.5f), minusOne[0], TsComplex(0.5f)};
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c <= n; ++c)
            alg.SetRawData(SParam(r, c).c_str(), (r == 1 && c == 1) ? s11.data() : zeros.data());
    boost::shared_ptr<DataMatrix> out;
    ASSERT_TRUE(alg.CreateOutputContainer(out, points));
    ASSERT_TRUE(alg.ApplyCorrection(0, points, *out, 0));
    for (int k = 0; k < n * n; ++k)
        EXPECT_EQ(out->GetBuffer(k)->data[1], TsComplex::m_minus200dB) << k;
    // S11 = a / (1 + a) at the regular points.
    EXPECT_NEAR(out->GetBuffer(0)->data[0].re, 0.5 / 1.5, 1e-7);
}

}  // namespace
