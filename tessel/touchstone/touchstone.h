// SPDX-License-Identifier: Apache-2.0
// Touchstone files: reading and writing network data of any port count.
//
// The reader takes version 1 files (.s1p ... .sNp: an option line with one R for all ports or
// one per port, records that may wrap over several lines, the two-port column order S11 S21 S12
// S22, and the two-port noise block that follows the network data where the frequency stops rising)
// and version 2 files ([Version] 2.0 or 2.1 and their keywords, Full/Lower/Upper matrices, a
// reference impedance per port, [Mixed-Mode Order], [Begin Information] blocks, [Noise Data]).
// Comments ("!" to the end of the line) may stand anywhere. Values are converted to complex (RI, MA
// or DB) and frequencies to Hz; Y and Z data can be converted to S afterwards.
//
// The writer produces version 1 or version 2 text that reads back to the same values: network
// data are written as real/imaginary pairs with nine significant digits (float precision) and
// frequencies in Hz with seventeen (double precision). Version 2 text keeps the matrix half,
// the mixed-mode order and the information lines of the data.
//
// Every error is a TouchstoneError whose text is one line, "<file>:<line>: expected ...", or
// "<file>: ..." when no line is to blame.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/measutil/ts_complex.h"
#include "tessel/core/export.h"

namespace Tessel {

using QuorUtility::TsComplex;

// The kind of network parameters a file holds (the option line's parameter letter).
enum class TsParameter { S, Y, Z, H, G };
// How a file writes each complex value: real/imaginary, magnitude/degrees, dB/degrees.
enum class TsFormat { RI, MA, DB };
// Which part of each matrix a version 2 file lists; the other half follows by symmetry.
enum class TsMatrixFormat { Full, Lower, Upper };

// The option line "# <unit> <parameter> <format> R <ohms>" with its defaults (GHz S MA R 50).
// A version 1 option line may list one R value per port ("R 50 75"); `resistance` is the first.
struct TESSEL_EXPORT TouchstoneOptions {
    double frequencyUnitHz = 1e9;
    TsParameter parameter = TsParameter::S;
    TsFormat format = TsFormat::MA;
    double resistance = 50.0;
};

// One point of two-port noise parameters, as the file gives them: the minimum noise figure in
// dB, the optimum source reflection as magnitude and angle in degrees, and the effective noise
// resistance normalized to the reference resistance.
struct TESSEL_EXPORT TouchstoneNoisePoint {
    double frequencyHz = 0.0;
    double minNoiseFigureDb = 0.0;
    double gammaOptMagnitude = 0.0;
    double gammaOptAngleDeg = 0.0;
    double noiseResistance = 0.0;
};

// One entry of a [Mixed-Mode Order] list: "D2,3" is the differential mode of ports 2 (positive)
// and 3, "C2,3" their common mode, "S1" port 1 single-ended. `port2` is 0 for single-ended.
enum class TsMode { Differential, Common, SingleEnded };
struct TsMixedModeEntry {
    TsMode mode = TsMode::SingleEnded;
    int port1 = 0;
    int port2 = 0;
    bool operator==(const TsMixedModeEntry& o) const {
        return mode == o.mode && port1 == o.port1 && port2 == o.port2;
    }
};

struct TESSEL_EXPORT TouchstoneData {
    int version = 1;       // 1 or 2: the form the file had
    int minorVersion = 0;  // version 2 files: 0 for [Version] 2.0, 1 for [Version] 2.1
    int ports = 0;
    TouchstoneOptions options;
    // Version 2 only: the matrix half listed and, for two ports, whether the data order is
    // 12_21 (true) or 21_12 (false). Version 1 files are Full and 21_12.
    TsMatrixFormat matrixFormat = TsMatrixFormat::Full;
    bool order12_21 = false;
    // The reference impedance of each port (ports entries; the option line's R, or its value
    // for the port when it lists one per port, unless a version 2 [Reference] keyword gives
    // others).
    std::vector<double> referenceOhms;
    // Frequencies in Hz, never falling; a repeated frequency (the boundary of two sweep
    // segments) is a point of its own.
    std::vector<double> frequencyHz;
    // ports × ports values per frequency, port-major: parameter (r, c), 0-based, of point i is
    // data[(i * ports + r) * ports + c]. Version 1 Y and Z values are normalized to the
    // option line's R, as the file holds them; version 2 values are in ohms and siemens.
    std::vector<TsComplex> data;
    std::vector<TouchstoneNoisePoint> noise;
    // Version 2 only: the [Mixed-Mode Order] list, one entry per matrix row and column in file
    // order (empty: single-ended data in port order). The data stay as the file gives them; no
    // conversion between mixed-mode and single-ended parameters is made.
    std::vector<TsMixedModeEntry> mixedModeOrder;
    // Version 2 only: the lines between [Begin Information] and [End Information], without
    // comments and surrounding blanks, blank lines left out.
    std::vector<std::string> information;

    // Parameter (r, c) of point i; no bounds check.
    TsComplex& at(size_t i, int r, int c) { return data[(i * ports + r) * ports + c]; }
    const TsComplex& at(size_t i, int r, int c) const { return data[(i * ports + r) * ports + c]; }
};

class TESSEL_EXPORT TouchstoneError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Parses Touchstone text. For a version 1 text `ports` gives the port count (the file's .sNp
// extension); for a version 2 text [Number of Ports] does, and a `ports` other than 0 must agree
// with it. `source` names the input in error messages. Port counts above 99 are refused (the
// largest the extension can name), so a corrupt count cannot demand a huge matrix.
TESSEL_EXPORT TouchstoneData ParseTouchstone(const std::string& text, int ports,
                                             const std::string& source);

// Reads a file, taking the port count from its .sNp extension (any case); a .ts file must be a
// version 2 file.
TESSEL_EXPORT TouchstoneData ReadTouchstoneFile(const std::string& path);

// Converts Y or Z data to S with each port's reference impedance; S data are left as they are.
// H and G data, and a point where the matrix (Z + R) or (1 + Y R) is singular, are refused.
TESSEL_EXPORT void ConvertToS(TouchstoneData& data);

// Touchstone text of `data` in version 1 or 2 form. Version 1 writes one R for all ports when
// they share it, else one per port on the option line; it needs single-ended data, lists full
// matrices, and writes the information lines as comments (they do not read back); Y and Z
// values are renormalized for the target version.
// Version 2 lists the matrix half `matrixFormat` names, which needs symmetric matrices for Lower
// and Upper. Noise data are written for two-port data only. Throws TouchstoneError for data it
// cannot express: among them a malformed mixed-mode order, and information lines that would
// not read back as they are (blank, with surrounding blanks, "!", a line break or a NUL, or
// starting with [End Information]).
TESSEL_EXPORT std::string FormatTouchstone(const TouchstoneData& data, int version);

// Writes FormatTouchstone(data, version) to `path`.
TESSEL_EXPORT void WriteTouchstoneFile(const std::string& path, const TouchstoneData& data,
                                       int version);

}  // namespace Tessel
