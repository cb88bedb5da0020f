// SPDX-License-Identifier: Apache-2.0
// Calibration solvers: error terms from measured standards.
//
// Each solver takes the raw measurements of calibration standards over a sweep, with each
// standard's definition (CalStandard), and returns the error terms under the names the
// correction algorithms look for, over the whole sweep:
//   SolveResponse       ResponseTracking(R) [, ResponseIsolation(R)]   for Response/ResponseIsol
//   SolveOnePort        Directivity(p,p), SourceMatch(p,p), ReflectionTracking(p,p)  (NPort, N=1)
//   SolveTwoPort Solt, Trl, UnknownThru: the twelve terms of the pair   (NPort, N=2)
//   SolveTwoPort EnhancedResponse: the six forward terms of the source port (EnhancedResponse)
//   SolveNPortSolt      the 3·N·N terms of N ports                    (NPort, any N)
// Names follow the error-term register: Term(r,c) with r the receiving and c the driving port.
//
// Raw data are the receiver ratios of the analyzer as it would hand them to a correction:
// for a pair driven from port p1 to p2, s11 and s21 are measured while p1 drives, s12 and s22
// while p2 drives. Arithmetic is double precision; terms are rounded to TsComplex on store.
//
// Statuses (core/status.h):
//   kOk          every point solved;
//   kFail        some points are singular or ill-conditioned (identical standards there, a
//                vanishing thru, a line whose phase against the thru is near 0 or 180
//                degrees...): result.ranges says which; at those points every term holds the
//                missing-data value TsComplex::m_minus200dB, never NaN. Other points are valid.
//   kInvalidArg  input refused as a whole and the result left untouched: no or negative or
//                non-finite frequencies, a raw or data array whose length differs from the
//                sweep (mismatched sweeps), a measurement at a port outside the calibration,
//                the same standard measured twice on the same port (or pair), too few
//                standards, a standard of the wrong kind (a thru as a reflection standard),
//                missing switch terms for the eight-term methods, an isolation or switch
//                array of the wrong length, reverse isolation for the enhanced response, an
//                enhanced response thru measured from the receiving port.
// A point is ill-conditioned when two standards' definitions there differ by less than 1e-6,
// or when the least-squares system's smallest QR pivot is below 1e-6 of its largest.
#pragma once

#include <string>
#include <vector>

#include "tessel/calibration/cal_standard.h"
#include "tessel/core/export.h"
#include "tessel/core/status.h"
#include "tessel/core/types.h"
#include "tessel/correction/correction_algorithm.h"

namespace Tessel {

// The status of the points [start, stop).
struct TESSEL_EXPORT PointRangeStatus {
    int start = 0;
    int stop = 0;
    long status = kOk;
};

// Solved error terms of one calibration.
struct TESSEL_EXPORT CalibrationResult {
    std::vector<std::wstring> names;            // register order
    std::vector<std::vector<TsComplex>> terms;  // terms[k] belongs to names[k], one per point
    std::vector<PointRangeStatus> ranges;       // consecutive, covering the sweep
    long status = kOk;                          // kOk, or kFail when a range failed

    // The samples of the term of that exact name, or null.
    const std::vector<TsComplex>* Term(const std::wstring& name) const;
    // Points the algorithm's error terms at these samples by name (SetErrorTermData with the
    // sweep length); the result must outlive the algorithm's use of them. False when the
    // algorithm refuses a name.
    bool ApplyTo(ICorrectionAlgorithm& algorithm) const;
};

// One reflection standard as measured at a port.
struct TESSEL_EXPORT ReflectionMeasurement {
    CalStandard standard;
    int port = 1;
    std::vector<TsComplex> raw;
};

// One two-port standard between port1 (the standard's port 1) and port2.
struct TESSEL_EXPORT TwoPortMeasurement {
    CalStandard standard;
    int port1 = 1;
    int port2 = 2;
    std::vector<TsComplex> s11, s12, s21, s22;
};

// Everything measured for a one- or two-port calibration.
struct TESSEL_EXPORT CalibrationData {
    std::vector<double> frequencies;  // Hz, one per point
    double z0 = 50.0;                 // reference impedance of the standards' definitions, Ω
    std::vector<ReflectionMeasurement> reflections;
    // SOLT, enhanced response, unknown thru: the thru. TRL: the thru, then the line.
    std::vector<TwoPortMeasurement> twoPorts;
    // Optional isolation (two-port methods): raw transmission with both ports
    // terminated; forward into the calibration's port2 while port1 drives, reverse the other
    // way. Empty means no isolation: crosstalk terms are zero.
    std::vector<TsComplex> isolationForward, isolationReverse;
    // Switch terms, required by TRL and unknown thru: forward a2/b2 (port2's reference over
    // test receiver while port1 drives), reverse a1/b1 while port2 drives.
    std::vector<TsComplex> switchForward, switchReverse;
};

// One standard for a response calibration: its definition and the raw values of the
// response's receiver or parameter.
struct TESSEL_EXPORT ResponseMeasurement {
    CalStandard standard;
    std::vector<TsComplex> raw;
};

enum class ResponsePath {
    Reflection,   // each standard contributes its reflection (two-port standards refused)
    Transmission  // a two-port standard contributes its S21, a one-port standard (a
                  // termination on each port, the isolation measurement) zero transmission
};

// Response calibration of the raw name rawName: raw = isolation + tracking·actual.
// Without isolation the tracking is the least-squares fit over all standards (at least one;
// with a single standard, raw / actual). With isolation at least two standards are needed and
// both terms are fitted (exact with two).
TESSEL_EXPORT long SolveResponse(const std::vector<double>& frequencies, double z0,
                                 ResponsePath path,
                                 const std::vector<ResponseMeasurement>& standards,
                                 bool withIsolation, const std::wstring& rawName,
                                 CalibrationResult& result);

// One-port calibration of `port` from its reflection measurements (others are ignored): exact
// with three standards, least squares with more.
TESSEL_EXPORT long SolveOnePort(const CalibrationData& data, int port, CalibrationResult& result);

enum class TwoPortMethod {
    Solt,              // one-port terms of each port (>= 3 standards each) and a known thru
    EnhancedResponse,  // one-port terms of port1 (the source) and a known thru, forward only
    Trl,               // thru (known, matched), line (matched, its model only picks the
                       // eigenvalue), the same reflect on each port (its model picks the sign)
    UnknownThru        // one-port terms of each port and a reciprocal thru whose model gives a
                       // rough delay only (it picks the root, continued from point to point)
};

// Two-port calibration of the pair (port1, port2). The eight-term methods (Trl, UnknownThru)
// take the isolation off the raw transmissions, remove the switch terms from the two-port raw
// data and turn their seven terms into twelve with them. For EnhancedResponse port1 is the
// source port S and port2 the receiving port R: the terms are those of EnhancedResponse({R, S}).
TESSEL_EXPORT long SolveTwoPort(TwoPortMethod method, const CalibrationData& data, int port1,
                                int port2, CalibrationResult& result);

// SOLT of N ports for NPort(N, ports): the one-port terms of every port (>= 3 reflection
// standards each) and a known thru between every pair of ports: N·(N−1)/2 two-port
// measurements, each pair once, in either orientation. Takes no isolation (crosstalk terms
// are zero) and no switch terms. For two ports it equals SolveTwoPort(Solt) without isolation.
TESSEL_EXPORT long SolveNPortSolt(const CalibrationData& data, const std::vector<int>& ports,
                                  CalibrationResult& result);

}  // namespace Tessel
