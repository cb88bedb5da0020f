// SPDX-License-Identifier: Apache-2.0
// Touchstone writer and the conversion of Y and Z data to S.
//
// The writer always writes frequencies in Hz and values as real/imaginary pairs, whatever the
// options of the data read: those are the only forms that reproduce the stored double
// frequencies and float values exactly when read back.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <complex>
#include <cstdio>
#include <fstream>

#include "tessel/touchstone/touchstone.h"

#include "tessel/touchstone/internal/touchstone_keywords.h"

namespace Tessel {

namespace {

using Cd = std::complex<double>;

const char* ParameterLetter(TsParameter p) {
    static const char* const letters[] = {"S", "Y", "Z", "H", "G"};
    return letters[static_cast<int>(p)];
}

std::string Number(const char* format, double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

// The factor that takes a stored value of parameter (r, c) to the form `version` stores: version 1
// Y and Z values are normalized to the single R, version 2 values are not.
double Renormalization(const TouchstoneData& d, int version, int r, int c) {
    if (d.version == version ||
        (d.options.parameter != TsParameter::Y && d.options.parameter != TsParameter::Z)) {
        return 1.0;
    }
    const double rr = std::sqrt(d.referenceOhms[r] * d.referenceOhms[c]);
    const bool toActual = version == 2;  // from normalized (version 1) to ohms and siemens
    return (d.options.parameter == TsParameter::Z) == toActual ? rr : 1.0 / rr;
}

// In-place inverse of the n × n matrix `a` (Gauss-Jordan with partial pivoting); false when it
// is singular.
bool Invert(std::vector<Cd>& a, int n) {
    std::vector<Cd> inv(static_cast<size_t>(n) * n);
    for (int k = 0; k < n; ++k)
        inv[k * n + k] = 1.0;
    for (int col = 0; col < n; ++col) {
        int pivot = col;
        for (int r = col + 1; r < n; ++r) {
            if (std::abs(a[r * n + col]) > std::abs(a[pivot * n + col]))
                pivot = r;
        }
        if (!(std::abs(a[pivot * n + col]) > 0.0))
            return false;
        for (int c = 0; c < n; ++c) {
            std::swap(a[col * n + c], a[pivot * n + c]);
            std::swap(inv[col * n + c], inv[pivot * n + c]);
        }
        const Cd scale = 1.0 / a[col * n + col];
        for (int c = 0; c < n; ++c) {
            a[col * n + c] *= scale;
            inv[col * n + c] *= scale;
        }
        for (int r = 0; r < n; ++r) {
            const Cd f = a[r * n + col];
            if (r == col || f == 0.0)
                continue;
            for (int c = 0; c < n; ++c) {
                a[r * n + c] -= f * a[col * n + c];
                inv[r * n + c] -= f * inv[col * n + c];
            }
        }
    }
    a.swap(inv);
    return true;
}

// Whether an information line reads back as it is: not blank, no surrounding blanks, no comment
// mark, line break or NUL, and not the keyword that ends the block.
bool InformationLineReadsBack(const std::string& line) {
    const char* const blanks = " \t\r\v\f";
    return !line.empty() && line.find_first_of(blanks) != 0 &&
           line.find_last_of(blanks) != line.size() - 1 &&
           line.find_first_of(std::string("!\n\0", 3)) == std::string::npos &&
           !(line[0] == '[' && internal::KeywordOf(line) == "end information");
}

// Checks what FormatTouchstone needs beyond the sizes: throws TouchstoneError when `d` cannot be
// written as `version` text that reads back to the same data.
void CheckWritable(const TouchstoneData& d, int version) {
    const int n = d.ports;
    if (d.minorVersion != 0 && d.minorVersion != 1)
        throw TouchstoneError("expected minor version 0 or 1");
    if (static_cast<unsigned>(d.matrixFormat) > static_cast<unsigned>(TsMatrixFormat::Upper))
        throw TouchstoneError("expected a Full, Lower or Upper matrix format");
    for (const std::string& line : d.information) {
        if (!InformationLineReadsBack(line))
            throw TouchstoneError("expected information lines that read back as they are");
    }
    if (!d.mixedModeOrder.empty()) {
        if (version == 1)
            throw TouchstoneError("expected single-ended data in version 1");
        const std::string problem = internal::CheckMixedModeOrder(d.mixedModeOrder, n);
        if (!problem.empty())
            throw TouchstoneError("expected " + problem);
        const TsParameter p = d.options.parameter;
        if (p != TsParameter::S && p != TsParameter::Y && p != TsParameter::Z)
            throw TouchstoneError("expected S, Y or Z parameters with a mixed-mode order");
    }
    if (version == 2 && d.matrixFormat != TsMatrixFormat::Full) {
        for (size_t i = 0; i < d.frequencyHz.size(); ++i) {
            for (int r = 0; r < n; ++r) {
                for (int c = 0; c < r; ++c) {
                    if (!(d.at(i, r, c) == d.at(i, c, r))) {
                        throw TouchstoneError(
                            "expected symmetric matrices for a Lower or Upper "
                            "matrix format, point " +
                            std::to_string(i) + " is not");
                    }
                }
            }
        }
    }
}

}  // namespace

void ConvertToS(TouchstoneData& d) {
    const TsParameter kind = d.options.parameter;
    if (kind == TsParameter::S)
        return;
    if (kind != TsParameter::Y && kind != TsParameter::Z) {
        throw TouchstoneError("only Y and Z data can be converted to S");
    }
    const int n = d.ports;
    const bool isZ = kind == TsParameter::Z;
    std::vector<Cd> a(static_cast<size_t>(n) * n), sum, s(a.size());
    for (size_t i = 0; i < d.frequencyHz.size(); ++i) {
        // With the normalized matrix a (z / √(Ri Rj) or y·√(Ri Rj)), S = (a - 1)(a + 1)⁻¹ for Z
        // data and (1 - a)(1 + a)⁻¹ for Y data.
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c) {
                const TsComplex v = d.at(i, r, c);
                a[r * n + c] = Cd(v.re, v.im) * Renormalization(d, 1, r, c);
            }
        }
        sum = a;
        for (int k = 0; k < n; ++k) {
            sum[k * n + k] += 1.0;
            a[k * n + k] -= 1.0;
        }
        if (!Invert(sum, n)) {
            throw TouchstoneError("the " + std::string(ParameterLetter(kind)) +
                                  " data cannot be converted to S at point " + std::to_string(i));
        }
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c) {
                Cd acc = 0.0;
                for (int k = 0; k < n; ++k)
                    acc += a[r * n + k] * sum[k * n + c];
                s[r * n + c] = isZ ? acc : -acc;
            }
        }
        for (int k = 0; k < n * n; ++k) {
            if (!(std::abs(s[k].real()) <= FLT_MAX) || !(std::abs(s[k].imag()) <= FLT_MAX)) {
                throw TouchstoneError("S data out of float range at point " + std::to_string(i));
            }
            d.data[i * n * n + k] = TsComplex(float(s[k].real()), float(s[k].imag()));
        }
    }
    d.options.parameter = TsParameter::S;
}

