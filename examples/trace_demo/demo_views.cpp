// SPDX-License-Identifier: Apache-2.0
#include "examples/trace_demo/demo_views.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace demo {

namespace {

constexpr double kZ0 = 50.0;
constexpr int kDelayAperture = 21;

// Drops the minus sign of every number in s whose digits are all zero ("-0.0" -> "0.0").
std::string WithoutNegativeZero(std::string s) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '-' || i + 1 >= s.size() || !(std::isdigit(s[i + 1]) || s[i + 1] == '.'))
            continue;
        size_t j = i + 1;
        bool zero = true;
        while (j < s.size() && (std::isdigit(s[j]) || s[j] == '.')) {
            zero = zero && (s[j] == '0' || s[j] == '.');
            ++j;
        }
        // An exponent belongs to the number: "-0.0e+00" is zero, "-1e-05" is not touched.
        if (zero && !(j < s.size() && (s[j] == 'e' || s[j] == 'E'))) {
            s.erase(i, 1);
        }
    }
    return s;
}

// A dB axis from 5 dB above the highest value down to 5 dB below the lowest, but at most
// 65 dB below the highest (a zero sample's floor value or a deep notch would squash the rest),
// in steps of 5 dB.
void FitDbRange(Plot& p) {
    double hi = -1e300, lo = 1e300;
    for (const Series& s : p.series) {
        for (double y : s.y) {
            if (std::isfinite(y)) {
                hi = std::max(hi, y);
                lo = std::min(lo, y);
            }
        }
    }
    if (!(hi >= lo))
        return;
    p.yMax = 5.0 * std::ceil((hi + 5.0) / 5.0);
    p.yMin = 5.0 * std::floor((std::max(lo, hi - 65.0) - 5.0) / 5.0);
}

}  // namespace

std::string Fmt(const char* format, double a) {
    std::string s(std::snprintf(nullptr, 0, format, a), '\0');
    std::snprintf(s.data(), s.size() + 1, format, a);
    return WithoutNegativeZero(s);
}

std::string Fmt(const char* format, double a, double b) {
    std::string s(std::snprintf(nullptr, 0, format, a, b), '\0');
    std::snprintf(s.data(), s.size() + 1, format, a, b);
    return WithoutNegativeZero(s);
}

std::vector<double> Scaled(const std::vector<float>& v, double s) {
    std::vector<double> out(v.size());
    std::transform(v.begin(), v.end(), out.begin(), [s](float x) { return double(x) * s; });
    return out;
}

std::vector<double> Scaled(const std::vector<double>& v, double s) {
    std::vector<double> out(v.size());
    std::transform(v.begin(), v.end(), out.begin(), [s](double x) { return x * s; });
    return out;
}

std::vector<double> LogMag(const Trace& t) {
    std::vector<double> out;
    for (const TsComplex& z : t)
        out.push_back(z.LogMag());
    return out;
}

Series Line(const std::string& label, std::vector<double> x, std::vector<double> y,
            const std::string& color, bool dashed) {
    Series s;
    s.label = label;
    s.x = std::move(x);
    s.y = std::move(y);
    s.color = color;
    s.dashed = dashed;
    return s;
}

double WorstDb(const Trace& t, int lo, int hi) {
    double worst = -400.0;
    for (int i = lo; i <= hi; ++i)
        worst = std::max(worst, t[i].LogMag());
    return worst;
}

std::pair<int, int> MiddleOfBand(int n) {
    const int edge = n / 10;
    return {edge, n - 1 - edge};
}

std::string ReturnLossText(double worstS11Db, double atGHz) {
    if (worstS11Db <= QuorUtility::TsComplex::m_logMagZeroValue) {
        return Fmt("beyond the %.0f dB display floor", -QuorUtility::TsComplex::m_logMagZeroValue) +
               Fmt(" at %.4g GHz (a zero sample)", atGHz);
    }
    return Fmt("%.1f dB at %.4g GHz", -worstS11Db, atGHz);
}

std::string LevelText(double db) {
    if (db <= QuorUtility::TsComplex::m_logMagZeroValue)
        return Fmt("at the %.0f dB display floor", QuorUtility::TsComplex::m_logMagZeroValue);
    return Fmt("%.1f dB", db);
}

