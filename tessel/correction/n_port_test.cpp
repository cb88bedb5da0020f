// SPDX-License-Identifier: Apache-2.0
#include "tessel/correction/n_port.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/os/heap_block_size.h"
#include "tessel/correction/internal/allocation_counter.h"
#include "tessel/correction/internal/block_solver.h"
#include "tessel/correction/internal/forward_error_models.h"
#include "tessel/correction/internal/matrix_correction.h"
#include "tessel/network/matrix_element.h"

namespace {

using namespace Tessel;
namespace fm = Tessel::forward_models;
using fm::Cd;
using Ports = std::vector<int>;
using Names = std::vector<std::wstring>;
using Out = boost::shared_ptr<DataMatrix>;
using Arrays = std::vector<std::vector<TsComplex>>;

Ports FirstPorts(int n) {
    Ports p(n);
    std::iota(p.begin(), p.end(), 1);
    return p;
}

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
    Names names, twelve;
    std::wstring name, calType;
    ASSERT_TRUE(two.GetRawNames(names) && two.GetCalType(calType));
    EXPECT_EQ(names, (Names{L"S11", L"S12", L"S21", L"S22"}));
    EXPECT_EQ(calType + std::to_wstring(two.ResultCount()), L"2-Port4");
    ASSERT_TRUE(two.GetErrorTermNames(names) && two.GetNextErrorTermName(name));
    EXPECT_EQ(name, L"Directivity(1,1)");  // the listing restarts the cursor
    const std::vector<TsComplex> data(3);
    EXPECT_TRUE(two.SetRawData(L"S1", data.data()));  // S11 is the first match
    EXPECT_EQ(two.GetRawData(L"S11"), data.data());
    EXPECT_FALSE(two.SetRawData(L"S33", data.data()));
    EXPECT_FALSE(two.IsParameterCorrectable(L"S1"));  // exact comparison
    EXPECT_TRUE(two.IsParameterCorrectable(L"S12"));
    NPort copy = two;  // copies share the set-up
    copy.SetBothSourcesAreOn(true);
    EXPECT_TRUE(two.GetBothSourcesAreOn());
    Ports desc = FirstPorts(12);
    std::reverse(desc.begin(), desc.end());
    NPort(12, desc).GetRawNames(twelve);
    ASSERT_EQ(twelve.size(), 144u);
    EXPECT_EQ(twelve[8] + twelve[9] + twelve[9 * 12], L"S19S1_10S10_1");
    EXPECT_FALSE(NPort(0, {}).GetCalType(name));
    EXPECT_THROW(NPort(3, {1, 2}), std::invalid_argument);
}

// The one-port kernel, the twelve-term kernel and the matrix solution each recover random
// devices over a sub-range, with crosstalk given or left unset (then it counts as zero), and
// return the raw data exactly for perfect terms (on two ports with both sources on). With
// crosstalk, the output buffers point at the host's own arrays, which also hold the raw data:
// the correction writes through those pointers, in place. Once its work space is sized, the
// matrix path allocates nothing per point.
TEST_F(NPortTest, RecoversDevicesThroughTheErrorModelOnEveryPath) {
    enum Mode { kNoCrosstalk, kCrosstalk, kPerfect };
    for (const Ports& ports :
         {Ports{3}, Ports{1, 2}, Ports{1, 2, 3}, Ports{1, 3, 4, 12}, FirstPorts(8)})
        for (const Mode mode : {kNoCrosstalk, kCrosstalk, kPerfect}) {
            const int n = int(ports.size());
            fm::Sweep s(ports, 64);
            for (int i = 0; i < s.points; ++i) {
                const fm::NPortTerms t =
                    mode == kPerfect ? fm::NPortTerms(n) : rng_.Terms(n, mode == kCrosstalk);
                s.SetPoint(i, t, t, rng_.Device(n));
            }
            NPort alg(n, Ports(ports.rbegin(), ports.rend()));
            ASSERT_TRUE(s.Load(alg, mode != kNoCrosstalk));
            alg.SetBothSourcesAreOn(mode == kPerfect && n == 2);
            ASSERT_TRUE(alg.SetAuxNameByName(fm::SName(ports[n - 1], ports[0]).c_str(), L"T7"));
            Out out;
            ASSERT_TRUE(alg.CreateOutputContainer(out, s.points));
            Arrays host = s.raw;  // the host's arrays: raw data in, corrected data out
            for (int k = 0; mode == kCrosstalk && k < n * n; ++k) {
                (*out)(k / n, k % n)->data = host[k].data();
                alg.SetRawData(fm::SName(ports[k / n], ports[k % n]).c_str(), host[k].data());
            }
            ASSERT_TRUE(alg.ApplyCorrection(5, 60, *out, 0)) << n << mode;
            const long allocations = testing_support::AllocationCount();
            if (mode != kCrosstalk) {  // again, now that the work space is sized
                ASSERT_TRUE(alg.ApplyCorrection(5, 60, *out, 0));
                EXPECT_TRUE(n < 3 || testing_support::AllocationCount() == allocations) << n;
            }
            EXPECT_TRUE(n < 3 || (*out)(n - 1, 0)->auxName == L"T7");  // handed on for N > 2
            EXPECT_LT(s.WorstError(*out, 5, 60), 1e-5) << n << mode;
            for (int k = 0; k < n * n; ++k) {
                const TsComplex* got = (*out)(k / n, k % n)->data;
                for (const int i : {4, 60})  // outside the range
                    EXPECT_EQ(got[i], mode == kCrosstalk ? s.raw[k][i] : TsComplex()) << i;
                for (int i = 5; mode == kPerfect && i < 60; ++i)
                    ASSERT_EQ(got[i], s.raw[k][i]) << n << " " << k;
            }
            EXPECT_EQ(out->GetValidIndex(), 60);
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
    fm::Sweep on({1, 2}, points);
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
        on.SetPoint(i, twelve, bothOn, rng_.Device(2));
    }
    NPort alg(2, {1, 2});
    ASSERT_TRUE(on.Load(alg));
    alg.SetBothSourcesAreOn(true);
    Out out = Correct(alg, points, 0, points);
    ASSERT_TRUE(out);
    EXPECT_LT(on.WorstError(*out, 0, points), 1e-5);
    alg.SetBothSourcesAreOn(false);  // the twelve-term correction misses the device
    ASSERT_TRUE(alg.ApplyCorrection(0, points, *out, 0));
    EXPECT_GT(on.WorstError(*out, 0, points), 1e-3);
}

