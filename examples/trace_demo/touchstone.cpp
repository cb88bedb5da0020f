#include "examples/trace_demo/touchstone.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace demo {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

[[noreturn]] void Fail(const std::string& source, int line, const std::string& reason) {
    throw TouchstoneError(source + ":" + std::to_string(line) + ": " + reason);
}

struct Options {
    double unit = 1e9;
    std::string format = "ma";
    double reference = 50.0;
};

Options ParseOptionLine(const std::string& line, const std::string& source, int lineNo) {
    Options o;
    std::istringstream in(line.substr(1));
    std::string tok;
    while (in >> tok) {
        const std::string t = Lower(tok);
        if (t == "hz") {
            o.unit = 1.0;
        } else if (t == "khz") {
            o.unit = 1e3;
        } else if (t == "mhz") {
            o.unit = 1e6;
        } else if (t == "ghz") {
            o.unit = 1e9;
        } else if (t == "ri" || t == "ma" || t == "db") {
            o.format = t;
        } else if (t == "s") {
            // S-parameters: the only kind this reader takes.
        } else if (t == "y" || t == "z" || t == "h" || t == "g") {
            Fail(source, lineNo, "only S-parameter files are supported, not " + tok);
        } else if (t == "r") {
            std::string value;
            char* end = nullptr;
            if (!(in >> value) || (o.reference = std::strtod(value.c_str(), &end), *end != '\0') ||
                !(o.reference > 0.0)) {
                Fail(source, lineNo, "option R needs a positive reference impedance");
            }
        } else {
            Fail(source, lineNo, "unknown option \"" + tok + "\"");
        }
    }
    return o;
}

std::complex<double> ToComplex(double a, double b, const std::string& format) {
    if (format == "ri")
        return {a, b};
    const double mag = format == "db" ? std::pow(10.0, a / 20.0) : a;
    return std::polar(mag, b * M_PI / 180.0);
}

}  // namespace

TouchstoneData ParseTouchstone(const std::string& text, int ports, const std::string& source) {
    if (ports != 1 && ports != 2) {
        throw TouchstoneError(source + ": only 1- and 2-port files are supported");
    }
    TouchstoneData d;
    d.ports = ports;
    d.s.assign(ports * ports, {});
    const size_t perRecord = 1 + 2 * ports * ports;
    Options opt;
    bool sawOptions = false;
    std::vector<double> record;

    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t bang = line.find('!');
        if (bang != std::string::npos)
            line.erase(bang);
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos)
            continue;
        if (line[first] == '#') {
            // Only the first option line counts; later ones are ignored, as version 1 says.
            if (sawOptions)
                continue;
            if (!d.frequencyHz.empty()) {
                Fail(source, lineNo, "option line after data");
            }
            opt = ParseOptionLine(line.substr(first), source, lineNo);
            sawOptions = true;
            continue;
        }
        if (line[first] == '[')
            Fail(source, lineNo, "Touchstone 2 keywords are not supported");
        std::istringstream fields(line);
        std::string tok;
        record.clear();
        while (fields >> tok) {
            char* end = nullptr;
            errno = 0;
            const double v = std::strtod(tok.c_str(), &end);
            if (end == tok.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(v)) {
                Fail(source, lineNo, "not a number: \"" + tok + "\"");
            }
            record.push_back(v);
        }
        // One- and two-port records sit on one line each in version 1 files.
        if (record.size() != perRecord) {
            Fail(source, lineNo,
                 "expected " + std::to_string(perRecord) + " numbers, found " +
                     std::to_string(record.size()));
        }
        const double f = record[0] * opt.unit;
        if (f < 0.0)
            Fail(source, lineNo, "negative frequency");
        if (!d.frequencyHz.empty() && !(f > d.frequencyHz.back())) {
            Fail(source, lineNo, "frequencies must rise strictly");
        }
        d.frequencyHz.push_back(f);
        // Version 1 stores two-port data as S11 S21 S12 S22; keep S11 S12 S21 S22.
        static const int kOrder2[4] = {0, 2, 1, 3};
        for (int k = 0; k < ports * ports; ++k) {
            const int dst = ports == 2 ? kOrder2[k] : 0;
            d.s[dst].push_back(ToComplex(record[1 + 2 * k], record[2 + 2 * k], opt.format));
        }
    }
    if (d.frequencyHz.empty())
        Fail(source, lineNo, "no data records");
    d.referenceOhms = opt.reference;
    return d;
}

TouchstoneData ReadTouchstoneFile(const std::string& path) {
    const std::string ext = Lower(path.size() >= 4 ? path.substr(path.size() - 4) : "");
    const int ports = ext == ".s1p" ? 1 : ext == ".s2p" ? 2 : 0;
    if (ports == 0) {
        throw TouchstoneError(path + ": expected a .s1p or .s2p file");
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

}  // namespace demo
