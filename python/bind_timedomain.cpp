// SPDX-License-Identifier: Apache-2.0
// Python bindings: time-domain transform (class TimeDomain), gating (class Gate and gate()),
// the DC estimate of a low-pass sweep, and port extension.
#include <cmath>
#include <string>
#include <vector>

#include "common.h"
#include "common_ext.h"
#include "tessel/timedomain/gating.h"
#include "tessel/timedomain/phase_change.h"
#include "tessel/timedomain/time_domain.h"

namespace tessel_py {

using Tessel::Gating;
using Tessel::TimeDomain;
using Tessel::TsComplex;

namespace {

const std::initializer_list<Choice> kModes = {{"bandpass", TimeDomain::BandPass},
                                              {"lowpass_step", TimeDomain::LowPassStep},
                                              {"lowpass_impulse", TimeDomain::LowPassImpulse}};
const std::initializer_list<Choice> kShapes = {{"minimum", TimeDomain::Minimum},
                                               {"normal", TimeDomain::Normal},
                                               {"maximum", TimeDomain::Maximum},
                                               {"custom", TimeDomain::Custom}};
const std::initializer_list<Choice> kGateTypes = {{"bandpass", Gating::GateBandpass},
                                                  {"notch", Gating::GateNotch}};
const std::initializer_list<Choice> kGateShapes = {{"maximum", Gating::GateMaximum},
                                                   {"wide", Gating::GateWide},
                                                   {"normal", Gating::GateNormal},
                                                   {"minimum", Gating::GateMinimum}};
const std::initializer_list<Choice> kMedia = {{"coax", Tessel::MediaCoax},
                                              {"waveguide", Tessel::MediaWaveguide}};

// The stimulus grid of a frequency array: start, stop and point count. The library works on an
// evenly spaced grid given by its ends, so an array that is not evenly spaced (relative error
// above 1e-6 of the step) is refused rather than transformed as if it were.
struct Grid {
    double start, stop;
    int points;
};

Grid GridOf(const DArray& frequency, int minPoints) {
    const int n = Length1D(frequency, "frequency");
    if (n < minPoints)
        throw py::value_error("frequency must hold at least " + std::to_string(minPoints) +
                              " points");
    const double* f = frequency.data();
    const double step = (f[n - 1] - f[0]) / (n - 1);
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(f[i]))
            throw py::value_error("frequency must be finite");
        if (std::fabs(f[i] - (f[0] + i * step)) > 1e-6 * std::fabs(step) + 1e-300)
            throw py::value_error("frequency must be evenly spaced");
    }
    return {f[0], f[n - 1], n};
}

// The time axis t_m = t0 + m·(t1 - t0)/(M - 1) of M points.
DArray TimeAxis(double t0, double t1, unsigned m) {
    DArray t(static_cast<py::ssize_t>(m));
    double* p = t.mutable_data();
    for (unsigned i = 0; i < m; ++i)
        p[i] = m > 1 ? t0 + i * (t1 - t0) / (m - 1) : t0;
    return t;
}

// A TimeDomain with its window given either as a beta (a number) or as a shape name.
void SetWindow(TimeDomain& td, const py::object& window) {
    if (py::isinstance<py::str>(window)) {
        Check(td.SetWindowShape(static_cast<TimeDomain::WindowShape>(
                  ParseChoice(window.cast<std::string>(), kShapes, "window"))),
              "TimeDomain window");
    } else {
        Check(td.SetKaiserBeta(window.cast<double>()), "TimeDomain window");
    }
}

TimeDomain MakeTimeDomain(const DArray& frequency, const std::string& mode,
                          const py::object& window, py::object start, py::object stop, double dc) {
    const Grid g = GridOf(frequency, 2);
    TimeDomain td;
    Check(td.SetFrequencyData(g.start, g.stop, static_cast<unsigned>(g.points)),
          "TimeDomain frequency");
    Check(td.SetTransformMode(
              static_cast<TimeDomain::TransformMode>(ParseChoice(mode, kModes, "mode"))),
          "TimeDomain mode");
    SetWindow(td, window);
    // The stop first when it lies below the preset start, so the start never pushes it.
    if (!stop.is_none())
        Check(td.SetStopTime(stop.cast<double>(), true), "TimeDomain stop");
    if (!start.is_none())
        Check(td.SetStartTime(start.cast<double>(), true), "TimeDomain start");
    if (!stop.is_none())
        Check(td.SetStopTime(stop.cast<double>(), true), "TimeDomain stop");
    Check(td.SetDCValue(dc), "TimeDomain dc");
    return td;
}

