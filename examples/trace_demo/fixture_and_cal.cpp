// SPDX-License-Identifier: Apache-2.0
#include "examples/trace_demo/fixture_and_cal.h"

#include <random>
#include <stdexcept>

#include "tessel/calibration/calibration.h"
#include "tessel/network/anti_network.h"
#include "tessel/network/embedding.h"

namespace demo {

namespace {

TsComplex ToTs(Cd z) {
    return TsComplex(static_cast<float>(z.real()), static_cast<float>(z.imag()));
}

// The four-port the embedding expects for a two-port at port 1 only: outer ports 1-2 face the
// analyzer, inner ports 3-4 the device; `c` joins 1 and 3, a perfect through joins 2 and 4.
Tessel::ComplexMatrix PortOneFixture(const SParams& c) {
    Tessel::ComplexMatrix m(4, 4);
    m(0, 0) = ToTs(c[0]);
    m(0, 2) = ToTs(c[1]);
    m(2, 0) = ToTs(c[2]);
    m(2, 2) = ToTs(c[3]);
    m(1, 3) = m(3, 1) = TsComplex(1.0f, 0.0f);
    return m;
}

void Embed(Tessel::DataMatrix& data, const Tessel::ComplexMatrixVector& networks,
           const char* what) {
    if (Tessel::EmbedNetwork(0, data.PointCount(), {1, 2}, data, networks) != Tessel::kOk)
        throw std::runtime_error(std::string("embedding refused the ") + what);
}

}  // namespace

std::array<Trace, 4> ReplaceInputCable(const std::array<Trace, 4>& s,
                                       const std::vector<SParams>& cable,
                                       const std::vector<SParams>& replacement) {
    const int n = static_cast<int>(s[0].size());
    for (const Trace& t : s) {
        if (static_cast<int>(t.size()) != n)
            throw std::runtime_error("S-parameter traces of different lengths");
    }
    if (static_cast<int>(cable.size()) != n ||
        (!replacement.empty() && static_cast<int>(replacement.size()) != n)) {
        throw std::runtime_error("cable model and measurement differ in length");
    }
    Tessel::ComplexMatrixVector fixture, anti;
    for (const SParams& c : cable)
        fixture.push_back(PortOneFixture(c));
    if (Tessel::CalculateAntiNetwork(fixture, anti) != Tessel::kOk)
        throw std::runtime_error("the cable model has no anti-network");

    Tessel::DataMatrix data(2, {1, 2}, n);
    for (int k = 0; k < 4; ++k)
        data.SetDataByPhysicalPort(k / 2 + 1, k % 2 + 1, s[k], 0, n);
    Embed(data, anti, "cable's anti-network");
    if (!replacement.empty()) {
        Tessel::ComplexMatrixVector networks;
        for (const SParams& c : replacement)
            networks.push_back(PortOneFixture(c));
        Embed(data, networks, "replacement cable");
    }
    std::array<Trace, 4> out;
    for (int k = 0; k < 4; ++k)
        data.GetDataByPhysicalPort(k / 2 + 1, k % 2 + 1, out[k], 0, n);
    return out;
}

std::map<std::wstring, Trace> TermsByName(const std::vector<ErrorTerms>& terms) {
    auto term = [&](Cd(ErrorTerms::*member)[2], int dir) {
        Trace v;
        for (const ErrorTerms& e : terms)
            v.push_back(ToTs((e.*member)[dir]));
        return v;
    };
    // Register names: row = receiving port, column = source port; direction 0 is port 1
    // driving.
    using E = ErrorTerms;
    return {
        {L"Directivity(1,1)", term(&E::directivity, 0)},
        {L"Directivity(2,2)", term(&E::directivity, 1)},
        {L"SourceMatch(1,1)", term(&E::sourceMatch, 0)},
        {L"SourceMatch(2,2)", term(&E::sourceMatch, 1)},
        {L"ReflectionTracking(1,1)", term(&E::reflectionTracking, 0)},
        {L"ReflectionTracking(2,2)", term(&E::reflectionTracking, 1)},
        {L"LoadMatch(2,1)", term(&E::loadMatch, 0)},
        {L"LoadMatch(1,2)", term(&E::loadMatch, 1)},
        {L"TransmissionTracking(2,1)", term(&E::transmissionTracking, 0)},
        {L"TransmissionTracking(1,2)", term(&E::transmissionTracking, 1)},
        {L"CrossTalk(2,1)", term(&E::crosstalk, 0)},
        {L"CrossTalk(1,2)", term(&E::crosstalk, 1)},
    };
}

SolvedCalibration CalibrateFromStandards(const std::vector<double>& frequencyHz,
                                         const std::vector<ErrorTerms>& truth, double noiseRms,
                                         unsigned seed) {
    const size_t n = frequencyHz.size();
    if (truth.size() != n)
        throw std::runtime_error("error terms and sweep differ in length");
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, noiseRms > 0.0 ? noiseRms : 1.0);
    auto receiver = [&](Cd v) {
        return noiseRms > 0.0 ? ToTs(v + Cd(noise(rng), noise(rng))) : ToTs(v);
    };
    // A kit of the usual kind: an open with a fringe capacitance and a short with an
    // inductance, both behind a short offset, a matched load and a flush thru.
    const Tessel::CalOffset offset{30e-12, 2e9, 50.0};
    const Tessel::CalStandard open =
        Tessel::CalStandard::Open({40e-15, -200e-27, 15e-36, 0.0}, offset);
    const Tessel::CalStandard shortStd = Tessel::CalStandard::Short({2e-12, 0, 0, 0}, offset);
    const Tessel::CalStandard load = Tessel::CalStandard::MatchedLoad();
    const Tessel::CalStandard thru = Tessel::CalStandard::Thru();