double ToOhms(double rho) {
    rho = std::clamp(rho, -0.999, 0.999);
    return kZ0 * (1.0 + rho) / (1.0 - rho);
}

Step FindImpedanceStep(const TimeDomainView& td, double fromS, double toS) {
    Step s;
    const int n = static_cast<int>(td.timeS.size());
    std::vector<float> z(n);
    for (int m = 0; m < n; ++m)
        z[m] = static_cast<float>(ToOhms(td.response[m]));
    int lo = 0, hi = n - 1;
    while (lo < n - 1 && td.timeS[lo] < fromS)
        ++lo;
    while (hi > lo && td.timeS[hi] > toS)
        --hi;
    if (hi - lo < 4)
        return s;
    int steep = lo + 1;
    for (int m = lo + 1; m <= hi; ++m) {
        if (z[m] - z[m - 1] > z[steep] - z[steep - 1])
            steep = m;
    }
    const double dt = td.timeS[1] - td.timeS[0];
    const int guard = std::max(1, static_cast<int>(std::ceil(1.5 * td.stepRiseTimeS / dt)));
    const int before = std::max(lo, steep - guard);
    const int after = std::min(hi, steep + guard);
    s.fromOhms = z[before];
    s.toOhms = *std::max_element(z.begin() + steep, z.begin() + after + 1);
    double position = 0.0;
    const double mid = 0.5 * (s.fromOhms + s.toOhms);
    if (QuorUtility::ValueSearch(before, z, n - 1, before, after, true, mid, position)) {
        s.found = true;
        s.timeS = td.timeS.front() + position * dt;
    }
    return s;
}

void AddFrequencyPlots(Report& report, const std::vector<double>& fGHz, const Formatted& s11,
                       const Formatted* s21, const Trace* rawS11, const Trace* rawS21,
                       const std::string& label, const std::vector<PointMark>& marks) {
    const std::string suffix = label.empty() ? "" : " " + label;
    Plot mag;
    mag.title = "Log magnitude";
    mag.xLabel = "Frequency (GHz)";
    mag.yLabel = "Magnitude (dB)";
    if (s21)
        mag.series.push_back(Line("S21" + suffix, fGHz, Scaled(s21->logMagDb, 1.0), "#1f77b4"));
    mag.series.push_back(Line("S11" + suffix, fGHz, Scaled(s11.logMagDb, 1.0), "#d62728"));
    if (rawS21)
        mag.series.push_back(Line("S21 raw", fGHz, LogMag(*rawS21), "#1f77b4", true));
    if (rawS11)
        mag.series.push_back(Line("S11 raw", fGHz, LogMag(*rawS11), "#d62728", true));
    mag.points = marks;
    FitDbRange(mag);
    report.plots.push_back(mag);

    const Formatted& main = s21 ? *s21 : s11;
    const std::string name = s21 ? "S21" : "S11";
    Plot phase;
    phase.title = name + " phase, unwrapped";
    phase.xLabel = "Frequency (GHz)";
    phase.yLabel = "Phase (degrees)";
    phase.series.push_back(Line(name + " unwrapped phase", fGHz,
                                Scaled(main.phaseUnwrappedRad, 180.0 / M_PI), "#2ca02c"));
    report.plots.push_back(phase);

    Plot delay;
    delay.title = name + " group delay";
    delay.xLabel = "Frequency (GHz)";
    delay.yLabel = "Group delay (ns)";
    delay.series.push_back(Line(name + " delay", fGHz, Scaled(main.groupDelayS, 1e9), "#9ecae1"));
    delay.series.push_back(
        Line(name + " delay, smoothed over " + std::to_string(kDelayAperture) + " points", fGHz,
             Scaled(main.groupDelaySmoothedS, 1e9), "#08519c"));
    // Where the transmission is weak the delay is mostly noise: scale to the bulk of the
    // smoothed trace (10th to 90th percentile) so the pass band stays readable.
    std::vector<float> sorted = main.groupDelaySmoothedS;
    std::sort(sorted.begin(), sorted.end());
    const double p10 = sorted[sorted.size() / 10] * 1e9, p90 = sorted[sorted.size() * 9 / 10] * 1e9;
    const double margin = std::max(0.5 * (p90 - p10), 0.1);
    delay.yMin = std::min(0.0, p10 - margin);
    delay.yMax = p90 + margin;
    report.plots.push_back(delay);

    Plot swr;
    swr.title = "S11 SWR";
    swr.xLabel = "Frequency (GHz)";
    swr.yLabel = "SWR (ratio)";
    swr.series.push_back(Line("S11 SWR", fGHz, Scaled(s11.swr, 1.0), "#ff7f0e"));
    swr.yMin = 1.0;
    swr.yMax = 10.0;
    report.plots.push_back(swr);
}

