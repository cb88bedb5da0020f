// SPDX-License-Identifier: Apache-2.0
// The C++ half of the scikit-rf cross-check: reads measured standards from standard input,
// solves them, and prints the error terms for skrf_crosscheck.py to compare.
//
// Input, whitespace-separated: the port count (1 or 2), the point count n and n frequencies;
// for each port the number of reflection standards and, per standard, n actual reflections
// then n raw values; for two ports then the thru's actual S11 S12 S21 S22 (n values each) and
// its raw S11 S12 S21 S22. A complex value is its real and imaginary parts.
// Output: one line per term: its name, then the real and imaginary part of every point.
#include <iostream>
#include <string>

#include "tessel/calibration/calibration.h"

using namespace Tessel;

namespace {

std::vector<Complexd> ReadValues(std::size_t n) {
    std::vector<Complexd> v(n);
    for (auto& z : v) {
        double re = 0, im = 0;
        std::cin >> re >> im;
        z = {re, im};
    }
    return v;
}

std::vector<TsComplex> ToSamples(const std::vector<Complexd>& v) {
    std::vector<TsComplex> s;
    for (const auto& z : v)
        s.emplace_back(float(z.real()), float(z.imag()));
    return s;
}

}  // namespace

int main() {
    int ports = 0;
    std::size_t n = 0;
    std::cin >> ports >> n;
    CalibrationData d;
    d.frequencies.resize(n);
    for (auto& f : d.frequencies)
        std::cin >> f;
    for (int port = 1; port <= ports; ++port) {
        int count = 0;
        std::cin >> count;
        for (int k = 0; k < count; ++k) {
            const auto actual = ReadValues(n);
            d.reflections.push_back(
                {CalStandard::ReflectionData(actual), port, ToSamples(ReadValues(n))});
        }
    }
    CalibrationResult r;
    long status = kInvalidArg;
    if (ports == 1) {
        status = SolveOnePort(d, 1, r);
    } else {
        std::vector<SParams2> actual(n);
        for (int k = 0; k < 4; ++k) {
            const auto v = ReadValues(n);
            for (std::size_t i = 0; i < n; ++i)
                actual[i][k] = v[i];
        }
        TwoPortMeasurement thru{CalStandard::TwoPortData(actual), 1, 2, {}, {}, {}, {}};
        for (auto* raw : {&thru.s11, &thru.s12, &thru.s21, &thru.s22})
            *raw = ToSamples(ReadValues(n));
        d.twoPorts.push_back(thru);
        status = SolveTwoPort(TwoPortMethod::Solt, d, 1, 2, r);
    }
    if (!std::cin || status != kOk) {
        std::cerr << "input or solution failed, status " << status << "\n";
        return 1;
    }
    std::cout.precision(9);
    for (std::size_t k = 0; k < r.names.size(); ++k) {
        std::cout << std::string(r.names[k].begin(), r.names[k].end());  // ASCII names
        for (const auto& z : r.terms[k])
            std::cout << ' ' << z.re << ' ' << z.im;
        std::cout << '\n';
    }
    return 0;
}