std::string FormatTouchstone(const TouchstoneData& d, int version) {
    const int n = d.ports;
    const size_t points = d.frequencyHz.size();
    if (version != 1 && version != 2)
        throw TouchstoneError("expected Touchstone version 1 or 2");
    if (n < 1 || n > 99 || d.referenceOhms.size() != static_cast<size_t>(n) ||
        d.data.size() != points * n * n || points == 0) {
        throw TouchstoneError(
            "expected 1 to 99 ports, a reference per port and a matrix per point");
    }
    for (double r : d.referenceOhms) {
        if (!(r > 0.0) || !std::isfinite(r))
            throw TouchstoneError("expected positive finite references");
    }
    const bool withNoise = n == 2 && !d.noise.empty();
    if (version == 1 && withNoise && d.noise.front().frequencyHz > d.frequencyHz.back()) {
        throw TouchstoneError(
            "expected noise data starting at or below the last network frequency in version 1");
    }
    CheckWritable(d, version);
    std::string out = "! Touchstone data written by tessel\n";
    // Version 1 gives the references on the option line: one R for all ports when they share
    // it, else one per port.
    const std::vector<double>& refs = d.referenceOhms;
    const bool perPort = version == 1 && std::any_of(refs.begin(), refs.end(),
                                                     [&](double r) { return r != refs[0]; });
    std::string r0 = Number("%.17g", refs[0]);
    for (int k = 1; perPort && k < n; ++k)
        r0 += " " + Number("%.17g", refs[k]);
    if (version == 1) {
        for (const std::string& line : d.information)
            out += "! " + line + "\n";
    } else {
        out += d.minorVersion == 1 ? "[Version] 2.1\n" : "[Version] 2.0\n";
    }
    out += std::string("# Hz ") + ParameterLetter(d.options.parameter) + " RI R " + r0 + "\n";
    if (version == 2) {
        out += "[Number of Ports] " + std::to_string(n) + "\n";
        if (n == 2)
            out += "[Two-Port Data Order] 12_21\n";
        out += "[Number of Frequencies] " + std::to_string(points) + "\n";
        if (withNoise)
            out += "[Number of Noise Frequencies] " + std::to_string(d.noise.size()) + "\n";
        out += "[Reference]";
        for (double r : d.referenceOhms)
            out += " " + Number("%.17g", r);
        static const char* const formats[] = {"Full", "Lower", "Upper"};
        out += std::string("\n[Matrix Format] ") + formats[static_cast<int>(d.matrixFormat)] + "\n";
        if (!d.mixedModeOrder.empty())
            out += "[Mixed-Mode Order] " + internal::MixedModeOrderText(d.mixedModeOrder) + "\n";
        if (!d.information.empty()) {
            out += "[Begin Information]\n";
            for (const std::string& line : d.information)
                out += line + "\n";
            out += "[End Information]\n";
        }
        out += "[Network Data]\n";
    }
    // Version 2 lists the lower or upper half when the data say so; the columns of row r are
    // then [0, r] or [r, n).
    const TsMatrixFormat half = version == 2 ? d.matrixFormat : TsMatrixFormat::Full;
    for (size_t i = 0; i < points; ++i) {
        out += Number("%.17g", d.frequencyHz[i]);
        for (int r = 0; r < n; ++r) {
            const int first = half == TsMatrixFormat::Upper ? r : 0;
            const int end = half == TsMatrixFormat::Lower ? r + 1 : n;
            for (int c = first; c < end; ++c) {
                // Version 1 two-port columns are 11 21 12 22; version 2 writes 12_21.
                const bool swap = version == 1 && n == 2;
                const int rr = swap ? c : r, cc = swap ? r : c;
                const TsComplex v = d.at(i, rr, cc);
                const double f = Renormalization(d, version, rr, cc);
                // Rows of more than two ports start new lines, four values at most per line.
                if (n > 2 && (c - first) % 4 == 0 && (r > 0 || c > first))
                    out += "\n";
                out += " " + Number("%.9g", v.re * f) + " " + Number("%.9g", v.im * f);
            }
        }
        out += "\n";
    }
    if (withNoise) {
        out += version == 2 ? "[Noise Data]\n" : "! Noise parameters\n";
        for (const TouchstoneNoisePoint& p : d.noise) {
            out += Number("%.17g", p.frequencyHz) + " " + Number("%.17g", p.minNoiseFigureDb) +
                   " " + Number("%.17g", p.gammaOptMagnitude) + " " +
                   Number("%.17g", p.gammaOptAngleDeg) + " " + Number("%.17g", p.noiseResistance) +
                   "\n";
        }
    }
    if (version == 2)
        out += "[End]\n";
    return out;
}

void WriteTouchstoneFile(const std::string& path, const TouchstoneData& d, int version) {
    const std::string text = FormatTouchstone(d, version);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f || !f.write(text.data(), static_cast<std::streamsize>(text.size())) || !f.flush()) {
        throw TouchstoneError(path + ": cannot write file");
    }
}

}  // namespace Tessel
