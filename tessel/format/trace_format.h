// SPDX-License-Identifier: Apache-2.0
// Interface::TraceFormat: the display format of a trace, given by the host to markers.
#pragma once

namespace Interface {

enum TraceFormat : int {
    TraceComplexReIm = 0,
    TraceComplexImpedance = 1,
    TraceComplexAdmittance = 2,
    TraceLogMag = 3,
    TraceLinMag = 4,
    TracePhase = 5,
    TraceDelay = 6,
    TraceSWR = 7,
    TraceReal = 8,
    TraceImag = 9,
    TraceSecondPhase = 10,  // treated as a phase format by markers
    TraceKelvin = 11,
    TraceFahrenheit = 12,
    TraceCelsius = 13,
    TraceNone = 14,  // a marker format with no trace format
};

}  // namespace Interface
