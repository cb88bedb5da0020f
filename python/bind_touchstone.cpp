// SPDX-License-Identifier: Apache-2.0
// Touchstone bindings: the Touchstone class (frequency, network data, reference impedances,
// noise) and reading, parsing, formatting and writing files through the library.
#include "common.h"
#include "tessel/touchstone/touchstone.h"

namespace tessel_py {

namespace {

using Tessel::TouchstoneData;

// Network data of a file on numpy arrays: what Python code works with.
struct PyTouchstone {
    DArray frequency;  // (points,) Hz
    CArray s;          // (points, ports, ports)
    DArray z0;         // (ports,) ohms
    DArray noise;      // (noise points, 5): Hz, NFmin dB, |Gopt|, angle(Gopt) deg, Rn/R
    std::string parameter = "S";
    int version = 1;
};

const char* ParameterName(Tessel::TsParameter p) {
    switch (p) {
        case Tessel::TsParameter::S:
            return "S";
        case Tessel::TsParameter::Y:
            return "Y";
        case Tessel::TsParameter::Z:
            return "Z";
        case Tessel::TsParameter::H:
            return "H";
        case Tessel::TsParameter::G:
            return "G";
    }
    return "S";
}

Tessel::TsParameter ParameterOf(const std::string& s) {
    if (s == "S")
        return Tessel::TsParameter::S;
    if (s == "Y")
        return Tessel::TsParameter::Y;
    if (s == "Z")
        return Tessel::TsParameter::Z;
    throw py::value_error("parameter must be 'S', 'Y' or 'Z'");
}

// Library errors of Touchstone text carry no status: they are reported as invalid input.
template <class F>
auto Guarded(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const Tessel::TouchstoneError& e) {
        ThrowStatus(Tessel::kInvalidArg, e.what());
    }
}

PyTouchstone FromData(TouchstoneData d, bool toS) {
    if (toS)
        Guarded([&] {
            Tessel::ConvertToS(d);
            d.options.parameter = Tessel::TsParameter::S;
            return 0;
        });
    PyTouchstone t;
    const auto n = static_cast<py::ssize_t>(d.frequencyHz.size());
    const auto p = static_cast<py::ssize_t>(d.ports);
    t.frequency = DArray(n);
    std::copy(d.frequencyHz.begin(), d.frequencyHz.end(), t.frequency.mutable_data());
    t.s = CArray({n, p, p});
    std::copy(d.data.begin(), d.data.end(), CPtr(t.s));
    t.z0 = DArray(p);
    std::copy(d.referenceOhms.begin(), d.referenceOhms.end(), t.z0.mutable_data());
    t.noise = DArray({static_cast<py::ssize_t>(d.noise.size()), py::ssize_t(5)});
    double* o = t.noise.mutable_data();
    for (const auto& q : d.noise) {
        *o++ = q.frequencyHz;
        *o++ = q.minNoiseFigureDb;
        *o++ = q.gammaOptMagnitude;
        *o++ = q.gammaOptAngleDeg;
        *o++ = q.noiseResistance;
    }
    t.parameter = ParameterName(d.options.parameter);
    t.version = d.version;
    return t;
}

// The library's form of a Touchstone object, checking every shape first.
TouchstoneData ToData(const PyTouchstone& t) {
    const int n = Length1D(t.frequency, "frequency");
    if (t.s.ndim() != 3 || t.s.shape(0) != n || t.s.shape(1) != t.s.shape(2) || t.s.shape(1) < 1)
        throw py::value_error("s must have the shape (points, ports, ports)");
    const int ports = static_cast<int>(t.s.shape(1));
    if (ports > 99)
        throw py::value_error("at most 99 ports");
    TouchstoneData d;
    d.ports = ports;
    d.options.frequencyUnitHz = 1.0;
    d.options.format = Tessel::TsFormat::RI;
    d.options.parameter = ParameterOf(t.parameter);
    d.frequencyHz.assign(t.frequency.data(), t.frequency.data() + n);
    d.data.assign(CPtr(t.s), CPtr(t.s) + static_cast<size_t>(n) * ports * ports);
    const int nz = Length1D(t.z0, "z0");
    if (nz == 1)
        d.referenceOhms.assign(ports, t.z0.data()[0]);
    else if (nz == ports)
        d.referenceOhms.assign(t.z0.data(), t.z0.data() + ports);
    else
        throw py::value_error("z0 must hold one value or one per port");
    d.options.resistance = d.referenceOhms[0];
    if (t.noise.size() > 0) {
        if (t.noise.ndim() != 2 || t.noise.shape(1) != 5)
            throw py::value_error("noise must have the shape (points, 5)");
        const double* q = t.noise.data();
        for (py::ssize_t i = 0; i < t.noise.shape(0); ++i, q += 5)
            d.noise.push_back({q[0], q[1], q[2], q[3], q[4]});
    }
    return d;
}

PyTouchstone Make(const DArray& frequency, const CArray& s, const DArray& z0,
                  const py::object& noise, const std::string& parameter) {
    PyTouchstone t;
    t.frequency = frequency;
    // A one-port may come as a plain vector, one reference impedance as a scalar.
    t.s = s;
    if (s.ndim() == 1)
        t.s = CArray(t.s.reshape({s.shape(0), py::ssize_t(1), py::ssize_t(1)}));
    t.z0 = z0;
    if (z0.ndim() == 0)
        t.z0 = DArray(t.z0.reshape({py::ssize_t(1)}));
    t.noise = noise.is_none() ? DArray(std::vector<py::ssize_t>{0, 5}) : DArray::ensure(noise);
    if (!t.noise)
        throw py::type_error("noise must be an array of numbers");
    t.parameter = parameter;
    ToData(t);  // refuses inconsistent shapes now rather than at write time
    return t;
}

}  // namespace

