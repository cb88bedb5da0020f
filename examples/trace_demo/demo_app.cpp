#include "examples/trace_demo/demo_app.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "examples/trace_demo/report.h"
#include "examples/trace_demo/synthetic_measurement.h"
#include "examples/trace_demo/trace_pipeline.h"
#include "tessel/touchstone/touchstone.h"

namespace demo {

namespace {

constexpr int kPoints = 1601;
constexpr double kStopHz = 6e9;
constexpr double kNoiseRms = 1e-4;
constexpr int kChunks = 4;
constexpr int kDelayAperture = 21;
constexpr double kZ0 = 50.0;

struct Options {
    std::string outDir = "tessel-report";
    std::string file;
    bool gateGiven = false;
    double gateStartS = 0.0, gateStopS = 0.0;
};

const char* kUsage =
    "usage: tessel-demo [--out DIR] [--gate START_NS:STOP_NS] [FILE.s1p|FILE.s2p]\n"
    "  Without FILE, corrects, formats, transforms and gates an embedded measurement of a\n"
    "  band-pass filter behind a cable with an impedance step. With FILE, processes that\n"
    "  Touchstone file (already corrected data). --gate removes a time window (ns) from\n"
    "  S11. The report is written to DIR/report.html (default ./tessel-report).\n";

std::string Fmt(const char* format, double a) {
    char buf[128];
    std::snprintf(buf, sizeof buf, format, a);
    return buf;
}
std::string Fmt(const char* format, double a, double b) {
    char buf[128];
    std::snprintf(buf, sizeof buf, format, a, b);
    return buf;
}

bool ParseArgs(int argc, const char* const* argv, Options& o, std::ostream& err) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            err << kUsage;
            return false;
        } else if (a == "--out" && i + 1 < argc) {
            o.outDir = argv[++i];
        } else if (a == "--gate" && i + 1 < argc) {
            const std::string g = argv[++i];
            char* end = nullptr;
            o.gateStartS = std::strtod(g.c_str(), &end) * 1e-9;
            if (*end != ':' || !(o.gateStopS = std::strtod(end + 1, &end) * 1e-9, *end == '\0') ||
                !(o.gateStopS > o.gateStartS)) {
                err << "tessel-demo: --gate needs START_NS:STOP_NS with START < STOP\n";
                return false;
            }
            o.gateGiven = true;
        } else if (!a.empty() && a[0] == '-') {
            err << "tessel-demo: unknown option " << a << "\n" << kUsage;
            return false;
        } else if (o.file.empty()) {
            o.file = a;
        } else {
            err << "tessel-demo: only one input file\n" << kUsage;
            return false;
        }
    }
    return true;
}

Trace ToTrace(const std::vector<Cd>& v) {
    Trace t;
    t.reserve(v.size());
    for (const Cd& z : v)
        t.emplace_back(float(z.real()), float(z.imag()));
    return t;
}

// The values times s, in double (plot units from library units).
template <typename T>
std::vector<double> Scaled(const std::vector<T>& v, double s) {
    std::vector<double> out(v.size());
    std::transform(v.begin(), v.end(), out.begin(), [s](T x) { return double(x) * s; });
    return out;
}
std::vector<double> LogMag(const Trace& t) {
    std::vector<double> out;
    for (const TsComplex& z : t)
        out.push_back(z.LogMag());
    return out;
}

Series Line(const std::string& label, std::vector<double> x, std::vector<double> y,
            const std::string& color, bool dashed = false) {
    Series s;
    s.label = label;
    s.x = std::move(x);
    s.y = std::move(y);
    s.color = color;
    s.dashed = dashed;
    return s;
}

