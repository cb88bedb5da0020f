// SPDX-License-Identifier: Apache-2.0
#include "examples/trace_demo/trace_pipeline.h"

#include <cmath>
#include <stdexcept>

namespace demo {

namespace {

std::string Narrow(const std::wstring& w) {
    return std::string(w.begin(), w.end());
}

}  // namespace

std::vector<std::pair<int, int>> SweepChunks(int points, int chunks) {
    std::vector<std::pair<int, int>> out;
    for (int k = 0; k < chunks; ++k) {
        const int start = static_cast<int>(static_cast<long long>(points) * k / chunks);
        const int stop = static_cast<int>(static_cast<long long>(points) * (k + 1) / chunks);
        if (stop > start)
            out.emplace_back(start, stop);
    }
    return out;
}

std::array<Trace, 4> CorrectSweep(const Sweep& sweep,
                                  const std::vector<std::pair<int, int>>& chunks) {
    const int n = static_cast<int>(sweep.frequencyHz.size());
    std::vector<int> ports;
    for (int p = 1; p <= sweep.ports; ++p)
        ports.push_back(p);
    Tessel::NPort nport(sweep.ports, ports);
    Tessel::ICorrectionAlgorithm& algorithm = nport;

    // The algorithm names the error terms it needs; the host looks each one up.
    std::vector<std::wstring> termNames;
    algorithm.GetErrorTermNames(termNames);
    for (const std::wstring& name : termNames) {
        const auto term = sweep.errorTerms.find(name);
        if (term == sweep.errorTerms.end() ||
            !algorithm.SetErrorTermData(name.c_str(), term->second.data(), n)) {
            throw std::runtime_error("no error term for " + Narrow(name));
        }
    }
    // Raw buffers by S-parameter name, in the algorithm's order (S11, S12, S21, S22).
    std::vector<std::wstring> rawNames;
    algorithm.GetRawNames(rawNames);
    for (size_t k = 0; k < rawNames.size(); ++k) {
        if (!algorithm.SetRawData(rawNames[k].c_str(), sweep.sParameters[k].data())) {
            throw std::runtime_error("raw buffer refused: " + Narrow(rawNames[k]));
        }
    }
    boost::shared_ptr<QuorUtility::DataMatrix> output;
    if (!algorithm.CreateOutputContainer(output, n)) {
        throw std::runtime_error("no output container");
    }
    for (const auto& [start, stop] : chunks) {
        if (!algorithm.ApplyCorrection(start, stop, *output, 0)) {
            throw std::runtime_error("correction refused range " + std::to_string(start) + ".." +
                                     std::to_string(stop));
        }
    }
    std::array<Trace, 4> corrected;
    for (int r = 0; r < sweep.ports; ++r) {
        for (int c = 0; c < sweep.ports; ++c) {
            const TsComplex* data = (*output)(r, c)->data;
            corrected[r * 2 + c].assign(data, data + n);
        }
    }
    return corrected;
}

Formatted FormatTrace(const Trace& data, const QuorUtility::InputArray& stimulus,
                      const std::vector<std::pair<int, int>>& chunks, int aperture) {
    const int n = static_cast<int>(data.size());
    Formatted f;
    f.phaseUnwrappedRad.assign(n, 0.0f);
    f.groupDelayS.assign(n, 0.0f);
    f.groupDelaySmoothedS.assign(n, 0.0f);
    f.swr.assign(n, 0.0f);
    int smoothedUpTo = 0;
    for (const auto& [start, stop] : chunks) {
        Tessel::FormatDataLogMag(data, f.logMagDb, start, stop);
        // The unwrapped phase continues the run of the earlier ranges.
        Tessel::FormatDataPhase(data, f.phaseUnwrappedRad, start, stop, true);
        Tessel::FormatDataDelay(data.data(), stimulus, f.groupDelayS.data(), start, stop);
        Tessel::FormatDataSWR(data.data() + start, f.swr.data() + start, stop - start);
        // Smooth what the window of each point already covers; the rest waits for more data.
        int processed = 0;
        Tessel::Smooth(f.groupDelayS, f.groupDelaySmoothedS, smoothedUpTo, stop, aperture,
                       &processed, false);
        smoothedUpTo += processed;
    }
    if (smoothedUpTo != n) {
        throw std::runtime_error("smoothing did not finish the trace");
    }
    return f;
}

bool IsHarmonicGrid(const std::vector<double>& frequencyHz) {
    const size_t n = frequencyHz.size();
    if (n < 2)
        return false;
    const double step = frequencyHz.back() / static_cast<double>(n);
    for (size_t k = 0; k < n; ++k) {
        if (std::abs(frequencyHz[k] - step * static_cast<double>(k + 1)) > 1e-6 * step) {
            return false;
        }
    }
    return true;
}

TimeDomainView TransformReflection(const Trace& s11, const std::vector<double>& frequencyHz,
                                   double startS, double stopS) {
    const unsigned n = static_cast<unsigned>(frequencyHz.size());
    Tessel::TimeDomain td;
    TimeDomainView view;
    td.SetFrequencyData(frequencyHz.front(), frequencyHz.back(), n);
    view.mode = IsHarmonicGrid(frequencyHz) ? Tessel::TimeDomain::LowPassStep
                                            : Tessel::TimeDomain::BandPass;
    td.SetTransformMode(view.mode);
    td.SetWindowShape(Tessel::TimeDomain::Normal);
    td.SetStartTime(startS, true);
    td.SetStopTime(stopS, true);
    if (view.mode == Tessel::TimeDomain::LowPassStep) {
        view.dcValue = Tessel::Gating::EstimateDC(&s11[0], &s11[1], &s11[2]);
        td.SetDCValue(view.dcValue);
    }
    Trace out;
    if (td.Execute(s11, out) != Tessel::kOk) {
        throw std::runtime_error("time-domain transform failed");
    }
    const double t0 = td.GetStartTime(), t1 = td.GetStopTime();
    for (size_t m = 0; m < out.size(); ++m) {
        view.timeS.push_back(t0 + (t1 - t0) * double(m) / double(out.size() - 1));
        view.response.push_back(view.mode == Tessel::TimeDomain::LowPassStep
                                    ? out[m].re
                                    : static_cast<float>(out[m].Mag()));
    }
    view.stepRiseTimeS = td.GetStepRiseTime();
    view.impulseWidthS = td.GetImpulseWidth();
    return view;
}

Trace GateOut(const Trace& s11, const std::vector<double>& frequencyHz, double startS,
              double stopS) {
    Tessel::Gating gate;
    gate.SetFrequencyData(frequencyHz.front(), frequencyHz.back(),
                          static_cast<double>(frequencyHz.size()));
    gate.SetGateType(Tessel::Gating::GateNotch);
    gate.SetGateShape(Tessel::Gating::GateNormal);
    gate.SetGateStart(startS);
    gate.SetGateStop(stopS);
    Trace out;
    double dc = 0.0;
    bool dcValid = false;
    const long status = IsHarmonicGrid(frequencyHz) ? gate.GateDataLowpass(s11, out, dc, dcValid)
                                                    : gate.GateDataBandpass(s11, out, dc, dcValid);
    if (status != Tessel::kOk) {
        throw std::runtime_error("gating failed");
    }
    return out;
}

}  // namespace demo