// The one-port path always answers true and sets the valid index, writing nothing where it
// cannot; the others refuse without writing.
TEST_F(NPortTest, RefusesBadSetUpsAndArraysTheHeapKnowsAreShortWithoutWriting) {
    EXPECT_TRUE(GetEnableDebugSizeChecks());  // on from load
    for (const int n : {1, 2, 3}) {
        fm::Sweep s(FirstPorts(n), 10);
        s.FillRandom(rng_, true);
        NPort alg(n, s.ports);
        Out out;
        ASSERT_TRUE(alg.CreateOutputContainer(out, s.points));
        EXPECT_EQ(alg.ApplyCorrection(0, 10, *out, 0), n == 1) << n;  // nothing set
        ASSERT_TRUE(s.Load(alg));
        DataMatrix small(n - 1, FirstPorts(n - 1), 10), three({L"S11", L"S12", L"S21"}, 10);
        DataMatrix shortOne(n, s.ports, 9);
        for (const auto& [start, stop, m] : {std::tuple{0, 11, out.get()},
                                             {-1, 10, out.get()},
                                             {0, 10, &small},
                                             {0, 10, &three},
                                             {0, 10, &shortOne}}) {
            if (n == 1 && m == &three)
                continue;  // a valid one-port output
            m->SetValidIndex(0);
            EXPECT_EQ(alg.ApplyCorrection(start, stop, *m, 0), n == 1) << n << " " << stop;
            EXPECT_EQ(m->GetValidIndex(), n == 1 ? std::min(stop, m->PointCount()) : 0) << n;
        }
        EXPECT_TRUE(Untouched(*out) && Untouched(small) && Untouched(three) && Untouched(shortOne))
            << n;
        if (n == 3) {  // the matrix path checks the heap block sizes of its arrays
            auto* tracked = static_cast<TsComplex*>(HostOs::TrackedAlloc(9 * sizeof(TsComplex)));
            std::copy_n(s.raw[0].begin(), 9, tracked);
            ASSERT_TRUE(alg.SetRawData(L"S11", tracked));
            EXPECT_FALSE(alg.ApplyCorrection(0, 10, *out, 0));
            EXPECT_TRUE(Untouched(*out));
            EXPECT_TRUE(alg.ApplyCorrection(0, 9, *out, 0));
            EXPECT_LT(s.WorstError(*out, 0, 9), 1e-5);
            HostOs::TrackedFree(tracked);
        }
    }
}

