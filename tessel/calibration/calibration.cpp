// SPDX-License-Identifier: Apache-2.0
// Calibration solvers: input checks, per-point solution, term collection.
#include "tessel/calibration/calibration.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/measutil/eterm_names.h"
#include "tessel/calibration/internal/cal_math.h"

namespace Tessel {

using calib::Cd;

namespace {

Cd ToCd(const TsComplex& z) {
    return {z.re, z.im};
}

// Collects the per-point terms of a solver and the status of each point.
class TermCollector {
  public:
    TermCollector(std::vector<std::wstring> names, std::size_t points)
        : names_(std::move(names)),
          terms_(names_.size(), std::vector<TsComplex>(points)),
          status_(points, kOk) {}

    // values[k] for names[k] at point i.
    void Set(std::size_t i, const Cd* values) {
        for (std::size_t k = 0; k < names_.size(); ++k) {
            if (!std::isfinite(values[k].real()) || !std::isfinite(values[k].imag()))
                return Fail(i);
        }
        for (std::size_t k = 0; k < names_.size(); ++k)
            terms_[k][i] = TsComplex(float(values[k].real()), float(values[k].imag()));
    }
    void Fail(std::size_t i) {
        status_[i] = kFail;
        for (auto& t : terms_)
            t[i] = TsComplex::m_minus200dB;
    }
    bool Failed(std::size_t i) const { return status_[i] != kOk; }

    long Finish(CalibrationResult& out) {
        CalibrationResult r;
        r.names = std::move(names_);
        r.terms = std::move(terms_);
        for (std::size_t i = 0; i < status_.size(); ++i) {
            if (r.ranges.empty() || r.ranges.back().status != status_[i])
                r.ranges.push_back({int(i), int(i), status_[i]});
            r.ranges.back().stop = int(i) + 1;
            if (status_[i] != kOk)
                r.status = kFail;
        }
        out = std::move(r);
        return out.status;
    }

