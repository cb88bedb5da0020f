// SPDX-License-Identifier: Apache-2.0
#include "tessel/calibration/calibration.h"

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/measutil/eterm_names.h"
#include "tessel/correction/enhanced_response.h"
#include "tessel/correction/internal/forward_error_models.h"
#include "tessel/correction/n_port.h"
#include "tessel/correction/response.h"

namespace {

using namespace Tessel;
namespace fm = Tessel::forward_models;
using fm::Cd;
using Method = TwoPortMethod;
constexpr double kTwoPi = 2.0 * M_PI;
constexpr int kPoints = 41;

// A test set built from two error boxes and the receivers' switch terms, every term drifting
// with frequency. Its twelve terms: the idle port is its box terminated by its receivers.
struct TestSet {
    std::vector<double> f;
    std::vector<fm::NPortTerms> terms;
    std::vector<Cd> gf, gr;
    std::mt19937 noiseGen{7};
    double noise = 0.0;

    explicit TestSet(bool crosstalk) {
        fm::Random rnd(11);
        std::vector<std::pair<Cd, double>> base;  // value and drift delay of each quantity
        const double lo[] = {0.01, 0.01, 0.5, 0.01, 0.01, 0.5, 0.5, 0.01, 0.01, 1e-4, 1e-4};
        const double hi[] = {0.1, 0.2, 1.0, 0.1, 0.2, 1.0, 1.0, 0.2, 0.2, 1e-3, 1e-3};
        for (int k = 0; k < 11; ++k)
            base.push_back({rnd.Polar(lo[k], hi[k]), 1e-10 * (k % 4)});
        for (int i = 0; i < kPoints; ++i) {
            f.push_back(1e9 + 9e9 * i / (kPoints - 1));
            Cd v[11];
            for (int k = 0; k < 11; ++k)
                v[k] = base[k].first * std::polar(1.0, -kTwoPi * f[i] * base[k].second);
            const Cd e00 = v[0], e11 = v[1], er1 = v[2], e33 = v[3], e22 = v[4], er2 = v[5],
                     e10e32 = v[6];
            gf.push_back(v[7]);
            gr.push_back(v[8]);
            fm::NPortTerms t(2);
            t.leakage = {e00, crosstalk ? v[10] : 0.0, crosstalk ? v[9] : 0.0, e33};
            t.match = {e11, e11 + er1 * v[8] / (1.0 - e00 * v[8]),
                       e22 + er2 * v[7] / (1.0 - e33 * v[7]), e22};
            t.tracking = {er1, er1 * er2 / e10e32 / (1.0 - e00 * v[8]), e10e32 / (1.0 - e33 * v[7]),
                          er2};
            terms.push_back(t);
        }
    }
    TsComplex Noisy(Cd z) {
        std::normal_distribution<double> n(0.0, noise / std::sqrt(2.0));
        return fm::ToTs(z + Cd(n(noiseGen), n(noiseGen)));
    }
    // Raws of a standard alone on ports a and b (1-based; a == b for a reflection).
    std::vector<TsComplex> Measure(const CalStandard& s, int a, int b, int i) {
        const SParams2 sp = s.SParameters(i, f[i], 50.0);
        const int n = terms[i].n, ka = (a - 1) * (n + 1), kb = (b - 1) * (n + 1);
        std::vector<Cd> dev(n * n, 0.0);
        dev[(a - 1) * n + b - 1] = sp[1], dev[(b - 1) * n + a - 1] = sp[2];
        dev[ka] = sp[0], dev[kb] = sp[3];
        const std::vector<Cd> m = terms[i].Measure(dev);
        return {Noisy(m[ka]), Noisy(m[(a - 1) * n + b - 1]), Noisy(m[(b - 1) * n + a - 1]),
                Noisy(m[kb])};
    }
    ReflectionMeasurement Reflect(const CalStandard& s, int port) {
        ReflectionMeasurement m{s, port, {}};
        for (int i = 0; i < kPoints; ++i)
            m.raw.push_back(Measure(s, port, port, i)[0]);
        return m;
    }
    // Measured from `actual`, defined to the solver as `model`.
    TwoPortMeasurement TwoPort(const CalStandard& actual, const CalStandard& model, int a = 1,
                               int b = 2) {
        TwoPortMeasurement m{model, a, b, {}, {}, {}, {}};
        for (int i = 0; i < kPoints; ++i) {
            const auto r = Measure(actual, a, b, i);
            m.s11.push_back(r[0]), m.s12.push_back(r[1]), m.s21.push_back(r[2]);
            m.s22.push_back(r[3]);
        }
        return m;
    }
};

// The terms of a point by register name.
std::map<std::wstring, Cd> TruthOf(const fm::NPortTerms& x) {
    std::map<std::wstring, Cd> t;
    const wchar_t* words[6] = {L"Directivity", L"CrossTalk",          L"SourceMatch",
                               L"LoadMatch",   L"ReflectionTracking", L"TransmissionTracking"};
    for (int r = 0; r < x.n; ++r)
        for (int c = 0; c < x.n; ++c) {
            const int k = r * x.n + c;
            t[QuorUtility::eterm_name(words[r != c], r, c)] = x.leakage[k];
            t[QuorUtility::eterm_name(words[2 + (r != c)], r, c)] = x.match[k];
            t[QuorUtility::eterm_name(words[4 + (r != c)], r, c)] = x.tracking[k];
        }
    return t;
}

const CalOffset kOffset{30e-12, 2.2e9, 50.0};
const CalStandard kOpen = CalStandard::Open({50e-15, -100e-27, 200e-36, -5e-45}, kOffset);
const CalStandard kShort = CalStandard::Short({20e-12, 300e-24, -20e-33, 1e-42}, kOffset);
const CalStandard kLoad = CalStandard::MatchedLoad();
const CalStandard kFlush = CalStandard::Thru();
const std::vector<CalStandard> kOsl = {kOpen, kShort, kLoad};

double WorstTermError(const CalibrationResult& r, const std::vector<fm::NPortTerms>& terms) {
    double worst = 0.0;
    for (int i = 0; i < kPoints; ++i) {
        const auto truth = TruthOf(terms[i]);
        for (std::size_t k = 0; k < r.names.size(); ++k)
            worst = std::max(worst, std::abs(fm::ToCd(r.terms[k][i]) - truth.at(r.names[k])));
    }
    return worst;
}

TEST(CalStandard, MatchesClosedForms) {
    const double f = 3e9, w = kTwoPi * f, z0 = 50.0;
    const Cd jw(0.0, w);
    const std::pair<CalStandard, Cd> cases[] = {
        {CalStandard::Open({1e-13, 0, 0, 0}), (1.0 - jw * 1e-13 * z0) / (1.0 + jw * 1e-13 * z0)},
        {CalStandard::Short({0, 1e-20, 0, 0}), (jw * 3e-11 - z0) / (jw * 3e-11 + z0)},
        {CalStandard::Short({}, {40e-12, 0, 50}), -std::polar(1.0, -2 * w * 40e-12)},
        {CalStandard::Load(0.2, {40e-12, 0, 50}), 0.2 * std::polar(1.0, -2 * w * 40e-12)},
        // A 25-Ω zero-loss line a quarter wave long turns a 50-Ω match into 12.5 Ω.
        {CalStandard::MatchedLoad({1.0 / (4 * f), 0, 25}), (12.5 - z0) / (12.5 + z0)},
        {CalStandard::ReflectionData({0.1, Cd(0.3, 0.4)}), Cd(0.3, 0.4)},
    };
    for (const auto& [standard, expected] : cases)
        EXPECT_LT(std::abs(standard.Reflection(1, f, z0) - expected), 1e-12);
    // A lossy line: S21 ≈ exp(−γl), γl = αl + j(ωτ + αl), αl = loss·τ/(2·Z0)·√(f/1 GHz), up to
    // the small mismatch of its lossy Zc.
    const SParams2 line = OffsetLine({100e-12, 5e9, 50}, 4e9, z0);
    EXPECT_LT(std::abs(line[2] - std::exp(-Cd(0.01, kTwoPi * 4e9 * 100e-12 + 0.01))), 1e-4);
    EXPECT_NE(kOpen, CalStandard::Open({50e-15, -100e-27, 200e-36, -5e-45}));
}

// Measures a random device through the test set and corrects it with `alg`, raws set by
// name (the enhanced response takes only the first port's column).
boost::shared_ptr<DataMatrix> CorrectDevice(NPort& alg, const TestSet& ts, bool enhanced,
                                            std::vector<std::vector<Cd>>& dut) {
    const int n = ts.terms[0].n;
    fm::Random rnd(3);
    std::vector<std::vector<TsComplex>> raw(n * n, std::vector<TsComplex>(kPoints));
    dut.resize(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        dut[i] = rnd.Device(n);
        const auto m = ts.terms[i].Measure(dut[i]);
        for (int k = 0; k < n * n; ++k)
            raw[k][i] = fm::ToTs(m[k]);
    }
    for (int k = 0; k < n * n; ++k)
        if (!enhanced || k % n == 0)
            alg.SetRawData((L"S" + std::to_wstring(k / n + 1) + std::to_wstring(k % n + 1)).c_str(),
                           raw[k].data());
    boost::shared_ptr<DataMatrix> out;
    EXPECT_TRUE(alg.CreateOutputContainer(out, kPoints) &&
                alg.ApplyCorrection(0, kPoints, *out, 0));
    return out;
}

TEST(CalibrationRoundTrip, ThreePortSoltCorrectsThroughNPort) {
    TestSet ts(false);
    fm::Random rnd(9);
    for (auto& t : ts.terms)
        t = rnd.Terms(3, false);
    CalibrationData d{ts.f, 50.0, {}, {}, {}, {}, {}, {}};
    for (int p = 1; p <= 3; ++p)
        for (const CalStandard& s : kOsl)
            d.reflections.push_back(ts.Reflect(s, p));
    const CalStandard thru = CalStandard::Thru({50e-12, 1.5e9, 50});
    for (auto [a, b] : {std::pair{1, 2}, {3, 1}, {2, 3}})
        d.twoPorts.push_back(ts.TwoPort(thru, thru, a, b));
    CalibrationResult r;
    ASSERT_EQ(SolveNPortSolt(d, {3, 1, 2}, r), kOk);
    EXPECT_EQ(r.names.size(), 27u);
    EXPECT_LT(WorstTermError(r, ts.terms), 1e-5);
    NPort alg(3, {1, 2, 3});
    ASSERT_TRUE(r.ApplyTo(alg));
    std::vector<std::vector<Cd>> dut;
    const auto out = CorrectDevice(alg, ts, false, dut);
    for (int i = 0; i < kPoints; ++i)
        for (int k = 0; k < 9; ++k)
            EXPECT_LT(std::abs(fm::ToCd((*out)(k / 3, k % 3)->data[i]) - dut[i][k]), 1e-5);
    d.twoPorts.pop_back();  // a pair without its thru
    EXPECT_EQ(SolveNPortSolt(d, {1, 2, 3}, r), kInvalidArg);
}

// Reflection standards on both ports, a two-port standard and the switch terms.
CalibrationData Measured(TestSet& ts, const std::vector<CalStandard>& reflects,
                         const CalStandard& thru, const CalStandard& thruModel) {
    CalibrationData d{ts.f, 50.0, {}, {ts.TwoPort(thru, thruModel)}, {}, {}, {}, {}};
    for (int port : {1, 2})
        for (const CalStandard& s : reflects)
            d.reflections.push_back(ts.Reflect(s, port));
    for (int i = 0; i < kPoints; ++i) {
        d.switchForward.push_back(fm::ToTs(ts.gf[i]));
        d.switchReverse.push_back(fm::ToTs(ts.gr[i]));
    }
    return d;
}

TEST(CalibrationRoundTrip, TwoPortMethodsRecoverTermsAndCorrectADevice) {
    const CalStandard delayed = CalStandard::Thru({50e-12, 1.5e9, 50});
    const std::vector<CalStandard> four = {kOpen, kShort, kLoad, CalStandard::Load(Cd(0.3, -0.2))};
    const struct {
        Method method;
        bool isolation;
        std::vector<CalStandard> reflects;
        CalStandard thru, thruModel;
    } cases[] = {{Method::Solt, true, kOsl, kFlush, kFlush},
                 {Method::Solt, false, four, delayed, delayed},
                 {Method::EnhancedResponse, true, kOsl, delayed, delayed},
                 {Method::Trl, true, {kShort}, kFlush, kFlush},
                 {Method::UnknownThru, true, four, delayed, CalStandard::Thru({56e-12, 0, 50})}};
    for (double noise : {0.0, 1e-5})
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << int(c.method) << " noise " << noise);
            TestSet ts(c.isolation);
            ts.noise = noise;
            CalibrationData d = Measured(ts, c.reflects, c.thru, c.thruModel);
            const bool er = c.method == Method::EnhancedResponse, swap = noise > 0 && !er;
            if (c.method == Method::Trl)
                d.twoPorts.push_back(ts.TwoPort(CalStandard::Thru({30e-12, 0, 50}),
                                                CalStandard::Thru({30e-12, 0, 50})));
            for (int i = 0; i < kPoints && c.isolation; ++i) {
                const std::vector<Cd> iso = ts.terms[i].Measure({0.0, 0.0, 0.0, 0.0});
                d.isolationForward.push_back(ts.Noisy(iso[2]));
                if (!er)
                    d.isolationReverse.push_back(ts.Noisy(iso[1]));
            }
            if (swap) {  // with noise, solved from port 2; these follow the first port
                std::swap(d.switchForward, d.switchReverse);
                std::swap(d.isolationForward, d.isolationReverse);
            }
            CalibrationResult r;
            ASSERT_EQ(SolveTwoPort(c.method, d, swap ? 2 : 1, swap ? 1 : 2, r), kOk);
            ASSERT_EQ(r.names.size(), er ? 6u : 12u);
            // To first order a term's error is the sum of its sensitivities to the raws times
            // σ; for these standards they stay below ~10 (TRL worst: 1/sin of the line's
            // 11-degree phase at the low end), so 30·σ bounds the error, float rounding apart.
            const double bound = 1e-5 + 30 * noise;
            EXPECT_LT(WorstTermError(r, ts.terms), bound);
            // Correct a device by name.
            std::unique_ptr<NPort> alg(er ? new EnhancedResponse({2, 1}) : new NPort(2, {1, 2}));
            ASSERT_TRUE(r.ApplyTo(*alg));
            std::vector<std::vector<Cd>> dut;
            const auto out = CorrectDevice(*alg, ts, er, dut);
            double worst = 0.0;
            for (int i = 0; i < kPoints; ++i) {
                auto s = dut[i];
                const Cd el = ts.terms[i].match[2], loop = 1.0 - s[3] * el;  // uncorrected by ER
                if (er)
                    s = {s[0] + s[1] * s[2] * el / loop, 0.0, s[2] / loop, 0.0};
                for (int k = 0; k < 4; ++k)
                    worst =
                        std::max(worst, std::abs(fm::ToCd((*out)(k / 2, k % 2)->data[i]) - s[k]));
            }
            EXPECT_LT(worst, bound);
        }
}

