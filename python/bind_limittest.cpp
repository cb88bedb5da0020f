// SPDX-License-Identifier: Apache-2.0
// Python bindings: the limit test. LimitTest holds a table of limit segments and tests
// formatted data against it point by point.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common.h"
#include "common_ext.h"
#include "tessel/limittest/limittest.h"

namespace tessel_py {

using Interface::LimitTestResult_t;
using Interface::LimitTestStimRespMode_t;
using QuorUtility::InputArray;
using Tessel::LimitTest;

namespace {

const std::initializer_list<Choice> kTypes = {
    {"off", Tessel::SegmentOff}, {"max", Tessel::SegmentMax}, {"min", Tessel::SegmentMin}};
const std::initializer_list<Choice> kStimulusModes = {{"none", Interface::OffsetNone},
                                                      {"value", Interface::OffsetValue},
                                                      {"start", Interface::OffsetStartStimulus}};
const std::initializer_list<Choice> kResponseModes = {{"none", Interface::OffsetNone},
                                                      {"value", Interface::OffsetValue}};
const std::initializer_list<Choice> kFormats = {
    {"logmag", Tessel::FormatLogMag}, {"linmag", Tessel::FormatLinMag},
    {"phase", Tessel::FormatPhase},   {"unwrapped_phase", Tessel::FormatUnwrappedPhase},
    {"delay", Tessel::FormatDelay},   {"real", Tessel::FormatReal},
    {"imag", Tessel::FormatImag},     {"swr", Tessel::FormatSWR}};

// One table row from Python: (type, begin_x, end_x, begin_y, end_y) with the type a name or its
// number.
void RowValues(const py::handle& row, double out[5]) {
    const py::sequence seq = row.cast<py::sequence>();
    if (seq.size() != 5)
        throw py::value_error("a segment is (type, begin_x, end_x, begin_y, end_y)");
    const py::object type = seq[0];
    out[0] = py::isinstance<py::str>(type)
                 ? ParseChoice(type.cast<std::string>(), kTypes, "segment type")
                 : type.cast<double>();
    for (int k = 1; k < 5; ++k)
        out[k] = seq[static_cast<size_t>(k)].cast<double>();
}

void SetSegments(LimitTest& lt, const py::object& rows) {
    std::vector<double> values;
    for (auto row : rows) {
        double v[5];
        RowValues(row, v);
        values.insert(values.end(), v, v + 5);
    }
    if (values.size() > static_cast<size_t>(5 * LimitTest::kMaxSegments))
        throw py::value_error("a limit table holds at most 100 segments");
    lt.ClearTable();
    if (!values.empty())
        Check(lt.SetLimitDataValues(0, static_cast<long>(values.size()), values.data()),
              "LimitTest.segments");
}

// The table as rows; `asDrawn` adds the effective offsets.
py::list GetSegments(const LimitTest& lt, bool asDrawn) {
    const long n = lt.GetNumOfData();
    std::vector<double> v(static_cast<size_t>(n));
    if (n > 0)
        Check(
            asDrawn ? lt.GetLimitLineValues(0, n, v.data()) : lt.GetLimitDataValues(0, n, v.data()),
            "LimitTest.segments");
    py::list rows;
    for (long r = 0; r + 4 < n; r += 5) {
        const int type = static_cast<int>(v[static_cast<size_t>(r)]);
        const std::string name = ChoiceName(type, kTypes);
        rows.append(py::make_tuple(name == "unknown" ? py::object(py::int_(type)) : py::str(name),
                                   v[r + 1], v[r + 2], v[r + 3], v[r + 4]));
    }
    return rows;
}

// A limit test and the x axis it was last given: a run on the same x keeps the cached limits
// instead of rebuilding them (points x segments work).
struct PyLimitTest {
    LimitTest lt;
    std::vector<double> x;
    bool hasAxis = false;
    // Buffers of the last run, kept so that a run on the same x allocates nothing.
    std::vector<float> data;
    std::vector<LimitTestResult_t> results;
};

PyLimitTest MakeLimitTest(const py::object& segments) {
    PyLimitTest p;
    if (!segments.is_none())
        SetSegments(p.lt, segments);
    return p;
}

// Tests values over x; returns (per-point results as uint8, overall result).
py::tuple Run(PyLimitTest& p, const FArray& values, const DArray& x, const std::string& format) {
    LimitTest& lt = p.lt;
    const int n = Length1D(values, "values");
    SameLength(n, Length1D(x, "x"), "values", "x");
    const auto f = static_cast<Tessel::DataFormat>(ParseChoice(format, kFormats, "format"));
    if (!p.hasAxis || p.x.size() != static_cast<size_t>(n) ||
        (n > 0 && std::memcmp(p.x.data(), x.data(), p.x.size() * sizeof(double)) != 0)) {
        // The axis is compacted into runs so that a logarithmically spaced x is tested as a
        // logarithmic axis (limit lines straight in log10(x)).
        p.x = ToDoubles(x, "x", false);
        InputArray axis(p.x);
        axis.OptimizeRepresentation();
        lt.SetXAxis(axis, false);
        p.hasAxis = true;
    }
    p.data.assign(values.data(), values.data() + n);
    p.results.resize(static_cast<size_t>(n));
    LimitTestResult_t overall = Interface::LimitNoResult;
    py::array_t<std::uint8_t> out(n);
    std::uint8_t* o = out.mutable_data();
    {
        py::gil_scoped_release release;
        lt.ProcessData(p.data, f, 0, n, overall, p.results);
        for (int i = 0; i < n; ++i)
            o[i] = static_cast<std::uint8_t>(p.results[static_cast<size_t>(i)]);
    }
    return py::make_tuple(out, overall);
}

template <long (LimitTest::*Set)(LimitTestStimRespMode_t)>
void SetMode(LimitTest& lt, const std::string& name, std::initializer_list<Choice> modes) {
    Check((lt.*Set)(static_cast<LimitTestStimRespMode_t>(ParseChoice(name, modes, "mode"))),
          "LimitTest mode");
}

}  // namespace

void BindLimitTest(py::module_& m) {
    py::enum_<LimitTestResult_t>(m, "LimitResult", "Result of a limit test point or run.")
        .value("FAIL", Interface::LimitFail)
        .value("PASS", Interface::LimitPass)
        .value("NO_RESULT", Interface::LimitNoResult);

    py::class_<PyLimitTest>(m, "LimitTest", R"(Limit lines and the test of formatted data.

A segment is (type, begin_x, end_x, begin_y, end_y), type "max" (upper limit), "min" (lower
limit) or "off". At each point the upper limit is the lowest, and the lower limit the highest,
of the segments covering it (ends included); a value on a limit, or NaN, passes; a point no
segment covers has no result. On a logarithmically spaced x the lines are straight in
log10(x). Phase formats take radians and compare in degrees.)")
        .def(py::init(&MakeLimitTest), py::arg("segments") = py::none(),
             "Returns a limit test with the given segments (at most 100).")
        .def_property(
            "segments", [](const PyLimitTest& p) { return GetSegments(p.lt, false); },
            [](PyLimitTest& p, const py::object& rows) { SetSegments(p.lt, rows); },
            "The segment table as a list of (type, begin_x, end_x, begin_y, end_y).")
        .def_property_readonly(
            "lines", [](const PyLimitTest& p) { return GetSegments(p.lt, true); },
            "The segments as drawn: with the effective offsets added.")
        .def("run", &Run, py::arg("values"), py::arg("x"), py::kw_only(),
             py::arg("format") = "logmag",
             "Returns (results, overall): one LimitResult value per point as uint8, and the "
             "overall LimitResult (FAIL when any point fails, else PASS when any passes).")
        .def_property_readonly(
            "result",
            [](const PyLimitTest& p) {
                return static_cast<LimitTestResult_t>(p.lt.GetLimitTestResult());
            },
            "Overall result of the last run.")
        .def_property(
            "stimulus_mode",
            [](const PyLimitTest& p) {
                return ChoiceName(p.lt.GetLimitTestStimulusMode(), kStimulusModes);
            },
            [](PyLimitTest& p, const std::string& s) {
                SetMode<&LimitTest::SetLimitTestStimulusMode>(p.lt, s, kStimulusModes);
            },
            "Stimulus offset mode: 'none', 'value' (add stimulus_offset) or 'start' (add the "
            "first x point).")
        .def_property(
            "upper_mode",
            [](const PyLimitTest& p) {
                return ChoiceName(p.lt.GetLimitTestResponseMaxMode(), kResponseModes);
            },
            [](PyLimitTest& p, const std::string& s) {
                SetMode<&LimitTest::SetLimitTestResponseMaxMode>(p.lt, s, kResponseModes);
            },
            "Upper-limit offset mode: 'none' or 'value' (add upper_offset).")
        .def_property(
            "lower_mode",
            [](const PyLimitTest& p) {
                return ChoiceName(p.lt.GetLimitTestResponseMinMode(), kResponseModes);
            },
            [](PyLimitTest& p, const std::string& s) {
                SetMode<&LimitTest::SetLimitTestResponseMinMode>(p.lt, s, kResponseModes);
            },
            "Lower-limit offset mode: 'none' or 'value' (add lower_offset).")
        .def_property(
            "stimulus_offset",
            [](const PyLimitTest& p) { return p.lt.GetLimitTestStimulusOffset(); },
            [](PyLimitTest& p, double v) { Check(p.lt.SetLimitTestStimulusOffset(v), "offset"); },
            "Stimulus offset (used in mode 'value').")
        .def_property(
            "upper_offset",
            [](const PyLimitTest& p) { return p.lt.GetLimitTestResponseMaxOffset(); },
            [](PyLimitTest& p, double v) {
                Check(p.lt.SetLimitTestResponseMaxOffset(v), "offset");
            },
            "Offset of the upper limits (used in mode 'value').")
        .def_property(
            "lower_offset",
            [](const PyLimitTest& p) { return p.lt.GetLimitTestResponseMinOffset(); },
            [](PyLimitTest& p, double v) {
                Check(p.lt.SetLimitTestResponseMinOffset(v), "offset");
            },
            "Offset of the lower limits (used in mode 'value').");
}

}  // namespace tessel_py
