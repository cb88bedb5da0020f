// SPDX-License-Identifier: Apache-2.0
// Touchstone reader: a line-by-line parser for version 1 and version 2 text.
//
// Numbers are gathered line by line into records (1 + 2·values numbers for network data, 5 for
// noise data); a record starts on a new line and may wrap over several lines, but a line never
// carries the end of one record and the start of the next.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "tessel/touchstone/touchstone.h"

#include "tessel/touchstone/internal/touchstone_keywords.h"

namespace Tessel {

namespace {

constexpr int kMaxPorts = 99;
constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::vector<std::string> Tokens(const std::string& s) {
    std::vector<std::string> out;
    std::istringstream in(s);
    std::string tok;
    while (in >> tok)
        out.push_back(tok);
    return out;
}

bool ToNumber(const std::string& tok, double& v) {
    char* end = nullptr;
    errno = 0;
    v = std::strtod(tok.c_str(), &end);
    return end != tok.c_str() && *end == '\0' && errno != ERANGE && std::isfinite(v);
}

class Parser {
  public:
    Parser(const std::string& source, int ports) : source_(source), expectedPorts_(ports) {}

    TouchstoneData Run(const std::string& text);

  private:
    [[noreturn]] void Expected(const std::string& what) const {
        throw TouchstoneError(source_ + ":" + std::to_string(line_) + ": expected " + what);
    }
    [[noreturn]] void NotTouchstone() const {
        throw TouchstoneError(source_ + ":" + std::to_string(line_) +
                              ": not a Touchstone file (expected an option line, [Version] or "
                              "numbers)");
    }
    void SetPorts(int n);
    void OptionLine(const std::string& line);
    void Keyword(const std::string& line);
    void DataLine(const std::string& line);
    void NetworkRecord();
    void NoiseRecord();
    int Count(const std::string& rest, int lo, int hi);
    TsComplex Value(double a, double b) const;
    void Finish();

