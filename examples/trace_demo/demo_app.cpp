// SPDX-License-Identifier: Apache-2.0
#include "examples/trace_demo/demo_app.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "examples/trace_demo/demo_views.h"
#include "examples/trace_demo/fixture_and_cal.h"
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
constexpr unsigned kSeed = 20261205u;
// Marker 5 searches this far below the peak; the band-pass mask's ceilings lie as far below.
constexpr double kTargetBelowPeakDb = 20.0;

struct Options {
    std::string outDir = "tessel-report";
    std::string file;
    std::string saveFile;
    bool gateGiven = false;
    double gateStartS = 0.0, gateStopS = 0.0;
    std::vector<MaskRow> mask;  // --limit rows; empty: the default mask
};

const char* kUsage =
    "usage: tessel-demo [--out DIR] [--gate START_NS:STOP_NS] [--limit ROW]... [--save FILE.s2p]\n"
    "                   [FILE.s1p|FILE.s2p]\n"
    "  Without FILE, calibrates from simulated standards, corrects, formats, transforms, gates\n"
    "  and de-embeds an embedded measurement of a band-pass filter behind a cable with an\n"
    "  impedance step. With FILE, processes that Touchstone file (already corrected data).\n"
    "  --gate removes a time window (ns) from S11. --limit max|min:START_GHZ:STOP_GHZ:DB adds\n"
    "  a row to the S21 limit mask (replacing the default band-pass mask). --save writes the\n"
    "  corrected S-parameters as a Touchstone file. The report is written to DIR/report.html\n"
    "  (default ./tessel-report).\n";

