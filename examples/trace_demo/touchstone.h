// Reader for Touchstone version 1 files of one- and two-port S-parameters (.s1p, .s2p).
//
// Supported: comments ("!" to the end of a line), the option line
// "# <Hz|kHz|MHz|GHz> S <RI|MA|DB> [R <ohms>]" with any order and case of its fields
// (defaults GHz, MA, R 50), one data record per line, and the two-port column order of
// version 1 (S11 S21 S12 S22). Frequencies must rise strictly. Y-, Z-, H- and
// G-parameter files are rejected with a message, as is anything malformed; every error names
// the line that failed.
#pragma once

#include <array>
#include <complex>
#include <stdexcept>
#include <string>
#include <vector>

namespace demo {

struct TouchstoneData {
    int ports = 0;                // 1 or 2
    double referenceOhms = 50.0;  // the option line's R value
    std::vector<double> frequencyHz;
    // s[k][i]: parameter k at point i, k in the order S11, S12, S21, S22 (one entry for 1-port).
    std::vector<std::vector<std::complex<double>>> s;
};

class TouchstoneError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Parses Touchstone text. `ports` is 1 or 2 (from the file extension); `source` names the input
// in error messages. Throws TouchstoneError with "<source>:<line>: <reason>".
TouchstoneData ParseTouchstone(const std::string& text, int ports, const std::string& source);

// Reads and parses a file, taking the port count from its extension (.s1p or .s2p, any case).
// Throws TouchstoneError for a missing, unreadable or malformed file.
TouchstoneData ReadTouchstoneFile(const std::string& path);

}  // namespace demo
