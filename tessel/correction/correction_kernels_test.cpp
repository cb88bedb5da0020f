#include "tessel/correction/correction_kernels.h"

#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/correction/internal/forward_error_models.h"

namespace {

using namespace Tessel;
using forward_models::Cd;
using forward_models::ToCd;
using forward_models::ToTs;
using Arrays = std::vector<std::vector<TsComplex>>;

struct Rng : forward_models::Random {
    Rng() : Random(::testing::UnitTest::GetInstance()->random_seed()) {}
};

template <class P = const TsComplex*>
std::vector<P> Ptrs(Arrays& v) {
    std::vector<P> p;
    for (auto& x : v)
        p.push_back(x.data());
    return p;
}

double RelErr(const TsComplex& got, const Cd& want) {
    return std::abs(ToCd(got) - want) / std::max(1.0, std::abs(want));
}

// Random devices measured through the two-port flow-graph model, corrected in place.
TEST(Correct2Port, RecoversDevicesInPlaceOverTheRangeAndNullCrosstalkMeansNone) {
    Rng rng;
    const int n = 40, start = 7, stop = 31;
    for (const bool crosstalk : {false, true}) {
        Arrays terms(12, std::vector<TsComplex>(n)), raw(4, std::vector<TsComplex>(n));
        std::vector<std::vector<Cd>> truth;  // S11, S12, S21, S22 per point
        for (int i = 0; i < n; ++i) {
            const forward_models::NPortTerms e = rng.Terms(2, crosstalk);
            truth.push_back(rng.Device(2));
            // Kernel position k holds term kIndex[k] (row-major receiving, source port) of
            // the model's leakage (L), match (M) or tracking (T).
            const std::vector<Cd>*L = &e.leakage, *M = &e.match, *T = &e.tracking;
            const std::pair<const std::vector<Cd>*, int> kIndex[12] = {
                {L, 0}, {L, 3}, {M, 0}, {M, 3}, {T, 0}, {T, 3},
                {M, 2}, {M, 1}, {T, 2}, {T, 1}, {L, 2}, {L, 1}};
            for (int k = 0; k < 12; ++k)
                terms[k][i] = ToTs((*kIndex[k].first)[kIndex[k].second]);
            const std::vector<Cd> m = e.Measure(truth.back());
            for (int k = 0; k < 4; ++k)
                raw[k][i] = ToTs(m[k]);
        }
        Arrays out = raw;
        ASSERT_EQ(Correct2Port(Ptrs(out), Ptrs(terms), start, stop, Ptrs<TsComplex*>(out)), 0);
        for (int k = 0; k < 4; ++k)
            for (int i = 0; i < n; ++i) {
                if (i < start || i >= stop)
                    EXPECT_EQ(out[k][i], raw[k][i]) << "point outside the range changed";
                else
                    EXPECT_LT(RelErr(out[k][i], truth[i][k]), 2e-5) << i << " " << k;
            }
        if (!crosstalk) {  // null crosstalk equals the zero arrays of this case
            auto noCrosstalk = Ptrs(terms);
            noCrosstalk[10] = noCrosstalk[11] = nullptr;
            Arrays out2 = raw;
            ASSERT_EQ(Correct2Port(Ptrs(raw), noCrosstalk, start, stop, Ptrs<TsComplex*>(out2)), 0);
            EXPECT_EQ(out2, out);
        }
    }
}

TEST(Correct2Port, ShortVectorsAreRejectedBeforeAnyWrite) {
    const int n = 3;
    std::vector<TsComplex> buf(n, TsComplex(0.5f, 0.5f)), o(n, TsComplex(7.0f, 7.0f));
    const std::vector<const TsComplex*> raw4(4, buf.data()), raw3(3, buf.data());
    const std::vector<const TsComplex*> terms12(12, buf.data()), terms11(11, buf.data());
    const std::vector<TsComplex*> out4(4, o.data()), out3(3, o.data());
    EXPECT_EQ(Correct2Port(raw4, terms11, 0, n, out4), kInvalidArg);
    EXPECT_EQ(Correct2Port(raw3, terms12, 0, n, out4), kInvalidArg);
    EXPECT_EQ(Correct2Port(raw4, terms12, 0, n, out3), kInvalidArg);
    // Extra entries are ignored; an empty range writes nothing.
    EXPECT_EQ(Correct2Port(raw4, std::vector<const TsComplex*>(13, nullptr), 2, 2, out4), 0);
    EXPECT_EQ(Correct2Port(raw4, terms12, 3, 1, out4), 0);
    EXPECT_EQ(o, std::vector<TsComplex>(n, TsComplex(7.0f, 7.0f)));
}

// One-port flow graph: the reflection receiver reads ED + ER·Γ / (1 − ES·Γ); the reference
// receiver reads the incident wave a through its tracking and the multiple reflections between
// source match and load, RT·a·(1 − ES·Γ).
TEST(Correct1Port, RecoversReflectionInPlaceAndTheRefReceiverTheIncidentWave) {
    Rng rng;
    const int n = 50, start = 10, stop = 40;
    std::vector<TsComplex> ed(n), es(n), er(n), rt(n), raw(n), ref(n), out(n, TsComplex(3));
    std::vector<Cd> gamma(n), incident(n);
    for (int i = 0; i < n; ++i) {
        const Cd d = rng.Polar(0.01, 0.1), s = rng.Polar(0.01, 0.2), r = rng.Polar(0.5, 1.0);
        const Cd t = rng.Polar(0.5, 1.5), g = gamma[i] = rng.Polar(0.0, 0.9);
        incident[i] = rng.Polar(0.5, 1.0);
        ed[i] = ToTs(d);
        es[i] = ToTs(s);
        er[i] = ToTs(r);
        rt[i] = ToTs(t);
        raw[i] = ToTs(d + r * g / (1.0 - s * g));
        ref[i] = ToTs(t * incident[i] * (1.0 - s * g));
    }
    const std::vector<TsComplex> before = raw;
    ASSERT_EQ(Correct1Port(raw.data(), ed.data(), es.data(), er.data(), start, stop, raw.data()),
              0);
    CorrectRefReceiver(raw.data(), ref.data(), es.data(), rt.data(), start, stop, out.data());
    for (int i = 0; i < n; ++i) {
        if (i < start || i >= stop) {
            EXPECT_EQ(raw[i], before[i]);
            EXPECT_EQ(out[i], TsComplex(3));
        } else {
            EXPECT_LT(RelErr(raw[i], gamma[i]), 1e-5);
            EXPECT_LT(RelErr(out[i], incident[i]), 1e-5);
        }
    }
}

TEST(Correct1Port, NullInputFailsBeforeAnythingElse) {
    std::vector<TsComplex> a(4, TsComplex(0.5f, 0.0f)), out(4, TsComplex(9.0f, 9.0f));
    const TsComplex* p = a.data();
    EXPECT_EQ(Correct1Port(nullptr, p, p, p, 0, 4, out.data()), kFail);
    EXPECT_EQ(Correct1Port(p, nullptr, p, p, 0, 4, out.data()), kFail);
    EXPECT_EQ(Correct1Port(p, p, nullptr, p, 0, 4, out.data()), kFail);
    EXPECT_EQ(Correct1Port(p, p, p, nullptr, 2, 2, out.data()), kFail);  // even for no points
    EXPECT_EQ(out, std::vector<TsComplex>(4, TsComplex(9.0f, 9.0f)));
    EXPECT_EQ(Correct1Port(p, p, p, p, 3, 3, nullptr), 0);
}

}  // namespace