TEST(CalibrationRoundTrip, OnePortAndResponse) {
    for (double noise : {0.0, 1e-5}) {
        TestSet ts(false);
        ts.noise = noise;
        const double bound = 1e-5 + 30 * noise;
        CalibrationData d{ts.f, 50.0, {}, {}, {}, {}, {}, {}};
        for (const CalStandard& s : {kOpen, kShort, kLoad, CalStandard::Load(Cd(0.3, -0.2))}) {
            d.reflections.push_back(ts.Reflect(s, 2));
            CalibrationResult r;
            EXPECT_EQ(SolveOnePort(d, 2, r), d.reflections.size() < 3 ? kInvalidArg : kOk);
            EXPECT_LT(WorstTermError(r, ts.terms), bound);  // nothing to compare with too few
        }
        // Response: raw = isolation + tracking·actual, each standard given by its raw.
        fm::Random rnd(5);
        std::vector<Cd> track(kPoints), iso(kPoints);
        for (int i = 0; i < kPoints; ++i)
            track[i] = rnd.Polar(0.5, 1.0), iso[i] = rnd.Polar(1e-3, 1e-2);
        auto actual = [&](const CalStandard& s, ResponsePath path, int i) {
            return path == ResponsePath::Reflection ? s.Reflection(i, ts.f[i], 50)
                   : s.IsTwoPort()                  ? s.SParameters(i, ts.f[i], 50)[2]
                                                    : Cd(0.0);
        };
        const CalStandard thru = CalStandard::Thru({50e-12, 1.5e9, 50});
        for (const auto& [path, withIso, stds] :
             std::vector<std::tuple<ResponsePath, bool, std::vector<CalStandard>>>{
                 {ResponsePath::Transmission, false, {thru}},
                 {ResponsePath::Transmission, true, {thru, kLoad}},
                 {ResponsePath::Reflection, false, {kOpen, kShort}},
                 {ResponsePath::Reflection, true, {kOpen, kShort, kLoad}}}) {
            std::vector<ResponseMeasurement> ms;
            for (const auto& s : stds) {
                ms.push_back({s, {}});
                for (int i = 0; i < kPoints; ++i)
                    ms.back().raw.push_back(
                        ts.Noisy((withIso ? iso[i] : 0.0) + track[i] * actual(s, path, i)));
            }
            CalibrationResult r;
            ASSERT_EQ(SolveResponse(ts.f, 50, path, ms, withIso, L"S21", r), kOk);
            ASSERT_EQ(r.names[withIso],
                      withIso ? L"ResponseIsolation(S21)" : L"ResponseTracking(S21)");
            for (int i = 0; i < kPoints; ++i)
                for (std::size_t k = 0; k < r.names.size(); ++k)
                    EXPECT_LT(std::abs(fm::ToCd(r.terms[k][i]) - (k ? iso : track)[i]), bound);
            // The first standard, corrected by name, comes back as its definition.
            ResponseIsol withIsolation(L"S21");
            Response plain(L"S21");
            ICorrectionAlgorithm& alg =
                withIso ? static_cast<ICorrectionAlgorithm&>(withIsolation) : plain;
            ASSERT_TRUE(r.ApplyTo(alg) && alg.SetRawData(L"S21", ms[0].raw.data()));
            std::vector<TsComplex> out(kPoints);
            ASSERT_TRUE(withIso ? withIsolation.ApplyCorrection(0, kPoints, out)
                                : plain.ApplyCorrection(0, kPoints, out));
            for (int i = 0; i < kPoints; ++i)
                EXPECT_LT(std::abs(fm::ToCd(out[i]) - actual(stds[0], path, i)), 2 * bound);
        }
    }
}

