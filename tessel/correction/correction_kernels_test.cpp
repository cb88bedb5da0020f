#include "tessel/correction/correction_kernels.h"

#include <array>
#include <complex>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/correction/internal/forward_error_models.h"

namespace {

using Tessel::TsComplex;
using Tessel::forward_models::Cd;
using Tessel::forward_models::NPortTerms;
using Tessel::forward_models::ToCd;
using Tessel::forward_models::ToTs;

Cd D(const TsComplex& z) {
    return ToCd(z);
}
TsComplex F(const Cd& z) {
    return ToTs(z);
}

class Rng : public Tessel::forward_models::Random {
  public:
    Rng() : Random(::testing::UnitTest::GetInstance()->random_seed()) {}
};

// Twelve error-term arrays and four raw arrays of `n` points for random devices measured
// through the two-port flow-graph model. Kernel positions of the twelve terms in the model's
// row-major (receiving port, source port) layout: leakage, match and tracking of
// (0,0), (1,1), then match, tracking and leakage of (1,0), (0,1).
struct TwoPortCase {
    std::vector<std::vector<TsComplex>> terms = std::vector<std::vector<TsComplex>>(12);
    std::vector<std::vector<TsComplex>> raw = std::vector<std::vector<TsComplex>>(4);
    std::vector<std::vector<Cd>> truth;  // S11, S12, S21, S22 per point

    TwoPortCase(int n, Rng& rng, bool crosstalk) {
        for (auto& t : terms)
            t.resize(n);
        for (auto& r : raw)
            r.resize(n);
        for (int i = 0; i < n; ++i) {
            const NPortTerms e = rng.Terms(2, crosstalk);
            const std::vector<Cd> s = rng.Device(2);
            truth.push_back(s);
            const Cd vals[12] = {e.leakage[0],  e.leakage[3],  e.match[0],   e.match[3],
                                 e.tracking[0], e.tracking[3], e.match[2],   e.match[1],
                                 e.tracking[2], e.tracking[1], e.leakage[2], e.leakage[1]};
            for (int k = 0; k < 12; ++k)
                terms[k][i] = F(vals[k]);
            const std::vector<Cd> m = e.Measure(s);
            for (int k = 0; k < 4; ++k)
                raw[k][i] = F(m[k]);
        }
    }
    std::vector<const TsComplex*> RawPtrs() const {
        std::vector<const TsComplex*> p;
        for (auto& r : raw)
            p.push_back(r.data());
        return p;
    }
    std::vector<const TsComplex*> TermPtrs() const {
        std::vector<const TsComplex*> p;
        for (auto& t : terms)
            p.push_back(t.data());
        return p;
    }
};

std::vector<TsComplex*> Ptrs(std::vector<std::vector<TsComplex>>& v) {
    std::vector<TsComplex*> p;
    for (auto& x : v)
        p.push_back(x.data());
    return p;
}

double RelErr(const TsComplex& got, const Cd& want) {
    return std::abs(D(got) - want) / std::max(1.0, std::abs(want));
}

TEST(Correct2Port, RecoversDutThroughIndependentForwardModel) {
    Rng rng;
    const int n = 64;
    for (bool crosstalk : {false, true}) {
        TwoPortCase c(n, rng, crosstalk);
        std::vector<std::vector<TsComplex>> out(4, std::vector<TsComplex>(n));
        ASSERT_EQ(Tessel::Correct2Port(c.RawPtrs(), c.TermPtrs(), 0, n, Ptrs(out)), 0);
        for (int i = 0; i < n; ++i)
            for (int k = 0; k < 4; ++k)
                EXPECT_LT(RelErr(out[k][i], c.truth[i][k]), 2e-5) << "point " << i << " k " << k;
    }
}

TEST(Correct2Port, NullCrosstalkEqualsZeroCrosstalk) {
    Rng rng;
    const int n = 32;
    TwoPortCase c(n, rng, false);  // crosstalk arrays hold zeros
    std::vector<std::vector<TsComplex>> a(4, std::vector<TsComplex>(n));
    std::vector<std::vector<TsComplex>> b(4, std::vector<TsComplex>(n));
    auto terms = c.TermPtrs();
    ASSERT_EQ(Tessel::Correct2Port(c.RawPtrs(), terms, 5, 20, Ptrs(a)), 0);
    terms[10] = nullptr;
    terms[11] = nullptr;
    ASSERT_EQ(Tessel::Correct2Port(c.RawPtrs(), terms, 5, 20, Ptrs(b)), 0);
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(a[k][i], b[k][i]);
}

TEST(Correct2Port, InPlaceAndRangeLimited) {
    Rng rng;
    const int n = 40, start = 7, stop = 31;
    TwoPortCase c(n, rng, true);
    auto raw = c.raw;  // corrected in place
    std::vector<const TsComplex*> rp;
    for (auto& r : raw)
        rp.push_back(r.data());
    ASSERT_EQ(Tessel::Correct2Port(rp, c.TermPtrs(), start, stop, Ptrs(raw)), 0);
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < n; ++i) {
            if (i < start || i >= stop)
                EXPECT_EQ(raw[k][i], c.raw[k][i]) << "point outside the range changed";
            else
                EXPECT_LT(RelErr(raw[k][i], c.truth[i][k]), 2e-5);
        }
}

