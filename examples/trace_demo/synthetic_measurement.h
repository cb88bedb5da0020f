// SPDX-License-Identifier: Apache-2.0
// The demo's embedded measurement: a band-pass filter behind a short cable with an impedance
// step, measured by a two-port analyzer through a non-ideal test set.
//
// Everything is computed in double precision from circuit models: the device from ABCD
// matrices of transmission lines and lossy resonators, the raw receiver data from the device
// through a twelve-term error model (frequency-dependent directivity, source and load match,
// reflection and transmission tracking, crosstalk) solved as a signal-flow graph, plus a little
// receiver noise. The true S-parameters and error terms are kept so the corrected result can
// be checked against them.
#pragma once

#include <array>
#include <complex>
#include <vector>

namespace demo {

using Cd = std::complex<double>;

// The twelve error terms of one stimulus point; index 0 is the forward direction (port 1
// driving), 1 the reverse.
struct ErrorTerms {
    Cd directivity[2], sourceMatch[2], reflectionTracking[2];
    Cd loadMatch[2], transmissionTracking[2], crosstalk[2];
};

struct DeviceDescription {
    // The cable: 50 ohms, then a short section where the impedance steps up (a crushed
    // spot), then 50 ohms again up to the filter. Delays are one way.
    double cableDelay1 = 0.5e-9;  // s, port to the step
    double stepDelay = 0.15e-9;   // s, length of the stepped section
    double stepZ = 65.0;          // ohms inside the stepped section
    double cableDelay2 = 0.8e-9;  // s, step to the filter
    double filterCenterHz = 2.4e9;
    double filterBandwidthHz = 0.6e9;
    double filterRippleDb = 0.01;  // Chebyshev pass-band ripple
    int filterOrder = 3;
    double resonatorQ = 120.0;
};

struct SyntheticMeasurement {
    DeviceDescription device;
    std::vector<double> frequencyHz;
    // Index k in the order S11, S12, S21, S22.
    std::array<std::vector<Cd>, 4> truth;      // the filter behind the cable
    std::array<std::vector<Cd>, 4> reference;  // the same with a flawless 50-ohm cable
    std::array<std::vector<Cd>, 4> raw;        // what the receivers measure, with noise
    std::array<std::vector<Cd>, 4> rawNoiseFree;
    std::vector<ErrorTerms> errorTerms;
};

// Builds the measurement on `points` frequencies k·stopHz/points, k = 1..points (the harmonic
// grid the low-pass time-domain modes expect). `noiseRms` is the receiver noise per part.
SyntheticMeasurement MakeSyntheticMeasurement(int points, double stopHz, double noiseRms,
                                              unsigned seed);

// Measures S-parameters s (S11, S12, S21, S22) through the error terms e: the four raw
// receiver ratios S11m, S12m, S21m, S22m.
std::array<Cd, 4> MeasureThroughErrorModel(const std::array<Cd, 4>& s, const ErrorTerms& e);

// S-parameters (S11, S12, S21, S22) at frequency f, in 50 ohms: of the input cable with its
// impedance step, of a flawless 50-ohm cable of the same delay, and of the whole device (the
// stepped cable, then the filter). Port 1 of a cable faces the analyzer.
std::array<Cd, 4> SteppedCableS(const DeviceDescription& d, double f);
std::array<Cd, 4> FlawlessCableS(const DeviceDescription& d, double f);
std::array<Cd, 4> DeviceS(const DeviceDescription& d, double f);

// S-parameters (S11, S12, S21, S22) of a two-port ABCD matrix in a z0 system.
std::array<Cd, 4> AbcdToS(const std::array<Cd, 4>& abcd, double z0);

}  // namespace demo
