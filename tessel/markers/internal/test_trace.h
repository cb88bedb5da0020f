// SPDX-License-Identifier: Apache-2.0
// TestTrace: a data provider serving synthetic traces with answers known in closed form, for
// the marker tests and benchmarks.
//
// A trace is built from a function of the stimulus: Complex() samples a complex response and
// formats it in the trace format; Scalar() sets formatted values directly (the complex data is
// the same values as real parts). Provider calls are answered from the public fields, and
// refresh requests are counted by reason.
#pragma once

#include <cmath>
#include <complex>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "tessel/markers/data_provider.h"

namespace Tessel::testing {

class TestTrace : public IDataProvider {
  public:
    InputArray stimulus;
    std::vector<float> formatted;
    std::vector<TsComplex> complexData;
    Interface::TraceFormat format = Interface::TraceLogMag;
    DataFormat dataFormat = FormatLogMag;
    NAUnit dataUnit = UnitNone;
    NAUnit formattedUnit = UnitDB;
    DomainEnum domain = DomainFrequency;
    bool kind3 = false;
    double aux = 0.0;
    TsComplex z0{50.0f, 0.0f};
    std::map<long, std::pair<double, double>> userRanges;
    int refreshes[2] = {0, 0};

    // n points from f0 to f1 on a linear axis.
    TestTrace(int n, double f0, double f1) : stimulus(Segment::Linear(f0, f1, n)) {}

    // Samples h(f) at every point and formats it: log magnitude, linear magnitude or phase.
    TestTrace& Complex(const std::function<std::complex<double>(double)>& h) {
        complexData.clear();
        formatted.clear();
        for (std::size_t i = 0; i < stimulus.size(); ++i) {
            const std::complex<double> v = h(stimulus.at(i));
            complexData.emplace_back(static_cast<float>(v.real()), static_cast<float>(v.imag()));
            const double y = format == Interface::TracePhase    ? std::arg(v)
                             : format == Interface::TraceLinMag ? std::abs(v)
                                                                : 20.0 * std::log10(std::abs(v));
            formatted.push_back(static_cast<float>(y));
        }
        return *this;
    }
    // Formatted values g(f); the complex data carries them as real parts.
    TestTrace& Scalar(const std::function<double(double)>& g) {
        return Fill([&](std::size_t i) { return g(stimulus.at(i)); });
    }
    // Formatted values by point index; the complex data carries them as real parts.
    TestTrace& Fill(const std::function<double(std::size_t)>& g) {
        formatted.resize(stimulus.size());
        complexData.resize(stimulus.size());
        for (std::size_t i = 0; i < formatted.size(); ++i) {
            formatted[i] = static_cast<float>(g(i));
            complexData[i] = TsComplex(formatted[i], 0.0f);
        }
        return *this;
    }

    const std::vector<float>* GetFormattedData() override { return &formatted; }
    Interface::TraceFormat GetTraceFormat() override { return format; }
    DataFormat GetDataFormat() override { return dataFormat; }
    NAUnit GetDataUnit() override { return dataUnit; }
    NAUnit GetFormattedUnit() override { return formattedUnit; }
    DomainEnum GetDomain() override { return domain; }
    const std::vector<TsComplex>* GetComplexData() override { return &complexData; }
    const InputArray& GetStimulus() override { return stimulus; }
    long Extension1() override { return 0; }
    long Extension2() override { return 0; }
    bool UseDomainKind3() override { return kind3; }
    double GetAuxStimulusValue() override { return aux; }
    TsComplex GetSystemImpedance() override { return z0; }
    bool GetUserRange(long range, double& min, double& max) override {
        const auto it = userRanges.find(range);
        if (it == userRanges.end())
            return false;
        min = it->second.first;
        max = it->second.second;
        return true;
    }
    bool SetUserRangeMin(long range, const double& v) override {
        userRanges[range].first = v;
        return true;
    }
    bool SetUserRangeMax(long range, const double& v) override {
        userRanges[range].second = v;
        return true;
    }
    void RequestRefresh(int reason) override { ++refreshes[reason != 0]; }
    long Extension3() override { return 0; }
    long Extension4() override { return 0; }
    long Extension5() override { return 0; }
    long Extension6() override { return 0; }
    long Extension7() override { return 0; }
    long Extension8() override { return 0; }
};

// A resonance of bandwidth b (between its -3.01 dB points) at f0: 1 / (1 + j·2(f - f0)/b).
inline std::complex<double> Resonator(double f, double f0, double b) {
    return 1.0 / std::complex<double>(1.0, 2.0 * (f - f0) / b);
}

}  // namespace Tessel::testing