  private:
    std::vector<std::wstring> names_;
    std::vector<std::vector<TsComplex>> terms_;
    std::vector<long> status_;
};

std::wstring Name(const wchar_t* word, int r, int c) {
    return QuorUtility::eterm_name(word, r - 1, c - 1);
}

bool SweepOk(const std::vector<double>& f) {
    if (f.empty() || f.size() > std::size_t(1) << 30)
        return false;
    for (double v : f)
        if (!(v >= 0.0) || !std::isfinite(v))
            return false;
    return true;
}

// The reflection measurements at `port`, checked: kInvalidArg for a length mismatch, a
// two-port standard, or a standard measured twice.
long ReflectionsAt(const CalibrationData& d, int port,
                   std::vector<const ReflectionMeasurement*>& out) {
    for (const auto& m : d.reflections) {
        if (m.port != port)
            continue;
        if (m.raw.size() != d.frequencies.size() || m.standard.IsTwoPort() ||
            !m.standard.FitsSweep(d.frequencies.size()))
            return kInvalidArg;
        for (const auto* o : out)
            if (o->standard == m.standard)
                return kInvalidArg;
        out.push_back(&m);
    }
    return kOk;
}

bool OptionalFits(const std::vector<TsComplex>& v, std::size_t n) {
    return v.empty() || v.size() == n;
}

// A two-port measurement oriented from port1 to port2 (swapped when it was taken the other
// way round), with the needed raw arrays checked.
struct Oriented {
    const TwoPortMeasurement* m = nullptr;
    bool swapped = false;
    SParams2 Raw(std::size_t i) const {
        const SParams2 s = {ToCd(m->s11[i]), ToCd(m->s12.empty() ? TsComplex() : m->s12[i]),
                            ToCd(m->s21[i]), ToCd(m->s22.empty() ? TsComplex() : m->s22[i])};
        return swapped ? calib::Swapped(s) : s;
    }
    SParams2 Actual(std::size_t i, double f, double z0) const {
        const SParams2 s = m->standard.SParameters(i, f, z0);
        return swapped ? calib::Swapped(s) : s;
    }
};

long Orient(const TwoPortMeasurement& m, int p1, int p2, std::size_t n, bool forwardOnly,
            Oriented& o) {
    const bool direct = m.port1 == p1 && m.port2 == p2;
    if (!(direct || (m.port1 == p2 && m.port2 == p1)) || !m.standard.IsTwoPort() ||
        !m.standard.FitsSweep(n))
        return kInvalidArg;
    o.m = &m;
    o.swapped = !direct;
    const bool needReverse = !forwardOnly || o.swapped;
    if (m.s11.size() != n || m.s21.size() != n)
        return kInvalidArg;
    if (needReverse && (m.s12.size() != n || m.s22.size() != n))
        return kInvalidArg;
    if (forwardOnly && o.swapped)
        return kInvalidArg;  // the forward direction must have been measured from the source
    return kOk;
}

bool SolveOnePortAt(const std::vector<const ReflectionMeasurement*>& stds, std::size_t i, double f,
                    double z0, calib::OnePortTerms& t) {
    constexpr std::size_t kStack = 16;  // no allocation per point for the usual few standards
    Cd smallG[kStack], smallM[kStack];
    std::vector<Cd> largeG, largeM;
    if (stds.size() > kStack)
        largeG.resize(stds.size()), largeM.resize(stds.size());
    Cd* const g = stds.size() > kStack ? largeG.data() : smallG;
    Cd* const m = stds.size() > kStack ? largeM.data() : smallM;
    for (std::size_t k = 0; k < stds.size(); ++k) {
        g[k] = stds[k]->standard.Reflection(i, f, z0);
        m[k] = ToCd(stds[k]->raw[i]);
    }
    return calib::SolveOnePort(int(stds.size()), g, m, t);
}

std::vector<std::wstring> TwelveNames(int p1, int p2) {
    // Register order for the ascending pair (a, b).
    const int a = std::min(p1, p2), b = std::max(p1, p2);
    return {Name(L"Directivity", a, a),
            Name(L"CrossTalk", a, b),
            Name(L"CrossTalk", b, a),
            Name(L"Directivity", b, b),
            Name(L"SourceMatch", a, a),
            Name(L"LoadMatch", a, b),
            Name(L"LoadMatch", b, a),
            Name(L"SourceMatch", b, b),
            Name(L"ReflectionTracking", a, a),
            Name(L"TransmissionTracking", a, b),
            Name(L"TransmissionTracking", b, a),
            Name(L"ReflectionTracking", b, b)};
}

// The twelve terms in TwelveNames order.
void StoreTwelve(TermCollector& c, std::size_t i, const calib::TwelveTerm& t, bool p1First) {
    // In TwelveNames order, with "f" the terms of port1 driving and "r" of port2 driving.
    const Cd v1[12] = {t.ed1,  t.ex12, t.ex21, t.ed2,  t.es1,  t.el12,
                       t.el21, t.es2,  t.er1,  t.et12, t.et21, t.er2};
    const Cd v2[12] = {t.ed2,  t.ex21, t.ex12, t.ed1,  t.es2,  t.el21,
                       t.el12, t.es1,  t.er2,  t.et21, t.et12, t.er1};
    c.Set(i, p1First ? v1 : v2);
}

// Eight-term solution of one TRL point.
bool SolveTrlAt(const SParams2& thruRaw, const SParams2& lineRaw, Cd w1, Cd w2, Cd t, Cd l,
                Cd reflect, calib::EightTerm& e) {
    using calib::Inverse;
    using calib::Mul;
    std::array<Cd, 4> rt, rl, rtInv;
    if (std::abs(thruRaw[2]) == 0.0 || std::abs(lineRaw[2]) == 0.0)
        return false;
    rt = calib::ToT(thruRaw);
    rl = calib::ToT(lineRaw);
    if (!Inverse(rt, rtInv))
        return false;
    // P = R_L·R_T⁻¹ = X·diag(l/t, t/l)·X⁻¹: its eigenvectors are the columns of X.
    const std::array<Cd, 4> p = Mul(rl, rtInv);
    const Cd half = (p[0] + p[3]) / 2.0;
    const Cd root = std::sqrt(half * half - (p[0] * p[3] - p[1] * p[2]));
    Cd la = half + root, lb = half - root;
    if (std::abs(la - lb) < 1e-2 * (std::abs(la) + std::abs(lb)))
        return false;  // line and thru alike (phase difference near 0 or 180 degrees)
    if (std::abs(la - l / t) + std::abs(lb - t / l) > std::abs(lb - l / t) + std::abs(la - t / l))
        std::swap(la, lb);
    auto ratio = [&p](Cd lam) {  // first over second component of the eigenvector
        const Cd d1 = lam - p[0], d2 = p[2];
        return std::abs(d1) > std::abs(d2) ? p[1] / d1 : (lam - p[3]) / d2;
    };
    const Cd a = ratio(la), b = ratio(lb);
    // T_X = Q·diag(−e11/e10, 1/e10), Q = [[a, b], [1, 1]]; G = Q⁻¹·R_T.
    std::array<Cd, 4> qInv;
    if (!Inverse({a, b, 1.0, 1.0}, qInv))
        return false;
    const std::array<Cd, 4> g = Mul(qInv, rt);
    if (std::abs(g[3]) == 0.0)
        return false;
    const Cd c = 1.0 / (t * t * g[3]);
    e.e00 = b;
    e.e33 = -g[2] / g[3];
    const Cd v = (w1 - b) / (w1 - a);                // e11·Γ
    const Cd u = (e.e33 - w2) / (g[0] + w2 * g[1]);  // c·Γ / e11
    Cd gamma = std::sqrt(v * u / c);
    if (std::abs(gamma - reflect) > std::abs(-gamma - reflect))
        gamma = -gamma;
    if (!(std::abs(gamma) > 1e-3))
        return false;
    e.e11 = v / gamma;
    e.e10e01 = e.e11 * (b - a);
    e.e22 = -c * g[1] / e.e11;
    e.e23e32 = e.e22 * e.e33 - c * g[0] / e.e11;
    e.e10e32 = 1.0 / (t * g[3]);
    return true;
}

// e10e32 of a reciprocal thru: the root whose corrected thru transmission follows `predicted`.
bool SolveUnknownThruAt(const calib::OnePortTerms& x, const calib::OnePortTerms& y,
                        const SParams2& m, Cd predicted, Cd& k, Cd& s21) {
    std::array<Cd, 4> xi, yi;
    // Error boxes' T-matrices without their e10 and e32 factors.
    if (std::abs(m[1]) == 0.0 || std::abs(m[2]) == 0.0 ||
        !calib::Inverse({-(x.ed * x.es - x.er), x.ed, -x.es, 1.0}, xi) ||
        !calib::Inverse({-(y.ed * y.es - y.er), y.es, -y.ed, 1.0}, yi))
        return false;
    k = std::sqrt(x.er * y.er * m[2] / m[1]);
    const std::array<Cd, 4> u = calib::Mul(calib::Mul(xi, calib::ToT(m)), yi);
    s21 = 1.0 / (k * u[3]);
    if (std::real(s21 * std::conj(predicted)) < 0.0) {
        k = -k;
        s21 = -s21;
    }
    return std::isfinite(std::abs(s21));
}

}  // namespace

const std::vector<TsComplex>* CalibrationResult::Term(const std::wstring& name) const {
    for (std::size_t k = 0; k < names.size(); ++k)
        if (names[k] == name)
            return &terms[k];
    return nullptr;
}

bool CalibrationResult::ApplyTo(ICorrectionAlgorithm& algorithm) const {
    bool ok = true;
    for (std::size_t k = 0; k < names.size(); ++k)
        ok = algorithm.SetErrorTermData(names[k].c_str(), terms[k].data(), int(terms[k].size())) &&
             ok;
    return ok;
}

long SolveResponse(const std::vector<double>& freq, double z0, ResponsePath path,
                   const std::vector<ResponseMeasurement>& stds, bool withIsolation,
                   const std::wstring& rawName, CalibrationResult& result) {
    const std::size_t n = freq.size();
    if (!SweepOk(freq) || stds.size() < (withIsolation ? 2u : 1u))
        return kInvalidArg;
    for (std::size_t k = 0; k < stds.size(); ++k) {
        const auto& s = stds[k];
        if (s.raw.size() != n || !s.standard.FitsSweep(n) ||
            (path == ResponsePath::Reflection && s.standard.IsTwoPort()))
            return kInvalidArg;
        for (std::size_t j = 0; j < k; ++j)
            if (stds[j].standard == s.standard)
                return kInvalidArg;
    }
    std::vector<std::wstring> names = {L"ResponseTracking(" + rawName + L")"};
    if (withIsolation)
        names.push_back(L"ResponseIsolation(" + rawName + L")");
    TermCollector c(names, n);
    const std::size_t ns = stds.size();
    std::vector<Cd> x(ns), m(ns), a(2 * ns);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t k = 0; k < ns; ++k) {
            const CalStandard& s = stds[k].standard;
            x[k] = path == ResponsePath::Reflection ? s.Reflection(i, freq[i], z0)
                   : s.IsTwoPort()                  ? s.SParameters(i, freq[i], z0)[2]
                                                    : Cd(0.0);
            m[k] = ToCd(stds[k].raw[i]);
        }
        Cd v[2];
        if (!withIsolation) {
            Cd num = 0.0;
            double den = 0.0;
            for (std::size_t k = 0; k < ns; ++k) {
                num += std::conj(x[k]) * m[k];
                den += std::norm(x[k]);
            }
            if (!(den > calib::kMinDistinct * calib::kMinDistinct)) {
                c.Fail(i);
                continue;
            }
            v[0] = num / den;
        } else {
            bool distinct = true;
            for (std::size_t k = 0; k < ns; ++k) {
                a[2 * k] = x[k];
                a[2 * k + 1] = 1.0;
                for (std::size_t j = 0; j < k; ++j)
                    distinct = distinct && std::abs(x[k] - x[j]) >= calib::kMinDistinct;
            }
            Cd sol[2];
            if (!distinct || !calib::SolveLeastSquares(int(ns), 2, a.data(), m.data(), sol)) {
                c.Fail(i);
                continue;
            }
            v[0] = sol[0];
            v[1] = sol[1];
        }
        c.Set(i, v);
    }
    return c.Finish(result);
}

