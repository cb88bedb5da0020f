// SPDX-License-Identifier: Apache-2.0
// The tessel-demo program: command-line handling, the trace update on the embedded measurement
// or a Touchstone file, the summary on standard output and the HTML report.
#pragma once

#include <ostream>

#include "examples/trace_demo/trace_analysis.h"

namespace demo {

// What a run found, for callers that check figures rather than read the summary.
struct DemoFigures {
    bool embedded = false;
    bool hasTransmission = false;  // markers and limit test ran on S21
    MarkerReport markers;
    LimitOutcome limit;
    // Embedded measurement only: worst |solved - true| over the calibration terms (noise-free
    // standards), worst |corrected - true| (noise-free receivers), and the worst |S11 - truth|
    // in the pass band after replacing the cable, and after gating, both against the device
    // behind a flawless cable.
    double termResidual = -1.0;
    double correctionResidual = -1.0;
    double deembeddedS11Error = -1.0;
    double gatedS11Error = -1.0;
};

// Runs the demo with the program's arguments. Returns the process exit code; fills `figures`
// when given.
int RunDemo(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
            DemoFigures* figures = nullptr);

}  // namespace demo
