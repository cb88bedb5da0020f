#include "tessel/correction/correction_kernels.h"

#include <array>
#include <complex>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace {

using Tessel::TsComplex;
using Cd = std::complex<double>;

Cd D(const TsComplex& z) {
    return {z.re, z.im};
}
TsComplex F(const Cd& z) {
    return TsComplex(float(z.real()), float(z.imag()));
}

class Rng {
  public:
    Rng() : gen_(::testing::UnitTest::GetInstance()->random_seed()) {}
    // A complex value of magnitude in [lo, hi) and random phase.
    Cd Polar(double lo, double hi) {
        return std::polar(std::uniform_real_distribution<double>(lo, hi)(gen_),
                          std::uniform_real_distribution<double>(-M_PI, M_PI)(gen_));
    }

  private:
    std::mt19937 gen_;
};

// Solves A·x = b (n×n, row-major) by Gaussian elimination with partial pivoting, in double.
std::vector<Cd> Solve(std::vector<Cd> a, std::vector<Cd> b) {
    const size_t n = b.size();
    for (size_t k = 0; k < n; ++k) {
        size_t p = k;
        for (size_t r = k + 1; r < n; ++r)
            if (std::abs(a[r * n + k]) > std::abs(a[p * n + k]))
                p = r;
        for (size_t c = 0; c < n; ++c)
            std::swap(a[k * n + c], a[p * n + c]);
        std::swap(b[k], b[p]);
        for (size_t r = k + 1; r < n; ++r) {
            const Cd f = a[r * n + k] / a[k * n + k];
            for (size_t c = k; c < n; ++c)
                a[r * n + c] -= f * a[k * n + c];
            b[r] -= f * b[k];
        }
    }
    std::vector<Cd> x(n);
    for (size_t k = n; k-- > 0;) {
        Cd s = b[k];
        for (size_t c = k + 1; c < n; ++c)
            s -= a[k * n + c] * x[c];
        x[k] = s / a[k * n + k];
    }
    return x;
}

// The twelve error terms of one frequency point, in the kernel's vector order.
struct TwelveTerms {
    Cd ed[2], es[2], er[2], el[2], et[2], ex[2];  // [0] forward, [1] reverse
};

// Measures a two-port DUT through a twelve-term error model by solving the signal-flow graph
// as linear equations in the four waves at the DUT ports, one direction at a time. The source
// error box has directivity ed, source match es and tracking er (split as er·1); the receiving
// port sees the load match el and couples the transmitted wave with tracking et; crosstalk ex
// adds the leakage path. Returns S11m, S12m, S21m, S22m.
std::array<Cd, 4> Measure(const std::array<Cd, 4>& s, const TwelveTerms& e) {
    const Cd s11 = s[0], s12 = s[1], s21 = s[2], s22 = s[3];
    std::array<Cd, 4> m;
    for (int dir = 0; dir < 2; ++dir) {
        // Unknowns: a (into driven port), b (out of driven port), c (out of other port),
        // d (into other port). Driven port is 1 forward, 2 reverse.
        const Cd sdd = dir == 0 ? s11 : s22, sdo = dir == 0 ? s12 : s21;
        const Cd sod = dir == 0 ? s21 : s12, soo = dir == 0 ? s22 : s11;
        std::vector<Cd> a = {1.0,  -e.es[dir], 0.0,        0.0,   // a = 1 + es·b
                             -sdd, 1.0,        0.0,        -sdo,  // b = Sdd·a + Sdo·d
                             -sod, 0.0,        1.0,        -soo,  // c = Sod·a + Soo·d
                             0.0,  0.0,        -e.el[dir], 1.0};  // d = el·c
        const std::vector<Cd> w = Solve(a, {1.0, 0.0, 0.0, 0.0});
        const Cd refl = e.ed[dir] + e.er[dir] * w[1];
        const Cd trans = e.ex[dir] + e.et[dir] * w[2];
        if (dir == 0) {
            m[0] = refl;
            m[2] = trans;
        } else {
            m[3] = refl;
            m[1] = trans;
        }
    }
    return m;
}

// Twelve error-term arrays and four raw arrays of `n` points for random DUTs.
struct TwoPortCase {
    std::vector<std::vector<TsComplex>> terms = std::vector<std::vector<TsComplex>>(12);
    std::vector<std::vector<TsComplex>> raw = std::vector<std::vector<TsComplex>>(4);
    std::vector<std::array<Cd, 4>> truth;

    TwoPortCase(int n, Rng& rng, bool crosstalk) {
        for (auto& t : terms)
            t.resize(n);
        for (auto& r : raw)
            r.resize(n);
        for (int i = 0; i < n; ++i) {
            TwelveTerms e;
            for (int d = 0; d < 2; ++d) {
                e.ed[d] = rng.Polar(0.01, 0.1);
                e.es[d] = rng.Polar(0.01, 0.2);
                e.er[d] = rng.Polar(0.5, 1.0);
                e.el[d] = rng.Polar(0.01, 0.2);
                e.et[d] = rng.Polar(0.5, 1.0);
                e.ex[d] = crosstalk ? rng.Polar(1e-4, 1e-3) : 0.0;
            }
            const std::array<Cd, 4> s = {rng.Polar(0.0, 0.9), rng.Polar(0.1, 1.0),
                                         rng.Polar(0.1, 1.0), rng.Polar(0.0, 0.9)};
            truth.push_back(s);
            const Cd vals[12] = {e.ed[0], e.ed[1], e.es[0], e.es[1], e.er[0], e.er[1],
                                 e.el[0], e.el[1], e.et[0], e.et[1], e.ex[0], e.ex[1]};
            for (int k = 0; k < 12; ++k)
                terms[k][i] = F(vals[k]);
            const std::array<Cd, 4> m = Measure(s, e);
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