void AddTimeDomainPlot(Report& report, const TimeDomainView& td, const Step* step,
                       double gateStartS, double gateStopS, bool gated) {
    Plot p;
    std::vector<double> tNs = Scaled(td.timeS, 1e9);
    if (td.mode == Tessel::TimeDomain::LowPassStep) {
        p.title = "S11 low-pass step response (impedance)";
        p.yLabel = "Impedance (ohm)";
        std::vector<double> z;
        for (float r : td.response)
            z.push_back(ToOhms(r));
        p.series.push_back(Line("S11 step response as impedance", tNs, z, "#6a3d9a"));
        p.yMin = 30.0;
        p.yMax = 120.0;
    } else {
        p.title = "S11 band-pass impulse response";
        p.yLabel = "|S11| impulse (linear)";
        p.series.push_back(Line("S11 impulse magnitude", tNs, Scaled(td.response, 1.0), "#6a3d9a"));
    }
    p.xLabel = "Time (ns)";
    if (step && step->found) {
        p.markers.push_back({step->timeS * 1e9, Fmt("step %.2f ns", step->timeS * 1e9),
                             Fmt("Impedance step at %.3f ns: ", step->timeS * 1e9) +
                                 Fmt("%.1f ohm to %.1f ohm", step->fromOhms, step->toOhms)});
    }
    if (gated) {
        p.markers.push_back(
            {gateStartS * 1e9, "gate start", Fmt("Gate start %.3f ns", gateStartS * 1e9)});
        p.markers.push_back(
            {gateStopS * 1e9, "gate stop", Fmt("Gate stop %.3f ns", gateStopS * 1e9)});
    }
    report.plots.push_back(p);
}

namespace {

const char* const kMarkerColors[6] = {"#d62728", "#2ca02c", "#2ca02c",
                                      "#ff7f0e", "#9467bd", "#8c564b"};

std::string MarkerTooltip(const MarkerReadout& m) {
    std::string t = "Marker " + std::to_string(m.number) + " (" + m.role + "): ";
    if (m.reference != 0) {
        t += Fmt("%.4f GHz, %.2f dB; ", m.stimulusHz / 1e9, m.valueDb) + "delta to marker " +
             std::to_string(m.reference) + Fmt(": %.4f GHz, %.2f dB", m.deltaHz / 1e9, m.deltaDb);
    } else {
        t += Fmt("%.4f GHz, %.2f dB", m.stimulusHz / 1e9, m.valueDb);
    }
    return t;
}

}  // namespace

std::vector<PointMark> MarkerMarks(const MarkerReport& markers) {
    std::vector<PointMark> marks;
    for (const MarkerReadout& m : markers.markers) {
        if (!m.valid)
            continue;
        PointMark p;
        p.x = m.stimulusHz / 1e9;
        p.y = m.valueDb;
        p.label = std::to_string(m.number);
        p.tooltip = MarkerTooltip(m);
        p.color = kMarkerColors[(m.number - 1) % 6];
        marks.push_back(p);
    }
    return marks;
}