void BindTouchstone(py::module_& m) {
    py::class_<PyTouchstone>(m, "Touchstone", R"doc(Network data of a Touchstone file.

frequency: float64 (points,) in Hz; s: complex64 (points, ports, ports), s[i, r, c] the
parameter from port c+1 to port r+1; z0: float64 (ports,) reference impedances in ohms;
noise: float64 (points, 5) two-port noise parameters (Hz, NFmin dB, |Gopt|, angle Gopt in
degrees, Rn normalized); parameter: 'S' (or 'Y'/'Z' when read with to_s=False).)doc")
        .def(py::init(&Make), py::arg("frequency"), py::arg("s"), py::kw_only(),
             py::arg("z0") = 50.0, py::arg("noise") = py::none(), py::arg("parameter") = "S")
        .def_readonly("frequency", &PyTouchstone::frequency)
        .def_readonly("s", &PyTouchstone::s)
        .def_readonly("z0", &PyTouchstone::z0)
        .def_readonly("noise", &PyTouchstone::noise)
        .def_readonly("parameter", &PyTouchstone::parameter)
        .def_readonly("version", &PyTouchstone::version)
        .def_property_readonly(
            "ports", [](const PyTouchstone& t) { return t.s.ndim() == 3 ? t.s.shape(1) : 0; })
        .def("__repr__", [](const PyTouchstone& t) {
            return "<Touchstone " + std::to_string(t.s.shape(1)) + " ports, " +
                   std::to_string(t.frequency.shape(0)) + " points>";
        });

    m.def(
        "read_touchstone",
        [](const std::string& path, bool toS) {
            return FromData(Guarded([&] { return Tessel::ReadTouchstoneFile(path); }), toS);
        },
        py::arg("path"), py::kw_only(), py::arg("to_s") = true,
        R"doc(Returns the Touchstone object of a .sNp (or version 2 .ts) file. Y and Z data are
converted to S unless to_s is false. Unreadable or malformed files raise TesselError.)doc");
    m.def(
        "parse_touchstone",
        [](const std::string& text, int ports, bool toS) {
            return FromData(
                Guarded([&] { return Tessel::ParseTouchstone(text, ports, "<string>"); }), toS);
        },
        py::arg("text"), py::kw_only(), py::arg("ports") = 0, py::arg("to_s") = true,
        "Returns the Touchstone object of Touchstone text (ports: the .sNp count of a "
        "version 1 text).");
    m.def(
        "format_touchstone",
        [](const PyTouchstone& t, int version) {
            const TouchstoneData d = ToData(t);
            return Guarded([&] { return Tessel::FormatTouchstone(d, version); });
        },
        py::arg("network"), py::kw_only(), py::arg("version") = 1,
        "Returns the Touchstone text (version 1 or 2) of a Touchstone object.");
    m.def(
        "write_touchstone",
        [](const std::string& path, const py::object& network, const py::object& frequency,
           const py::object& s, const DArray& z0, int version) {
            PyTouchstone t;
            if (!network.is_none()) {
                if (!frequency.is_none() || !s.is_none())
                    throw py::value_error("give a network or frequency and s, not both");
                t = network.cast<PyTouchstone>();
            } else {
                if (frequency.is_none() || s.is_none())
                    throw py::value_error("give a network, or frequency and s");
                const DArray f = DArray::ensure(frequency);
                if (!f)
                    throw py::error_already_set();
                t = Make(f, ToCArray(s, "s"), z0, py::none(), "S");
            }
            const TouchstoneData d = ToData(t);
            Guarded([&] {
                Tessel::WriteTouchstoneFile(path, d, version);
                return 0;
            });
        },
        py::arg("path"), py::arg("network") = py::none(), py::kw_only(),
        py::arg("frequency") = py::none(), py::arg("s") = py::none(), py::arg("z0") = 50.0,
        py::arg("version") = 1,
        R"doc(Writes a Touchstone file (version 1 or 2; real/imaginary pairs, frequencies in Hz):
from a Touchstone object, or from frequency (Hz) and s (points, ports, ports).)doc");
}

}  // namespace tessel_py
