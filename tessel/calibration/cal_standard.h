// SPDX-License-Identifier: Apache-2.0
// CalStandard: the electrical definition of one calibration standard, evaluated over a sweep.
//
// Standards are defined the way calibration kits define them, in SI units:
//   open   fringe capacitance C(f) = C0 + C1·f + C2·f² + C3·f³ (F, F/Hz, F/Hz², F/Hz³);
//   short  inductance L(f) = L0 + L1·f + L2·f² + L3·f³ (H, H/Hz, H/Hz², H/Hz³);
//   load   matched (terminal impedance equal to the reference impedance) or a given terminal
//          reflection coefficient (relative to the reference impedance);
//   thru   flush (ideal zero-length connection) or a delayed, lossy offset line;
//   data   user-supplied S-parameters, one value (reflection) or four (two-port) per point.
//
// Every analytic standard sits behind an offset transmission line given by its one-way delay
// (s), its loss (Ω/s at 1 GHz) and its characteristic impedance Z0 (Ω). At frequency f, with
// ω = 2πf, the line has
//   Zc = Z0 + (1 − j)·loss/(2ω)·√(f/1 GHz),
//   γl = α·l + j(ω·delay + α·l),   α·l = loss·delay/(2·Z0)·√(f/1 GHz),
// and the standard's reflection is the line's two-port S-matrix (in the reference impedance)
// terminated by the terminal reflection. A zero delay means no offset at all. At f = 0 the
// loss terms vanish (the √f/f term of Zc is taken as its lossless limit Z0).
#pragma once

#include <array>
#include <complex>
#include <vector>

#include "tessel/core/export.h"
#include "tessel/core/types.h"

namespace Tessel {

using Complexd = std::complex<double>;

// S-parameters of one point of a two-port, in port order: S11, S12, S21, S22.
using SParams2 = std::array<Complexd, 4>;

// The offset line in front of a standard's termination (or the whole of a thru).
struct TESSEL_EXPORT CalOffset {
    double delay = 0.0;  // one-way delay, s
    double loss = 0.0;   // Ω/s at 1 GHz
    double z0 = 50.0;    // characteristic impedance, Ω
};

enum class StandardKind { Open, Short, Load, Thru, ReflectionData, TwoPortData };

class TESSEL_EXPORT CalStandard {
  public:
    static CalStandard Open(const std::array<double, 4>& c, const CalOffset& offset = {});
    static CalStandard Short(const std::array<double, 4>& l, const CalOffset& offset = {});
    static CalStandard MatchedLoad(const CalOffset& offset = {});
    // A load whose termination has the reflection coefficient gamma (re. the reference Z).
    static CalStandard Load(Complexd gamma, const CalOffset& offset = {});
    // A flush thru when offset.delay is 0, else a delayed lossy line.
    static CalStandard Thru(const CalOffset& offset = {});
    // A one-port standard known by its reflection at each sweep point.
    static CalStandard ReflectionData(std::vector<Complexd> gamma);
    // A two-port standard known by its S-parameters at each sweep point.
    static CalStandard TwoPortData(std::vector<SParams2> s);

    StandardKind Kind() const { return kind_; }
    bool IsTwoPort() const {
        return kind_ == StandardKind::Thru || kind_ == StandardKind::TwoPortData;
    }
    const CalOffset& Offset() const { return offset_; }

    // Whether the standard can be evaluated at every point of a sweep of `points` points:
    // data standards must hold exactly that many values.
    bool FitsSweep(std::size_t points) const;

    // Reflection of a one-port standard at sweep point `index`, frequency f (Hz), in the
    // reference impedance z0. For a two-port standard: its S11. The caller checks FitsSweep.
    Complexd Reflection(std::size_t index, double f, double z0) const;
    // S-parameters of a two-port standard at sweep point `index`; a one-port standard gives an
    // isolating pair of its own reflections (S11 = S22 = Γ, no transmission).
    SParams2 SParameters(std::size_t index, double f, double z0) const;

    // Same kind and same definition (coefficients, offset, data).
    bool operator==(const CalStandard& other) const;
    bool operator!=(const CalStandard& other) const { return !(*this == other); }

  private:
    // Reflection of the bare termination (before the offset line), re. z0.
    Complexd Termination(double f, double z0) const;

    StandardKind kind_ = StandardKind::Load;
    std::array<double, 4> poly_{};  // open C0..C3 or short L0..L3
    Complexd loadGamma_{};
    CalOffset offset_;
    std::vector<Complexd> reflection_;
    std::vector<SParams2> twoPort_;
};

// S-parameters of an offset line of the given definition, in the reference impedance z0.
TESSEL_EXPORT SParams2 OffsetLine(const CalOffset& offset, double f, double z0);

}  // namespace Tessel
