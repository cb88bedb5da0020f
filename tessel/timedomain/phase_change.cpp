// SPDX-License-Identifier: Apache-2.0
// Port extension: delay, dispersion and loss of up to three line sections.

#include "tessel/timedomain/phase_change.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "platform/nsp/nsp.h"
#include "tessel/core/status.h"

namespace Tessel {
namespace {

struct Line {
    double delay;
    MediaType media;
    double cutoff;
};

struct LossModel {
    double l1, l2, f1, f2, extra;
    bool on, twoPoint;
};

struct Extension {
    double phaseOffset;
    Line line1;
    double dcLoss, lossSlope;
    bool sections;
    Line line2, line3;
    LossModel loss2, loss3;
    bool singleLine;
};

// sqrt(1 - (fc/f)²) for a waveguide, 0 at and below cutoff; 1 for other media.
double WaveguideFactor(const Line& line, double f) {
    if (line.media != MediaWaveguide) {
        return 1.0;
    }
    if (f == 0.0) {
        return line.cutoff == 0.0 ? 1.0 : 0.0;
    }
    const double ratio = line.cutoff / f;
    return std::sqrt(std::max(1.0 - ratio * ratio, 0.0));
}

double DbGain(double db) {
    return std::pow(10.0, db * 0.05);
}

// The loss in dB of a loss model at f.
double ModelLoss(const LossModel& m, double f) {
    if (m.f1 == 0.0 || !(f / m.f1 > 0.0)) {
        return 0.0;
    }
    const bool twoPoint = m.twoPoint && m.l1 != 0.0 && m.l2 != 0.0 && m.f2 != 0.0 &&
                          std::fabs(m.f1) != std::fabs(m.f2);
    if (twoPoint) {
        const double k = std::log10(std::fabs(m.l1 / m.l2)) / std::log10(std::fabs(m.f1 / m.f2));
        return m.l1 * std::pow(f / m.f1, k);
    }
    return m.l1 * std::sqrt(f / m.f1);
}

double SectionGain(const LossModel& m, double f) {
    if (!m.on) {
        return 1.0;
    }
    const double extra = m.extra != 0.0 ? DbGain(m.extra) : 1.0;
    return extra * DbGain(ModelLoss(m, f));
}

double Phase(const Extension& e, double f) {
    const double w1 = WaveguideFactor(e.line1, f);
    if (e.singleLine) {
        double delay = e.line1.delay;
        if (e.sections) {
            delay += e.line2.delay + e.line3.delay;
        }
        return 2.0 * M_PI * f * delay * w1 - e.phaseOffset;
    }
    const double delay = e.line1.delay * w1 + e.line2.delay * WaveguideFactor(e.line2, f) +
                         e.line3.delay * WaveguideFactor(e.line3, f);
    return 2.0 * M_PI * f * delay - e.phaseOffset;
}

// A(f)·exp(j·φ(f)) rounded to float; sections 2 and 3 contribute gain only when asked.
TsComplex Factor(const Extension& e, double f, bool sectionGains) {
    double gain = 1.0;
    if (e.dcLoss != 0.0 || e.lossSlope != 0.0) {
        gain = DbGain(e.dcLoss + e.lossSlope * f * 1e-9);
    }
    if (sectionGains && e.sections) {
        gain *= SectionGain(e.loss2, f) * SectionGain(e.loss3, f);
    }
    const double phi = Phase(e, f);
    return nspcSet(static_cast<float>(gain * std::cos(phi)),
                   static_cast<float>(gain * std::sin(phi)));
}

}  // namespace

long PhaseChange(const TsComplex* in, WrapFreq frequencies, double phaseOffset, double delay1,
                 double dcLoss1, double lossSlope1, MediaType media1, double cutoff1, bool sections,
                 double delay2, double lossL1_2, double lossL2_2, double lossF1_2, double lossF2_2,
                 double extraLoss2, bool lossOn2, bool twoPointLaw2, MediaType media2,
                 double cutoff2, double delay3, double lossL1_3, double lossL2_3, double lossF1_3,
                 double lossF2_3, double extraLoss3, bool lossOn3, bool twoPointLaw3,
                 MediaType media3, double cutoff3, unsigned first, unsigned last, TsComplex* out,
                 bool singleLine) {
    const unsigned count = first > last ? first - last : last - first;
    const unsigned k0 = first < last ? first : last;
    if (count == 0) {
        return kOk;
    }
    if (in == nullptr || out == nullptr || count > unsigned(INT_MAX)) {
        return kInvalidArg;
    }
    const int n = static_cast<int>(count);
    if (!sections && phaseOffset == 0.0 && delay1 == 0.0 && dcLoss1 == 0.0 && lossSlope1 == 0.0) {
        nspcbCopy(in + k0, out + k0, n);
        return kOk;
    }
    const Extension e{phaseOffset,
                      {delay1, media1, cutoff1},
                      dcLoss1,
                      lossSlope1,
                      sections,
                      {delay2, media2, cutoff2},
                      {delay3, media3, cutoff3},
                      {lossL1_2, lossL2_2, lossF1_2, lossF2_2, extraLoss2, lossOn2, twoPointLaw2},
                      {lossL1_3, lossL2_3, lossF1_3, lossF2_3, extraLoss3, lossOn3, twoPointLaw3},
                      singleLine};
    const QuorUtility::InputArray* axis = frequencies.stimulus;
    if (axis != nullptr && axis->size() > 1 && !axis->IsConstant()) {
        if (std::size_t(k0) + count > axis->size()) {
            return kInvalidArg;
        }
        std::vector<TsComplex> factor(count);
        for (unsigned i = 0; i < count; ++i) {
            factor[i] = Factor(e, axis->at(k0 + i), true);
        }
        nspcbMpy3(in + k0, factor.data(), out + k0, n);
        return kOk;
    }
    const double f = axis != nullptr ? axis->front() : frequencies.frequency;
    nspcbCopy(in + k0, out + k0, n);  // does nothing when in is out
    nspcbMpy1(Factor(e, f, false), out + k0, n);
    return kOk;
}

}  // namespace Tessel
