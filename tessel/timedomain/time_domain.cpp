// SPDX-License-Identifier: Apache-2.0
// TimeDomain settings: presets, getters, setters and the window-factor queries.

#include "tessel/timedomain/time_domain.h"

#include <algorithm>
#include <cmath>

#include "tessel/core/status.h"
#include "tessel/timedomain/internal/chirp_z.h"
#include "tessel/timedomain/internal/window_factors.h"

namespace Tessel {
namespace {

constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr double kBetaMax = 13.0;
constexpr double kBetaNormal = 6.0;
constexpr double kPi = 3.141592653589793;
// The grid of a new object, against which preset times are checked.
constexpr double kInitialFrequency = 1e9;

// Process-wide presets, read by the constructor only. Not locked: a preset setter must not run
// while another thread constructs a TimeDomain or sets a preset. Constructing objects on
// several threads at once only reads them and is safe.
double g_presetStartTime = -1e-8;
double g_presetStopTime = 1e-8;
double g_presetKaiserBeta = 6.0;

double Exchange(double& stored, double value, bool accept) {
    const double previous = stored;
    if (accept) {
        stored = value;
    }
    return previous;
}

// Whether the transform can run with these times on this grid: every phase it forms (2π·f·t at
// the grid's frequencies and times, and the chirp's k²·Δf·Δt/2 terms, which stay below
// 2π·(|f0| + |f1|)·(|t0| + |t1|) with a margin) and the low-pass DC ramp f0·t stay finite. Far
// beyond that the sums would be NaN or infinite, so such settings are refused.
bool Computable(double f0, double f1, double t0, double t1) {
    return std::isfinite(64.0 * kPi * (std::fabs(f0) + std::fabs(f1)) *
                         (std::fabs(t0) + std::fabs(t1)));
}

bool Computable(const TimeDomainState& s, double t0, double t1) {
    return Computable(s.startFrequency, s.stopFrequency, t0, t1);
}

// The alias-free limit L: (points - 1)/|span|, 10000 s for fewer than 2 points.
double TimeLimit(const TimeDomainState& s) {
    if (s.frequencyPoints <= 1) {
        return 10000.0;
    }
    return 1.0 / std::fabs((s.stopFrequency - s.startFrequency) / (s.frequencyPoints - 1.0));
}

// Clamps t into -limit..limit; returns whether it changed it.
bool Limit(double& t, double limit) {
    if (t < -limit) {
        t = -limit;
        return true;
    }
    if (t > limit) {
        t = limit;
        return true;
    }
    return false;
}

void MarkChanged(TimeDomainState& s) {
    s.modified = true;
    s.windowDirty = true;
}

TimeDomain::WindowShape ShapeOfBeta(double beta) {
    if (beta == 0.0) {
        return TimeDomain::Minimum;
    }
    if (beta > 5.9999 && beta < 6.0001) {
        return TimeDomain::Normal;
    }
    return beta == kBetaMax ? TimeDomain::Maximum : TimeDomain::Custom;
}

}  // namespace

TimeDomainState::TimeDomainState()
    : startTime(g_presetStartTime),
      stopTime(g_presetStopTime),
      impulseWidthFactor(0.0),
      stepRiseFactor(0.0),
      kaiserBeta(g_presetKaiserBeta),
      chirp(std::make_unique<internal::ChirpZ>()) {
    impulseWidthFactor = internal::ImpulseFactorFromBeta(kaiserBeta);
    stepRiseFactor = internal::StepFactorFromBeta(kaiserBeta);
}

TimeDomainState::~TimeDomainState() = default;

TimeDomain::TimeDomain() : m_state(new TimeDomainState) {}
TimeDomain::TimeDomain(const TimeDomain& other) = default;
TimeDomain& TimeDomain::operator=(const TimeDomain& other) = default;
TimeDomain::~TimeDomain() = default;

double TimeDomain::ComputeDCValue(double value, bool usePlainValue, double phaseDegrees) {
    return usePlainValue ? value : value * std::cos(-phaseDegrees * kDegreesToRadians);
}

double TimeDomain::SetPresetStartTime(double s) {
    return Exchange(g_presetStartTime, s,
                    s <= g_presetStopTime &&
                        Computable(kInitialFrequency, kInitialFrequency, s, g_presetStopTime));
}
double TimeDomain::SetPresetStopTime(double s) {
    return Exchange(g_presetStopTime, s,
                    s >= g_presetStartTime &&
                        Computable(kInitialFrequency, kInitialFrequency, g_presetStartTime, s));
}
double TimeDomain::SetPresetKaiserBeta(double b) {
    return Exchange(g_presetKaiserBeta, std::min(std::max(b, 0.0), kBetaMax), std::isfinite(b));
}
double TimeDomain::GetPresetStartTime() {
    return g_presetStartTime;
}
double TimeDomain::GetPresetStopTime() {
    return g_presetStopTime;
}
double TimeDomain::GetPresetKaiserBeta() {
    return g_presetKaiserBeta;
}

long TimeDomain::Validate() {
    m_state->modified = false;
    return kOk;
}

bool TimeDomain::IsModified() const {
    return m_state->modified;
}
double TimeDomain::GetStartTime() const {
    return m_state->startTime;
}
double TimeDomain::GetStopTime() const {
    return m_state->stopTime;
}
double TimeDomain::GetSpanTime() const {
    return m_state->stopTime - m_state->startTime;
}
double TimeDomain::GetCenterTime() const {
    return (m_state->stopTime - m_state->startTime) * 0.5 + m_state->startTime;
}
double TimeDomain::GetKaiserBeta() const {
    return m_state->kaiserBeta;
}
double TimeDomain::GetDCValue() const {
    return m_state->dcValue;
}
unsigned TimeDomain::GetTimePoints() const {
    return m_state->timePoints;
}
TimeDomain::WindowShape TimeDomain::GetWindowShape() const {
    return m_state->windowShape;
}
TimeDomain::TransformMode TimeDomain::GetTransformMode() const {
    return m_state->transformMode;
}
unsigned long TimeDomain::GetCacheBuildCount() const {
    return m_state->cacheBuilds;
}

long TimeDomain::GetFrequencyData(double& start, double& stop, unsigned& points) const {
    start = m_state->startFrequency;
    stop = m_state->stopFrequency;
    points = m_state->frequencyPoints;
    return kOk;
}

long TimeDomain::GetTimeLimitValue(double* limit) const {
    if (limit == nullptr || m_state->frequencyPoints < 2) {
        return kUnexpected;
    }
    *limit = TimeLimit(*m_state);
    return kOk;
}

long TimeDomain::SetFrequencyData(double start, double stop, unsigned points) {
    TimeDomainState& s = *m_state;
    if (!Computable(start, stop, s.startTime, s.stopTime)) {
        return kInvalidArg;
    }
    if (start == s.startFrequency && stop == s.stopFrequency && points == s.frequencyPoints) {
        return kOk;
    }
    s.startFrequency = start;
    s.stopFrequency = stop;
    s.frequencyPoints = points;
    s.timePoints = points;
    MarkChanged(s);
    return kOk;
}

long TimeDomain::SetTimePoints(unsigned) {
    return kNotImplemented;
}

long TimeDomain::SetStartTime(double t, bool clamp) {
    TimeDomainState& s = *m_state;
    if (!std::isfinite(t)) {
        return kInvalidArg;
    }
    const long result = clamp && Limit(t, TimeLimit(s)) ? kFalse : kOk;
    if (t == s.startTime) {
        return kUnchanged;
    }
    if (!Computable(s, t, std::max(t, s.stopTime))) {
        return kInvalidArg;
    }
    s.startTime = t;
    if (s.stopTime < s.startTime) {
        s.stopTime = s.startTime;
    }
    MarkChanged(s);
    return result;
}

long TimeDomain::SetStopTime(double t, bool clamp) {
    TimeDomainState& s = *m_state;
    if (!std::isfinite(t)) {
        return kInvalidArg;
    }
    const long result = clamp && Limit(t, TimeLimit(s)) ? kFalse : kOk;
    if (t == s.stopTime) {
        return kUnchanged;
    }
    if (!Computable(s, std::min(t, s.startTime), t)) {
        return kInvalidArg;
    }
    s.stopTime = t;
    if (s.startTime > s.stopTime) {
        s.startTime = s.stopTime;
    }
    MarkChanged(s);
    return result;
}

long TimeDomain::SetCenterTime(double c) {
    TimeDomainState& s = *m_state;
    if (!std::isfinite(c)) {
        return kInvalidArg;
    }
    const double limit = TimeLimit(s);
    const long result = Limit(c, limit) ? kFalse : kOk;
    const double half = (s.stopTime - s.startTime) / 2.0;
    double start = c - half;
    Limit(start, limit);
    double stop = 2.0 * c - start;
    Limit(stop, limit);
    start = 2.0 * c - stop;
    if (start == s.startTime && stop == s.stopTime) {
        return kUnchanged;
    }
    if (!Computable(s, start, stop)) {
        return kInvalidArg;
    }
    s.startTime = start;
    s.stopTime = stop;
    MarkChanged(s);
    return result;
}

long TimeDomain::SetSpanTime(double w) {
    TimeDomainState& s = *m_state;
    if (!std::isfinite(w)) {
        return kInvalidArg;
    }
    w = std::max(w, 0.0);
    const double c = (s.startTime + s.stopTime) / 2.0;
    const double largest = 2.0 * (TimeLimit(s) - std::fabs(c));
    long result = kOk;
    if (w > largest) {
        w = largest;
        result = kFalse;
    } else if (w < -largest) {
        w = -largest;
        result = kFalse;
    }
    const double start = c - w / 2.0, stop = c + w / 2.0;
    if (start == s.startTime && stop == s.stopTime) {
        return kUnchanged;
    }
    if (!Computable(s, start, stop)) {
        return kInvalidArg;
    }
    s.startTime = start;
    s.stopTime = stop;
    MarkChanged(s);
    return result;
}

long TimeDomain::SetKaiserBeta(double beta) {
    TimeDomainState& s = *m_state;
    if (!std::isfinite(beta)) {
        return kInvalidArg;
    }
    beta = std::min(std::max(beta, 0.0), kBetaMax);
    const double impulse = internal::ImpulseFactorFromBeta(beta);
    const double step = internal::StepFactorFromBeta(beta);
    const WindowShape shape = ShapeOfBeta(beta);
    const bool unchanged = beta == s.kaiserBeta && impulse == s.impulseWidthFactor &&
                           step == s.stepRiseFactor && shape == s.windowShape;
    s.kaiserBeta = beta;
    s.impulseWidthFactor = impulse;
    s.stepRiseFactor = step;
    s.windowShape = shape;
    if (unchanged) {
        return kUnchanged;
    }
    MarkChanged(s);
    return kOk;
}

long TimeDomain::SetWindowShape(WindowShape shape) {
    TimeDomainState& s = *m_state;
    if (shape == s.windowShape) {
        return kUnchanged;
    }
    switch (shape) {
        case Minimum:
            s.kaiserBeta = 0.0;
            break;
        case Normal:
            s.kaiserBeta = kBetaNormal;
            break;
        case Maximum:
            s.kaiserBeta = kBetaMax;
            break;
        case Custom:
            break;
        default:
            return kInvalidArg;
    }
    s.windowShape = shape;
    s.impulseWidthFactor = internal::ImpulseFactorFromBeta(s.kaiserBeta);
    s.stepRiseFactor = internal::StepFactorFromBeta(s.kaiserBeta);
    MarkChanged(s);
    return kOk;
}

long TimeDomain::SetTransformMode(TransformMode mode) {
    if (mode == m_state->transformMode) {
        return kUnchanged;
    }
    m_state->transformMode = mode;
    MarkChanged(*m_state);
    return kOk;
}

long TimeDomain::SetDCValue(double value) {
    if (!std::isfinite(value)) {
        return kInvalidArg;
    }
    if (value != m_state->dcValue) {
        m_state->dcValue = value;
        MarkChanged(*m_state);
    }
    return kOk;
}

double TimeDomain::GetImpulseWidth() const {
    return GetImpulseWidth(m_state->stopFrequency - m_state->startFrequency);
}

double TimeDomain::GetImpulseWidth(double span) const {
    if (span == 0.0) {
        return 0.0;
    }
    const double width = m_state->impulseWidthFactor / span;
    return m_state->transformMode == BandPass ? 2.0 * width : width;
}

double TimeDomain::GetStepRiseTime() const {
    return GetStepRiseTime(m_state->stopFrequency - m_state->startFrequency);
}

double TimeDomain::GetStepRiseTime(double span) const {
    return span == 0.0 ? 0.0 : m_state->stepRiseFactor / span;
}

void TimeDomain::GetMinMaxImpulseWidth(double& min, double& max) const {
    const double span = std::fabs(m_state->stopFrequency - m_state->startFrequency);
    if (span == 0.0) {
        min = max = 0.0;
        return;
    }
    const double scale = m_state->transformMode == BandPass ? 2.0 : 1.0;
    min = scale * internal::kImpulseFactorMin / span;
    max = scale * internal::kImpulseFactorMax / span;
}

void TimeDomain::GetMinMaxStepRiseTime(double& min, double& max) const {
    const double span = std::fabs(m_state->stopFrequency - m_state->startFrequency);
    min = span == 0.0 ? 0.0 : internal::kStepFactorMin / span;
    max = span == 0.0 ? 0.0 : internal::kStepFactorMax / span;
}

long TimeDomain::SetImpulseWidth(double width) {
    return SetImpulseWidth(width, m_state->stopFrequency - m_state->startFrequency);
}

// The factor is stored first; SetKaiserBeta then replaces it with the table value of the beta
// it chooses, so the call reports 2 only when that value equals the requested factor.
long TimeDomain::SetImpulseWidth(double width, double span) {
    if (!std::isfinite(width) || !std::isfinite(span)) {
        return kInvalidArg;
    }
    double factor = width * span;
    if (m_state->transformMode == BandPass) {
        factor *= 0.5;
    }
    m_state->impulseWidthFactor = factor;
    return SetKaiserBeta(internal::BetaFromImpulseFactor(factor));
}

long TimeDomain::SetStepRiseTime(double rise) {
    return SetStepRiseTime(rise, m_state->stopFrequency - m_state->startFrequency);
}

long TimeDomain::SetStepRiseTime(double rise, double span) {
    if (!std::isfinite(rise) || !std::isfinite(span)) {
        return kInvalidArg;
    }
    m_state->stepRiseFactor = rise * span;
    MarkChanged(*m_state);
    return SetKaiserBeta(internal::BetaFromStepFactor(m_state->stepRiseFactor));
}

}  // namespace Tessel
