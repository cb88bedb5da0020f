// SPDX-License-Identifier: Apache-2.0
// PhaseChange: port extension. Multiplies a run of samples by A(f)·exp(j·φ(f)), the factor
// that undoes the delay and loss of up to three line sections between the calibration plane
// and the device:
//
//   φ(f) = 2π·f·(τ1·w1 + τ2·w2 + τ3·w3) - φ0, or with the single-line flag
//   φ(f) = 2π·f·τ·w1 - φ0 with τ = τ1 (τ1 + τ2 + τ3 when the sections flag is set),
//   w = sqrt(1 - (fc/f)²) for a waveguide section of cutoff fc, 1 for any other medium;
//   A(f) = G0·G2·G3, G0 = 10^((dcLoss + slope·f/1e9)/20) for section 1 (losses in dB and
//   dB/GHz), and for sections 2 and 3, only when the sections flag is set, the gain of the
//   extra loss (when loss is on) times that of the loss model (when loss is on):
//   L = L1·(f/F1)^k with k = log10|L1/L2| / log10|F1/F2| under the two-point law, else
//   L = L1·sqrt(f/F1).
//
// A waveguide below its cutoff does not propagate; its factor w is taken as 0 (the section
// adds no phase) instead of the square root of a negative number. A loss law at a frequency
// ratio f/F1 <= 0, or with F1 = 0, gives no loss.
#pragma once

#include "platform/measutil/input_array.h"
#include "tessel/core/export.h"
#include "tessel/core/types.h"

namespace Tessel {

// The medium of a line section; every value other than MediaWaveguide is dispersion-free.
enum MediaType : int { MediaCoax = 0, MediaWaveguide = 1 };

// The frequency source of PhaseChange: the stimulus axis, or a null axis and one fixed
// frequency in Hz.
struct TESSEL_EXPORT WrapFreq {
    WrapFreq(const QuorUtility::InputArray* axis) : stimulus(axis) {}
    explicit WrapFreq(double fixedFrequency) : frequency(fixedFrequency) {}

    const QuorUtility::InputArray* stimulus = nullptr;
    double frequency = 0.0;
};

// Writes out[i] = in[i]·A(f_i)·exp(j·φ(f_i)) for i in [min(first, last), max(first, last)).
// in and out may be the same array; the caller's arrays hold at least max(first, last) samples.
//
// - An empty range returns 0 and writes nothing.
// - Without the sections flag and with φ0, τ1 and both section-1 loss values 0, the samples are
//   copied unchanged (the phase terms of sections 2 and 3 are not applied then).
// - When the stimulus holds more than one point and is not constant, every sample gets the
//   factor at its own stimulus point; the range must then lie within the stimulus.
// - Otherwise one factor, at the fixed frequency or the first stimulus point, serves all
//   samples; it carries the phase and G0 only (sections 2 and 3 add no gain).
// Returns 0, or 0x80070057 writing nothing when in or out is null, the range exceeds the
// stimulus or holds more than 2^31 - 1 samples.
TESSEL_EXPORT long PhaseChange(const TsComplex* in, WrapFreq frequencies, double phaseOffset,
                               double delay1, double dcLoss1, double lossSlope1, MediaType media1,
                               double cutoff1, bool sections, double delay2, double lossL1_2,
                               double lossL2_2, double lossF1_2, double lossF2_2, double extraLoss2,
                               bool lossOn2, bool twoPointLaw2, MediaType media2, double cutoff2,
                               double delay3, double lossL1_3, double lossL2_3, double lossF1_3,
                               double lossF2_3, double extraLoss3, bool lossOn3, bool twoPointLaw3,
                               MediaType media3, double cutoff3, unsigned first, unsigned last,
                               TsComplex* out, bool singleLine);

}  // namespace Tessel