// The 3 dB pass band of |S21| around its maximum: indices [lo, hi], or an empty band.
std::pair<int, int> PassBand(const std::vector<float>& s21Db) {
    const int n = static_cast<int>(s21Db.size());
    const int peak = static_cast<int>(std::max_element(s21Db.begin(), s21Db.end()) - s21Db.begin());
    int lo = peak, hi = peak;
    while (lo > 0 && s21Db[lo - 1] >= s21Db[peak] - 3.0f)
        --lo;
    while (hi < n - 1 && s21Db[hi + 1] >= s21Db[peak] - 3.0f)
        ++hi;
    return {lo, hi};
}

// Worst (largest) |S| in dB over [lo, hi].
double WorstDb(const Trace& t, int lo, int hi) {
    double worst = -400.0;
    for (int i = lo; i <= hi; ++i)
        worst = std::max(worst, t[i].LogMag());
    return worst;
}

double ToOhms(double rho) {
    rho = std::clamp(rho, -0.999, 0.999);
    return kZ0 * (1.0 + rho) / (1.0 - rho);
}

// The impedance step: the mid-level crossing between the level before and the highest level
// after the steepest rise inside [fromS, toS], found with the library's value search.
struct Step {
    bool found = false;
    double timeS = 0.0, fromOhms = 0.0, toOhms = 0.0;
};
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

struct Outcome {
    Report report;
    std::vector<std::string> summary;
    double residual = -1.0;  // worst correction residual vs truth, when known
};

void AddFrequencyPlots(Outcome& o, const std::vector<double>& fGHz, const Formatted& s11,
                       const Formatted* s21, const Trace* rawS11, const Trace* rawS21) {
    Plot mag;
    mag.title = "Log magnitude";
    mag.xLabel = "Frequency (GHz)";
    mag.yLabel = "Magnitude (dB)";
    if (s21)
        mag.series.push_back(Line("S21 corrected", fGHz, Scaled(s21->logMagDb, 1.0), "#1f77b4"));
    mag.series.push_back(Line("S11 corrected", fGHz, Scaled(s11.logMagDb, 1.0), "#d62728"));
    if (rawS21)
        mag.series.push_back(Line("S21 raw", fGHz, LogMag(*rawS21), "#1f77b4", true));
    if (rawS11)
        mag.series.push_back(Line("S11 raw", fGHz, LogMag(*rawS11), "#d62728", true));
    mag.yMin = -60.0;
    mag.yMax = 5.0;
    o.report.plots.push_back(mag);

    const Formatted& main = s21 ? *s21 : s11;
    const std::string name = s21 ? "S21" : "S11";
    Plot phase;
    phase.title = name + " phase, unwrapped";
    phase.xLabel = "Frequency (GHz)";
    phase.yLabel = "Phase (degrees)";
    phase.series.push_back(Line(name + " unwrapped phase", fGHz,
                                Scaled(main.phaseUnwrappedRad, 180.0 / M_PI), "#2ca02c"));
    o.report.plots.push_back(phase);

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
    o.report.plots.push_back(delay);

    Plot swr;
    swr.title = "S11 SWR";
    swr.xLabel = "Frequency (GHz)";
    swr.yLabel = "SWR (ratio)";
    swr.series.push_back(Line("S11 SWR", fGHz, Scaled(s11.swr, 1.0), "#ff7f0e"));
    swr.yMin = 1.0;
    swr.yMax = 10.0;
    o.report.plots.push_back(swr);
}

void AddTimeDomainPlot(Outcome& o, const TimeDomainView& td, const Step* step, double gateStartS,
                       double gateStopS, bool gated) {
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
        p.markers.push_back({step->timeS * 1e9, Fmt("step %.2f ns", step->timeS * 1e9)});
    }
    if (gated) {
        p.markers.push_back({gateStartS * 1e9, "gate start"});
        p.markers.push_back({gateStopS * 1e9, "gate stop"});
    }
    o.report.plots.push_back(p);
}