py::tuple Transform(TimeDomain& td, const CArray& data) {
    double f0 = 0, f1 = 0;
    unsigned points = 0;
    td.GetFrequencyData(f0, f1, points);
    const int n = Length1D(data, "data");
    if (n != static_cast<int>(points))
        throw py::value_error("data must hold one sample per frequency point (" +
                              std::to_string(points) + ")");
    const std::vector<TsComplex> in(CPtr(data), CPtr(data) + n);
    std::vector<TsComplex> out;
    long status;
    {
        py::gil_scoped_release release;
        status = td.Execute(in, out);
    }
    Check(status, "TimeDomain.transform");
    return py::make_tuple(
        TimeAxis(td.GetStartTime(), td.GetStopTime(), static_cast<unsigned>(out.size())),
        FromSamples(out));
}

// Runs a gate on data; returns (gated, dc value).
py::tuple ApplyGate(Gating& gate, const CArray& data, bool lowpass) {
    const std::vector<TsComplex> in = ToSamples(data, "data");
    std::vector<TsComplex> out;
    double dc = 0.0;
    bool dcValid = false;
    long status;
    {
        py::gil_scoped_release release;
        status = lowpass ? gate.GateDataLowpass(in, out, dc, dcValid)
                         : gate.GateDataBandpass(in, out, dc, dcValid);
    }
    Check(status, "gate");
    return py::make_tuple(FromSamples(out), dc);
}

Gating MakeGate(const DArray& frequency, double start, double stop, const std::string& type,
                const std::string& shape) {
    const Grid g = GridOf(frequency, 3);
    Gating gate;
    Check(gate.SetFrequencyData(g.start, g.stop, g.points), "Gate frequency");
    Check(gate.SetGateType(static_cast<Gating::GateType>(ParseChoice(type, kGateTypes, "type"))),
          "Gate type");
    Check(
        gate.SetGateShape(static_cast<Gating::GateShape>(ParseChoice(shape, kGateShapes, "shape"))),
        "Gate shape");
    Check(gate.SetGateStop(stop), "Gate stop");
    Check(gate.SetGateStart(start), "Gate start");
    Check(gate.SetGateStop(stop), "Gate stop");
    return gate;
}

// One of the two extra line sections of a port extension, read from a dict.
struct Section {
    double delay = 0, l1 = 0, l2 = 0, f1 = 0, f2 = 0, extra = 0, cutoff = 0;
    bool lossOn = false, twoPoint = false;
    Tessel::MediaType media = Tessel::MediaCoax;
};

Section ParseSection(const py::handle& h) {
    Section s;
    for (auto item : h.cast<py::dict>()) {
        const std::string key = item.first.cast<std::string>();
        const py::handle v = item.second;
        if (key == "delay")
            s.delay = v.cast<double>();
        else if (key == "loss1")
            s.l1 = v.cast<double>();
        else if (key == "loss2")
            s.l2 = v.cast<double>();
        else if (key == "frequency1")
            s.f1 = v.cast<double>();
        else if (key == "frequency2")
            s.f2 = v.cast<double>();
        else if (key == "extra_loss")
            s.extra = v.cast<double>();
        else if (key == "loss_on")
            s.lossOn = v.cast<bool>();
        else if (key == "two_point_law")
            s.twoPoint = v.cast<bool>();
        else if (key == "cutoff")
            s.cutoff = v.cast<double>();
        else if (key == "media")
            s.media =
                static_cast<Tessel::MediaType>(ParseChoice(v.cast<std::string>(), kMedia, "media"));
        else
            throw py::value_error("unknown line section key '" + key + "'");
    }
    return s;
}