bool ParseArgs(int argc, const char* const* argv, Options& o, std::ostream& err) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            err << kUsage;
            return false;
        } else if (a == "--out" && i + 1 < argc) {
            o.outDir = argv[++i];
        } else if (a == "--save" && i + 1 < argc) {
            o.saveFile = argv[++i];
        } else if (a == "--limit" && i + 1 < argc) {
            MaskRow row;
            if (!ParseMaskRow(argv[++i], row)) {
                err << "tessel-demo: --limit needs max|min:START_GHZ:STOP_GHZ:DB with START < "
                       "STOP\n";
                return false;
            }
            o.mask.push_back(row);
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

// Worst |a - b| over points [lo, hi].
double WorstDistance(const Trace& a, const Trace& b, int lo, int hi) {
    double worst = 0.0;
    for (int i = lo; i <= hi; ++i)
        worst = std::max(worst, std::abs(Cd(a[i].re - b[i].re, a[i].im - b[i].im)));
    return worst;
}

struct Outcome {
    Report report;
    DemoFigures figures;
    std::array<Trace, 4> corrected;  // what --save writes
    std::vector<double> frequencyHz;
    int ports = 2;
};

// Markers and limit test on S21: the report's figures, table and plot.
void AnalyseTransmission(Outcome& o, const Trace& s21, const Formatted& f21,
                         const std::vector<MaskRow>& defaultMask, const Options& opt,
                         const std::string& label) {
    const std::vector<double>& fHz = o.frequencyHz;
    const std::vector<double> fGHz = Scaled(fHz, 1e-9);
    MarkerReport mk = RunMarkers(fHz, s21, f21.logMagDb, kTargetBelowPeakDb, fHz.back());
    // The delta marker sits in the upper stop band, one and a half bandwidths above the
    // centre (at the last point when that lies beyond the sweep or there is no band).
    if (mk.bandwidthValid) {
        const double at = std::min(fHz.back(), mk.centreHz + 1.5 * mk.bandwidthHz);
        mk = RunMarkers(fHz, s21, f21.logMagDb, kTargetBelowPeakDb, at);
    }
    std::vector<MaskRow> mask = opt.mask.empty() ? defaultMask : opt.mask;
    if (mask.empty() && mk.bandwidthValid) {
        mask = BandPassMask(mk.markers[1].stimulusHz, mk.markers[2].stimulusHz, mk.peakDb, 1.0,
                            kTargetBelowPeakDb, fHz.front(), fHz.back());
    }
    const LimitOutcome limit = RunLimitTest(mask, fHz, f21.logMagDb);
    AddMarkerFigures(o.report, mk);
    const std::string source = !opt.mask.empty()      ? "the --limit rows"
                               : !defaultMask.empty() ? "the filter's band-pass mask"
                               : mask.empty()         ? "no mask"
                                                      : "a band-pass mask around the -3 dB band";
    o.report.figures.push_back({"Limit test (S21, " + source + ")",
                                mask.empty()
                                    ? "not run: no -3 dB pass band on S21; give rows with --limit"
                                    : LimitVerdict(limit, fGHz)});
    o.report.tables.push_back(MarkerTable(mk));
    o.report.plots.push_back(MarkerAndLimitPlot(fGHz, f21.logMagDb, mk, mask, limit, label));
    o.figures.hasTransmission = true;
    o.figures.markers = mk;
    o.figures.limit = limit;
}

Outcome RunEmbedded(const Options& opt) {
    Outcome o;
    o.figures.embedded = true;
    const SyntheticMeasurement m = MakeSyntheticMeasurement(kPoints, kStopHz, kNoiseRms, kSeed);
    const int n = kPoints;
    o.frequencyHz = m.frequencyHz;
    const DeviceDescription& d = m.device;

    // Calibration: standards measured through the error model and solved. The terms from
    // noisy standards correct the displayed data; a second solve from noise-free standards
    // checks the arithmetic against the known terms.
    const SolvedCalibration cal =
        CalibrateFromStandards(m.frequencyHz, m.errorTerms, kNoiseRms, kSeed + 1);
    const SolvedCalibration exact = CalibrateFromStandards(m.frequencyHz, m.errorTerms, 0.0, 0);
    Sweep sweep;
    sweep.frequencyHz = m.frequencyHz;
    sweep.ports = 2;
    for (int k = 0; k < 4; ++k)
        sweep.sParameters[k] = ToTrace(m.raw[k]);
    sweep.errorTerms = cal.terms;
    const auto chunks = SweepChunks(n, kChunks);
    o.corrected = CorrectSweep(sweep, chunks);
    const std::array<Trace, 4>& corrected = o.corrected;

    // Noise-free receivers corrected with the noise-free solution isolate the arithmetic.
    Sweep clean = sweep;
    clean.errorTerms = exact.terms;
    for (int k = 0; k < 4; ++k)
        clean.sParameters[k] = ToTrace(m.rawNoiseFree[k]);
    const std::array<Trace, 4> cleanCorrected = CorrectSweep(clean, chunks);
    double residual = 0.0, noisy = 0.0;
    std::vector<double> residualDb(n, -400.0);
    for (int k = 0; k < 4; ++k) {
        const Trace truth = ToTrace(m.truth[k]);
        residual = std::max(residual, WorstDistance(cleanCorrected[k], truth, 0, n - 1));
        noisy = std::max(noisy, WorstDistance(corrected[k], truth, 0, n - 1));
        for (int i = 0; i < n; ++i) {
            const Cd c(cleanCorrected[k][i].re, cleanCorrected[k][i].im);
            residualDb[i] =
                std::max(residualDb[i], 20.0 * std::log10(std::abs(c - m.truth[k][i]) + 1e-20));
        }
    }
    o.figures.termResidual = exact.worstTermError;
    o.figures.correctionResidual = residual;

    const QuorUtility::InputArray stimulus(
        QuorUtility::Segment::Linear(m.frequencyHz.front(), m.frequencyHz.back(), n));
    const Formatted s11 = FormatTrace(corrected[0], stimulus, chunks, kDelayAperture);
    const Formatted s21 = FormatTrace(corrected[2], stimulus, chunks, kDelayAperture);
    const std::vector<double> fGHz = Scaled(m.frequencyHz, 1e-9);
    const int centre = static_cast<int>(std::lround(d.filterCenterHz / (kStopHz / n))) - 1;

    // Time domain: the cable's step lies before the filter's own reflections begin.
    const double filterEchoS = 2.0 * (d.cableDelay1 + d.stepDelay + d.cableDelay2);
    const TimeDomainView td = TransformReflection(corrected[0], m.frequencyHz, -0.5e-9, 5e-9);
    const Step step = FindImpedanceStep(td, 0.1e-9, filterEchoS - 0.3e-9);

    // Gate the step's reflections out; replace the stepped cable by a flawless one through
    // its anti-network. Both aim at the device behind a flawless cable.
    const double gateStart = 2.0 * d.cableDelay1 - 0.4e-9;
    const double gateStop = 2.0 * (d.cableDelay1 + d.stepDelay) + 0.5e-9;
    const Trace gated = GateOut(corrected[0], m.frequencyHz, gateStart, gateStop);
    std::vector<SParams> cable, flawless;
    for (double f : m.frequencyHz) {
        cable.push_back(SteppedCableS(d, f));
        flawless.push_back(FlawlessCableS(d, f));
    }
    const std::array<Trace, 4> replaced = ReplaceInputCable(corrected, cable, flawless);
    const Trace reference = ToTrace(m.reference[0]);
    // The filter's equal-ripple band, where its own match is best: the middle of the sweep's
    // interest, away from the band edges where gating truncates.
    const double stepHz = kStopHz / n;
    const int bandLo =
        static_cast<int>(std::ceil((d.filterCenterHz - 0.5 * d.filterBandwidthHz) / stepHz)) - 1;
    const int bandHi =
        static_cast<int>(std::floor((d.filterCenterHz + 0.5 * d.filterBandwidthHz) / stepHz)) - 1;
    const double ungatedDb = WorstDb(corrected[0], bandLo, bandHi);
    const double gatedDb = WorstDb(gated, bandLo, bandHi);
    const double replacedDb = WorstDb(replaced[0], bandLo, bandHi);
    const double referenceDb = WorstDb(reference, bandLo, bandHi);
    o.figures.gatedS11Error = WorstDistance(gated, reference, bandLo, bandHi);
    o.figures.deembeddedS11Error = WorstDistance(replaced[0], reference, bandLo, bandHi);

    auto& fig = o.report.figures;
    fig.push_back({"Stimulus",
                   std::to_string(n) + Fmt(" points, %.4g MHz to ", m.frequencyHz.front() / 1e6) +
                       Fmt("%.4g GHz (harmonic grid for the low-pass transform)", kStopHz / 1e9)});
    fig.push_back({"Calibration",
                   "SOLT solved from simulated standards (open, short, load on each port, "
                   "isolation, flush thru) measured through the test set's error model" +
                       std::string(cal.status == Tessel::kOk ? "" : "; some points unsolved")});
    fig.push_back(
        {"Calibration terms vs known truth",
         Fmt("%.2e (worst |solved - true|, noise-free standards, ", exact.worstTermError) +
             exact.worstTermName + Fmt("); %.2e with receiver noise", cal.worstTermError)});
    fig.push_back({"Correction",
                   "2-port N-port algorithm, the 12 solved terms and 4 raw buffers by "
                   "name, applied in " +
                       std::to_string(chunks.size()) + " point ranges as the sweep arrives"});
    fig.push_back({"Correction residual vs known truth",
                   Fmt("%.2e (worst |corrected - true| over S11, S12, S21, S22, noise-free "
                       "receivers and standards)",
                       residual)});
    fig.push_back({"With receiver noise", Fmt("worst deviation %.2e (%.1f dB; receiver noise rms ",
                                              noisy, 20 * std::log10(noisy)) +
                                              Fmt("%.0e per part)", kNoiseRms)});
    AnalyseTransmission(o, corrected[2], s21,
                        // Floor 1.5 dB down over the middle of the ripple band; ceilings 20 dB
                        // down well outside the -3 dB band.
                        {{false, 2.25e9, 2.55e9, -1.5},
                         {true, m.frequencyHz.front(), 1.4e9, -kTargetBelowPeakDb},
                         {true, 3.9e9, kStopHz, -kTargetBelowPeakDb}},
                        opt, "corrected");
    fig.push_back({"Group delay at band centre",
                   Fmt("%.3f ns", s21.groupDelaySmoothedS[centre] * 1e9) + " (smoothed over " +
                       std::to_string(kDelayAperture) + " points)"});
    fig.push_back({"Time domain", Fmt("low-pass step, normal window, rise time %.0f ps, DC value ",
                                      td.stepRiseTimeS * 1e12) +
                                      Fmt("%.3f (estimated)", td.dcValue)});
    fig.push_back(
        {"Impedance step", step.found ? Fmt("at %.3f ns: ", step.timeS * 1e9) +
                                            Fmt("%.1f ohm to %.1f ohm", step.fromOhms, step.toOhms)
                                      : std::string("not found")});
    fig.push_back(
        {"Gate", Fmt("notch, normal shape, %.2f to %.2f ns", gateStart * 1e9, gateStop * 1e9)});
    fig.push_back(
        {Fmt("Return loss %.2f to ", fGHz[bandLo]) +
             Fmt("%.2f GHz (worst; the filter's pass band, clear of the band edges)", fGHz[bandHi]),
         Fmt("%.1f dB ungated, %.1f dB gated", -ungatedDb, -gatedDb) +
             Fmt(" (improvement %.1f dB), %.1f dB with the cable replaced", ungatedDb - gatedDb,
                 -replacedDb) +
             Fmt("; flawless cable: %.1f dB", -referenceDb)});
    fig.push_back({"De-embedding",
                   "the stepped cable's model removed by its anti-network and a flawless cable "
                   "embedded in its place: worst |S11 - truth| " +
                       Fmt("%.1e in the pass band (gated: %.1e)", o.figures.deembeddedS11Error,
                           o.figures.gatedS11Error)});

    o.report.title = "tessel demo: band-pass filter behind a cable with an impedance step";
    o.report.intro =
        "An embedded two-port measurement: a 3-pole Chebyshev band-pass filter (2.4 GHz, 600 MHz "
        "wide) behind a short cable whose impedance steps up to 65 ohm over 0.15 ns, measured "
        "through a test set with frequency-dependent directivity, match and tracking, crosstalk "
        "and receiver noise. The library solves the error terms from simulated calibration "
        "standards, corrects the raw receiver data with the N-port algorithm, formats S11 and "
        "S21, reads markers and runs a limit test on S21, transforms S11 to a low-pass step "
        "response that shows the impedance step, gates the step's reflection out of S11, and "
        "replaces the stepped cable by a flawless one through its anti-network.";

    AddFrequencyPlots(o.report, fGHz, s11, &s21, &sweep.sParameters[0], &sweep.sParameters[2],
                      "corrected", MarkerMarks(o.figures.markers));
    AddTimeDomainPlot(o.report, td, &step, gateStart, gateStop, true);
    Plot g;
    g.title = "S11: gated, and with the cable replaced through its anti-network";
    g.xLabel = "Frequency (GHz)";
    g.yLabel = "|S11| (dB)";
    g.series.push_back(Line("S11 ungated", fGHz, LogMag(corrected[0]), "#d62728"));
    g.series.push_back(Line("S11 gated", fGHz, LogMag(gated), "#1f77b4"));
    g.series.push_back(Line("S11 cable replaced", fGHz, LogMag(replaced[0]), "#2ca02c"));
    g.series.push_back(Line("flawless cable (truth)", fGHz, LogMag(reference), "#444444", true));
    g.markers.push_back({fGHz[bandLo], "pass band", Fmt("Pass band from %.3f GHz", fGHz[bandLo])});
    g.markers.push_back({fGHz[bandHi], "", Fmt("Pass band to %.3f GHz", fGHz[bandHi])});
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
    o.frequencyHz = t.frequencyHz;
    o.ports = t.ports;
    // corrected[2r + c] is S(r+1)(c+1): S11, S12, S21, S22.
    std::array<Trace, 4>& data = o.corrected;
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
    if (t.ports == 2)
        AnalyseTransmission(o, data[2], s21, {}, opt, "");
    const auto worst = std::min_element(s11.logMagDb.begin(), s11.logMagDb.end());
    fig.push_back({"Best return loss", ReturnLossText(*worst, fGHz[worst - s11.logMagDb.begin()])});
    const double span = t.frequencyHz.back() - t.frequencyHz.front();
    const double tStop = std::min(20e-9, 0.45 * (n - 1) / std::max(span, 1.0));
    const TimeDomainView td = TransformReflection(data[0], t.frequencyHz, -0.1 * tStop, tStop);
    fig.push_back(
        {"Time domain", td.mode == Tessel::TimeDomain::LowPassStep
                            ? "low-pass step (harmonic grid), normal window"
                            : "band-pass impulse (the grid is not harmonic), normal window"});
    AddFrequencyPlots(o.report, fGHz, s11, t.ports == 2 ? &s21 : nullptr, nullptr, nullptr, "",
                      MarkerMarks(o.figures.markers));
    AddTimeDomainPlot(o.report, td, nullptr, opt.gateStartS, opt.gateStopS, opt.gateGiven);
    if (opt.gateGiven) {
        const Trace gated = GateOut(data[0], t.frequencyHz, opt.gateStartS, opt.gateStopS);
        // The gate's figures cover where the device's match matters and the gate's
        // truncation at the band edges does not reach: the middle half of S21's -3 dB pass
        // band when there is one, else the middle 80 % of the sweep.
        auto [lo, hi] = MiddleOfBand(n);
        std::string where = "the middle 80 % of the band";
        const MarkerReport& mk = o.figures.markers;
        if (o.figures.hasTransmission && mk.bandwidthValid) {
            const double from = mk.centreHz - 0.25 * mk.bandwidthHz;
            const double to = mk.centreHz + 0.25 * mk.bandwidthHz;
            const auto first = std::lower_bound(t.frequencyHz.begin(), t.frequencyHz.end(), from);
            const auto last = std::upper_bound(first, t.frequencyHz.end(), to);
            if (last - first >= 2) {
                lo = static_cast<int>(first - t.frequencyHz.begin());
                hi = static_cast<int>(last - t.frequencyHz.begin()) - 1;
                where = "the middle half of the S21 pass band";
            }
        }
        Plot g;
        g.title = "S11 with the gate applied";
        g.xLabel = "Frequency (GHz)";
        g.yLabel = "|S11| (dB)";
        g.series.push_back(Line("S11 ungated", fGHz, LogMag(data[0]), "#d62728"));
        g.series.push_back(Line("S11 gated", fGHz, LogMag(gated), "#1f77b4"));
        g.markers.push_back({fGHz[lo], "", Fmt("Gate figures from %.4g GHz", fGHz[lo])});
        g.markers.push_back({fGHz[hi], "", Fmt("Gate figures to %.4g GHz", fGHz[hi])});
        o.report.plots.push_back(g);
        const double before = WorstDb(data[0], lo, hi), after = WorstDb(gated, lo, hi);
        fig.push_back(
            {"Gate", Fmt("notch %.3f to %.3f ns", opt.gateStartS * 1e9, opt.gateStopS * 1e9) +
                         "; worst |S11| over " + where + Fmt(" (%.4g to ", fGHz[lo]) +
                         Fmt("%.4g GHz, clear of the gate's band-edge effects): ", fGHz[hi]) +
                         LevelText(before) + " ungated, " + LevelText(after) + " gated" +
                         (std::min(before, after) <= QuorUtility::TsComplex::m_logMagZeroValue
                              ? std::string()
                              : Fmt(", improvement %.1f dB", before - after))});
    } else {
        o.report.notes.push_back(
            "No gate requested; pass --gate START_NS:STOP_NS to remove a time window from S11.");
    }
    o.report.title = "tessel demo: " + opt.file;
    o.report.intro =
        "Measured S-parameters from a Touchstone file (no correction applied: the file holds "
        "corrected data), formatted (log magnitude, unwrapped phase, group delay, SWR), smoothed, "
        "read with markers and a limit test on S21, and transformed to the time domain by the "
        "library.";
    return o;
}

// Writes the S-parameters as a version 1 Touchstone file (GHz, real/imaginary, 50 ohms). The
// name must end in the .sNp extension of the port count, or the file would not read back.
void Save(const Outcome& o, const std::string& path) {
    const std::string ext = ".s" + std::to_string(o.ports) + "p";
    std::string tail = path.size() >= ext.size() ? path.substr(path.size() - ext.size()) : "";
    std::transform(tail.begin(), tail.end(), tail.begin(), [](char c) { return std::tolower(c); });
    if (tail != ext) {
        throw std::runtime_error("--save " + path + ": a " + std::to_string(o.ports) +
                                 "-port result needs a file name ending in " + ext);
    }
    Tessel::TouchstoneData t;
    t.ports = o.ports;
    t.options.format = Tessel::TsFormat::RI;
    t.referenceOhms.assign(o.ports, 50.0);
    t.frequencyHz = o.frequencyHz;
    for (size_t i = 0; i < o.frequencyHz.size(); ++i) {
        for (int r = 0; r < o.ports; ++r) {
            for (int c = 0; c < o.ports; ++c)
                t.data.push_back(o.corrected[2 * r + c][i]);
        }
    }
    Tessel::WriteTouchstoneFile(path, t, 1);
}

}  // namespace

int RunDemo(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
            DemoFigures* figures) {
    Options opt;
    if (!ParseArgs(argc, argv, opt, err)) {
        return 2;
    }
    try {
        Outcome o = opt.file.empty() ? RunEmbedded(opt) : RunFile(opt);
        if (!opt.saveFile.empty()) {
            Save(o, opt.saveFile);
            o.report.figures.push_back(
                {"Saved", opt.saveFile + " (" + std::to_string(o.ports) +
                              "-port Touchstone, the corrected S-parameters)"});
        }
        const std::string path = WriteReport(o.report, opt.outDir);
        out << o.report.title << "\n";
        for (const auto& [label, value] : o.report.figures) {
            out << "  " << label << ": " << value << "\n";
        }
        for (const std::string& note : o.report.notes)
            out << "  " << note << "\n";
        out << "Report: " << path << "\n";
        if (figures)
            *figures = o.figures;
        return 0;
    } catch (const Tessel::TouchstoneError& e) {
        err << "tessel-demo: " << e.what() << "\n";
    } catch (const std::exception& e) {
        err << "tessel-demo: error: " << e.what() << "\n";
    }
    return 1;
}

}  // namespace demo
