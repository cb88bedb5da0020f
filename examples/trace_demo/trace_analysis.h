// SPDX-License-Identifier: Apache-2.0
// What the demo reads off a formatted transmission trace, as an analyzer's screen shows it:
// marker readouts from the library's marker set (peak, -3 dB bandwidth with centre and Q, a
// target search and a delta marker) and a limit test of the trace against a band-pass mask
// through the library's limit table.
#pragma once

#include <string>
#include <vector>

#include "examples/trace_demo/trace_pipeline.h"

namespace demo {

// One marker's readout after the marker set processed the trace.
struct MarkerReadout {
    int number = 0;    // 1..10, as the set numbers them
    std::string role;  // what the marker shows, e.g. "peak"
    bool valid = false;
    double stimulusHz = 0.0;
    double valueDb = 0.0;  // absolute log magnitude
    int reference = 0;     // the reference marker of a delta marker, else 0
    double deltaHz = 0.0;  // minus the reference's stimulus (delta markers)
    double deltaDb = 0.0;  // minus the reference's value (delta markers)
};

struct MarkerReport {
    std::vector<MarkerReadout> markers;  // markers 1..6 in order
    bool bandwidthValid = false;
    double bandwidthHz = 0.0, centreHz = 0.0, q = 0.0;
    double centreLossDb = 0.0;  // the trace at the centre marker
    double peakDb = 0.0;        // marker 1
    double targetDb = 0.0;      // the level the target marker searched for
};

// Runs a marker set on the trace (its complex data and log magnitude over frequencyHz):
// markers 1-4 the -3 dB bandwidth group (peak, left and right edges, centre), marker 5 a
// target search for `targetBelowPeakDb` below the peak, rightwards from the peak, and
// marker 6 a delta marker at `deltaHz` referenced to the peak. A trace without a -3 dB band
// still reports the peak; the markers that found nothing are marked invalid.
MarkerReport RunMarkers(const std::vector<double>& frequencyHz, const Trace& data,
                        const std::vector<float>& logMagDb, double targetBelowPeakDb,
                        double deltaHz);

// One straight row of a limit mask: an upper (ceiling) or lower (floor) limit in dB over
// [startHz, stopHz].
struct MaskRow {
    bool upper = true;
    double startHz = 0.0, stopHz = 0.0;
    double db = 0.0;
};

// Parses "max:START_GHZ:STOP_GHZ:DB" or "min:...". False for anything else, for values that
// are not finite, or for start >= stop.
bool ParseMaskRow(const std::string& text, MaskRow& row);

// The band-pass mask for a pass band [lowHz, highHz] around its peak level: a floor
// `floorBelowPeakDb` below the peak over the middle half of the band, and ceilings
// `rejectionDb` below the peak from the axis ends to one bandwidth outside each band edge.
// Rows that would fall outside [firstHz, lastHz] are left out.
std::vector<MaskRow> BandPassMask(double lowHz, double highHz, double peakDb,
                                  double floorBelowPeakDb, double rejectionDb, double firstHz,
                                  double lastHz);

struct LimitOutcome {
    bool tested = false;  // some point lay under a row
    bool pass = false;    // the overall verdict, when tested
    int testedPoints = 0;
    std::vector<int> failing;  // indices of the failing points
};

// Tests the log magnitude against the mask with the library's limit test.
LimitOutcome RunLimitTest(const std::vector<MaskRow>& mask, const std::vector<double>& frequencyHz,
                          const std::vector<float>& logMagDb);

}  // namespace demo