TEST(Calibration, RefusesBadInputAndWritesNothing) {
    TestSet ts(false);
    const CalibrationData good = Measured(ts, kOsl, kFlush, kFlush);
    using Edit = std::function<void(CalibrationData&)>;
    const std::vector<std::pair<Method, Edit>> cases = {
        {Method::Solt, [](CalibrationData& d) { d.reflections[1].raw.pop_back(); }},
        {Method::Solt, [](CalibrationData& d) { d.twoPorts[0].s22.pop_back(); }},
        {Method::Solt, [](CalibrationData& d) { d.frequencies.push_back(2e10); }},
        {Method::Solt, [](CalibrationData& d) { d.frequencies[3] = -1.0; }},
        {Method::Solt, [](CalibrationData& d) { d.reflections[2] = d.reflections[0]; }},
        {Method::Solt, [](CalibrationData& d) { d.reflections.pop_back(); }},
        {Method::Solt, [](CalibrationData& d) { d.reflections[0].port = 3; }},
        {Method::Solt, [](CalibrationData& d) { d.twoPorts.clear(); }},
        {Method::Solt, [](CalibrationData& d) { d.twoPorts[0].standard = kLoad; }},
        {Method::Solt, [](CalibrationData& d) { d.isolationForward.resize(3); }},
        {Method::Solt, [](CalibrationData& d) { d.reflections[0].standard = kFlush; }},
        {Method::UnknownThru, [](CalibrationData& d) { d.switchReverse.clear(); }},
        {Method::Trl, [](CalibrationData& d) { d.twoPorts.push_back(d.twoPorts[0]); }},
        {Method::Trl, [](CalibrationData&) {}},  // three reflects on each port
    };
    for (std::size_t k = 0; k < cases.size(); ++k) {
        CalibrationData d = good;
        cases[k].second(d);
        CalibrationResult r;
        r.names = {L"untouched"};
        EXPECT_EQ(SolveTwoPort(cases[k].first, d, 1, 2, r), kInvalidArg) << k;
        EXPECT_EQ(r.names, std::vector<std::wstring>{L"untouched"}) << k;
        EXPECT_TRUE(r.terms.empty() && r.ranges.empty()) << k;
    }
    CalibrationResult r;
    EXPECT_EQ(SolveOnePort(good, 3, r), kInvalidArg);
    const ResponseMeasurement thru{kFlush, good.twoPorts[0].s21}, shortened{kLoad, {}};
    for (const auto& [path, stds, isolation] :
         std::vector<std::tuple<ResponsePath, std::vector<ResponseMeasurement>, bool>>{
             {ResponsePath::Transmission, {}, false},
             {ResponsePath::Reflection, {thru}, false},
             {ResponsePath::Transmission, {thru}, true},
             {ResponsePath::Transmission, {thru, thru}, false},
             {ResponsePath::Transmission, {thru, shortened}, true}})
        EXPECT_EQ(SolveResponse(ts.f, 50, path, stds, isolation, L"S21", r), kInvalidArg);
    EXPECT_TRUE(r.names.empty());
}

