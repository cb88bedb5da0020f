// SPDX-License-Identifier: Apache-2.0
// TestTrace: an ArrayDataProvider filled with synthetic traces whose answers are known in
// closed form, for the marker tests, benchmarks and fuzz target.
//
// A trace is built from a function of the stimulus: Complex() samples a complex response and
// formats it in the trace format; Scalar() and Fill() set formatted values directly (the
// complex data is the same values as real parts).
#pragma once

#include <cmath>
#include <complex>
#include <functional>
#include <vector>

#include "tessel/markers/array_data_provider.h"

namespace Tessel::testing {

class TestTrace : public ArrayDataProvider {
  public:
    // n points from f0 to f1 on a linear axis.
    TestTrace(int n, double f0, double f1)
        : ArrayDataProvider(InputArray(Segment::Linear(f0, f1, n))) {}

    // Samples h(f) at every point and formats it: phase, linear or log magnitude.
    TestTrace& Complex(const std::function<std::complex<double>(double)>& h) {
        const Interface::TraceFormat f = GetTraceFormat();
        std::vector<TsComplex> c;
        std::vector<float> y;
        for (std::size_t i = 0; i < Stimulus().size(); ++i) {
            const std::complex<double> v = h(Stimulus().at(i));
            c.emplace_back(static_cast<float>(v.real()), static_cast<float>(v.imag()));
            y.push_back(static_cast<float>(f == Interface::TracePhase ? std::arg(v)
                                           : f == Interface::TraceLinMag
                                               ? std::abs(v)
                                               : 20.0 * std::log10(std::abs(v))));
        }
        SetComplexData(std::move(c));
        SetFormattedData(std::move(y));
        return *this;
    }
    // Formatted values g(f); the complex data carries them as real parts.
    TestTrace& Scalar(const std::function<double(double)>& g) {
        return Fill([&](std::size_t i) { return g(Stimulus().at(i)); });
    }
    // Formatted values by point index; the complex data carries them as real parts.
    TestTrace& Fill(const std::function<double(std::size_t)>& g) {
        std::vector<float> y(Stimulus().size());
        std::vector<TsComplex> c(y.size());
        for (std::size_t i = 0; i < y.size(); ++i) {
            y[i] = static_cast<float>(g(i));
            c[i] = TsComplex(y[i], 0.0f);
        }
        SetComplexData(std::move(c));
        SetFormattedData(std::move(y));
        return *this;
    }
};

// A resonance of bandwidth b (between its -3.01 dB points) at f0: 1 / (1 + j·2(f - f0)/b).
inline std::complex<double> Resonator(double f, double f0, double b) {
    return 1.0 / std::complex<double>(1.0, 2.0 * (f - f0) / b);
}

}  // namespace Tessel::testing
