// SPDX-License-Identifier: Apache-2.0
// Gating settings and the DC estimate.

#include "tessel/timedomain/gating.h"

#include <algorithm>
#include <cmath>

#include "tessel/core/status.h"

namespace Tessel {
namespace {

// The alias-free limit L of the stored grid.
double GateLimit(const GateState& s) {
    const double points = std::trunc(s.pointValue);
    if (points <= 1.0) {
        return 10000.0;
    }
    return 1.0 / std::fabs((s.gateStopFrequency - s.gateStartFrequency) / (points - 1.0));
}

// Clamps t into -limit..limit; returns whether it changed it.
bool Limit(double& t, double limit) {
    const double clamped = std::min(std::max(t, -limit), limit);
    const bool changed = clamped != t;
    t = clamped;
    return changed;
}

// Centre (u, v) of the circle through three points; false when they are collinear.
bool CircleCentre(const TsComplex& a, const TsComplex& b, const TsComplex& c, double& u,
                  double& v) {
    const double ax = a.re, ay = a.im, bx = b.re, by = b.im, cx = c.re, cy = c.im;
    const double d = 2.0 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
    if (d == 0.0) {
        return false;
    }
    const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    u = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d;
    v = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
    return true;
}

}  // namespace

Gating::Gating() : m_state(new GateState) {}
Gating::Gating(const Gating& other) = default;
Gating& Gating::operator=(const Gating& other) = default;
Gating::~Gating() = default;

long Gating::Validate() {
    return kOk;
}

Gating::GateType Gating::GetGateType() const {
    return m_state->gateType;
}
Gating::GateShape Gating::GetGateShape() const {
    return m_state->gateShape;
}
double Gating::GetGateStart() const {
    return m_state->gateStart;
}
double Gating::GetGateStop() const {
    return m_state->gateStop;
}
double Gating::GetGateSpan() const {
    return m_state->gateStop - m_state->gateStart;
}
double Gating::GetGateCenter() const {
    return (m_state->gateStop - m_state->gateStart) * 0.5 + m_state->gateStart;
}
unsigned long Gating::GetCacheBuildCount() const {
    return m_state->cacheBuilds;
}

void Gating::GetMinMaxGateValues(double& min, double& max) const {
    max = GateLimit(*m_state);
    min = -max;
}

long Gating::SetGateType(GateType type) {
    if (type != m_state->gateType) {
        m_state->gateType = type;
        m_state->gateDirty = true;
    }
    return kOk;
}

long Gating::SetGateShape(GateShape shape) {
    if (shape < GateMaximum || shape > GateMinimum) {
        return kInvalidArg;
    }
    if (shape != m_state->gateShape) {
        m_state->gateShape = shape;
        m_state->gateDirty = true;
    }
    return kOk;
}

long Gating::SetGateStart(double t) {
    GateState& s = *m_state;
    if (!std::isfinite(t)) {
        return kInvalidArg;
    }
    const long result = Limit(t, GateLimit(s)) ? kFalse : kOk;
    if (t != s.gateStart) {
        s.gateStart = t;
        s.gateStop = std::max(s.gateStop, s.gateStart);
        s.gateDirty = true;
    }
    return result;
}

long Gating::SetGateStop(double t) {
    GateState& s = *m_state;
    if (!std::isfinite(t)) {
        return kInvalidArg;
    }
    const long result = Limit(t, GateLimit(s)) ? kFalse : kOk;
    if (t != s.gateStop) {
        s.gateStop = t;
        s.gateStart = std::min(s.gateStart, s.gateStop);
        s.gateDirty = true;
    }
    return result;
}

long Gating::SetGateCenter(double c) {
    GateState& s = *m_state;
    if (!std::isfinite(c)) {
        return kInvalidArg;
    }
    const double limit = GateLimit(s);
    Limit(c, limit);
    const double half = (s.gateStop - s.gateStart) / 2.0;
    const double start = std::max(c - half, -limit), stop = std::min(c + half, limit);
    const double fitted = std::min(stop - c, c - start);
    s.gateStart = c - fitted;
    s.gateStop = c + fitted;
    s.gateDirty = true;
    return kOk;
}

long Gating::SetGateSpan(double w) {
    GateState& s = *m_state;
    if (!std::isfinite(w)) {
        return kInvalidArg;
    }
    const double limit = GateLimit(s);
    Limit(w, limit);
    const double c = (s.gateStart + s.gateStop) / 2.0;
    const double largest = 2.0 * (limit - std::fabs(c));
    long result = kOk;
    if (w > largest) {
        w = largest;
        result = kFalse;
    } else if (w < 0.0) {
        w = 0.0;
        result = kFalse;
    }
    s.gateStart = c - w / 2.0;
    s.gateStop = c + w / 2.0;
    s.gateDirty = true;
    return result;
}

long Gating::SetFrequencyData(double start, double stop, double points) {
    GateState& s = *m_state;
    if (!std::isfinite(start) || !std::isfinite(stop) || !(points >= 0.0) ||
        points >= 2147483648.0) {
        return kInvalidArg;
    }
    if (start == s.gateStartFrequency && stop == s.gateStopFrequency && points == s.pointValue) {
        return kOk;
    }
    s.gateStartFrequency = start;
    s.gateStopFrequency = stop;
    s.pointValue = points;
    s.pointCount = static_cast<int>(points);
    s.gateDirty = true;
    return kOk;
}

void Gating::ForceRefresh() {
    m_state->gateDirty = true;
}

double Gating::EstimateDC(const TsComplex* p0, const TsComplex* p1, const TsComplex* p2) {
    if (p0 == nullptr || p1 == nullptr || p2 == nullptr) {
        return 0.0;
    }
    auto close = [](const TsComplex* a, const TsComplex* b) {
        return std::fabs(double(a->re) - double(b->re)) < 0.002;
    };
    const int closePairs = int(close(p0, p1)) + int(close(p1, p2)) + int(close(p2, p0));
    double c = 0.0;
    double u = 0.0, v = 0.0;
    if (closePairs < 2 && CircleCentre(*p0, *p1, *p2, u, v) && std::fabs(u) <= 1.0 &&
        std::fabs(v) <= 1.0) {
        c = u;
    }
    const double theta0 = std::atan2(double(p0->im), p0->re - c);
    const double theta1 = std::atan2(double(p1->im), p1->re - c);
    const double r = std::hypot(p0->re - c, double(p0->im));
    const double estimate = std::cos(2.0 * theta0 - theta1) >= 0.0 ? c + r : c - r;
    return std::min(std::max(estimate, -1.0), 1.0);
}

}  // namespace Tessel