TEST(NPort, SingularPointGetsTheMissingDataMarker) {
    // Perfect terms but source match 1 at port 1, and raw S11 of 0.5, −1, 0.5 with everything
    // else 0: B(0,0) = 1 + S11 is zero at point 1, where B is singular.
    fm::Sweep s(FirstPorts(3), 3);
    for (int i = 0; i < 3; ++i)
        s.SetPoint(i, fm::NPortTerms(3), fm::NPortTerms(3), std::vector<Cd>(9));
    s.match[0].assign(3, TsComplex(1));
    s.raw[0] = {TsComplex(0.5f), TsComplex(-1), TsComplex(0.5f)};
    NPort alg(3, s.ports);
    ASSERT_TRUE(s.Load(alg));
    const Out out = Correct(alg, 3, 0, 3);
    ASSERT_TRUE(out);
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(out->GetBuffer(k)->data[1], TsComplex::m_minus200dB) << k;
    EXPECT_NEAR(out->GetBuffer(0)->data[0].re, 0.5 / 1.5, 1e-7);  // S11 = a / (1 + a) elsewhere
}

// Each kernel variant the processor runs gives the baseline variant's results bit for bit, and
// the baseline gives the per-point scalar solution (inverse from the LU factors, then product)
// within float rounding, failing exactly the points the scalar fails. Points cycle through: random
// terms with a row-shifted, diagonally dominant B, so that pivot rows differ from point to point;
// perfect terms, every match 1 (B = I + raw), and a shifted permutation whose one entry δ lies
// just above or just below the pivot threshold, in the last column or another; random terms with
// a NaN sample.
TEST_F(NPortTest, KernelVariantsMatchTheScalarSolutionAndItsPivotRule) {
    using internal::SolverIsa;
    const float above = float(techsoft::kSingularPivot) * 1.0001f;
    const float below = float(techsoft::kSingularPivot) * 0.9999f;
    const auto pointers = [](auto& arrays) {
        std::vector<decltype(arrays[0].data())> p;
        for (auto& a : arrays)
            p.push_back(a.data());
        return p;
    };
    for (const int n : {3, 4, 5, 8}) {
        const int points = 45, nn = n * n;
        fm::Sweep s(FirstPorts(n), points);
        for (int i = 0; i < points; ++i) {
            const int kind = i % 4, shift = 1 + i % (n - 1), row = (i / 4) % n;
            const bool dense = kind == 0 || kind == 3;
            for (int r = 0; r < n; ++r)
                for (int c = 0; c < n; ++c) {
                    const int k = r * n + c;
                    const Cd d = dense ? rng_.Polar(0.01, 0.1) : 0.0,
                             t = dense ? rng_.Polar(0.5, 1.0) : 1.0,
                             e = dense ? rng_.Polar(0.5, 1.0) : 1.0;
                    Cd b = (r + shift) % n == c ? 1.0 : 0.0;
                    if (dense)
                        b += rng_.Polar(0.0, 0.5 / n);
                    else if (r == row)
                        b *= kind == 1 ? above : below;
                    s.leak[k][i] = fm::ToTs(d);
                    s.track[k][i] = fm::ToTs(t);
                    s.match[k][i] = fm::ToTs(e);
                    s.raw[k][i] = fm::ToTs(d + t * (b - (r == c ? 1.0 : 0.0)) / e);
                }
            if (kind == 3)
                s.raw[i % nn][i].im = NAN;
        }
        const auto leak = pointers(s.leak), track = pointers(s.track), match = pointers(s.match),
                   raw = pointers(s.raw);
        Arrays ref(nn, std::vector<TsComplex>(points)), base = ref, got = ref;
        internal::MatrixCorrection(n).Run(leak.data(), track.data(), match.data(), raw.data(),
                                          pointers(ref).data(), 0, points);
        for (const SolverIsa isa : {SolverIsa::kBaseline, SolverIsa::kAvx2, SolverIsa::kAvx512}) {
            if (!internal::CpuRuns(isa))
                continue;
            internal::BlockSolver(n).Run(isa, leak.data(), track.data(), match.data(), raw.data(),
                                         pointers(got).data(), 0, points);
            if (isa == SolverIsa::kBaseline)
                base = got;
            for (int k = 0; k < nn; ++k)
                EXPECT_EQ(std::memcmp(got[k].data(), base[k].data(), points * sizeof(TsComplex)), 0)
                    << n << " variant " << int(isa);
        }
        for (int i = 0; i < points; ++i) {
            const bool failed = ref[0][i] == TsComplex::m_minus200dB;
            EXPECT_TRUE(i % 4 == 0 || i % 4 == 3 || failed == (i % 4 == 2)) << n << " " << i;
            for (int k = 0; k < nn; ++k) {
                const Cd want = fm::ToCd(ref[k][i]), have = fm::ToCd(base[k][i]);
                EXPECT_EQ(base[k][i] == TsComplex::m_minus200dB, failed) << n << " " << i;
                EXPECT_TRUE(std::isnan(std::abs(want))
                                ? std::isnan(std::abs(have))
                                : std::abs(have - want) <= 1e-5 * std::max(1.0, std::abs(want)))
                    << n << " " << i << " " << k;
            }
        }
    }
}

}  // namespace