Outcome RunEmbedded() {
    Outcome o;
    const SyntheticMeasurement m = MakeSyntheticMeasurement(kPoints, kStopHz, kNoiseRms, 20261205u);
    const int n = kPoints;
    Sweep sweep;
    sweep.frequencyHz = m.frequencyHz;
    sweep.ports = 2;
    for (int k = 0; k < 4; ++k)
        sweep.sParameters[k] = ToTrace(m.raw[k]);
    auto term = [&](auto member, int dir) {
        std::vector<Cd> v;
        for (const ErrorTerms& e : m.errorTerms)
            v.push_back((e.*member)[dir]);
        return ToTrace(v);
    };
    // Register names: row = receiving port, column = source port.
    sweep.errorTerms = {
        {L"Directivity(1,1)", term(&ErrorTerms::directivity, 0)},
        {L"Directivity(2,2)", term(&ErrorTerms::directivity, 1)},
        {L"SourceMatch(1,1)", term(&ErrorTerms::sourceMatch, 0)},
        {L"SourceMatch(2,2)", term(&ErrorTerms::sourceMatch, 1)},
        {L"ReflectionTracking(1,1)", term(&ErrorTerms::reflectionTracking, 0)},
        {L"ReflectionTracking(2,2)", term(&ErrorTerms::reflectionTracking, 1)},
        {L"LoadMatch(2,1)", term(&ErrorTerms::loadMatch, 0)},
        {L"LoadMatch(1,2)", term(&ErrorTerms::loadMatch, 1)},
        {L"TransmissionTracking(2,1)", term(&ErrorTerms::transmissionTracking, 0)},
        {L"TransmissionTracking(1,2)", term(&ErrorTerms::transmissionTracking, 1)},
        {L"CrossTalk(2,1)", term(&ErrorTerms::crosstalk, 0)},
        {L"CrossTalk(1,2)", term(&ErrorTerms::crosstalk, 1)},
    };
    const auto chunks = SweepChunks(n, kChunks);
    const std::array<Trace, 4> corrected = CorrectSweep(sweep, chunks);

    // The same correction of noise-free receivers isolates the arithmetic from the noise.
    Sweep clean = sweep;
    for (int k = 0; k < 4; ++k)
        clean.sParameters[k] = ToTrace(m.rawNoiseFree[k]);
    const std::array<Trace, 4> cleanCorrected = CorrectSweep(clean, chunks);
    double residual = 0.0, noisy = 0.0;
    std::vector<double> residualDb(n, -400.0);
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < n; ++i) {
            const Cd c(cleanCorrected[k][i].re, cleanCorrected[k][i].im);
            const Cd c2(corrected[k][i].re, corrected[k][i].im);
            residual = std::max(residual, std::abs(c - m.truth[k][i]));
            noisy = std::max(noisy, std::abs(c2 - m.truth[k][i]));
            residualDb[i] =
                std::max(residualDb[i], 20.0 * std::log10(std::abs(c - m.truth[k][i]) + 1e-20));
        }
    }
    o.residual = residual;

    const QuorUtility::InputArray stimulus(
        QuorUtility::Segment::Linear(m.frequencyHz.front(), m.frequencyHz.back(), n));
    const Formatted s11 = FormatTrace(corrected[0], stimulus, chunks, kDelayAperture);
    const Formatted s21 = FormatTrace(corrected[2], stimulus, chunks, kDelayAperture);
    const std::vector<double> fGHz = Scaled(m.frequencyHz, 1e-9);

    // Filter figures from the corrected S21.
    const auto [lo, hi] = PassBand(s21.logMagDb);
    const int peak = static_cast<int>(std::max_element(s21.logMagDb.begin(), s21.logMagDb.end()) -
                                      s21.logMagDb.begin());
    const int centre = static_cast<int>(std::lround(m.device.filterCenterHz / (kStopHz / n))) - 1;

    // Time domain: the cable's step lies before the filter's own reflections begin.
    const DeviceDescription& d = m.device;
    const double filterEchoS = 2.0 * (d.cableDelay1 + d.stepDelay + d.cableDelay2);
    const TimeDomainView td = TransformReflection(corrected[0], m.frequencyHz, -0.5e-9, 5e-9);
    const Step step = FindImpedanceStep(td, 0.1e-9, filterEchoS - 0.3e-9);

    // Gate the step's reflections out and compare with the flawless cable in the pass band.
    const double gateStart = 2.0 * d.cableDelay1 - 0.4e-9;
    const double gateStop = 2.0 * (d.cableDelay1 + d.stepDelay) + 0.5e-9;
    const Trace gated = GateOut(corrected[0], m.frequencyHz, gateStart, gateStop);
    const Trace reference = ToTrace(m.reference[0]);
    // The filter's equal-ripple band, where its own match is best.
    const double stepHz = kStopHz / n;
    const int bandLo =
        static_cast<int>(std::ceil((d.filterCenterHz - 0.5 * d.filterBandwidthHz) / stepHz)) - 1;
    const int bandHi =
        static_cast<int>(std::floor((d.filterCenterHz + 0.5 * d.filterBandwidthHz) / stepHz)) - 1;
    const double ungatedDb = WorstDb(corrected[0], bandLo, bandHi);
    const double gatedDb = WorstDb(gated, bandLo, bandHi);
    const double referenceDb = WorstDb(reference, bandLo, bandHi);

    auto& fig = o.report.figures;
    fig.push_back({"Stimulus",
                   std::to_string(n) + Fmt(" points, %.4g MHz to ", m.frequencyHz.front() / 1e6) +
                       Fmt("%.4g GHz (harmonic grid for the low-pass transform)", kStopHz / 1e9)});
    fig.push_back({"Correction",
                   "2-port N-port algorithm, 12 error terms and 4 raw buffers by "
                   "name, applied in " +
                       std::to_string(chunks.size()) + " point ranges as the sweep arrives"});
    fig.push_back({"Correction residual vs known truth",
                   Fmt("%.2e (worst |corrected - true| over S11, S12, S21, S22, noise-free "
                       "receivers)",
                       residual)});
    fig.push_back({"With receiver noise", Fmt("worst deviation %.2e (%.1f dB; receiver noise rms ",
                                              noisy, 20 * std::log10(noisy)) +
                                              Fmt("%.0e per part)", kNoiseRms)});
    fig.push_back({"Filter pass band (3 dB)", Fmt("%.3f to %.3f GHz", fGHz[lo], fGHz[hi])});
    fig.push_back({"Filter insertion loss",
                   Fmt("%.2f dB at %.3f GHz", -s21.logMagDb[centre], fGHz[centre]) +
                       Fmt(" (lowest %.2f dB at %.3f GHz)", -s21.logMagDb[peak], fGHz[peak])});
    fig.push_back({"Group delay at band centre",
                   Fmt("%.3f ns", s21.groupDelaySmoothedS[centre] * 1e9) + " (smoothed over " +
                       std::to_string(kDelayAperture) + " points)"});
    fig.push_back({"Time domain", Fmt("low-pass step, normal window, rise time %.0f ps, DC value ",
                                      td.stepRiseTimeS * 1e12) +
                                      Fmt("%.3f (estimated)", td.dcValue)});
    if (step.found) {
        fig.push_back(
            {"Impedance step", Fmt("at %.3f ns: ", step.timeS * 1e9) +
                                   Fmt("%.1f ohm to %.1f ohm", step.fromOhms, step.toOhms)});
    } else {
        fig.push_back({"Impedance step", "not found"});
    }
    fig.push_back(
        {"Gate", Fmt("notch, normal shape, %.2f to %.2f ns", gateStart * 1e9, gateStop * 1e9)});
    fig.push_back(
        {Fmt("Return loss %.2f to ", fGHz[bandLo]) + Fmt("%.2f GHz (worst)", fGHz[bandHi]),
         Fmt("%.1f dB ungated, %.1f dB gated", -ungatedDb, -gatedDb) +
             Fmt(" (improvement %.1f dB; flawless cable: %.1f dB)", ungatedDb - gatedDb,
                 -referenceDb)});

    o.report.title = "tessel demo: band-pass filter behind a cable with an impedance step";
    o.report.intro =
        "An embedded two-port measurement: a 3-pole Chebyshev band-pass filter (2.4 GHz, 600 MHz "
        "wide) behind a short cable whose impedance steps up to 65 ohm over 0.15 ns, measured "
        "through a test set with frequency-dependent directivity, match and tracking, crosstalk "
        "and receiver noise. The library corrects the raw receiver data with the N-port "
        "algorithm, formats S11 and S21 (log magnitude, unwrapped phase, group delay, SWR), "
        "smooths the group delay, transforms S11 to a low-pass step response that shows the "
        "impedance step, and gates the step's reflection out of S11.";

    AddFrequencyPlots(o, fGHz, s11, &s21, &sweep.sParameters[0], &sweep.sParameters[2]);
    AddTimeDomainPlot(o, td, &step, gateStart, gateStop, true);
    Plot g;
    g.title = "S11 with the cable step gated out";
    g.xLabel = "Frequency (GHz)";
    g.yLabel = "|S11| (dB)";
    g.series.push_back(Line("S11 ungated", fGHz, LogMag(corrected[0]), "#d62728"));
    g.series.push_back(Line("S11 gated", fGHz, LogMag(gated), "#1f77b4"));
    g.series.push_back(Line("flawless cable (truth)", fGHz, LogMag(reference), "#444444", true));
    g.markers.push_back({fGHz[bandLo], "pass band"});
    g.markers.push_back({fGHz[bandHi], ""});
    g.yMin = -50.0;
    g.yMax = 2.0;
    o.report.plots.push_back(g);
    Plot r;
    r.title = "Correction residual against the known truth (noise-free receivers)";
    r.xLabel = "Frequency (GHz)";
    r.yLabel = "Worst |corrected - true| (dB)";
    r.series.push_back(Line("worst over S11, S12, S21, S22", fGHz, residualDb, "#8c564b"));
    r.yMin = -180.0;
    r.yMax = -80.0;
    o.report.plots.push_back(r);
    return o;
}

