// SPDX-License-Identifier: Apache-2.0
// Fixture removal and calibration for the demo: replacing the modelled input cable of a
// two-port measurement through the library's anti-network and embedding, and a SOLT
// calibration whose standards are simulated, measured through the test set's error model and
// solved by the library's calibration solver.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "examples/trace_demo/synthetic_measurement.h"
#include "examples/trace_demo/trace_pipeline.h"

namespace demo {

using SParams = std::array<Cd, 4>;  // S11, S12, S21, S22

// Removes the two-port `cable` (one S-matrix per point, port 1 facing the analyzer) from port
// 1 of the measurement s (S11, S12, S21, S22) by embedding its anti-network, then embeds
// `replacement` (same layout) in its place; an empty replacement leaves the device bare.
// Throws std::runtime_error when the library refuses a network (a cable without transmission
// has no anti-network) or the lengths differ.
std::array<Trace, 4> ReplaceInputCable(const std::array<Trace, 4>& s,
                                       const std::vector<SParams>& cable,
                                       const std::vector<SParams>& replacement);

// The twelve error terms of every point by their register names, as the N-port correction
// asks for them.
std::map<std::wstring, Trace> TermsByName(const std::vector<ErrorTerms>& terms);

struct SolvedCalibration {
    std::map<std::wstring, Trace> terms;  // by register name
    long status = 0;                      // the solver's status
    double worstTermError = 0.0;          // worst |solved - true| over all terms and points
    std::string worstTermName;            // the term where it occurs
};

// Measures an open, a short and a matched load on each port, an isolation pair (loads on both
// ports) and a flush thru through the error terms `truth` on `frequencyHz`, with receiver
// noise of `noiseRms` per part (0 for none), and solves the twelve terms with the SOLT solver.
// Throws std::runtime_error when the solver refuses the data.
SolvedCalibration CalibrateFromStandards(const std::vector<double>& frequencyHz,
                                         const std::vector<ErrorTerms>& truth, double noiseRms,
                                         unsigned seed);

}  // namespace demo