    const std::string& source_;
    const int expectedPorts_;
    int line_ = 0;
    TouchstoneData d_;
    bool sawOptions_ = false;
    int significant_ = 0;  // lines that are neither blank nor comment
    // Version 2 state.
    bool inInformation_ = false, inNetwork_ = false, inNoise_ = false, ended_ = false;
    bool sawOrder_ = false;
    int frequencies_ = 0, noiseFrequencies_ = 0;
    int referencesMissing_ = 0;
    std::vector<double> optionReferences_;  // the option line's R values
    // The record being gathered.
    std::vector<double> record_;
    bool recordIsNoise_ = false;
    size_t recordSize_ = 0;
};

void Parser::SetPorts(int n) {
    d_.ports = n;
    if (optionReferences_.size() > 1)
        d_.referenceOhms = optionReferences_;  // as many as ports, checked on the option line
    else
        d_.referenceOhms.assign(n, d_.options.resistance);
}

TouchstoneData Parser::Run(const std::string& text) {
    if (text.find('\0') != std::string::npos) {
        throw TouchstoneError(source_ + ": not a Touchstone file (it holds binary data)");
    }
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        ++line_;
        const size_t bang = line.find('!');
        if (bang != std::string::npos)
            line.erase(bang);
        const size_t first = line.find_first_not_of(" \t\r\v\f");
        if (first == std::string::npos)
            continue;
        line.erase(0, first);
        line.erase(line.find_last_not_of(" \t\r\v\f") + 1);
        if (inInformation_) {
            // Everything up to [End Information] is kept as text, keywords and numbers included.
            if (line[0] == '[' && internal::KeywordOf(line) == "end information")
                inInformation_ = false;
            else
                d_.information.push_back(line);
            continue;
        }
        if (ended_)
            continue;  // whatever follows [End] is not part of the file's data
        const bool first_significant = significant_++ == 0;
        if (first_significant && line[0] == '[' && Lower(line).rfind("[version]", 0) != 0)
            NotTouchstone();
        if (referencesMissing_ > 0 && line[0] != '[' && line[0] != '#') {
            Keyword("[reference]" + line);  // the reference list continues on this line
        } else if (line[0] == '#') {
            OptionLine(line);
        } else if (line[0] == '[') {
            Keyword(line);
        } else {
            double v;
            if (first_significant && !ToNumber(Tokens(line)[0], v))
                NotTouchstone();
            DataLine(line);
        }
    }
    Finish();
    return std::move(d_);
}

void Parser::OptionLine(const std::string& line) {
    // Only the first option line counts; later ones are ignored.
    if (sawOptions_)
        return;
    if (!d_.frequencyHz.empty())
        Expected("the option line before the data");
    sawOptions_ = true;
    TouchstoneOptions& o = d_.options;
    const std::vector<std::string> toks = Tokens(line.substr(1));
    for (size_t k = 0; k < toks.size(); ++k) {
        const std::string t = Lower(toks[k]);
        if (t == "hz" || t == "khz" || t == "mhz" || t == "ghz") {
            o.frequencyUnitHz = t == "hz" ? 1.0 : t == "khz" ? 1e3 : t == "mhz" ? 1e6 : 1e9;
        } else if (t == "s" || t == "y" || t == "z" || t == "h" || t == "g") {
            static const TsParameter kinds[] = {TsParameter::S, TsParameter::Y, TsParameter::Z,
                                                TsParameter::H, TsParameter::G};
            o.parameter = kinds[std::string("syzhg").find(t[0])];
        } else if (t == "ri" || t == "ma" || t == "db") {
            o.format = t == "ri" ? TsFormat::RI : t == "ma" ? TsFormat::MA : TsFormat::DB;
        } else if (t == "r") {
            // One value for all ports, or (version 1 files) one per port.
            optionReferences_.clear();
            double r = 0.0;
            while (k + 1 < toks.size() && ToNumber(toks[k + 1], r)) {
                if (!(r > 0.0))
                    Expected("a positive reference resistance after R");
                optionReferences_.push_back(r);
                ++k;
            }
            if (optionReferences_.empty())
                Expected("a positive reference resistance after R");
            o.resistance = optionReferences_[0];
            if (optionReferences_.size() > 1 && d_.version == 2)
                Expected(
                    "one reference resistance after R in a version 2 file ([Reference] "
                    "gives one per port)");
            if (optionReferences_.size() > 1 &&
                optionReferences_.size() != static_cast<size_t>(expectedPorts_))
                Expected("one reference resistance after R, or one per port");
        } else {
            Expected(
                "Hz, kHz, MHz, GHz, S, Y, Z, H, G, RI, MA, DB or R in the option line, "
                "found " +
                internal::Quoted(toks[k]));
        }
    }
    if (d_.ports > 0)
        SetPorts(d_.ports);
}

int Parser::Count(const std::string& rest, int lo, int hi) {
    const std::vector<std::string> toks = Tokens(rest);
    double v = 0.0;
    if (toks.size() != 1 || !ToNumber(toks[0], v) || v != std::floor(v) || v < lo || v > hi) {
        Expected("a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) +
                 (toks.empty() ? std::string() : ", found " + internal::Quoted(rest)));
    }
    return static_cast<int>(v);
}

void Parser::Keyword(const std::string& line) {
    const size_t close = line.find(']');
    if (close == std::string::npos)
        Expected("a keyword closed by ]");
    const std::string key = internal::KeywordOf(line);
    const std::string rest = line.substr(close + 1);
    if (key == "version") {
        if (significant_ != 1)
            Expected("[Version] only as the first line");
        const std::vector<std::string> v = Tokens(rest);
        if (v.size() != 1 || (v[0] != "2.0" && v[0] != "2.1"))
            Expected("version 2.0 or 2.1 after [Version]");
        d_.version = 2;
        d_.minorVersion = v[0] == "2.1" ? 1 : 0;
        return;
    }
    if (d_.version != 2)
        Expected("[Version] 2.0 before any other keyword, found [" + key + "]");
    if (inNetwork_ || inNoise_) {
        if (!record_.empty())
            Expected(std::to_string(recordSize_) + " numbers in the record, found " +
                     std::to_string(record_.size()));
        if (key != "noise data" && key != "end")
            Expected("[Noise Data] or [End] after the data, found [" + key + "]");
    }
    if (key == "number of ports") {
        if (d_.ports != 0)
            Expected("one [Number of Ports]");
        SetPorts(Count(rest, 1, kMaxPorts));
        if (expectedPorts_ != 0 && d_.ports != expectedPorts_)
            Expected(std::to_string(expectedPorts_) + " ports, as the file name says");
    } else if (key == "two-port data order") {
        const std::vector<std::string> v = Tokens(rest);
        if (v.size() != 1 || (v[0] != "12_21" && v[0] != "21_12"))
            Expected("12_21 or 21_12 after [Two-Port Data Order]");
        d_.order12_21 = v[0] == "12_21";
        sawOrder_ = true;
    } else if (key == "number of frequencies") {
        frequencies_ = Count(rest, 1, 0x7fffffff);
    } else if (key == "number of noise frequencies") {
        noiseFrequencies_ = Count(rest, 1, 0x7fffffff);
    } else if (key == "reference") {
        if (d_.ports == 0)
            Expected("[Number of Ports] before [Reference]");
        if (referencesMissing_ == 0)
            referencesMissing_ = d_.ports;
        for (const std::string& tok : Tokens(rest)) {
            double r = 0.0;
            if (referencesMissing_ == 0 || !ToNumber(tok, r) || !(r > 0.0))
                Expected("one positive reference impedance per port, found " +
                         internal::Quoted(tok));
            d_.referenceOhms[d_.ports - referencesMissing_--] = r;
        }
    } else if (key == "matrix format") {
        const std::string f =
            Lower(rest.substr(std::min(rest.size(), rest.find_first_not_of(" \t"))));
        if (f != "full" && f != "lower" && f != "upper")
            Expected("Full, Lower or Upper after [Matrix Format]");
        d_.matrixFormat = f == "full"    ? TsMatrixFormat::Full
                          : f == "lower" ? TsMatrixFormat::Lower
                                         : TsMatrixFormat::Upper;
    } else if (key == "mixed-mode order") {
        if (d_.ports == 0)
            Expected("[Number of Ports] before [Mixed-Mode Order]");
        if (!d_.mixedModeOrder.empty())
            Expected("one [Mixed-Mode Order]");
        const std::string problem =
            internal::ParseMixedModeOrder(rest, d_.ports, d_.mixedModeOrder);
        if (!problem.empty())
            Expected(problem);
    } else if (key == "begin information") {
        // Text after the keyword on its line is the first information line.
        const size_t first = rest.find_first_not_of(" \t\r\v\f");
        if (first != std::string::npos)
            d_.information.push_back(rest.substr(first));
        inInformation_ = true;
    } else if (key == "end information") {
        Expected("[Begin Information] before [End Information]");
    } else if (key == "network data") {
        if (d_.ports == 0 || frequencies_ == 0)
            Expected("[Number of Ports] and [Number of Frequencies] before [Network Data]");
        if (d_.ports == 2 && !sawOrder_)
            Expected("[Two-Port Data Order] in a two-port file");
        if (!sawOptions_)
            Expected("the option line before [Network Data]");
        inNetwork_ = true;
    } else if (key == "noise data") {
        if (!inNetwork_ || noiseFrequencies_ == 0 || d_.ports != 2)
            Expected(
                "[Noise Data] only after two-port network data and "
                "[Number of Noise Frequencies]");
        if (static_cast<int>(d_.frequencyHz.size()) != frequencies_)
            Expected(std::to_string(frequencies_) + " network frequencies, found " +
                     std::to_string(d_.frequencyHz.size()));
        inNetwork_ = false;
        inNoise_ = true;
    } else if (key == "end") {
        if (!inNetwork_ && !inNoise_)
            Expected("[Network Data] before [End]");
        if (static_cast<int>(d_.frequencyHz.size()) != frequencies_)
            Expected(std::to_string(frequencies_) + " network frequencies, found " +
                     std::to_string(d_.frequencyHz.size()));
        if (static_cast<int>(d_.noise.size()) != noiseFrequencies_)
            Expected(std::to_string(noiseFrequencies_) + " noise frequencies, found " +
                     std::to_string(d_.noise.size()));
        ended_ = true;
    } else {
        Expected("a Touchstone 2 keyword, found " + internal::Quoted("[" + key + "]"));
    }
    if (key != "reference" && referencesMissing_ > 0)
        Expected(std::to_string(referencesMissing_) + " more reference impedances");
}

void Parser::DataLine(const std::string& line) {
    if (d_.version == 2 && !inNetwork_ && !inNoise_)
        Expected("a keyword or the option line, found data before [Network Data]");
    if (d_.version == 1 && d_.ports == 0) {
        if (expectedPorts_ == 0)
            Expected("[Version] 2.0 (a version 1 file takes its port count from its .sNp name)");
        SetPorts(expectedPorts_);
    }
    const std::vector<std::string> toks = Tokens(line);
    std::vector<double> nums(toks.size());
    for (size_t k = 0; k < toks.size(); ++k) {
        if (!ToNumber(toks[k], nums[k]))
            Expected("a number, found " + internal::Quoted(toks[k]));
    }
    if (record_.empty()) {
        // A version 1 two-port file's noise block starts where the frequency stops rising: at a
        // lower frequency, or at the same one on a line of five numbers (a network record of two
        // ports is nine numbers on one line; the same frequency there is a repeated point).
        bool noise = inNoise_;
        if (d_.version == 1 && d_.ports == 2 && !d_.frequencyHz.empty()) {
            const double f = nums[0] * d_.options.frequencyUnitHz;
            noise = recordIsNoise_ || f < d_.frequencyHz.back() ||
                    (f == d_.frequencyHz.back() && nums.size() == 5);
        }
        const int n = d_.ports;
        const int values = d_.matrixFormat == TsMatrixFormat::Full ? n * n : n * (n + 1) / 2;
        recordIsNoise_ = noise;
        recordSize_ = noise ? 5 : 1 + 2 * static_cast<size_t>(values);
    }
    record_.insert(record_.end(), nums.begin(), nums.end());
    if (record_.size() > recordSize_) {
        Expected(std::to_string(recordSize_) + " numbers in the record, found " +
                 std::to_string(record_.size()));
    }
    if (record_.size() == recordSize_) {
        if (recordIsNoise_)
            NoiseRecord();
        else
            NetworkRecord();
        record_.clear();
    }
}

TsComplex Parser::Value(double a, double b) const {
    double re = a, im = b;
    if (d_.options.format != TsFormat::RI) {
        const double mag = d_.options.format == TsFormat::DB ? std::pow(10.0, a / 20.0) : a;
        re = mag * std::cos(b * kDegToRad);
        im = mag * std::sin(b * kDegToRad);
    }
    if (!(std::fabs(re) <= FLT_MAX) || !(std::fabs(im) <= FLT_MAX))
        Expected("values within float range");
    return TsComplex(static_cast<float>(re), static_cast<float>(im));
}

void Parser::NetworkRecord() {
    const double f = record_[0] * d_.options.frequencyUnitHz;
    if (!std::isfinite(f) || f < 0.0)
        Expected("a non-negative frequency within double range once scaled");
    if (!d_.frequencyHz.empty() && f < d_.frequencyHz.back())
        Expected("frequencies that never fall");
    if (d_.version == 2 && static_cast<int>(d_.frequencyHz.size()) >= frequencies_)
        Expected("[Noise Data] or [End] after " + std::to_string(frequencies_) + " frequencies");
    const int n = d_.ports;
    const size_t base = d_.data.size();
    d_.data.resize(base + static_cast<size_t>(n) * n);
    TsComplex* m = &d_.data[base];
    size_t k = 1;
    if (d_.matrixFormat == TsMatrixFormat::Full) {
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c, k += 2) {
                // Two-port data are 11 21 12 22 unless a version 2 file says 12_21.
                const bool swap = n == 2 && !d_.order12_21;
                m[swap ? c * n + r : r * n + c] = Value(record_[k], record_[k + 1]);
            }
        }
    } else {
        const bool lower = d_.matrixFormat == TsMatrixFormat::Lower;
        for (int r = 0; r < n; ++r) {
            for (int c = lower ? 0 : r; c < (lower ? r + 1 : n); ++c, k += 2) {
                m[r * n + c] = m[c * n + r] = Value(record_[k], record_[k + 1]);
            }
        }
    }
    d_.frequencyHz.push_back(f);
}