    Tessel::CalibrationData data;
    data.frequencies = frequencyHz;
    data.z0 = 50.0;
    for (const Tessel::CalStandard* kit : {&open, &shortStd, &load}) {
        Tessel::ReflectionMeasurement port1{*kit, 1, {}}, port2{*kit, 2, {}};
        for (size_t i = 0; i < n; ++i) {
            // The same standard on both ports: each port's reflection receiver sees its own.
            const Cd g = kit->Reflection(i, frequencyHz[i], data.z0);
            const SParams raw = MeasureThroughErrorModel({g, 0.0, 0.0, g}, truth[i]);
            port1.raw.push_back(receiver(raw[0]));
            port2.raw.push_back(receiver(raw[3]));
            if (kit == &load) {
                data.isolationForward.push_back(receiver(raw[2]));
                data.isolationReverse.push_back(receiver(raw[1]));
            }
        }
        data.reflections.push_back(port1);
        data.reflections.push_back(port2);
    }
    Tessel::TwoPortMeasurement t;
    t.standard = thru;
    for (size_t i = 0; i < n; ++i) {
        const Tessel::SParams2 s = thru.SParameters(i, frequencyHz[i], data.z0);
        const SParams raw = MeasureThroughErrorModel({s[0], s[1], s[2], s[3]}, truth[i]);
        t.s11.push_back(receiver(raw[0]));
        t.s12.push_back(receiver(raw[1]));
        t.s21.push_back(receiver(raw[2]));
        t.s22.push_back(receiver(raw[3]));
    }
    data.twoPorts.push_back(t);

    Tessel::CalibrationResult result;
    const long status = Tessel::SolveTwoPort(Tessel::TwoPortMethod::Solt, data, 1, 2, result);
    if (status == Tessel::kInvalidArg)
        throw std::runtime_error("the SOLT solver refused the standards");
    SolvedCalibration out;
    out.status = status;
    const std::map<std::wstring, Trace> known = TermsByName(truth);
    for (size_t k = 0; k < result.names.size(); ++k) {
        out.terms[result.names[k]] = result.terms[k];
        const auto it = known.find(result.names[k]);
        if (it == known.end())
            continue;
        for (size_t i = 0; i < n; ++i) {
            const TsComplex a = result.terms[k][i], b = it->second[i];
            const double d = std::abs(Cd(a.re, a.im) - Cd(b.re, b.im));
            if (d > out.worstTermError) {
                out.worstTermError = d;
                out.worstTermName = std::string(result.names[k].begin(), result.names[k].end());
            }
        }
    }
    return out;
}

}  // namespace demo
