// SPDX-License-Identifier: Apache-2.0
// Calibration bindings: calibration standards (CalStandard) and the solvers that turn raw
// measurements of standards into error terms, returned as a dict keyed by the names the
// correction functions take.
#include <cmath>
#include <vector>

#include "common.h"
#include "tessel/calibration/calibration.h"

namespace tessel_py {

namespace {

using Tessel::CalibrationData;
using Tessel::CalibrationResult;
using Tessel::CalOffset;
using Tessel::CalStandard;
using Tessel::Complexd;
using ZArray = py::array_t<std::complex<double>, py::array::c_style | py::array::forcecast>;

CalOffset Offset(double delay, double loss, double z0) {
    CalOffset o;
    o.delay = delay;
    o.loss = loss;
    o.z0 = z0;
    return o;
}

std::vector<double> Frequencies(const DArray& f) {
    const int n = Length1D(f, "frequency");
    if (n == 0)
        throw py::value_error("frequency must not be empty");
    return std::vector<double>(f.data(), f.data() + n);
}

// The samples of a raw measurement of `points` points as the solvers take them.
std::vector<TsComplex> Samples(py::handle obj, const std::string& name, size_t points) {
    const CArray a = ToCArray(obj, name);
    const int n = Length1D(a, name.c_str());
    if (static_cast<size_t>(n) != points)
        throw py::value_error(name + " must have one value per frequency");
    return std::vector<TsComplex>(CPtr(a), CPtr(a) + n);
}

std::vector<TsComplex> OptionalSamples(const py::object& obj, const char* name, size_t points) {
    return obj.is_none() ? std::vector<TsComplex>{} : Samples(obj, name, points);
}

// Refuses a standard whose data do not cover the sweep: evaluating it would read past them.
void CheckFits(const CalStandard& s, size_t points) {
    if (!s.FitsSweep(points))
        throw py::value_error("the standard's data must hold one value per frequency");
}

// Reflection measurements: (standard, raw) at `defaultPort`, or (standard, port, raw).
void AddReflections(const py::sequence& seq, int defaultPort, CalibrationData& data) {
    for (size_t k = 0; k < seq.size(); ++k) {
        const py::tuple t = seq[k].cast<py::tuple>();
        if (t.size() != 2 && t.size() != 3)
            throw py::value_error("a reflection is (standard, raw) or (standard, port, raw)");
        Tessel::ReflectionMeasurement m{
            t[0].cast<CalStandard>(), t.size() == 3 ? t[1].cast<int>() : defaultPort, {}};
        m.raw = Samples(t[t.size() - 1], "reflection raw", data.frequencies.size());
        data.reflections.push_back(std::move(m));
    }
}

// Two-port measurements: (standard, port1, port2, {"S11": .., "S12": .., "S21": .., "S22": ..}).
void AddTwoPorts(const py::sequence& seq, CalibrationData& data) {
    const size_t n = data.frequencies.size();
    for (size_t k = 0; k < seq.size(); ++k) {
        const py::tuple t = seq[k].cast<py::tuple>();
        if (t.size() != 4)
            throw py::value_error("a two-port measurement is (standard, port1, port2, raw_dict)");
        const py::dict raw = t[3].cast<py::dict>();
        for (const char* key : {"S11", "S12", "S21", "S22"})
            if (!raw.contains(key))
                throw py::value_error(std::string("two-port raw data lack ") + key);
        Tessel::TwoPortMeasurement m{t[0].cast<CalStandard>(),
                                     t[1].cast<int>(),
                                     t[2].cast<int>(),
                                     Samples(raw["S11"], "S11", n),
                                     Samples(raw["S12"], "S12", n),
                                     Samples(raw["S21"], "S21", n),
                                     Samples(raw["S22"], "S22", n)};
        data.twoPorts.push_back(std::move(m));
    }
}

// The solved terms as a dict of complex64 arrays; a partial failure raises unless the caller
// accepts the missing-data value at the failed points.
py::dict Result(long status, const CalibrationResult& r, bool allowPartial) {
    if (status == Tessel::kFail && !allowPartial) {
        std::string where;
        for (const auto& range : r.ranges)
            if (range.status < 0)
                where += (where.empty() ? "" : ", ") + std::to_string(range.start) + ".." +
                         std::to_string(range.stop - 1);
        ThrowStatus(status, "calibration (singular or ill-conditioned at points " + where + ")");
    }
    if (status != Tessel::kFail)
        Check(status, "calibration");
    py::dict out;
    for (size_t k = 0; k < r.names.size(); ++k) {
        CArray a = NewC(static_cast<py::ssize_t>(r.terms[k].size()));
        std::copy(r.terms[k].begin(), r.terms[k].end(), CPtr(a));
        out[py::str(Narrow(r.names[k]))] = std::move(a);
    }
    return out;
}

Tessel::TwoPortMethod Method(const std::string& name) {
    if (name == "solt")
        return Tessel::TwoPortMethod::Solt;
    if (name == "enhanced_response")
        return Tessel::TwoPortMethod::EnhancedResponse;
    if (name == "trl")
        return Tessel::TwoPortMethod::Trl;
    if (name == "unknown_thru")
        return Tessel::TwoPortMethod::UnknownThru;
    throw py::value_error("method must be 'solt', 'enhanced_response', 'trl' or 'unknown_thru'");
}

const char* KindName(Tessel::StandardKind k) {
    switch (k) {
        case Tessel::StandardKind::Open:
            return "open";
        case Tessel::StandardKind::Short:
            return "short";
        case Tessel::StandardKind::Load:
            return "load";
        case Tessel::StandardKind::Thru:
            return "thru";
        case Tessel::StandardKind::ReflectionData:
            return "reflection_data";
        case Tessel::StandardKind::TwoPortData:
            return "two_port_data";
    }
    return "?";
}

}  // namespace

void BindCalibration(py::module_& m) {
    using Poly = std::array<double, 4>;
    py::class_<CalStandard>(m, "CalStandard", R"doc(A calibration standard's electrical definition.

Built by the static constructors open, short, matched_load, load, thru, reflection_data and
two_port_data. Analytic standards sit behind an offset line of one-way delay (s), loss (ohm/s
at 1 GHz) and impedance z0 (ohm); a zero delay means no offset.)doc")
        .def_static(
            "open",
            [](const Poly& c, double delay, double loss, double z0) {
                return CalStandard::Open(c, Offset(delay, loss, z0));
            },
            py::arg("c") = Poly{}, py::kw_only(), py::arg("delay") = 0.0, py::arg("loss") = 0.0,
            py::arg("z0") = 50.0,
            "Returns an open of fringe capacitance C0 + C1 f + C2 f^2 + C3 f^3 (c in F, F/Hz...).")
        .def_static(
            "short",
            [](const Poly& l, double delay, double loss, double z0) {
                return CalStandard::Short(l, Offset(delay, loss, z0));
            },
            py::arg("l") = Poly{}, py::kw_only(), py::arg("delay") = 0.0, py::arg("loss") = 0.0,
            py::arg("z0") = 50.0,
            "Returns a short of inductance L0 + L1 f + L2 f^2 + L3 f^3 (l in H, H/Hz...).")
        .def_static(
            "matched_load",
            [](double delay, double loss, double z0) {
                return CalStandard::MatchedLoad(Offset(delay, loss, z0));
            },
            py::kw_only(), py::arg("delay") = 0.0, py::arg("loss") = 0.0, py::arg("z0") = 50.0,
            "Returns a load matched to the reference impedance.")
        .def_static(
            "load",
            [](Complexd gamma, double delay, double loss, double z0) {
                return CalStandard::Load(gamma, Offset(delay, loss, z0));
            },
            py::arg("gamma"), py::kw_only(), py::arg("delay") = 0.0, py::arg("loss") = 0.0,
            py::arg("z0") = 50.0, "Returns a load of termination reflection gamma.")
        .def_static(
            "thru",
            [](double delay, double loss, double z0) {
                return CalStandard::Thru(Offset(delay, loss, z0));
            },
            py::kw_only(), py::arg("delay") = 0.0, py::arg("loss") = 0.0, py::arg("z0") = 50.0,
            "Returns a flush thru (delay 0) or a delayed lossy line.")
        .def_static(
            "reflection_data",
            [](const ZArray& gamma) {
                const int n = Length1D(gamma, "gamma");
                return CalStandard::ReflectionData(
                    std::vector<Complexd>(gamma.data(), gamma.data() + n));
            },
            py::arg("gamma"), "Returns a one-port standard known by its reflection per point.")
        .def_static(
            "two_port_data",
            [](const ZArray& s) {
                if (s.ndim() != 3 || s.shape(1) != 2 || s.shape(2) != 2)
                    throw py::value_error("s must have the shape (points, 2, 2)");
                std::vector<Tessel::SParams2> v(static_cast<size_t>(s.shape(0)));
                const Complexd* p = s.data();
                for (auto& sp : v) {
                    std::copy(p, p + 4, sp.begin());  // S11 S12 S21 S22, row-major
                    p += 4;
                }
                return CalStandard::TwoPortData(std::move(v));
            },
            py::arg("s"), "Returns a two-port standard known by its S-matrix per point.")
        .def_property_readonly(
            "kind", [](const CalStandard& s) { return KindName(s.Kind()); },
            "The kind: 'open', 'short', 'load', 'thru', 'reflection_data' "
            "or 'two_port_data'.")
        .def_property_readonly("is_two_port", &CalStandard::IsTwoPort)
        .def(
            "s_parameters",
            [](const CalStandard& s, const DArray& f, double z0) {
                const auto freq = Frequencies(f);
                CheckFits(s, freq.size());
                ZArray out({static_cast<py::ssize_t>(freq.size()), py::ssize_t(2), py::ssize_t(2)});
                Complexd* o = out.mutable_data();
                for (size_t i = 0; i < freq.size(); ++i, o += 4) {
                    const auto sp = s.SParameters(i, freq[i], z0);
                    std::copy(sp.begin(), sp.end(), o);
                }
                return out;
            },
            py::arg("frequency"), py::kw_only(), py::arg("z0") = 50.0,
            "Returns the S-matrices (points, 2, 2) complex128 of the standard over the sweep "
            "(a one-port standard: its reflection on both ports, no transmission).")
        .def(py::self == py::self)
        .def(py::self != py::self);

    m.def(
        "solve_response",
        [](const DArray& f, const py::sequence& standards, const std::string& rawName,
           const std::string& path, bool isolation, double z0, bool allowPartial) {
            const auto freq = Frequencies(f);
            Tessel::ResponsePath p;
            if (path == "transmission")
                p = Tessel::ResponsePath::Transmission;
            else if (path == "reflection")
                p = Tessel::ResponsePath::Reflection;
            else
                throw py::value_error("path must be 'transmission' or 'reflection'");
            std::vector<Tessel::ResponseMeasurement> ms;
            for (size_t k = 0; k < standards.size(); ++k) {
                const py::tuple t = standards[k].cast<py::tuple>();
                if (t.size() != 2)
                    throw py::value_error("a standard is (standard, raw)");
                ms.push_back({t[0].cast<CalStandard>(), Samples(t[1], "raw", freq.size())});
            }
            CalibrationResult r;
            long status;
            {
                py::gil_scoped_release release;
                status = Tessel::SolveResponse(freq, z0, p, ms, isolation, Widen(rawName), r);
            }
            return Result(status, r, allowPartial);
        },
        py::arg("frequency"), py::arg("standards"), py::kw_only(), py::arg("raw_name") = "S21",
        py::arg("path") = "transmission", py::arg("isolation") = false, py::arg("z0") = 50.0,
        py::arg("allow_partial") = false,
        R"doc(Returns the response error terms {"ResponseTracking(<raw_name>)": ...[,
"ResponseIsolation(<raw_name>)": ...]} from standards = [(CalStandard, raw), ...].)doc");

    m.def(
        "solve_one_port",
        [](const DArray& f, const py::sequence& reflections, int port, double z0,
           bool allowPartial) {
            CalibrationData data;
            data.frequencies = Frequencies(f);
            data.z0 = z0;
            AddReflections(reflections, port, data);
            CalibrationResult r;
            long status;
            {
                py::gil_scoped_release release;
                status = Tessel::SolveOnePort(data, port, r);
            }
            return Result(status, r, allowPartial);
        },
        py::arg("frequency"), py::arg("reflections"), py::kw_only(), py::arg("port") = 1,
        py::arg("z0") = 50.0, py::arg("allow_partial") = false,
        R"doc(Returns the one-port terms {"Directivity(p,p)", "SourceMatch(p,p)",
"ReflectionTracking(p,p)"} from reflections = [(CalStandard, raw), ...] measured at port
(three standards exactly, more by least squares).