void Parser::NoiseRecord() {
    TouchstoneNoisePoint p;
    p.frequencyHz = record_[0] * d_.options.frequencyUnitHz;
    if (!std::isfinite(p.frequencyHz) || p.frequencyHz < 0.0)
        Expected("a non-negative noise frequency within double range once scaled");
    if (!d_.noise.empty() && !(p.frequencyHz > d_.noise.back().frequencyHz))
        Expected("noise frequencies rising strictly");
    if (d_.version == 2 && static_cast<int>(d_.noise.size()) >= noiseFrequencies_)
        Expected("[End] after " + std::to_string(noiseFrequencies_) + " noise frequencies");
    p.minNoiseFigureDb = record_[1];
    p.gammaOptMagnitude = record_[2];
    p.gammaOptAngleDeg = record_[3];
    p.noiseResistance = record_[4];
    d_.noise.push_back(p);
}

void Parser::Finish() {
    if (inInformation_)
        Expected("[End Information] before the end of the file");
    if (!record_.empty())
        Expected(std::to_string(recordSize_) + " numbers in the record, found " +
                 std::to_string(record_.size()));
    if (d_.version == 2 && !ended_)
        Expected("[End] at the end of a version 2 file");
    if (d_.frequencyHz.empty())
        Expected("network data, found none");
    if ((d_.options.parameter == TsParameter::H || d_.options.parameter == TsParameter::G) &&
        d_.ports != 2) {
        Expected("S, Y or Z parameters in a " + std::to_string(d_.ports) + "-port file");
    }
    if (d_.options.parameter != TsParameter::S && d_.options.parameter != TsParameter::Y &&
        d_.options.parameter != TsParameter::Z && !d_.mixedModeOrder.empty()) {
        Expected("S, Y or Z parameters with [Mixed-Mode Order]");
    }
}

}  // namespace

