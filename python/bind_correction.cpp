// SPDX-License-Identifier: Apache-2.0
// Correction bindings: the response and one-port kernels on plain arrays, and the correction
// algorithms (two-port, N-port, enhanced response, match-corrected receivers) driven by
// dictionaries of raw data and error terms keyed by the library's names.
#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "common.h"
#include "tessel/correction/correction_kernels.h"
#include "tessel/correction/enhanced_response.h"
#include "tessel/correction/match_alg.h"
#include "tessel/correction/n_port.h"

namespace tessel_py {

namespace {

using Tessel::ICorrectionAlgorithm;

// The arrays of one dictionary argument, converted and checked against the names the
// algorithm knows.
struct NamedInputs {
    std::map<std::wstring, CArray> arrays;
};

std::string JoinNames(const std::vector<std::wstring>& names) {
    std::string s;
    for (const auto& n : names)
        s += (s.empty() ? "" : ", ") + Narrow(n);
    return s;
}

// Converts every value of `d` to complex64, refusing keys the algorithm does not know,
// non-1-D or empty arrays, and lengths that differ from `points` (set by the first array
// when still -1).
NamedInputs Collect(const py::dict& d, const std::vector<std::wstring>& known, const char* what,
                    int& points) {
    NamedInputs in;
    for (auto item : d) {
        if (!py::isinstance<py::str>(item.first))
            throw py::type_error(std::string(what) + " keys must be strings");
        const std::string key = item.first.cast<std::string>();
        const std::wstring name = Widen(key);
        if (std::find(known.begin(), known.end(), name) == known.end())
            throw py::value_error(std::string("unknown ") + what + " name '" + key +
                                  "'; expected one of: " + JoinNames(known));
        CArray a = ToCArray(item.second, key);
        const int n = Length1D(a, key.c_str());
        if (n == 0)
            throw py::value_error(key + " must not be empty");
        if (points < 0)
            points = n;
        if (n != points)
            throw py::value_error("all arrays must have the same length (" + key + ")");
        in.arrays.emplace(name, std::move(a));
    }
    return in;
}

// Raises ValueError naming the entries of `required` that `in` lacks.
void RequireAll(const NamedInputs& in, const std::vector<std::wstring>& required,
                const char* what) {
    std::vector<std::wstring> missing;
    for (const auto& n : required)
        if (!in.arrays.count(n))
            missing.push_back(n);
    if (!missing.empty())
        throw py::value_error(std::string("missing ") + what + ": " + JoinNames(missing));
}

// Crosstalk terms may be left out: the algorithms take a missing crosstalk as zero.
std::vector<std::wstring> WithoutCrosstalk(const std::vector<std::wstring>& names) {
    std::vector<std::wstring> out;
    for (const auto& n : names)
        if (n.rfind(L"CrossTalk", 0) != 0)
            out.push_back(n);
    return out;
}

std::vector<std::wstring> RawNames(ICorrectionAlgorithm& alg) {
    std::vector<std::wstring> names;
    alg.GetRawNames(names);
    return names;
}

std::vector<std::wstring> TermNames(ICorrectionAlgorithm& alg) {
    std::vector<std::wstring> names;
    alg.GetErrorTermNames(names);
    return names;
}

// Hands the arrays to `alg`, corrects every point into new complex64 arrays (one per output
// buffer, keyed by buffer name) and returns them. `requiredRaw` and `requiredTerms` are the
// names without which the algorithm cannot correct; outputs the algorithm skips keep the
// missing-data value.
py::dict RunAlgorithm(ICorrectionAlgorithm& alg, const py::dict& raw, const py::dict& terms,
                      const std::vector<std::wstring>& requiredRaw,
                      const std::vector<std::wstring>& requiredTerms) {
    int points = -1;
    const NamedInputs rawIn = Collect(raw, RawNames(alg), "raw", points);
    const NamedInputs termIn = Collect(terms, TermNames(alg), "error term", points);
    RequireAll(rawIn, requiredRaw, "raw data");
    RequireAll(termIn, requiredTerms, "error terms");
    if (points < 0)
        throw py::value_error("no data given");

    for (const auto& [name, a] : rawIn.arrays)
        if (!alg.SetRawData(name.c_str(), CPtr(a)))
            ThrowStatus(Tessel::kInvalidArg, "setting raw data " + Narrow(name));
    for (const auto& [name, a] : termIn.arrays)
        if (!alg.SetErrorTermData(name.c_str(), CPtr(a), points))
            ThrowStatus(Tessel::kInvalidArg, "setting error term " + Narrow(name));

    boost::shared_ptr<QuorUtility::DataMatrix> out;
    if (!alg.CreateOutputContainer(out, points) || !out)
        ThrowStatus(Tessel::kFail, "creating the output container");
    // Each output buffer writes straight into a new numpy array.
    std::vector<std::pair<std::wstring, CArray>> results;
    for (int k = 0; k < out->Size(); ++k) {
        QuorUtility::NamedBuffer* buf = out->GetBuffer(k);
        CArray a = NewC(points);
        std::fill_n(CPtr(a), points, QuorUtility::TsComplex::m_minus200dB);
        buf->data = CPtr(a);
        results.emplace_back(buf->name, std::move(a));
    }
    bool ok;
    {
        py::gil_scoped_release release;
        ok = alg.ApplyCorrection(0, points, *out, 0);
    }
    if (!ok)
        ThrowStatus(Tessel::kFail, "correction");
    py::dict result;
    for (auto& [name, a] : results)
        result[py::str(Narrow(name))] = std::move(a);
    return result;
}

std::vector<int> PortList(const std::vector<int>& ports) {
    if (ports.empty())
        throw py::value_error("ports must not be empty");
    std::set<int> seen;
    for (int p : ports) {
        if (p < 1)
            throw py::value_error("port numbers start at 1");
        if (!seen.insert(p).second)
            throw py::value_error("ports must be distinct");
    }
    return ports;
}

py::dict CorrectNPort(const py::dict& raw, const py::dict& terms, const std::vector<int>& ports,
                      bool bothSourcesOn) {
    const std::vector<int> p = PortList(ports);
    Tessel::NPort alg(static_cast<int>(p.size()), p);
    alg.SetBothSourcesAreOn(bothSourcesOn);
    return RunAlgorithm(alg, raw, terms, RawNames(alg), WithoutCrosstalk(TermNames(alg)));
}

py::array CorrectResponse(const CArray& raw, const CArray& tracking, const py::object& isolation) {
    const int n = Length1D(raw, "raw");
    SameLength(n, Length1D(tracking, "tracking"), "raw", "tracking");
    CArray iso;
    if (!isolation.is_none()) {
        iso = ToCArray(isolation, "isolation");
        SameLength(n, Length1D(iso, "isolation"), "raw", "isolation");
    }
    CArray out = NewC(n);
    const auto* r = CPtr(raw);
    const auto* t = CPtr(tracking);
    const auto* i = isolation.is_none() ? nullptr : CPtr(iso);
    auto* o = CPtr(out);
    long status;
    {
        py::gil_scoped_release release;
        status = i ? Tessel::CorrectResponseIsol(r, t, i, o, 0, n)
                   : Tessel::CorrectResponse(r, t, o, 0, n);
    }
    Check(status, "response correction");
    return std::move(out);
}

py::array CorrectOnePort(const CArray& raw, const CArray& directivity, const CArray& sourceMatch,
                         const CArray& reflectionTracking) {
    const int n = Length1D(raw, "raw");
    SameLength(n, Length1D(directivity, "directivity"), "raw", "directivity");
    SameLength(n, Length1D(sourceMatch, "source_match"), "raw", "source_match");
    SameLength(n, Length1D(reflectionTracking, "reflection_tracking"), "raw",
               "reflection_tracking");
    CArray out = NewC(n);
    const auto *r = CPtr(raw), *d = CPtr(directivity), *s = CPtr(sourceMatch),
               *t = CPtr(reflectionTracking);
    auto* o = CPtr(out);
    long status;
    {
        py::gil_scoped_release release;
        status = Tessel::Correct1Port(r, d, s, t, 0, n, o);
    }
    Check(status, "one-port correction");
    return std::move(out);
}

py::tuple Names(const std::string& algorithm, const std::vector<int>& ports) {
    std::vector<std::wstring> raw, terms;
    if (algorithm == "n_port") {
        const auto p = PortList(ports);
        Tessel::NPort alg(static_cast<int>(p.size()), p);
        raw = RawNames(alg);
        terms = TermNames(alg);
    } else if (algorithm == "enhanced_response") {
        if (ports.size() != 2)
            throw py::value_error("enhanced response takes two ports");
        Tessel::EnhancedResponse alg(PortList(ports));
        raw = RawNames(alg);
        terms = TermNames(alg);
    } else if (algorithm == "receivers") {
        const auto p = PortList(ports);
        Tessel::MatchAlg alg(static_cast<int>(p.size()), p);
        raw = RawNames(alg);
        terms = TermNames(alg);
    } else {
        throw py::value_error("algorithm must be 'n_port', 'enhanced_response' or 'receivers'");
    }
    py::list r, t;
    for (const auto& n : raw)
        r.append(Narrow(n));
    for (const auto& n : terms)
        t.append(Narrow(n));
    return py::make_tuple(r, t);
}

}  // namespace

void BindCorrection(py::module_& m) {
    m.def("correct_response", &CorrectResponse, py::arg("raw"), py::arg("tracking"),
          py::arg("isolation") = py::none(),
          R"doc(Returns the response-corrected data: raw / tracking, or (raw - isolation) / tracking
when an isolation term is given. All arrays complex64 of one length.)doc");
    m.def("correct_one_port", &CorrectOnePort, py::arg("raw"), py::kw_only(),
          py::arg("directivity"), py::arg("source_match"), py::arg("reflection_tracking"),
          R"doc(Returns the three-term corrected reflection: m / (reflection_tracking +
source_match*m) with m = raw - directivity.)doc");
    m.def(
        "correct_two_port",
        [](const py::dict& raw, const py::dict& terms, const std::vector<int>& ports,
           bool bothSourcesOn) {
            if (ports.size() != 2)
                throw py::value_error("ports must name two ports");
            return CorrectNPort(raw, terms, ports, bothSourcesOn);
        },
        py::arg("raw"), py::arg("terms"), py::kw_only(), py::arg("ports") = std::vector<int>{1, 2},
        py::arg("both_sources_on") = false,
        R"doc(Returns the twelve-term corrected S-parameters as a dict {"S11": ..., "S12": ...,
"S21": ..., "S22": ...} of complex64 arrays.

raw holds the four raw S-parameters by name, terms the error terms by their names
(Directivity(1,1), SourceMatch(2,2), ReflectionTracking(1,1), LoadMatch(2,1),
TransmissionTracking(2,1), CrossTalk(2,1), ...; see correction_names). Crosstalk terms may be
left out (zero). With both_sources_on the non-driven port is terminated by its source match.)doc");
    m.def("correct_n_port", &CorrectNPort, py::arg("raw"), py::arg("terms"), py::kw_only(),
          py::arg("ports"), py::arg("both_sources_on") = false,
          R"doc(Returns the N-port corrected S-parameters as a dict of complex64 arrays keyed
"S11".."SNN" (S3_10 style when a port number is 10 or more). Points where the correction
matrix is singular hold the missing-data value. Names as for correct_two_port.)doc");
    m.def(
        "correct_enhanced_response",
        [](const py::dict& raw, const py::dict& terms, int receivingPort, int sourcePort) {
            const auto p = PortList({receivingPort, sourcePort});
            Tessel::EnhancedResponse alg(p);
            const auto names = RawNames(alg);
            const py::dict all =
                RunAlgorithm(alg, raw, terms, names, WithoutCrosstalk(TermNames(alg)));
            // The container also holds the reverse direction, which this algorithm leaves at
            // its ideal values: only the two corrected parameters are results.
            py::dict result;
            for (const auto& n : names)
                result[py::str(Narrow(n))] = all[py::str(Narrow(n))];
            return result;
        },
        py::arg("raw"), py::arg("terms"), py::kw_only(), py::arg("receiving_port") = 2,
        py::arg("source_port") = 1,
        R"doc(Returns the enhanced-response corrected reflection and transmission of the source
port as a dict {"S11": ..., "S21": ...} (for source 1, receiver 2) of complex64 arrays.)doc");
    m.def(
        "correct_receivers",
        [](const py::dict& raw, const py::dict& terms, const std::vector<int>& ports,
           const py::object& matchCorrection, bool bothSourcesOn) {
            const auto p = PortList(ports);
            const int n = static_cast<int>(p.size());
            Tessel::MatchAlg alg(n, p);
            alg.SetBothSourcesAreOn(bothSourcesOn);
            if (py::isinstance<py::dict>(matchCorrection)) {
                for (auto item : matchCorrection.cast<py::dict>()) {
                    const int port = item.first.cast<int>();
                    if (std::find(p.begin(), p.end(), port) == p.end())
                        throw py::value_error("match_correction names a port not in ports");
                    alg.SetMatchCorrectionState(port, item.second.cast<bool>());
                }
            } else {
                alg.SetMatchCorrectionState(-1, matchCorrection.cast<bool>());
            }
            // The S-parameters are required; a receiver lacking its data is skipped.
            Tessel::NPort sparams(n, p);
            return RunAlgorithm(alg, raw, terms, RawNames(sparams),
                                WithoutCrosstalk(TermNames(sparams)));
        },
        py::arg("raw"), py::arg("terms"), py::kw_only(), py::arg("ports"),
        py::arg("match_correction") = true, py::arg("both_sources_on") = false,
        R"doc(Returns the corrected S-parameters and receivers ("a1,1", "b2,1", ... and their
aliases) as a dict of complex64 arrays.

match_correction is a bool for every port or a dict {port: bool}. Raw receiver data and
receiver tracking terms (ReferenceTracking(a1), ResponseTracking(b1), ...) are optional: a
receiver whose data or terms are missing keeps the missing-data value. Ports ascending.)doc");
    m.def("correction_names", &Names, py::arg("algorithm"), py::kw_only(), py::arg("ports"),
          R"doc(Returns (raw_names, term_names): the names the algorithm 'n_port',
'enhanced_response' (ports = [receiving, source]) or 'receivers' takes for these ports.)doc");
}

}  // namespace tessel_py
