// SPDX-License-Identifier: Apache-2.0
// The demo's views of its results: number formatting for the summary, the plots of the report
// (frequency-domain traces, time domain, markers and limit mask), the marker readout table and
// the impedance-step search in the step response.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "examples/trace_demo/report.h"
#include "examples/trace_demo/trace_analysis.h"
#include "examples/trace_demo/trace_pipeline.h"

namespace demo {

// snprintf into a string; a figure that rounds to zero is printed without its minus sign
// ("0.0 dB", never "-0.0 dB").
std::string Fmt(const char* format, double a);
std::string Fmt(const char* format, double a, double b);

// The values times s, in double (plot units from library units).
std::vector<double> Scaled(const std::vector<float>& v, double s);
std::vector<double> Scaled(const std::vector<double>& v, double s);
std::vector<double> LogMag(const Trace& t);

Series Line(const std::string& label, std::vector<double> x, std::vector<double> y,
            const std::string& color, bool dashed = false);

// Worst (largest) |S| in dB over points [lo, hi].
double WorstDb(const Trace& t, int lo, int hi);

// The points [lo, hi] of the middle 80 % of a sweep of n points: the band edges, where a gate's
// truncation effects dominate, are left out of the gating figures.
std::pair<int, int> MiddleOfBand(int n);

// "12.3 dB at 1.234 GHz" for a return loss, or the statement that it lies beyond the display
// floor when the sample is the log-magnitude value of zero (a figure that is no measurement).
std::string ReturnLossText(double worstS11Db, double atGHz);

// "-23.4 dB" for a log magnitude, or the display floor named as such.
std::string LevelText(double db);

double ToOhms(double rho);

// The impedance step: the mid-level crossing between the level before and the highest level
// after the steepest rise inside [fromS, toS], found with the library's value search.
struct Step {
    bool found = false;
    double timeS = 0.0, fromOhms = 0.0, toOhms = 0.0;
};
Step FindImpedanceStep(const TimeDomainView& td, double fromS, double toS);

// Log magnitude, phase, group delay and SWR plots. `label` names the data ("corrected", or
// the file's data); raw traces are drawn dashed when given; `marks` are drawn on the log
// magnitude plot.
void AddFrequencyPlots(Report& report, const std::vector<double>& fGHz, const Formatted& s11,
                       const Formatted* s21, const Trace* rawS11, const Trace* rawS21,
                       const std::string& label, const std::vector<PointMark>& marks);

void AddTimeDomainPlot(Report& report, const TimeDomainView& td, const Step* step,
                       double gateStartS, double gateStopS, bool gated);

// The markers as plot symbols with hover readouts.
std::vector<PointMark> MarkerMarks(const MarkerReport& markers);

// |S21| with its markers, the mask rows and a ring with a hover readout on each failing point.
Plot MarkerAndLimitPlot(const std::vector<double>& fGHz, const std::vector<float>& s21Db,
                        const MarkerReport& markers, const std::vector<MaskRow>& mask,
                        const LimitOutcome& limit, const std::string& label);

// The readout table of the markers, and the summary figures built from them.
Table MarkerTable(const MarkerReport& markers);
void AddMarkerFigures(Report& report, const MarkerReport& markers);
// The verdict line of the limit test.
std::string LimitVerdict(const LimitOutcome& limit, const std::vector<double>& fGHz);

}  // namespace demo