CArray PortExtension(const CArray& data, const py::object& frequency, double delay,
                     double phaseOffset, double loss, double lossSlope, const std::string& media,
                     double cutoff, const py::object& sections, bool singleLine) {
    const int n = Length1D(data, "data");
    std::vector<Section> extra;
    if (!sections.is_none())
        for (auto h : sections)
            extra.push_back(ParseSection(h));
    if (extra.size() > 2)
        throw py::value_error("sections holds at most two line sections");
    const bool useSections = !extra.empty();
    extra.resize(2);
    const auto m1 = static_cast<Tessel::MediaType>(ParseChoice(media, kMedia, "media"));

    // An array gives one frequency per sample; a number one fixed frequency for all.
    QuorUtility::InputArray axis;
    const bool fixed = !py::isinstance<py::array>(frequency) &&
                       !py::isinstance<py::list>(frequency) &&
                       !py::isinstance<py::tuple>(frequency);
    if (!fixed) {
        const DArray f = py::cast<DArray>(frequency);
        SameLength(n, Length1D(f, "frequency"), "data", "frequency");
        axis.SetArray(f.data(), static_cast<std::size_t>(n));
    }
    const Tessel::WrapFreq freq =
        fixed ? Tessel::WrapFreq(frequency.cast<double>()) : Tessel::WrapFreq(&axis);
    CArray out = NewC(n);
    const TsComplex* in = CPtr(data);
    TsComplex* o = CPtr(out);
    const Section& s2 = extra[0];
    const Section& s3 = extra[1];
    long status;
    {
        py::gil_scoped_release release;
        status = Tessel::PhaseChange(
            in, freq, phaseOffset, delay, loss, lossSlope, m1, cutoff, useSections, s2.delay, s2.l1,
            s2.l2, s2.f1, s2.f2, s2.extra, s2.lossOn, s2.twoPoint, s2.media, s2.cutoff, s3.delay,
            s3.l1, s3.l2, s3.f1, s3.f2, s3.extra, s3.lossOn, s3.twoPoint, s3.media, s3.cutoff, 0u,
            static_cast<unsigned>(n), o, singleLine);
    }
    Check(status, "port_extension");
    return out;
}

}  // namespace