long SolveOnePort(const CalibrationData& d, int port, CalibrationResult& result) {
    std::vector<const ReflectionMeasurement*> stds;
    if (!SweepOk(d.frequencies) || ReflectionsAt(d, port, stds) != kOk || stds.size() < 3)
        return kInvalidArg;
    TermCollector c({Name(L"Directivity", port, port), Name(L"SourceMatch", port, port),
                     Name(L"ReflectionTracking", port, port)},
                    d.frequencies.size());
    for (std::size_t i = 0; i < d.frequencies.size(); ++i) {
        calib::OnePortTerms t;
        if (!SolveOnePortAt(stds, i, d.frequencies[i], d.z0, t)) {
            c.Fail(i);
            continue;
        }
        const Cd v[3] = {t.ed, t.es, t.er};
        c.Set(i, v);
    }
    return c.Finish(result);
}

long SolveTwoPort(TwoPortMethod method, const CalibrationData& d, int p1, int p2,
                  CalibrationResult& result) {
    const std::size_t n = d.frequencies.size();
    const bool eightTerm = method == TwoPortMethod::Trl || method == TwoPortMethod::UnknownThru;
    const bool forwardOnly = method == TwoPortMethod::EnhancedResponse;
    if (!SweepOk(d.frequencies) || p1 == p2)
        return kInvalidArg;
    for (const auto& m : d.reflections)
        if (m.port != p1 && m.port != p2)
            return kInvalidArg;
    std::vector<const ReflectionMeasurement*> r1, r2;
    if (ReflectionsAt(d, p1, r1) != kOk || ReflectionsAt(d, p2, r2) != kOk)
        return kInvalidArg;
    const std::size_t twoPortsNeeded = method == TwoPortMethod::Trl ? 2 : 1;
    if (d.twoPorts.size() != twoPortsNeeded)
        return kInvalidArg;
    std::vector<Oriented> tp(twoPortsNeeded);
    for (std::size_t k = 0; k < twoPortsNeeded; ++k)
        if (Orient(d.twoPorts[k], p1, p2, n, forwardOnly, tp[k]) != kOk)
            return kInvalidArg;
    if (method == TwoPortMethod::Trl) {
        // One reflect, the same standard on both ports; thru and line differ.
        if (r1.size() != 1 || r2.size() != 1 || r1[0]->standard != r2[0]->standard ||
            d.twoPorts[0].standard == d.twoPorts[1].standard)
            return kInvalidArg;
    } else if (r1.size() < 3 || (!forwardOnly && r2.size() < 3)) {
        return kInvalidArg;
    }
    if (!OptionalFits(d.isolationForward, n) || !OptionalFits(d.isolationReverse, n) ||
        (forwardOnly && !d.isolationReverse.empty()))
        return kInvalidArg;
    if (eightTerm && (d.switchForward.size() != n || d.switchReverse.size() != n))
        return kInvalidArg;

    std::vector<std::wstring> names =
        forwardOnly ? std::vector<std::wstring>{Name(L"Directivity", p1, p1),
                                                Name(L"SourceMatch", p1, p1),
                                                Name(L"ReflectionTracking", p1, p1),
                                                Name(L"CrossTalk", p2, p1),
                                                Name(L"LoadMatch", p2, p1),
                                                Name(L"TransmissionTracking", p2, p1)}
                    : TwelveNames(p1, p2);
    TermCollector c(names, n);
    Cd previousS21, previousModel;  // unknown thru: root continuity
    bool havePrevious = false;
    for (std::size_t i = 0; i < n; ++i) {
        const double f = d.frequencies[i];
        const Cd isoF = d.isolationForward.empty() ? Cd(0.0) : ToCd(d.isolationForward[i]);
        const Cd isoR = d.isolationReverse.empty() ? Cd(0.0) : ToCd(d.isolationReverse[i]);
        // The eight-term model has no leakage: take the crosstalk off the transmissions.
        auto noLeak = [isoF, isoR](SParams2 m) {
            m[2] -= isoF;
            m[1] -= isoR;
            return m;
        };
        calib::TwelveTerm t{};
        calib::OnePortTerms x, y;
        bool ok = true;
        if (method == TwoPortMethod::Trl) {
            const Cd gf = ToCd(d.switchForward[i]), gr = ToCd(d.switchReverse[i]);
            SParams2 mt, ml;
            calib::EightTerm e;
            ok = calib::SwitchCorrect(noLeak(tp[0].Raw(i)), gf, gr, mt) &&
                 calib::SwitchCorrect(noLeak(tp[1].Raw(i)), gf, gr, ml) &&
                 SolveTrlAt(mt, ml, ToCd(r1[0]->raw[i]), ToCd(r2[0]->raw[i]),
                            tp[0].Actual(i, f, d.z0)[2], tp[1].Actual(i, f, d.z0)[2],
                            r1[0]->standard.Reflection(i, f, d.z0), e);
            if (ok)
                t = calib::EightToTwelve(e, gf, gr);
        } else {
            ok = SolveOnePortAt(r1, i, f, d.z0, x) &&
                 (forwardOnly || SolveOnePortAt(r2, i, f, d.z0, y));
            const SParams2 raw = tp[0].Raw(i);
            const SParams2 actual = tp[0].Actual(i, f, d.z0);
            if (ok && method == TwoPortMethod::UnknownThru) {
                const Cd gf = ToCd(d.switchForward[i]), gr = ToCd(d.switchReverse[i]);
                const Cd model = actual[2];
                const Cd predicted = havePrevious ? previousS21 * model / previousModel : model;
                SParams2 m;
                Cd k, s21;
                ok = calib::SwitchCorrect(noLeak(raw), gf, gr, m) &&
                     SolveUnknownThruAt(x, y, m, predicted, k, s21);
                if (ok) {
                    t = calib::EightToTwelve({x.ed, x.es, x.er, y.ed, y.es, y.er, k}, gf, gr);
                    previousS21 = s21;
                    previousModel = model;
                }
                havePrevious = ok && std::abs(model) > 0.0;
            } else if (ok) {
                t.ed1 = x.ed, t.es1 = x.es, t.er1 = x.er, t.ex21 = isoF;
                t.ed2 = y.ed, t.es2 = y.es, t.er2 = y.er, t.ex12 = isoR;
                ok = calib::ThruForward(x, actual, raw[0], raw[2], isoF, t.el21, t.et21) &&
                     (forwardOnly || calib::ThruForward(y, calib::Swapped(actual), raw[3], raw[1],
                                                        isoR, t.el12, t.et12));
            }
        }
        t.ex21 = isoF;
        t.ex12 = isoR;
        if (!ok) {
            c.Fail(i);
        } else if (forwardOnly) {
            const Cd v[6] = {t.ed1, t.es1, t.er1, t.ex21, t.el21, t.et21};
            c.Set(i, v);
        } else {
            StoreTwelve(c, i, t, p1 < p2);
        }
    }
    return c.Finish(result);
}