A point where the standards cannot be told apart raises TesselError unless allow_partial,
which returns the terms with the missing-data value at those points.)doc");

    m.def(
        "solve_two_port",
        [](const DArray& f, const py::sequence& reflections, const py::sequence& twoPorts,
           const std::string& method, const std::vector<int>& ports, double z0,
           const py::object& isoF, const py::object& isoR, const py::object& swF,
           const py::object& swR, bool allowPartial) {
            if (ports.size() != 2)
                throw py::value_error("ports must name two ports");
            CalibrationData data;
            data.frequencies = Frequencies(f);
            data.z0 = z0;
            const size_t n = data.frequencies.size();
            AddReflections(reflections, ports[0], data);
            AddTwoPorts(twoPorts, data);
            data.isolationForward = OptionalSamples(isoF, "isolation_forward", n);
            data.isolationReverse = OptionalSamples(isoR, "isolation_reverse", n);
            data.switchForward = OptionalSamples(swF, "switch_forward", n);
            data.switchReverse = OptionalSamples(swR, "switch_reverse", n);
            const auto mth = Method(method);
            CalibrationResult r;
            long status;
            {
                py::gil_scoped_release release;
                status = Tessel::SolveTwoPort(mth, data, ports[0], ports[1], r);
            }
            return Result(status, r, allowPartial);
        },
        py::arg("frequency"), py::arg("reflections"), py::arg("two_ports"), py::kw_only(),
        py::arg("method") = "solt", py::arg("ports") = std::vector<int>{1, 2}, py::arg("z0") = 50.0,
        py::arg("isolation_forward") = py::none(), py::arg("isolation_reverse") = py::none(),
        py::arg("switch_forward") = py::none(), py::arg("switch_reverse") = py::none(),
        py::arg("allow_partial") = false,
        R"doc(Returns the two-port error terms as a dict of complex64 arrays, for correct_two_port
(or, with method 'enhanced_response', for correct_enhanced_response with ports =
(source, receiving)).

reflections = [(CalStandard, port, raw), ...]; two_ports = [(CalStandard, port1, port2,
{"S11":..,"S12":..,"S21":..,"S22":..}), ...] (TRL: the thru, then the line). method: 'solt',
'enhanced_response', 'trl' or 'unknown_thru' (the last two need switch_forward a2/b2 and
switch_reverse a1/b1).)doc");

    m.def(
        "solve_n_port_solt",
        [](const DArray& f, const py::sequence& reflections, const py::sequence& twoPorts,
           const std::vector<int>& ports, double z0, bool allowPartial) {
            CalibrationData data;
            data.frequencies = Frequencies(f);
            data.z0 = z0;
            AddReflections(reflections, ports.empty() ? 1 : ports[0], data);
            AddTwoPorts(twoPorts, data);
            CalibrationResult r;
            long status;
            {
                py::gil_scoped_release release;
                status = Tessel::SolveNPortSolt(data, ports, r);
            }
            return Result(status, r, allowPartial);
        },
        py::arg("frequency"), py::arg("reflections"), py::arg("two_ports"), py::kw_only(),
        py::arg("ports"), py::arg("z0") = 50.0, py::arg("allow_partial") = false,
        R"doc(Returns the 3*N*N SOLT error terms of the ports for correct_n_port: reflections and
two_ports as for solve_two_port, one thru per pair of ports.)doc");
}

}  // namespace tessel_py