void BindTimeDomain(py::module_& m) {
    py::class_<TimeDomain>(m, "TimeDomain", R"(Transform of a frequency response into time.

Modes: "bandpass" (complex result, any evenly spaced grid), "lowpass_impulse" and
"lowpass_step" (real results, held in the real parts; the grid is taken as harmonic,
f_k = k*stop/N). The window is a Kaiser window given by its beta (0..13) or by the name
"minimum" (0), "normal" (6) or "maximum" (13). The band-pass window is scaled to unit sum, so a
constant response of 1 transforms to a peak of 1 at t = 0. The result has as many time points
as there are frequency points, evenly spaced from start to stop.)")
        .def(py::init(&MakeTimeDomain), py::arg("frequency"), py::kw_only(),
             py::arg("mode") = "bandpass", py::arg("window") = py::cast(6.0),
             py::arg("start") = py::none(), py::arg("stop") = py::none(), py::arg("dc") = 0.0,
             "Returns a transform over the frequency grid (float64 Hz, evenly spaced).")
        .def("transform", &Transform, py::arg("data"),
             "Returns (time, values): the float64 time axis and the complex64 transform of data "
             "(one complex64 sample per frequency point).")
        .def_property(
            "start", &TimeDomain::GetStartTime,
            [](TimeDomain& td, double t) { Check(td.SetStartTime(t, true), "start"); },
            "Start time in seconds (clamped to the alias-free range).")
        .def_property(
            "stop", &TimeDomain::GetStopTime,
            [](TimeDomain& td, double t) { Check(td.SetStopTime(t, true), "stop"); },
            "Stop time in seconds (clamped to the alias-free range).")
        .def_property(
            "center", &TimeDomain::GetCenterTime,
            [](TimeDomain& td, double t) { Check(td.SetCenterTime(t), "center"); },
            "Centre time in seconds.")
        .def_property(
            "span", &TimeDomain::GetSpanTime,
            [](TimeDomain& td, double t) { Check(td.SetSpanTime(t), "span"); },
            "Time span in seconds.")
        .def_property(
            "mode", [](const TimeDomain& td) { return ChoiceName(td.GetTransformMode(), kModes); },
            [](TimeDomain& td, const std::string& mode) {
                Check(td.SetTransformMode(static_cast<TimeDomain::TransformMode>(
                          ParseChoice(mode, kModes, "mode"))),
                      "mode");
            },
            "Transform mode name.")
        .def_property(
            "beta", &TimeDomain::GetKaiserBeta,
            [](TimeDomain& td, double b) { Check(td.SetKaiserBeta(b), "beta"); },
            "Kaiser window beta, clamped to 0..13.")
        .def_property(
            "window", [](const TimeDomain& td) { return ChoiceName(td.GetWindowShape(), kShapes); },
            [](TimeDomain& td, const py::object& w) { SetWindow(td, w); },
            "Window shape name; set a name or a beta.")
        .def_property(
            "dc", &TimeDomain::GetDCValue,
            [](TimeDomain& td, double v) { Check(td.SetDCValue(v), "dc"); },
            "Response at 0 Hz used by the low-pass step transform.")
        .def_property(
            "impulse_width", [](const TimeDomain& td) { return td.GetImpulseWidth(); },
            [](TimeDomain& td, double w) { Check(td.SetImpulseWidth(w), "impulse_width"); },
            "Impulse width in seconds; setting it chooses the beta.")
        .def_property(
            "step_rise_time", [](const TimeDomain& td) { return td.GetStepRiseTime(); },
            [](TimeDomain& td, double r) { Check(td.SetStepRiseTime(r), "step_rise_time"); },
            "Step rise time in seconds; setting it chooses the beta.")
        .def_property_readonly(
            "time_limit",
            [](const TimeDomain& td) {
                double limit = 0;
                Check(td.GetTimeLimitValue(&limit), "time_limit");
                return limit;
            },
            "Alias-free time limit L = (points - 1)/span in seconds.")
        .def_property_readonly(
            "time",
            [](const TimeDomain& td) {
                return TimeAxis(td.GetStartTime(), td.GetStopTime(), td.GetTimePoints());
            },
            "Returns the float64 time axis of the transform.");

    py::class_<Gating>(m, "Gate", R"(A time gate applied to frequency-domain data.

type "bandpass" keeps the time span start..stop, "notch" removes it; shape "maximum", "wide",
"normal" or "minimum" sets the filter length and its Kaiser taper.)")
        .def(py::init(&MakeGate), py::arg("frequency"), py::kw_only(), py::arg("start"),
             py::arg("stop"), py::arg("type") = "bandpass", py::arg("shape") = "normal",
             "Returns a gate over the frequency grid (float64 Hz, evenly spaced, >= 3 points).")
        .def("apply", &ApplyGate, py::arg("data"), py::kw_only(), py::arg("lowpass") = false,
             "Returns (gated, dc): the gated complex64 data and the DC value (band-pass: the "
             "estimate from the ungated data; low-pass: the gated value at 0 Hz).")
        .def_property_readonly("start", &Gating::GetGateStart, "Gate start in seconds.")
        .def_property_readonly("stop", &Gating::GetGateStop, "Gate stop in seconds.")
        .def_property_readonly("center", &Gating::GetGateCenter, "Gate centre in seconds.")
        .def_property_readonly("span", &Gating::GetGateSpan, "Gate span in seconds.")
        .def_property_readonly(
            "type", [](const Gating& g) { return ChoiceName(g.GetGateType(), kGateTypes); },
            "Gate type name.")
        .def_property_readonly(
            "shape", [](const Gating& g) { return ChoiceName(g.GetGateShape(), kGateShapes); },
            "Gate shape name.");

    m.def(
        "gate",
        [](const CArray& data, const DArray& frequency, double start, double stop,
           const std::string& type, const std::string& shape, bool lowpass) {
            Gating g = MakeGate(frequency, start, stop, type, shape);
            SameLength(Length1D(data, "data"), Length1D(frequency, "frequency"), "data",
                       "frequency");
            const py::tuple result = ApplyGate(g, data, lowpass);
            return py::object(result[0]);
        },
        py::arg("data"), py::arg("frequency"), py::kw_only(), py::arg("start"), py::arg("stop"),
        py::arg("type") = "bandpass", py::arg("shape") = "normal", py::arg("lowpass") = false,
        "Returns the gated complex64 data (see Gate for the arguments).");

    m.def(
        "estimate_dc",
        [](const CArray& data) {
            if (Length1D(data, "data") < 3)
                throw py::value_error("data must hold at least three points");
            const TsComplex* p = CPtr(data);
            return Gating::EstimateDC(p, p + 1, p + 2);
        },
        py::arg("data"),
        "Returns the real response at 0 Hz estimated from the first three points of a "
        "low-pass sweep, limited to -1..+1.");

    m.def("port_extension", &PortExtension, py::arg("data"), py::arg("frequency"), py::kw_only(),
          py::arg("delay") = 0.0, py::arg("phase_offset") = 0.0, py::arg("loss") = 0.0,
          py::arg("loss_slope") = 0.0, py::arg("media") = "coax", py::arg("cutoff") = 0.0,
          py::arg("sections") = py::none(), py::arg("single_line") = false,
          R"(Returns data times A(f)*exp(j*phi(f)), undoing the delay and loss of line sections.

phi(f) = 2*pi*f*delay*w - phase_offset (radians), w = sqrt(1 - (cutoff/f)^2) for media
"waveguide", else 1; A(f) = 10^((loss + loss_slope*f/1e9)/20) (loss in dB, slope in dB/GHz).
frequency is a float64 array (one per sample) or one fixed frequency in Hz. sections: up to two
dicts for further line sections with keys delay, loss1, loss2, frequency1, frequency2,
extra_loss, loss_on, two_point_law, media, cutoff.)");
}

}  // namespace tessel_py
