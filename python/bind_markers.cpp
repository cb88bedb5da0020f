// SPDX-License-Identifier: Apache-2.0
// Python bindings: markers. MarkerSet holds a trace (stimulus, complex data, formatted values)
// and up to ten markers on it; Marker is one of them. The functions find_max, find_min,
// find_peak, find_target, bandwidth, psat, nop and statistics run one search or readout on
// arrays through a temporary set. psat and nop release the GIL while they work, their set being
// private to the call; the methods of a MarkerSet keep it, since a set is not locked.
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common.h"
#include "common_ext.h"
#include "tessel/core/status.h"
#include "tessel/format/format.h"
#include "tessel/markers/array_data_provider.h"
#include "tessel/markers/marker_set.h"

namespace tessel_py {

using QuorUtility::InputArray;
using Tessel::CMarkerMR;
using Tessel::CMarkerSet;
using Tessel::NAUnit;
using Tessel::TsComplex;
using namespace Tessel;  // the unit and format enumerators

namespace {

// Trace formats a set can show, with the formatted data's format and unit.
struct TraceKind {
    Interface::TraceFormat trace;
    Tessel::DataFormat data;
    NAUnit unit;
};

const std::initializer_list<Choice> kTraceFormats = {
    {"logmag", Interface::TraceLogMag}, {"linmag", Interface::TraceLinMag},
    {"phase", Interface::TracePhase},   {"delay", Interface::TraceDelay},
    {"real", Interface::TraceReal},     {"imag", Interface::TraceImag},
    {"swr", Interface::TraceSWR}};

TraceKind KindOf(Interface::TraceFormat f) {
    switch (f) {
        case Interface::TraceLinMag:
            return {f, Tessel::FormatLinMag, UnitUnits};
        case Interface::TracePhase:
            return {f, Tessel::FormatPhase, UnitRadians};
        case Interface::TraceDelay:
            return {f, Tessel::FormatDelay, UnitSeconds};
        case Interface::TraceReal:
            return {f, Tessel::FormatReal, UnitUnits};
        case Interface::TraceImag:
            return {f, Tessel::FormatImag, UnitUnits};
        case Interface::TraceSWR:
            return {f, Tessel::FormatSWR, UnitUnits};
        default:
            return {Interface::TraceLogMag, Tessel::FormatLogMag, UnitDB};
    }
}

const std::initializer_list<Choice> kSearches = {{"max", FuncMax},
                                                 {"min", FuncMin},
                                                 {"next_peak", FuncNextPeak},
                                                 {"peak_right", FuncPeakRight},
                                                 {"peak_left", FuncPeakLeft},
                                                 {"target", FuncTarget},
                                                 {"target_left", FuncTargetLeft},
                                                 {"target_right", FuncTargetRight},
                                                 {"compression", FuncCompression}};

// A set and its trace, kept together at a fixed address (the set points at the trace).
struct PyMarkerSet {
    Tessel::ArrayDataProvider trace;
    CMarkerSet set;
    PyMarkerSet() {
        trace.SetDataUnit(UnitUnits);
        set.SetDataProvider(&trace);
    }
    PyMarkerSet(const PyMarkerSet&) = delete;
    PyMarkerSet& operator=(const PyMarkerSet&) = delete;

    // The trace from arrays: x (float64), data (complex64, optional) and values (float32,
    // optional). Missing formatted values are formatted from data in the trace format; missing
    // complex data carry the values as real parts.
    void SetTrace(const DArray& x, const py::object& data, const py::object& values,
                  const std::string& format) {
        const auto f =
            static_cast<Interface::TraceFormat>(ParseChoice(format, kTraceFormats, "format"));
        const int n = Length1D(x, "x");
        if (n == 0)
            throw py::value_error("x must not be empty");
        if (data.is_none() && values.is_none())
            throw py::value_error("give data, values or both");
        std::vector<TsComplex> c;
        std::vector<float> v;
        if (!data.is_none()) {
            c = ToSamples(py::cast<CArray>(data), "data");
            SameLength(n, static_cast<int>(c.size()), "x", "data");
        }
        if (!values.is_none()) {
            v = ToFloats(py::cast<FArray>(values), "values");
            SameLength(n, static_cast<int>(v.size()), "x", "values");
        }
        InputArray axis = ToAxis(x, "x");
        if (v.empty())
            v = Format(c, axis, f);
        if (c.empty())
            for (float value : v)
                c.emplace_back(value, 0.0f);
        // The lengths were checked above, so the provider takes the trace.
        trace.SetTrace(std::move(axis), std::move(c), std::move(v));
        const TraceKind kind = KindOf(f);
        trace.SetTraceFormat(kind.trace);
        trace.SetDataFormat(kind.data);
        trace.SetFormattedUnit(kind.unit);
    }