TEST(Correct2Port, PerfectSystemReturnsRawData) {
    const int n = 5;
    std::vector<std::vector<TsComplex>> terms(12, std::vector<TsComplex>(n));
    for (int k : {4, 5, 8, 9})
        for (auto& v : terms[k])
            v = TsComplex(1.0f, 0.0f);
    std::vector<std::vector<TsComplex>> raw(4, std::vector<TsComplex>(n));
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < n; ++i)
            raw[k][i] = TsComplex(0.1f * (k + 1), -0.05f * i);
    std::vector<const TsComplex*> rp, tp;
    for (auto& r : raw)
        rp.push_back(r.data());
    for (auto& t : terms)
        tp.push_back(t.data());
    std::vector<std::vector<TsComplex>> out(4, std::vector<TsComplex>(n));
    ASSERT_EQ(Tessel::Correct2Port(rp, tp, 0, n, Ptrs(out)), 0);
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(out[k][i], raw[k][i]);
}

TEST(Correct2Port, ShortVectorsAreRejectedBeforeAnyWrite) {
    const int n = 3;
    std::vector<TsComplex> buf(n, TsComplex(0.5f, 0.5f));
    std::vector<TsComplex> o(n, TsComplex(7.0f, 7.0f));
    const std::vector<const TsComplex*> raw4(4, buf.data()), raw3(3, buf.data());
    const std::vector<const TsComplex*> terms12(12, buf.data()), terms11(11, buf.data());
    const std::vector<TsComplex*> out4(4, o.data()), out3(3, o.data());
    EXPECT_EQ(Tessel::Correct2Port(raw4, terms11, 0, n, out4), Tessel::kInvalidArg);
    EXPECT_EQ(Tessel::Correct2Port(raw3, terms12, 0, n, out4), Tessel::kInvalidArg);
    EXPECT_EQ(Tessel::Correct2Port(raw4, terms12, 0, n, out3), Tessel::kInvalidArg);
    for (const auto& v : o)
        EXPECT_EQ(v, TsComplex(7.0f, 7.0f));
    // Extra entries are ignored; an empty range writes nothing.
    const std::vector<const TsComplex*> terms13(13, nullptr);
    EXPECT_EQ(Tessel::Correct2Port(raw4, terms13, 2, 2, out4), 0);
    EXPECT_EQ(Tessel::Correct2Port(raw4, terms12, 3, 1, out4), 0);
    for (const auto& v : o)
        EXPECT_EQ(v, TsComplex(7.0f, 7.0f));
}

TEST(Correct1Port, RecoversReflectionAndCorrectsInPlace) {
    Rng rng;
    const int n = 50, start = 10, stop = 40;
    std::vector<TsComplex> ed(n), es(n), er(n), raw(n);
    std::vector<Cd> truth(n);
    for (int i = 0; i < n; ++i) {
        const Cd d = rng.Polar(0.01, 0.1), s = rng.Polar(0.01, 0.2), r = rng.Polar(0.5, 1.0);
        truth[i] = rng.Polar(0.0, 1.0);
        ed[i] = F(d);
        es[i] = F(s);
        er[i] = F(r);
        // One-port flow graph: the wave bounces between the source match and the load.
        raw[i] = F(d + r * truth[i] / (1.0 - s * truth[i]));
    }
    const std::vector<TsComplex> before = raw;
    ASSERT_EQ(
        Tessel::Correct1Port(raw.data(), ed.data(), es.data(), er.data(), start, stop, raw.data()),
        0);
    for (int i = 0; i < n; ++i) {
        if (i < start || i >= stop)
            EXPECT_EQ(raw[i], before[i]);
        else
            EXPECT_LT(RelErr(raw[i], truth[i]), 1e-5);
    }
}