Outcome RunFile(const Options& opt) {
    Outcome o;
    Tessel::TouchstoneData t = Tessel::ReadTouchstoneFile(opt.file);
    const int n = static_cast<int>(t.frequencyHz.size());
    if (n < 3)
        throw Tessel::TouchstoneError(opt.file + ": at least 3 frequency points are needed");
    if (t.ports > 2) {
        throw Tessel::TouchstoneError(opt.file + ": expected a 1- or 2-port file, found " +
                                      std::to_string(t.ports) + " ports");
    }
    try {
        Tessel::ConvertToS(t);  // Y and Z files are shown as S-parameters
    } catch (const Tessel::TouchstoneError& e) {
        throw Tessel::TouchstoneError(opt.file + ": " + e.what());
    }
    // data[2r + c] is S(r+1)(c+1): S11, S12, S21, S22.
    std::array<Trace, 4> data;
    for (int r = 0; r < t.ports; ++r) {
        for (int c = 0; c < t.ports; ++c) {
            for (int i = 0; i < n; ++i)
                data[2 * r + c].push_back(t.at(i, r, c));
        }
    }
    const auto chunks = SweepChunks(n, kChunks);
    const QuorUtility::InputArray stimulus(t.frequencyHz);
    const int aperture = std::min(kDelayAperture, n % 2 ? n : n - 1);
    const Formatted s11 = FormatTrace(data[0], stimulus, chunks, std::max(aperture, 3));
    Formatted s21;
    if (t.ports == 2)
        s21 = FormatTrace(data[2], stimulus, chunks, std::max(aperture, 3));
    const std::vector<double> fGHz = Scaled(t.frequencyHz, 1e-9);

    auto& fig = o.report.figures;
    fig.push_back({"Input", opt.file + " (" + std::to_string(t.ports) +
                                Fmt("-port, reference %.0f ohm)", t.referenceOhms[0])});
    fig.push_back({"Stimulus", std::to_string(n) +
                                   Fmt(" points, %.6g to ", t.frequencyHz.front() / 1e9) +
                                   Fmt("%.6g GHz", t.frequencyHz.back() / 1e9)});
    fig.push_back({"Correction", "skipped: the file holds corrected S-parameters"});
    if (t.ports == 2) {
        const int peak = static_cast<int>(
            std::max_element(s21.logMagDb.begin(), s21.logMagDb.end()) - s21.logMagDb.begin());
        fig.push_back(
            {"Largest |S21|", Fmt("%.2f dB at %.4g GHz", s21.logMagDb[peak], fGHz[peak])});
    }
    const auto worst = std::min_element(s11.logMagDb.begin(), s11.logMagDb.end());
    fig.push_back(
        {"Best return loss",
         Fmt("%.1f dB", -*worst) + Fmt(" at %.4g GHz", fGHz[worst - s11.logMagDb.begin()])});
    const double span = t.frequencyHz.back() - t.frequencyHz.front();
    const double tStop = std::min(20e-9, 0.45 * (n - 1) / std::max(span, 1.0));
    const TimeDomainView td = TransformReflection(data[0], t.frequencyHz, -0.1 * tStop, tStop);
    fig.push_back(
        {"Time domain", td.mode == Tessel::TimeDomain::LowPassStep
                            ? "low-pass step (harmonic grid), normal window"
                            : "band-pass impulse (the grid is not harmonic), normal window"});
    AddFrequencyPlots(o, fGHz, s11, t.ports == 2 ? &s21 : nullptr, nullptr, nullptr);
    AddTimeDomainPlot(o, td, nullptr, opt.gateStartS, opt.gateStopS, opt.gateGiven);
    if (opt.gateGiven) {
        const Trace gated = GateOut(data[0], t.frequencyHz, opt.gateStartS, opt.gateStopS);
        Plot g;
        g.title = "S11 with the gate applied";
        g.xLabel = "Frequency (GHz)";
        g.yLabel = "|S11| (dB)";
        g.series.push_back(Line("S11 ungated", fGHz, LogMag(data[0]), "#d62728"));
        g.series.push_back(Line("S11 gated", fGHz, LogMag(gated), "#1f77b4"));
        o.report.plots.push_back(g);
        fig.push_back(
            {"Gate", Fmt("notch %.3f to %.3f ns", opt.gateStartS * 1e9, opt.gateStopS * 1e9) +
                         Fmt("; worst |S11| %.1f dB ungated, ", WorstDb(data[0], 0, n - 1)) +
                         Fmt("%.1f dB gated", WorstDb(gated, 0, n - 1))});
    } else {
        o.report.notes.push_back(
            "No gate requested; pass --gate START_NS:STOP_NS to remove a time window from S11.");
    }
    o.report.title = "tessel demo: " + opt.file;
    o.report.intro =
        "Measured S-parameters from a Touchstone file, formatted (log magnitude, "
        "unwrapped phase, group delay, SWR), smoothed and transformed to the time "
        "domain by the library.";
    return o;
}

}  // namespace

int RunDemo(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    Options opt;
    if (!ParseArgs(argc, argv, opt, err)) {
        return 2;
    }
    try {
        Outcome o = opt.file.empty() ? RunEmbedded() : RunFile(opt);
        const std::string path = WriteReport(o.report, opt.outDir);
        out << o.report.title << "\n";
        for (const auto& [label, value] : o.report.figures) {
            out << "  " << label << ": " << value << "\n";
        }
        for (const std::string& note : o.report.notes)
            out << "  " << note << "\n";
        out << "Report: " << path << "\n";
        return 0;
    } catch (const Tessel::TouchstoneError& e) {
        err << "tessel-demo: " << e.what() << "\n";
    } catch (const std::exception& e) {
        err << "tessel-demo: error: " << e.what() << "\n";
    }
    return 1;
}

}  // namespace demo
