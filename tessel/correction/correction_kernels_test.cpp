// SPDX-License-Identifier: Apache-2.0
// The kernels' arithmetic on random devices is checked through NPort (one-port, twelve-term
// and in-place paths); here: what only the kernels show.
#include "tessel/correction/correction_kernels.h"

#include <climits>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/correction/internal/forward_error_models.h"
#include "tessel/correction/internal/two_port_kernel.h"

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

// The twelve-term formula point by point with the scalar TsComplex operators.
TsComplex Reference(const std::vector<std::vector<TsComplex>>& a, int i, int which) {
    auto at = [&](int k) { return a[k][i]; };  // 0-3 raw S11 S12 S21 S22, 4-15 error terms
    const TsComplex one(1.0f), x = (at(0) - at(4)) / at(8), y = (at(2) - at(14)) / at(12);
    const TsComplex z = (at(1) - at(15)) / at(13), w = (at(3) - at(5)) / at(9);
    const TsComplex d1 = one + at(6) * x, d2 = one + at(7) * w, l = at(10) * y, r = at(11) * z;
    const TsComplex inv = one / (d1 * d2 - l * r);
    const TsComplex num[4] = {x * d2 - l * z, z * d1 - r * x, y * d2 - l * w, w * d1 - r * y};
    return num[which] * inv;
}

bool SameValue(const TsComplex& x, const TsComplex& y) {
    auto same = [](float p, float q) { return p == q || (std::isnan(p) && std::isnan(q)); };
    return same(x.re, y.re) && same(x.im, y.im);
}

// Every instruction-set variant the processor runs, on ranges shorter than a block, ending at
// and inside a block, and spanning several groups of blocks, out of place and in place, against
// the scalar formula bit for bit; the ranges over the whole arrays are long enough to be
// corrected with prefetching. A few points carry a zero tracking term, a zero determinant or
// huge values.
TEST(TwoPortKernel, EveryVariantMatchesTheScalarFormulaOnEveryRangeAndInPlace) {
    forward_models::Random rng(::testing::UnitTest::GetInstance()->random_seed());
    const int n = static_cast<int>(internal::kTwoPortPrefetchFrom) + 45;
    std::vector<std::vector<TsComplex>> in(16, std::vector<TsComplex>(n));
    for (auto& array : in)
        for (auto& v : array)
            v = ToTs(rng.Polar(0.05, 1.5));
    in[8][20] = TsComplex();  // forward reflection tracking 0
    // Point 41: a = d = 0, b = c = 1 and both load matches 1, so the determinant is 0.
    in[0][41] = in[4][41], in[3][41] = in[5][41];
    for (int k : {1, 2, 10, 11, 12, 13})
        in[k][41] = TsComplex(1.0f);
    in[14][41] = in[15][41] = TsComplex();
    in[12][62] = TsComplex(3e38f, -3e38f);   // an overflowing intermediate
    in[0][63] = TsComplex(-1e-40f, 2e-41f);  // a denormal raw value
    std::vector<std::vector<TsComplex>> ref(4, std::vector<TsComplex>(n));
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < n; ++i)
            ref[k][i] = Reference(in, i, k);
    const std::vector<TsComplex> sentinel(n, TsComplex(-7.0f, 7.0f));
    const int kInPlace[4] = {0, 2, 1, 3};  // in place, S12 goes into S21's raw array and back
    const auto variants = internal::SupportedTwoPortKernels();
    ASSERT_STREQ(variants.front().name, "baseline");
    for (const auto& variant : variants) {
        for (const auto& [start, stop] :
             {std::pair{0, 0}, std::pair{0, 1}, std::pair{5, 8}, std::pair{3, 19},
              std::pair{17, 33}, std::pair{0, n}, std::pair{2, n}, std::pair{n - 1, n}}) {
            for (const bool inPlace : {false, true}) {
                std::vector<std::vector<TsComplex>> data = in, out(4, sentinel);
                internal::TwoPortArrays arrays;
                for (int k = 0; k < 16; ++k)
                    (k < 4 ? arrays.raw[k] : arrays.terms[k - 4]) = data[k].data() + start;
                for (int k = 0; k < 4; ++k)
                    arrays.out[k] = (inPlace ? data[kInPlace[k]] : out[k]).data() + start;
                variant.kernel(arrays, static_cast<size_t>(stop - start));
                for (int k = 0; k < 4; ++k) {
                    const TsComplex* got = arrays.out[k] - start;
                    for (int i = 0; i < n; ++i) {
                        const bool inside = i >= start && i < stop;
                        const TsComplex want = inside    ? ref[k][i]
                                               : inPlace ? in[kInPlace[k]][i]
                                                         : sentinel[i];
                        ASSERT_TRUE(SameValue(got[i], want))
                            << variant.name << " [" << start << ", " << stop << ") in place "
                            << inPlace << " out " << k << " point " << i << ": " << got[i].re << " "
                            << got[i].im << " want " << want.re << " " << want.im;
                    }
                }
            }
        }
    }
}

}  // namespace