TEST(Calibration, SingularPointsGetAFailedRangeAndMissingDataTerms) {
    TestSet ts(false);
    ts.noise = 1e-5;  // identical standards measured with different noise
    CalibrationData d = Measured(ts, kOsl, kFlush, kFlush);
    // Port 2's load defined as its open at points 10 and 11 (and measured so): two identical
    // standards there. TRL: a 100 ps line is a whole wavelength at the last point, 10 GHz.
    std::vector<Complexd> g;
    for (int i = 0; i < kPoints; ++i)
        g.push_back(i == 10 || i == 11 ? kOpen.Reflection(i, ts.f[i], 50) : 0.0);
    d.reflections[5] = ts.Reflect(CalStandard::ReflectionData(g), 2);
    CalibrationResult r;
    ASSERT_EQ(SolveTwoPort(Method::Solt, d, 2, 1, r), kFail);
    auto ranges = [&r] {
        std::vector<long> v;
        for (const auto& p : r.ranges)
            v.insert(v.end(), {p.start, p.stop, p.status});
        return v;
    };
    EXPECT_EQ(ranges(), (std::vector<long>{0, 10, kOk, 10, 12, kFail, 12, kPoints, kOk}));
    for (const auto& term : r.terms)  // failed points hold the (finite) missing-data value
        for (int i = 0; i < kPoints; ++i)
            EXPECT_EQ(i == 10 || i == 11, term[i] == TsComplex::m_minus200dB) << i;

    CalibrationData trl = Measured(ts, kOsl, kFlush, kFlush);
    trl.reflections = {ts.Reflect(kShort, 1), ts.Reflect(kShort, 2)};
    trl.twoPorts.push_back(
        ts.TwoPort(CalStandard::Thru({1e-10, 0, 50}), CalStandard::Thru({1e-10, 0, 50})));
    ASSERT_EQ(SolveTwoPort(Method::Trl, trl, 1, 2, r), kFail);
    EXPECT_EQ(ranges(), (std::vector<long>{0, kPoints - 1, kOk, kPoints - 1, kPoints, kFail}));
}

}  // namespace