Plot MarkerAndLimitPlot(const std::vector<double>& fGHz, const std::vector<float>& s21Db,
                        const MarkerReport& markers, const std::vector<MaskRow>& mask,
                        const LimitOutcome& limit, const std::string& label) {
    Plot p;
    p.title = "S21 markers and limit test: " + std::string(!limit.tested ? "no verdict"
                                                           : limit.pass  ? "PASS"
                                                                         : "FAIL");
    p.xLabel = "Frequency (GHz)";
    p.yLabel = "|S21| (dB)";
    p.series.push_back(
        Line("S21" + (label.empty() ? "" : " " + label), fGHz, Scaled(s21Db, 1.0), "#1f77b4"));
    bool upperShown = false, lowerShown = false;
    for (const MaskRow& r : mask) {
        // One legend entry per kind of row; the other rows of that kind are drawn unlabelled.
        bool& shown = r.upper ? upperShown : lowerShown;
        Series s =
            Line(shown     ? ""
                 : r.upper ? "upper limit"
                           : "lower limit",
                 {r.startHz / 1e9, r.stopHz / 1e9}, {r.db, r.db}, r.upper ? "#d62728" : "#2ca02c");
        shown = true;
        p.series.push_back(s);
    }
    p.points = MarkerMarks(markers);
    for (int i : limit.failing) {
        PointMark f;
        f.shape = PointMark::Ring;
        f.x = fGHz[i];
        f.y = s21Db[i];
        f.color = "#d62728";
        f.tooltip = Fmt("Limit fail: %.4f GHz, %.2f dB", fGHz[i], s21Db[i]);
        p.points.push_back(f);
    }
    FitDbRange(p);
    return p;
}

Table MarkerTable(const MarkerReport& markers) {
    Table t;
    t.caption = "S21 marker readouts";
    t.header = {"Marker", "Function", "Frequency", "|S21|", "Delta"};
    for (const MarkerReadout& m : markers.markers) {
        std::vector<std::string> row = {std::to_string(m.number), m.role};
        if (!m.valid) {
            row.insert(row.end(), {"not found", "", ""});
        } else {
            row.push_back(Fmt("%.4f GHz", m.stimulusHz / 1e9));
            row.push_back(Fmt("%.2f dB", m.valueDb));
            row.push_back(m.reference == 0 ? ""
                                           : Fmt("%+.4f GHz, ", m.deltaHz / 1e9) +
                                                 Fmt("%+.2f dB from marker ", m.deltaDb) +
                                                 std::to_string(m.reference));
        }
        t.rows.push_back(row);
    }
    return t;
}

void AddMarkerFigures(Report& report, const MarkerReport& mk) {
    auto& fig = report.figures;
    const MarkerReadout& peak = mk.markers[0];
    fig.push_back({"Insertion loss (marker 1, peak)",
                   Fmt("%.2f dB at %.4f GHz", -peak.valueDb, peak.stimulusHz / 1e9)});
    if (mk.bandwidthValid) {
        fig.push_back({"Bandwidth (markers 2-4, -3 dB)",
                       Fmt("%.4f GHz, centre %.4f GHz", mk.bandwidthHz / 1e9, mk.centreHz / 1e9) +
                           Fmt(", Q %.2f, loss at centre %.2f dB", mk.q, -mk.centreLossDb)});
    } else {
        fig.push_back({"Bandwidth (markers 2-4, -3 dB)",
                       "not found (no -3 dB points around the "
                       "peak)"});
    }
    const MarkerReadout& target = mk.markers[4];
    fig.push_back({"Target (marker 5)",
                   target.valid
                       ? Fmt("%.2f dB reached at %.4f GHz", mk.targetDb, target.stimulusHz / 1e9)
                       : Fmt("%.2f dB not reached on the high side of the peak", mk.targetDb)});
    const MarkerReadout& delta = mk.markers[5];
    fig.push_back({"Delta (marker 6 - marker 1)",
                   Fmt("%+.2f dB at %+.4f GHz from the peak", delta.deltaDb, delta.deltaHz / 1e9)});
}

std::string LimitVerdict(const LimitOutcome& limit, const std::vector<double>& fGHz) {
    if (!limit.tested)
        return "no verdict: no mask row covers the sweep";
    if (limit.pass)
        return "PASS (" + std::to_string(limit.testedPoints) + " points tested)";
    return "FAIL: " + std::to_string(limit.failing.size()) + " of " +
           std::to_string(limit.testedPoints) + " tested points outside the mask" +
           Fmt(" (%.4f to %.4f GHz)", fGHz[limit.failing.front()], fGHz[limit.failing.back()]);
}

}  // namespace demo