TouchstoneData ParseTouchstone(const std::string& text, int ports, const std::string& source) {
    if (ports < 0 || ports > kMaxPorts) {
        throw TouchstoneError(source + ": expected a port count from 1 to 99");
    }
    Parser p(source, ports);
    return p.Run(text);
}

TouchstoneData ReadTouchstoneFile(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    const std::string ext = dot == std::string::npos || (slash != std::string::npos && dot < slash)
                                ? std::string()
                                : Lower(path.substr(dot + 1));
    int ports = -1;
    if (ext == "ts") {
        ports = 0;
    } else if (ext.size() >= 3 && ext.size() <= 4 && ext.front() == 's' && ext.back() == 'p' &&
               std::all_of(ext.begin() + 1, ext.end() - 1,
                           [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        ports = std::atoi(ext.c_str() + 1);
    }
    if (ports < 0 || (ports == 0 && ext != "ts")) {
        throw TouchstoneError(path + ": expected a .sNp or .ts file name");
    }
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        throw TouchstoneError(path + ": cannot open file: " + std::strerror(errno));
    }
    std::ostringstream text;
    text << f.rdbuf();
    if (f.bad()) {
        throw TouchstoneError(path + ": read error");
    }
    return ParseTouchstone(text.str(), ports, path);
}

}  // namespace Tessel