TEST(Correct1Port, NullInputFailsBeforeAnythingElse) {
    std::vector<TsComplex> a(4, TsComplex(0.5f, 0.0f)), out(4, TsComplex(9.0f, 9.0f));
    const TsComplex* p = a.data();
    EXPECT_EQ(Tessel::Correct1Port(nullptr, p, p, p, 0, 4, out.data()), Tessel::kFail);
    EXPECT_EQ(Tessel::Correct1Port(p, nullptr, p, p, 0, 4, out.data()), Tessel::kFail);
    EXPECT_EQ(Tessel::Correct1Port(p, p, nullptr, p, 0, 4, out.data()), Tessel::kFail);
    EXPECT_EQ(Tessel::Correct1Port(p, p, p, nullptr, 2, 2, out.data()), Tessel::kFail);
    for (const auto& v : out)
        EXPECT_EQ(v, TsComplex(9.0f, 9.0f));
    EXPECT_EQ(Tessel::Correct1Port(p, p, p, p, 3, 3, nullptr), 0);
}

TEST(Correct1Port, PerfectSystemReturnsRawData) {
    std::vector<TsComplex> zero(3), one(3, TsComplex(1.0f, 0.0f));
    std::vector<TsComplex> raw = {{0.3f, -0.2f}, {-0.9f, 0.1f}, {0.0f, 0.0f}}, out(3);
    ASSERT_EQ(
        Tessel::Correct1Port(raw.data(), zero.data(), zero.data(), one.data(), 0, 3, out.data()),
        0);
    EXPECT_EQ(out, raw);
}

TEST(ResponseKernels, DivideAndSubtractOverTheRangeOnly) {
    std::vector<TsComplex> raw = {{1, 1}, {2, 0}, {0, 4}, {3, 3}};
    std::vector<TsComplex> trk = {{1, 0}, {2, 0}, {0, 2}, {1, 1}};
    std::vector<TsComplex> iso = {{0, 0}, {1, 0}, {0, 2}, {1, 1}};
    std::vector<TsComplex> out(4, TsComplex(-5, -5));
    EXPECT_EQ(Tessel::CorrectResponse(raw.data(), trk.data(), out.data(), 1, 3), 0);
    EXPECT_EQ(out[0], TsComplex(-5, -5));
    EXPECT_EQ(out[1], TsComplex(1, 0));
    EXPECT_EQ(out[2], TsComplex(2, 0));
    EXPECT_EQ(out[3], TsComplex(-5, -5));
    EXPECT_EQ(Tessel::CorrectResponseIsol(raw.data(), trk.data(), iso.data(), raw.data(), 0, 4),
              0);  // in place
    EXPECT_EQ(raw[0], TsComplex(1, 1));
    EXPECT_EQ(raw[1], TsComplex(0.5f, 0));
    EXPECT_EQ(raw[2], TsComplex(1, 0));
    EXPECT_EQ(raw[3], TsComplex(2, 0));
}

TEST(CorrectRefReceiver, RemovesSourceMatchInteraction) {
    Rng rng;
    const int n = 20;
    std::vector<TsComplex> gamma(n), raw(n), es(n), tr(n), out(n);
    std::vector<Cd> incident(n);
    for (int i = 0; i < n; ++i) {
        const Cd g = rng.Polar(0.0, 0.9), s = rng.Polar(0.01, 0.2), t = rng.Polar(0.5, 1.5);
        incident[i] = rng.Polar(0.5, 1.0);
        gamma[i] = F(g);
        es[i] = F(s);
        tr[i] = F(t);
        // The reference receiver sees the incident wave scaled by the tracking and the
        // multiple reflections between source match and load.
        raw[i] = F(t * incident[i] * (1.0 - s * g));
    }
    Tessel::CorrectRefReceiver(gamma.data(), raw.data(), es.data(), tr.data(), 0, n, out.data());
    for (int i = 0; i < n; ++i)
        EXPECT_LT(RelErr(out[i], incident[i]), 1e-5);
}

}  // namespace