    static std::vector<float> Format(const std::vector<TsComplex>& c, const InputArray& x,
                                     Interface::TraceFormat f) {
        std::vector<float> out(c.size());
        const int n = static_cast<int>(c.size());
        switch (f) {
            case Interface::TraceLinMag:
                Tessel::Format::LinMag(c.data(), out.data(), n);
                break;
            case Interface::TracePhase:
                Tessel::Format::Phase(c.data(), out.data(), n);
                break;
            case Interface::TraceDelay:
                Tessel::Format::Delay(c, x, out);
                break;
            case Interface::TraceReal:
                Tessel::Format::Real(c.data(), out.data(), n);
                break;
            case Interface::TraceImag:
                Tessel::Format::Imag(c.data(), out.data(), n);
                break;
            case Interface::TraceSWR:
                Tessel::Format::SWR(c.data(), out.data(), n);
                break;
            default:
                Tessel::Format().LogMag(c.data(), out.data(), n);
                break;
        }
        return out;
    }

    CMarkerMR* Get(long number) {
        CMarkerMR* m = nullptr;
        Check(set.GetMarker(number, &m), "MarkerSet.marker");
        return m;
    }
    // The readout of every marker.
    std::vector<Tessel::MarkerResult> Results(Tessel::MarkerSetResults* setResults = nullptr) {
        std::vector<Tessel::MarkerResult> results;
        set.ProcessData(false, false, setResults, results);
        return results;
    }
};

// One marker of a set, by number; it keeps the set alive.
struct PyMarker {
    std::shared_ptr<PyMarkerSet> owner;
    long number;
    CMarkerMR* get() const { return owner->Get(number); }
};

py::dict ResultDict(const Tessel::MarkerResult& r) {
    py::dict d;
    d["index"] = r.position;
    d["x"] = r.stimulus;
    d["response"] = r.responseValue;
    d["value"] = std::complex<float>(r.value.re, r.value.im);
    d["delta_x"] = r.deltaStimulus;
    d["delta_value"] = std::complex<float>(r.deltaValue.re, r.deltaValue.im);
    d["reference"] = r.referenceMarkerNumber;
    return d;
}

// Runs a search; returns (index, x, response) of the marker afterwards.
py::tuple Search(PyMarker& pm, MarkerFunction function) {
    const long status = pm.get()->Compute(function);
    // 1 (kFalse) is a success too: the result is where the marker already was.
    Check(status, "Marker.search");
    const Tessel::MarkerResult r = pm.owner->Results()[static_cast<size_t>(pm.number - 1)];
    return py::make_tuple(r.position, r.stimulus, r.responseValue);
}

std::shared_ptr<PyMarkerSet> MakeSet(const DArray& x, const py::object& data,
                                     const py::object& values, const std::string& format) {
    auto s = std::make_shared<PyMarkerSet>();
    s->SetTrace(x, data, values, format);
    return s;
}

// A temporary set over scalar values with marker 1 at `start` (the first point when None).
PyMarker OneMarker(const FArray& values, const DArray& x, const std::string& format,
                   const py::object& start) {
    PyMarker pm{MakeSet(x, py::none(), values, format), 1};
    CMarkerMR* m = nullptr;
    Check(pm.owner->set.CreateMarker(1, &m), "marker");
    Check(m->put_AbsoluteBucketPosition(0.0), "marker start");
    if (!start.is_none())
        Check(m->put_AbsoluteDomainValue(start.cast<double>()), "marker start");
    return pm;
}

py::tuple Bandwidth(PyMarkerSet& s, double level) {
    if (!s.set.SetMarkerBandwidthLevel(static_cast<float>(level)))
        throw py::value_error("level out of range");
    Check(s.set.MarkerBandwidth(1), "bandwidth");
    Tessel::MarkerSetResults r;
    s.Results(&r);
    return py::make_tuple(r.bandwidthCentre, r.bandwidth, r.bandwidthLoss, r.bandwidthQ);
}

// Runs one search on a temporary set over scalar values.
py::tuple FindOne(const FArray& values, const DArray& x, MarkerFunction function,
                  const py::object& start, float threshold, float excursion,
                  const std::string& format) {
    PyMarker pm = OneMarker(values, x, format, start);
    Check(pm.get()->put_PeakThreshold(threshold), "threshold");
    Check(pm.get()->put_PeakExcursion(excursion), "excursion");
    return Search(pm, function);
}

// (index, x, value) with the index as an int (the searches that land on points).
py::tuple WholeIndex(const py::tuple& t) {
    return py::make_tuple(static_cast<long>(std::lround(t[0].cast<double>())), t[1], t[2]);
}

// Runs f, without the GIL when `release` (only for a set no other thread can reach).
template <class F>
long Released(bool release, F f) {
    if (!release)
        return f();
    py::gil_scoped_release unlocked;
    return f();
}

// The PSat readout from markers first..first+2; TesselError when the back-off point is missing.
py::dict PowerSaturation(PyMarkerSet& s, double backOff, long first, bool release) {
    s.set.SetMarkerPSatBackOff(backOff);
    Check(Released(release, [&] { return s.set.MarkerPowerSaturation(first); }), "psat");
    Tessel::MarkerSetResults r;
    s.Results(&r);
    py::dict d;
    d["max_x"] = r.psatMaxStimulus;
    d["max"] = r.psatMaxValue;
    d["back_off_x"] = r.psatBackOffStimulus;
    d["back_off"] = r.psatBackOffValue;
    d["first_x"] = r.psatFirstStimulus;
    d["first"] = r.psatFirstValue;
    return d;
}

// The NOP readout from markers first..first+3; TesselError when the back-off point is missing.
py::dict OperatingPoint(PyMarkerSet& s, double backOff, double offset, long first, bool release) {
    s.set.SetMarkerNOPBackOff(backOff);
    s.set.SetMarkerNOPOffset(offset);
    Check(Released(release, [&] { return s.set.MarkerNOP(first); }), "nop");
    Tessel::MarkerSetResults r;
    s.Results(&r);
    py::dict d;
    d["operating_x"] = r.nopOperatingStimulus;
    d["operating"] = r.nopOperatingValue;
    d["max_x"] = r.nopMaxStimulus;
    d["max"] = r.nopMaxValue;
    d["back_off_x"] = r.nopBackOffStimulus;
    d["back_off"] = r.nopBackOffValue;
    d["first_x"] = r.nopFirstStimulus;
    d["first"] = r.nopFirstValue;
    return d;
}

py::dict Statistics(PyMarkerSet& s, long range) {
    if (!s.set.SetUserRangeForStats(range))
        throw py::value_error("user range must be 0..16");
    Tessel::MarkerSetResults r;
    s.set.ComputeStatistics(&r);
    py::dict d;
    d["mean"] = r.statistic1;
    d["std"] = r.statistic2;
    d["peak_to_peak"] = r.peakToPeak;
    d["rms"] = r.statistic5;
    d["min"] = r.minimum;
    d["max"] = r.maximum;
    return d;
}

}  // namespace

void BindMarkers(py::module_& m) {
    using Set = std::shared_ptr<PyMarkerSet>;
    py::class_<PyMarkerSet, Set>(m, "MarkerSet", R"(Up to ten markers (numbered 1..10) on a trace.

The trace is x (float64 stimulus) with complex64 data and/or float32 formatted values in
format "logmag", "linmag", "phase" (radians), "delay", "real", "imag" or "swr". Missing values
are formatted from data; missing data carry the values as real parts. Peak threshold and
excursion apply to log-magnitude traces only.)")
        .def(py::init(&MakeSet), py::arg("x"), py::kw_only(), py::arg("data") = py::none(),
             py::arg("values") = py::none(), py::arg("format") = "logmag",
             "Returns a set on the given trace.")
        .def("set_trace", &PyMarkerSet::SetTrace, py::arg("x"), py::kw_only(),
             py::arg("data") = py::none(), py::arg("values") = py::none(),
             py::arg("format") = "logmag",
             "Replaces the trace; markers keep their positions (run update() to re-read).")
        .def(
            "marker",
            [](const Set& s, long number) {
                CMarkerMR* mk = nullptr;
                Check(s->set.CreateMarker(number, &mk), "MarkerSet.marker");
                return PyMarker{s, number};
            },
            py::arg("number"), "Returns marker `number` (1..10), created when missing.")
        .def(
            "remove", [](PyMarkerSet& s, long n) { Check(s.set.RemoveMarker(n), "remove"); },
            py::arg("number"), "Removes marker `number`.")
        .def(
            "readouts",
            [](PyMarkerSet& s) {
                py::dict out;
                const auto results = s.Results();
                for (std::size_t k = 0; k < results.size(); ++k)
                    if (results[k].valid)
                        out[py::int_(k + 1)] = ResultDict(results[k]);
                return out;
            },
            "Returns {number: readout dict} of every marker after updating them on the trace.")
        .def(
            "set_user_range",
            [](PyMarkerSet& s, long range, double lo, double hi) {
                if (!s.trace.SetUserRange(range, lo, hi))
                    throw py::value_error("user range must be 1..16");
            },
            py::arg("range"), py::arg("lo"), py::arg("hi"),
            "Defines user range `range` (1..16) as the stimulus span lo..hi.")
        .def("bandwidth", &Bandwidth, py::kw_only(), py::arg("level") = -3.0,
             "Returns (centre, bandwidth, loss, q) from markers 1-4: the peak (the notch for a "
             "positive level) and the crossings `level` dB from it; TesselError when not found.")
        .def(
            "psat",
            [](PyMarkerSet& s, double backOff, long first) {
                return PowerSaturation(s, backOff, first, false);
            },
            py::kw_only(), py::arg("back_off") = 0.0, py::arg("first") = 1,
            "Returns {max_x, max, back_off_x, back_off, first_x, first} of a power sweep from "
            "markers first..first+2: the maximum of the output power (dB), the point back_off "
            "dB below it on its left (the maximum itself for 0) and the first point. "
            "TesselError when the back-off point is not found.")
        .def(
            "nop",
            [](PyMarkerSet& s, double backOff, double offset, long first) {
                return OperatingPoint(s, backOff, offset, first, false);
            },
            py::kw_only(), py::arg("back_off") = 0.0, py::arg("offset") = 0.0, py::arg("first") = 1,
            "Returns {operating_x, operating, max_x, max, back_off_x, back_off, first_x, "
            "first} from markers first..first+3: as psat, plus the operating point `offset` "
            "stimulus units from the back-off point. TesselError when the back-off point is "
            "not found.")
        .def("statistics", &Statistics, py::kw_only(), py::arg("range") = 0,
             "Returns {mean, std, peak_to_peak, rms, min, max} of the formatted values over a "
             "user range (0: the whole trace).");

    py::class_<PyMarker>(m, "Marker", "One marker of a MarkerSet.")
        .def_property_readonly("number", [](const PyMarker& p) { return p.number; })
        .def_property(
            "x",
            [](const PyMarker& p) {
                double v = 0;
                Check(p.get()->get_AbsoluteDomainValue(&v), "Marker.x");
                return v;
            },
            [](PyMarker& p, double v) { Check(p.get()->put_AbsoluteDomainValue(v), "Marker.x"); },
            "Stimulus value of the marker.")
        .def_property(
            "index",
            [](const PyMarker& p) {
                double v = 0;
                Check(p.get()->get_AbsoluteBucketPosition(&v), "Marker.index");
                return v;
            },
            [](PyMarker& p, double v) {
                Check(p.get()->put_AbsoluteBucketPosition(v), "Marker.index");
            },
            "Fractional point index of the marker.")
        .def_property(
            "threshold", [](const PyMarker& p) { return p.get()->get_PeakThreshold(); },
            [](PyMarker& p, float v) { Check(p.get()->put_PeakThreshold(v), "threshold"); },
            "Peak threshold (dB), clamped to -500..500.")
        .def_property(
            "excursion", [](const PyMarker& p) { return p.get()->get_PeakExcursion(); },
            [](PyMarker& p, float v) { Check(p.get()->put_PeakExcursion(v), "excursion"); },
            "Peak excursion (dB), clamped to -500..500.")
        .def_property(
            "target", [](const PyMarker& p) { return p.get()->get_TargetValue(); },
            [](PyMarker& p, float v) { Check(p.get()->put_TargetValue(v), "target"); },
            "Target value of the target searches (degrees on phase traces).")
        .def_property(
            "user_range", [](const PyMarker& p) { return p.get()->GetUserRange(); },
            [](PyMarker& p, long r) { p.get()->SetUserRange(r); },
            "User range the searches are limited to (0: the whole trace).")
        .def_property(
            "reference", [](const PyMarker& p) { return p.get()->GetReferenceMarkerNum(); },
            [](PyMarker& p, long r) { Check(p.get()->put_ReferenceMarker(r), "reference"); },
            "Number of the reference marker of a delta marker (0: none).")
        .def(
            "search",
            [](PyMarker& p, const std::string& f) {
                return Search(p,
                              static_cast<MarkerFunction>(ParseChoice(f, kSearches, "function")));
            },
            py::arg("function"),
            "Runs a search ('max', 'min', 'next_peak', 'peak_right', 'peak_left', 'target', "
            "'target_left', 'target_right', 'compression'); returns (index, x, response).")
        .def(
            "readout",
            [](PyMarker& p) {
                p.get();
                return ResultDict(p.owner->Results()[static_cast<size_t>(p.number - 1)]);
            },
            "Returns the marker's readout dict: index, x, response, value, delta_x, "
            "delta_value, reference.");

    m.def(
        "find_max",
        [](const FArray& values, const DArray& x) {
            return WholeIndex(FindOne(values, x, FuncMax, py::none(), -100.0f, 3.0f, "logmag"));
        },
        py::arg("values"), py::arg("x"),
        "Returns (index, x, value) of the largest of values (float32) over x (float64); the "
        "first one among equals.");
    m.def(
        "find_min",
        [](const FArray& values, const DArray& x) {
            return WholeIndex(FindOne(values, x, FuncMin, py::none(), -100.0f, 3.0f, "logmag"));
        },
        py::arg("values"), py::arg("x"),
        "Returns (index, x, value) of the smallest of values over x; the first among equals.");
    m.def(
        "find_peak",
        [](const FArray& values, const DArray& x, const py::object& start,
           const std::string& direction, float threshold, float excursion,
           const std::string& format) {
            const int f = ParseChoice(direction, {{"right", FuncPeakRight}, {"left", FuncPeakLeft}},
                                      "direction");
            py::object from = start;
            const int n = Length1D(x, "x");
            if (from.is_none() && f == FuncPeakLeft && n > 0)
                from = py::float_(x.at(n - 1));
            return WholeIndex(FindOne(values, x, static_cast<MarkerFunction>(f), from, threshold,
                                      excursion, format));
        },
        py::arg("values"), py::arg("x"), py::kw_only(), py::arg("start") = py::none(),
        py::arg("direction") = "right", py::arg("threshold") = -100.0f, py::arg("excursion") = 3.0f,
        py::arg("format") = "logmag",
        "Returns (index, x, value) of the first peak right (or left) of start (default: the "
        "first, or last, point): a point above both neighbours, at least `threshold`, that "
        "falls by more than `excursion` on both sides before anything higher. Threshold and "
        "excursion apply when format is 'logmag'. TesselError when there is none.");
    m.def(
        "find_target",
        [](const FArray& values, const DArray& x, float target, const py::object& start,
           const std::string& direction) {
            const auto f = static_cast<MarkerFunction>(ParseChoice(
                direction,
                {{"right", FuncTargetRight}, {"left", FuncTargetLeft}, {"wrap", FuncTarget}},
                "direction"));
            PyMarker pm = OneMarker(values, x, "logmag", start);
            pm.get()->put_TargetValue(target);
            return Search(pm, f);
        },
        py::arg("values"), py::arg("x"), py::arg("target"), py::kw_only(),
        py::arg("start") = py::none(), py::arg("direction") = "right",
        "Returns (index, x, value) of the first crossing of `target` right or left of start "
        "(default: the first point), interpolated between points; 'wrap' searches right and "
        "then from the left end. TesselError when there is none.");
    m.def(
        "bandwidth",
        [](const CArray& data, const DArray& x, double level) {
            auto s = MakeSet(x, data, py::none(), "logmag");
            return Bandwidth(*s, level);
        },
        py::arg("data"), py::arg("x"), py::kw_only(), py::arg("level") = -3.0,
        "Returns (centre, bandwidth, loss, q) of the peak of data (complex64) over x at "
        "`level` dB from it (a positive level measures a notch); TesselError when a crossing "
        "is missing.");
    m.def(
        "psat",
        [](const FArray& values, const DArray& x, double backOff) {
            auto s = MakeSet(x, py::none(), values, "logmag");
            return PowerSaturation(*s, backOff, 1, true);
        },
        py::arg("values"), py::arg("x"), py::kw_only(), py::arg("back_off") = 0.0,
        "Returns the PSat readout (see MarkerSet.psat) of output powers (dBm, float32) over "
        "input powers x.");
    m.def(
        "nop",
        [](const FArray& values, const DArray& x, double backOff, double offset) {
            auto s = MakeSet(x, py::none(), values, "logmag");
            return OperatingPoint(*s, backOff, offset, 1, true);
        },
        py::arg("values"), py::arg("x"), py::kw_only(), py::arg("back_off") = 0.0,
        py::arg("offset") = 0.0,
        "Returns the NOP readout (see MarkerSet.nop) of output powers (dBm, float32) over "
        "input powers x.");
    m.def(
        "statistics",
        [](const FArray& values, const DArray& x) {
            auto s = MakeSet(x, py::none(), values, "logmag");
            return Statistics(*s, 0);
        },
        py::arg("values"), py::arg("x"),
        "Returns {mean, std, peak_to_peak, rms, min, max} of values (std in population form).");
}

}  // namespace tessel_py
