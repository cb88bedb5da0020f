// SPDX-License-Identifier: Apache-2.0
// Formatting bindings: complex trace data into display scalars (magnitude, phase, group delay,
// SWR, levels, temperatures), impedance and admittance, smoothing and trace math.
#include <map>

#include "common.h"
#include "tessel/format/format.h"
#include "tessel/format/format_functions.h"
#include "tessel/format/group_delay.h"
#include "tessel/format/power_levels.h"
#include "tessel/format/smoothing.h"
#include "tessel/format/temperature.h"
#include "tessel/format/trace_math.h"

namespace tessel_py {

namespace {

using ArrayFormat = long (*)(const TsComplex*, float*, int);

// Runs f(in, out, n), an array-form formatting function or a lambda binding its extra
// arguments, over all of `data` into a new float32 array; the GIL is released meanwhile.
template <class F>
FArray Pointwise(const CArray& data, F f, const char* what) {
    const int n = Length1D(data, "data");
    FArray out = NewF(n);
    const TsComplex* in = CPtr(data);
    float* o = out.mutable_data();
    long status;
    {
        py::gil_scoped_release release;
        status = f(in, o, n);
    }
    Check(status, what);
    return out;
}

// The array form of an overloaded formatting function.
FArray Pointwise(const CArray& data, ArrayFormat f, const char* what) {
    return Pointwise<ArrayFormat>(data, f, what);
}

void Def(py::module_& m, const char* name, ArrayFormat f, const char* doc) {
    m.def(
        name, [f, name](const CArray& data) { return Pointwise(data, f, name); }, py::arg("data"),
        doc);
}

Tessel::NAUnit TemperatureUnit(const std::string& s) {
    static const std::map<std::string, Tessel::NAUnit> units = {
        {"K", Tessel::UnitK},
        {"kelvin", Tessel::UnitKelvin},
        {"celsius", Tessel::UnitCelsius},
        {"fahrenheit", Tessel::UnitFahrenheit},
        {"linear", Tessel::UnitLinear}};
    const auto it = units.find(s);
    if (it == units.end())
        throw py::value_error("unit must be 'K', 'kelvin', 'celsius', 'fahrenheit' or 'linear'");
    return it->second;
}

using LevelFormat = long (*)(const TsComplex*, float*, int, double, bool);

LevelFormat LevelFunction(const std::string& unit) {
    if (unit == "V")
        return &Tessel::FormatLogMag_V;
    if (unit == "A")
        return &Tessel::FormatLogMag_A;
    if (unit == "dBmV")
        return &Tessel::FormatLogMag_dBmV;
    if (unit == "dBmA")
        return &Tessel::FormatLogMag_dBmA;
    throw py::value_error("unit must be 'V', 'A', 'dBmV' or 'dBmA'");
}

using MathKernel = long (*)(const TsComplex*, const TsComplex*, TsComplex*, int, int);

MathKernel MathFunction(const std::string& op) {
    if (op == "add")
        return &Tessel::TraceMathAdd;
    if (op == "subtract")
        return &Tessel::TraceMathSubtract;
    if (op == "multiply")
        return &Tessel::TraceMathMultiply;
    if (op == "divide")
        return &Tessel::TraceMathDivide;
    throw py::value_error("operation must be 'add', 'subtract', 'multiply' or 'divide'");
}

// Impedance or admittance of each reflection coefficient in the reference impedance z0.
CArray Immittance(const CArray& gamma, std::complex<float> z0, bool admittance) {
    const int n = Length1D(gamma, "gamma");
    CArray out = NewC(n);
    const TsComplex* in = CPtr(gamma);
    TsComplex* o = CPtr(out);
    const TsComplex z(z0.real(), z0.imag());
    py::gil_scoped_release release;
    for (int i = 0; i < n; ++i)
        o[i] = admittance ? in[i].Admittance(z) : in[i].Impedance(z);
    return out;
}

FArray SmoothValues(const FArray& values, const py::object& aperture, const py::object& span,
                    bool phase) {
    if (aperture.is_none() == span.is_none())
        throw py::value_error("give exactly one of aperture and span");
    const int n = Length1D(values, "values");
    FArray out = NewF(n);
    const float* in = values.data();
    float* o = out.mutable_data();
    int processed = 0;
    long status;
    if (!aperture.is_none()) {
        const int a = aperture.cast<int>();
        py::gil_scoped_release release;
        status = Tessel::Smooth(in, o, n, 0, n, a, &processed, phase);
    } else {
        const double s = span.cast<double>();
        py::gil_scoped_release release;
        status = Tessel::Smooth(in, o, n, 0, n, s, &processed, phase);
    }
    Check(status, "smoothing");
    return out;
}

// One run of group-delay smoothing into the caller's array; returns the points computed.
int SmoothGroupDelayRun(const FArray& values, py::array out, double aperture, int first, int last) {
    const int n = Length1D(values, "values");
    SameLength(n, Length1D(out, "out"), "values", "out");
    // Written in place, so never a converted copy.
    if (!py::isinstance<py::array_t<float>>(out) || !(out.flags() & py::array::c_style) ||
        !out.writeable())
        throw py::value_error("out must be a writable contiguous float32 array");
    float* target = static_cast<float*>(out.mutable_data());
    // The library reads and writes vectors: copy in, run, copy back the points it computed.
    std::vector<float> in(values.data(), values.data() + n);
    std::vector<float> result(target, target + n);
    int processed = 0;
    long status;
    {
        py::gil_scoped_release release;
        status = Tessel::SmoothGroupDelay(in, result, n, first, last, aperture, &processed);
    }
    Check(status, "smooth_group_delay_run");
    std::copy(result.begin() + first, result.begin() + first + processed, target + first);
    return processed;
}

}  // namespace

void BindFormat(py::module_& m) {
    m.def(
        "log_mag",
        [](const CArray& data, const py::object& zeroValue) {
            if (zeroValue.is_none())
                return Pointwise(data, &Tessel::FormatDataLogMag, "log_mag");
            Tessel::Format format;
            format.SetLogMagZeroValue(zeroValue.cast<double>());
            const int n = Length1D(data, "data");
            FArray out = NewF(n);
            Check(format.LogMag(CPtr(data), out.mutable_data(), n), "log_mag");
            return out;
        },
        py::arg("data"), py::kw_only(), py::arg("zero_value") = py::none(),
        R"doc(Returns 20*log10|data| in dB as float32; a zero sample gives zero_value (by default
the library-wide zero value), never -inf.)doc");
    Def(m, "log_mag_10", &Tessel::FormatData10LogMag,
        "Returns 10*log10|re| in dB as float32 (samples holding a power in their real part).");
    Def(m, "lin_mag", &Tessel::FormatDataLinMag, "Returns |data| as float32.");
    Def(m, "swr", &Tessel::FormatDataSWR,
        "Returns the standing-wave ratio of each reflection coefficient as float32 (1e10 at "
        "|data| >= 1).");
    Def(m, "real", &Tessel::FormatDataReal, "Returns the real parts as float32.");
    Def(m, "imag", &Tessel::FormatDataImag, "Returns the imaginary parts as float32.");
    m.def(
        "noise_density",
        [](const CArray& data, const std::string& unit, double impedance) {
            if (unit == "dBm/Hz")
                return Pointwise(data, &Tessel::FormatNoiseDensity, "noise_density");
            if (unit != "dBmV")
                throw py::value_error("unit must be 'dBm/Hz' or 'dBmV'");
            return Pointwise(
                data,
                [impedance](const TsComplex* in, float* o, int n) {
                    return Tessel::FormatNoiseDensity_dBmV(in, o, n, impedance);
                },
                "noise_density");
        },
        py::arg("data"), py::kw_only(), py::arg("unit") = "dBm/Hz", py::arg("impedance") = 50.0,
        R"doc(Returns the noise density of noise temperatures T (kelvin, real part) as float32:
unit 'dBm/Hz' gives the power density 10*log10(|T|*k*1000); 'dBmV' the voltage density across
the impedance (ohms), 20*log10(1000*sqrt(|T|*k*impedance)), k Boltzmann's constant.)doc");
    m.def(
        "phase",
        [](const CArray& data, bool unwrap) {
            return Pointwise(
                data,
                [unwrap](const TsComplex* in, float* o, int n) {
                    return Tessel::FormatDataPhase(in, o, 0, n, unwrap);
                },
                "phase");
        },
        py::arg("data"), py::kw_only(), py::arg("unwrap") = false,
        R"doc(Returns the phase in radians as float32: wrapped into -pi..pi, or unwrapped (a turn
added or removed at every step of more than pi between neighbours).)doc");
    m.def(
        "group_delay",
        [](const CArray& data, const DArray& frequency) {
            const int n = Length1D(data, "data");
            SameLength(n, Length1D(frequency, "frequency"), "data", "frequency");
            QuorUtility::InputArray axis(
                std::vector<double>(frequency.data(), frequency.data() + n));
            FArray out = NewF(n);
            const TsComplex* in = CPtr(data);
            float* o = out.mutable_data();
            long status;
            {
                py::gil_scoped_release release;
                status = Tessel::FormatDataDelay(in, axis, o, 0, n);
            }
            Check(status, "group_delay");
            return out;
        },
        py::arg("data"), py::arg("frequency"),
        R"doc(Returns the group delay in seconds as float32 (frequency in Hz). Point i is the
phase step from point i-1 to i over the angular frequency step, -dphi/domega at the midpoint
f(i-1/2); point 0 repeats point 1.)doc");
    m.def(
        "impedance",
        [](const CArray& gamma, std::complex<float> z0) { return Immittance(gamma, z0, false); },
        py::arg("gamma"), py::kw_only(), py::arg("z0") = std::complex<float>(50.0f),
        "Returns the impedance z0*(1+gamma)/(1-gamma) of each reflection coefficient (complex64).");
    m.def(
        "admittance",
        [](const CArray& gamma, std::complex<float> z0) { return Immittance(gamma, z0, true); },
        py::arg("gamma"), py::kw_only(), py::arg("z0") = std::complex<float>(50.0f),
        "Returns the admittance (1-gamma)/(z0*(1+gamma)) of each reflection coefficient.");
    m.def(
        "level",
        [](const CArray& data, const std::string& unit, double impedance, bool raw) {
            const LevelFormat f = LevelFunction(unit);
            return Pointwise(
                data,
                [f, impedance, raw](const TsComplex* in, float* o, int n) {
                    return f(in, o, n, impedance, raw);
                },
                "level");
        },
        py::arg("data"), py::kw_only(), py::arg("unit") = "dBmV", py::arg("impedance") = 50.0,
        py::arg("raw") = false,
        R"doc(Returns the voltage or current level of power samples (mW as |z|^2) across the
impedance as float32: unit 'V', 'A' (signed by the real part), 'dBmV' or 'dBmA'. With raw the
real part already is the level.)doc");
    m.def(
        "convert_temperature",
        [](const py::array& values, const std::string& from, const std::string& to) {
            const Tessel::NAUnit f = TemperatureUnit(from), t = TemperatureUnit(to);
            const int n = Length1D(values, "values");
            FArray out = NewF(n);
            if (values.dtype().kind() == 'c') {
                const CArray c = ToCArray(values, "values");
                Check(Tessel::ConvertTemperature(CPtr(c), out.mutable_data(), n, f, t),
                      "convert_temperature");
            } else {
                const FArray v = FArray::ensure(values);
                if (!v)
                    throw py::error_already_set();
                Check(Tessel::ConvertTemperature(v.data(), out.mutable_data(), n, f, t),
                      "convert_temperature");
            }
            return out;
        },
        py::arg("values"), py::kw_only(), py::arg("from_unit"), py::arg("to_unit"),
        R"doc(Returns temperatures converted from from_unit to to_unit as float32. Units: 'K',
'kelvin', 'celsius', 'fahrenheit', and as a source 'linear' (a noise factor F, taken as
(F-1)*290 K). Complex values convert their real part. Other pairs copy the values.)doc");
    m.def("smooth", &SmoothValues, py::arg("values"), py::kw_only(),
          py::arg("aperture") = py::none(), py::arg("span") = py::none(), py::arg("phase") = false,
          R"doc(Returns the values smoothed by a centred moving average as float32: over an odd
aperture of points (>= 3), or over the fraction span of the trace. With phase the windows are
averaged unwrapped (radians) and the mean wrapped back. The ends repeat the first and last
values.)doc");
    m.def(
        "smooth_group_delay",
        [](const FArray& values, double aperture) {
            const int n = Length1D(values, "values");
            std::vector<float> in(values.data(), values.data() + n), out(n);
            long status;
            {
                py::gil_scoped_release release;
                status = Tessel::SmoothGroupDelay(in, out, n, 0, n, aperture, nullptr);
            }
            Check(status, "smooth_group_delay");
            FArray result = NewF(n);
            std::copy(out.begin(), out.end(), result.mutable_data());
            return result;
        },
        py::arg("values"), py::kw_only(), py::arg("aperture"),
        "Returns group delay smoothed over a fractional aperture of points (>= 2) as float32.");
    m.def("smooth_group_delay_run", &SmoothGroupDelayRun, py::arg("values"), py::arg("out"),
          py::kw_only(), py::arg("aperture"), py::arg("first"), py::arg("last"),
          R"doc(Smooths the run first <= i < last of group delay while a sweep fills the trace, and
returns how many points it computed. values (float32, the whole trace of n points) holds valid
data up to index last-1; out (float32, length n, writable) receives points first onwards. A run
ending before the trace's last point stops at the first point whose window reaches past
last-1; call again from there once more data has arrived. The aperture is as in
smooth_group_delay.)doc");
    m.def(
        "trace_math",
        [](const CArray& a, const CArray& b, const std::string& operation) {
            const MathKernel f = MathFunction(operation);
            const int n = Length1D(a, "a");
            SameLength(n, Length1D(b, "b"), "a", "b");
            CArray out = NewC(n);
            const TsComplex *pa = CPtr(a), *pb = CPtr(b);
            TsComplex* o = CPtr(out);
            long status;
            {
                py::gil_scoped_release release;
                status = f(pa, pb, o, 0, n);
            }
            Check(status, "trace_math");
            return out;
        },
        py::arg("a"), py::arg("b"), py::kw_only(), py::arg("operation"),
        R"doc(Returns a op b point by point (complex64); operation 'add', 'subtract', 'multiply'
or 'divide' (a zero divisor gives the IEEE result).)doc");
}

}  // namespace tessel_py