long SolveNPortSolt(const CalibrationData& d, const std::vector<int>& portList,
                    CalibrationResult& result) {
    const std::size_t n = d.frequencies.size();
    std::vector<int> ports = portList;
    std::sort(ports.begin(), ports.end());
    const int np = int(ports.size());
    if (!SweepOk(d.frequencies) || np == 0 ||
        std::adjacent_find(ports.begin(), ports.end()) != ports.end() ||
        !d.isolationForward.empty() || !d.isolationReverse.empty() ||
        d.twoPorts.size() != std::size_t(np * (np - 1) / 2))
        return kInvalidArg;
    auto indexOf = [&ports](int port) {
        const auto it = std::lower_bound(ports.begin(), ports.end(), port);
        return it != ports.end() && *it == port ? int(it - ports.begin()) : -1;
    };
    for (const auto& m : d.reflections)
        if (indexOf(m.port) < 0)
            return kInvalidArg;
    std::vector<std::vector<const ReflectionMeasurement*>> refl(np);
    for (int k = 0; k < np; ++k)
        if (ReflectionsAt(d, ports[k], refl[k]) != kOk || refl[k].size() < 3)
            return kInvalidArg;
    std::vector<Oriented> thru(np * np);  // [a·N + b], a < b
    for (const auto& m : d.twoPorts) {
        const int a = std::min(indexOf(m.port1), indexOf(m.port2));
        const int b = std::max(indexOf(m.port1), indexOf(m.port2));
        if (a < 0 || a == b || thru[a * np + b].m ||
            Orient(m, ports[a], ports[b], n, false, thru[a * np + b]) != kOk)
            return kInvalidArg;
    }
    // Register order: matrix, row (receiving port), column (driving port).
    const wchar_t* words[6] = {L"Directivity", L"CrossTalk",          L"SourceMatch",
                               L"LoadMatch",   L"ReflectionTracking", L"TransmissionTracking"};
    std::vector<std::wstring> names;
    for (int m = 0; m < 3; ++m)
        for (int r = 0; r < np; ++r)
            for (int c = 0; c < np; ++c)
                names.push_back(Name(words[2 * m + (r != c)], ports[r], ports[c]));
    TermCollector c(names, n);
    const int nn = np * np;
    std::vector<calib::OnePortTerms> one(np);
    std::vector<Cd> v(3 * nn);
    for (std::size_t i = 0; i < n; ++i) {
        const double f = d.frequencies[i];
        bool ok = true;
        for (int k = 0; k < np && ok; ++k) {
            ok = SolveOnePortAt(refl[k], i, f, d.z0, one[k]);
            v[k * np + k] = one[k].ed;
            v[nn + k * np + k] = one[k].es;
            v[2 * nn + k * np + k] = one[k].er;
        }
        for (int a = 0; a < np && ok; ++a)
            for (int b = a + 1; b < np && ok; ++b) {
                const Oriented& o = thru[a * np + b];
                const SParams2 raw = o.Raw(i), actual = o.Actual(i, f, d.z0);
                v[a * np + b] = v[b * np + a] = 0.0;
                ok = calib::ThruForward(one[a], actual, raw[0], raw[2], 0.0, v[nn + b * np + a],
                                        v[2 * nn + b * np + a]) &&
                     calib::ThruForward(one[b], calib::Swapped(actual), raw[3], raw[1], 0.0,
                                        v[nn + a * np + b], v[2 * nn + a * np + b]);
            }
        if (ok)
            c.Set(i, v.data());
        else
            c.Fail(i);
    }
    return c.Finish(result);
}

}  // namespace Tessel
