// SPDX-License-Identifier: Apache-2.0
// Calibration standard models: offset lines and the terminations behind them.
#include "tessel/calibration/cal_standard.h"

#include <cmath>
#include <utility>

namespace Tessel {

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;

double Poly(const std::array<double, 4>& k, double f) {
    return k[0] + f * (k[1] + f * (k[2] + f * k[3]));
}

}  // namespace

SParams2 OffsetLine(const CalOffset& offset, double f, double z0) {
    if (offset.delay == 0.0)
        return {0.0, 1.0, 1.0, 0.0};
    const double w = kTwoPi * f;
    const double root = f > 0.0 ? std::sqrt(f / 1e9) : 0.0;
    const double lossTerm = f > 0.0 ? offset.loss / (2.0 * w) * root : 0.0;
    const Complexd zc(offset.z0 + lossTerm, -lossTerm);
    const double alphaL = offset.loss * offset.delay / (2.0 * offset.z0) * root;
    const Complexd gammaL(alphaL, w * offset.delay + alphaL);
    const Complexd t = std::exp(-gammaL);  // one-way propagation
    const Complexd g = (zc - z0) / (zc + z0);
    const Complexd den = 1.0 - g * g * t * t;
    const Complexd s11 = g * (1.0 - t * t) / den;
    const Complexd s21 = t * (1.0 - g * g) / den;
    return {s11, s21, s21, s11};
}

CalStandard CalStandard::Open(const std::array<double, 4>& c, const CalOffset& offset) {
    CalStandard s;
    s.kind_ = StandardKind::Open;
    s.poly_ = c;
    s.offset_ = offset;
    return s;
}

CalStandard CalStandard::Short(const std::array<double, 4>& l, const CalOffset& offset) {
    CalStandard s;
    s.kind_ = StandardKind::Short;
    s.poly_ = l;
    s.offset_ = offset;
    return s;
}

CalStandard CalStandard::MatchedLoad(const CalOffset& offset) {
    return Load(0.0, offset);
}

CalStandard CalStandard::Load(Complexd gamma, const CalOffset& offset) {
    CalStandard s;
    s.kind_ = StandardKind::Load;
    s.loadGamma_ = gamma;
    s.offset_ = offset;
    return s;
}

CalStandard CalStandard::Thru(const CalOffset& offset) {
    CalStandard s;
    s.kind_ = StandardKind::Thru;
    s.offset_ = offset;
    return s;
}

CalStandard CalStandard::ReflectionData(std::vector<Complexd> gamma) {
    CalStandard s;
    s.kind_ = StandardKind::ReflectionData;
    s.reflection_ = std::move(gamma);
    return s;
}

CalStandard CalStandard::TwoPortData(std::vector<SParams2> sp) {
    CalStandard s;
    s.kind_ = StandardKind::TwoPortData;
    s.twoPort_ = std::move(sp);
    return s;
}

bool CalStandard::FitsSweep(std::size_t points) const {
    if (kind_ == StandardKind::ReflectionData)
        return reflection_.size() == points;
    if (kind_ == StandardKind::TwoPortData)
        return twoPort_.size() == points;
    return true;
}

Complexd CalStandard::Termination(double f, double z0) const {
    const double w = kTwoPi * f;
    switch (kind_) {
        case StandardKind::Open: {
            // Admittance form, so that a zero capacitance (or f = 0) gives exactly 1.
            const Complexd y(0.0, w * Poly(poly_, f) * z0);
            return (1.0 - y) / (1.0 + y);
        }
        case StandardKind::Short: {
            const Complexd z(0.0, w * Poly(poly_, f));
            return (z - z0) / (z + z0);
        }
        default:
            return loadGamma_;
    }
}

Complexd CalStandard::Reflection(std::size_t index, double f, double z0) const {
    switch (kind_) {
        case StandardKind::ReflectionData:
            return reflection_[index];
        case StandardKind::TwoPortData:
            return twoPort_[index][0];
        case StandardKind::Thru:
            return OffsetLine(offset_, f, z0)[0];
        default: {
            const Complexd gt = Termination(f, z0);
            if (offset_.delay == 0.0)
                return gt;
            const SParams2 l = OffsetLine(offset_, f, z0);
            return l[0] + l[1] * l[2] * gt / (1.0 - l[3] * gt);
        }
    }
}

SParams2 CalStandard::SParameters(std::size_t index, double f, double z0) const {
    if (kind_ == StandardKind::TwoPortData)
        return twoPort_[index];
    if (kind_ == StandardKind::Thru)
        return OffsetLine(offset_, f, z0);
    const Complexd g = Reflection(index, f, z0);
    return {g, 0.0, 0.0, g};
}

bool CalStandard::operator==(const CalStandard& o) const {
    return kind_ == o.kind_ && poly_ == o.poly_ && loadGamma_ == o.loadGamma_ &&
           offset_.delay == o.offset_.delay && offset_.loss == o.offset_.loss &&
           offset_.z0 == o.offset_.z0 && reflection_ == o.reflection_ && twoPort_ == o.twoPort_;
}

}  // namespace Tessel
