// The kernels' arithmetic on random devices is checked through NPort (one-port, twelve-term
// and in-place paths); here: what only the kernels show.
#include "tessel/correction/correction_kernels.h"

#include <climits>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/correction/internal/forward_error_models.h"

namespace {

using namespace Tessel;
using forward_models::Cd;
using forward_models::ToCd;
using forward_models::ToTs;

TEST(Correct2Port, RefusesShortVectorsAndNegativeStartsAndEmptyRangesWriteNothing) {
    const int n = 3;
    std::vector<TsComplex> buf(n, TsComplex(0.5f, 0.5f)), o(n, TsComplex(7.0f, 7.0f));
    std::vector<const TsComplex*> terms(13, buf.data());
    terms[10] = terms[11] = nullptr;  // no crosstalk: the kernel sizes its scratch array
    struct Case {
        size_t raws, terms, outs;
        int start, stop;
        long status;
    };
    for (const Case& c : {Case{4, 11, 4, 0, n, kInvalidArg}, Case{3, 12, 4, 0, n, kInvalidArg},
                          Case{4, 12, 3, 0, n, kInvalidArg}, Case{4, 12, 4, -1, n, kInvalidArg},
                          Case{4, 12, 4, -2147483647, 1, kInvalidArg}, Case{5, 13, 5, 2, 2, kOk},
                          Case{4, 12, 4, 3, 1, kOk}, Case{4, 12, 4, INT_MAX, INT_MIN, kOk}}) {
        EXPECT_EQ(Correct2Port(std::vector<const TsComplex*>(c.raws, buf.data()),
                               {terms.begin(), terms.begin() + c.terms}, c.start, c.stop,
                               std::vector<TsComplex*>(c.outs, o.data())),
                  c.status)
            << c.raws << " " << c.terms << " " << c.outs << " " << c.start;
        EXPECT_EQ(o, std::vector<TsComplex>(n, TsComplex(7.0f, 7.0f)));
    }
}

// One-port flow graph: the reflection receiver reads ED + ER·Γ / (1 − ES·Γ); the reference
// receiver reads the incident wave a through its tracking and the multiple reflections between
// source match and load, RT·a·(1 − ES·Γ).
TEST(Correct1Port, RecoversReflectionInPlaceAndTheRefReceiverTheIncidentWave) {
    forward_models::Random rng(::testing::UnitTest::GetInstance()->random_seed());
    const int n = 50, start = 10, stop = 40;
    std::vector<TsComplex> ed(n), es(n), er(n), rt(n), raw(n), ref(n), out(n, TsComplex(3));
    std::vector<Cd> gamma(n), incident(n);
    for (int i = 0; i < n; ++i) {
        const Cd d = rng.Polar(0.01, 0.1), s = rng.Polar(0.01, 0.2), r = rng.Polar(0.5, 1.0);
        const Cd t = rng.Polar(0.5, 1.5), g = gamma[i] = rng.Polar(0.0, 0.9);
        incident[i] = rng.Polar(0.5, 1.0);
        ed[i] = ToTs(d), es[i] = ToTs(s), er[i] = ToTs(r), rt[i] = ToTs(t);
        raw[i] = ToTs(d + r * g / (1.0 - s * g));
        ref[i] = ToTs(t * incident[i] * (1.0 - s * g));
    }
    const std::vector<TsComplex> before = raw;
    const TsComplex* p = raw.data();
    for (const auto& [a, b, c, d] : {std::tuple{(const TsComplex*)nullptr, p, p, p},
                                     std::tuple{p, (const TsComplex*)nullptr, p, p},
                                     std::tuple{p, p, (const TsComplex*)nullptr, p},
                                     std::tuple{p, p, p, (const TsComplex*)nullptr}}) {
        EXPECT_EQ(Correct1Port(a, b, c, d, start, stop, out.data()), kFail);
        EXPECT_EQ(Correct1Port(a, b, c, d, 2, 2, out.data()), kFail);  // even for no points
    }
    EXPECT_EQ(out, std::vector<TsComplex>(n, TsComplex(3)));
    ASSERT_EQ(Correct1Port(p, ed.data(), es.data(), er.data(), start, stop, raw.data()), 0);
    CorrectRefReceiver(p, ref.data(), es.data(), rt.data(), start, stop, out.data());
    for (int i = 0; i < n; ++i) {
        const bool inside = i >= start && i < stop;
        EXPECT_TRUE(inside || (raw[i] == before[i] && out[i] == TsComplex(3))) << i;
        EXPECT_TRUE(!inside || std::abs(ToCd(raw[i]) - gamma[i]) < 1e-5) << i;
        EXPECT_TRUE(!inside || std::abs(ToCd(out[i]) - incident[i]) < 1e-5) << i;
    }
}

}  // namespace
