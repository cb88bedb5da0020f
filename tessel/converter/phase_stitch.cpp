// SPDX-License-Identifier: Apache-2.0
// Phase stitching at band breaks and the phase-reference post-processing.
#include "tessel/converter/phase_stitch.h"

#include <algorithm>
#include <cmath>

#include "tessel/converter/band_breaks.h"
#include "tessel/core/services.h"
#include "tessel/format/smoothing.h"

using QuorUtility::InputArray;
using QuorUtility::TsComplex;

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;

TsComplex Unit(const TsComplex& z) {
    const double inv = 1.0 / std::sqrt(z.MagSquared());
    return TsComplex(static_cast<float>(z.re * inv), static_cast<float>(z.im * inv));
}

// z with its magnitude kept and the phase of `direction` (no trigonometry: the unit vector of
// `direction` scaled by |z|).
TsComplex WithPhaseOf(const TsComplex& z, const TsComplex& direction) {
    if (direction.MagSquared() == 0.0)  // phase 0
        return TsComplex(static_cast<float>(z.Mag()), 0.0f);
    const double scale = std::sqrt(z.MagSquared() / direction.MagSquared());
    return TsComplex(static_cast<float>(direction.re * scale),
                     static_cast<float>(direction.im * scale));
}

}  // namespace

void StitchPhaseAtBandBreaks(int& /*unused*/, int& end, const std::vector<int>& breaks,
                             std::vector<TsComplex>& data, PhaseStitchProperty property) {
    const int n = static_cast<int>(data.size());
    if (breaks.empty() || n < 3)
        return;
    data[0] = TsComplex::FromMagPhase(data[0].Mag(), 2.0 * data[1].Phase() - data[2].Phase());
    const int stop = std::clamp(end, 0, n);
    for (std::size_t b = 0; b < breaks.size(); ++b) {
        const int k = breaks[b];
        if (k < 3 || k >= n)
            continue;
        const TsComplex d1 = Unit(data[k - 1]) / Unit(data[k - 2]);
        const TsComplex d2 = Unit(data[k]) / Unit(data[k - 1]);
        const bool last = b + 1 == breaks.size();
        bool hasAfter = !(last && n - k < 2) && !(!last && breaks[b + 1] == k + 1);
        // A break on the last point has no point after it to read.
        hasAfter = hasAfter && k + 1 < n;
        TsComplex t = d1;
        if (hasAfter) {
            const TsComplex d3 = Unit(data[k + 1]) / Unit(data[k]);
            t = property == StitchFollowing ? d3 : d1 + d3;
        }
        const TsComplex r = Unit(t / d2);
        for (int j = k; j < stop; ++j)
            data[j] *= r;
    }
    end = n;
}

double MiddlePhaseSlope(const std::vector<TsComplex>& data) {
    const int n = static_cast<int>(data.size());
    if (n < 2)
        return 0.0;
    int from = n / 2 - 3, to = n / 2 + 3;
    if (n < 8) {
        from = 0;
        to = n - 2;
    }
    double sum = 0.0;
    for (int j = from; j <= to; ++j)
        sum += (data[j + 1] / data[j]).Phase();
    return sum * (1.0 / (to - from + 1));
}

void ResolvePhaseAmbiguity(std::vector<TsComplex>& data, int n) {
    if (n <= 0)
        return;
    std::vector<TsComplex> rotations(static_cast<std::size_t>(n));
    for (int m = 0; m < n; ++m)
        rotations[m] = TsComplex::FromMagPhase(1.0, m * kTwoPi / n);
    for (std::size_t i = 1; i < data.size(); ++i) {
        TsComplex best = data[i];
        double bestStep = std::abs((best / data[i - 1]).Phase());
        for (int m = 1; m < n; ++m) {
            const TsComplex candidate = data[i] * rotations[m];
            const double step = std::abs((candidate / data[i - 1]).Phase());
            if (step < bestStep) {
                best = candidate;
                bestStep = step;
            }
        }
        data[i] = best;
    }
}

void SmoothPhasorsPerBand(const InputArray& stimulus, std::vector<TsComplex>& w) {
    const int n = static_cast<int>(w.size());
    std::vector<int> bounds{0};
    for (int b : FindBandBreaks(stimulus))
        bounds.push_back(std::min(b, n));
    bounds.push_back(n);
    // In place: each point needs the values before smoothing of its neighbours, so the
    // previous original value is carried along and the band's last neighbour taken up front.
    for (std::size_t b = 0; b + 1 < bounds.size(); ++b) {
        const int from = bounds[b], to = bounds[b + 1];
        if (to - from < 4)
            continue;
        TsComplex before = w[from + 1] * (w[from + 1] / w[from + 3]);
        const TsComplex lastAfter = w[to - 2] * (w[to - 2] / w[to - 4]);
        for (int i = from; i < to; ++i) {
            const TsComplex current = w[i];
            const TsComplex after = i == to - 1 ? lastAfter : w[i + 1];
            w[i] = before + 2.0f * current + after;
            before = current;
        }
    }
}

void SmoothPhaseIncrements(const InputArray& stimulus, std::vector<TsComplex>& data, int start,
                           int end) {
    const int n = static_cast<int>(data.size());
    end = std::min(end, n);
    if (start < 0 || n - start < 3 || end - start < 2)
        return;
    std::vector<double> inc(static_cast<std::size_t>(end - start - 1));
    for (std::size_t m = 0; m < inc.size(); ++m)
        inc[m] = (data[start + m + 1] / data[start + m]).Phase();
    std::vector<double> s(inc);

    std::vector<int> bounds = stimulus.empty() ? std::vector<int>() : FindBandBreaks(stimulus);
    bounds.push_back(start);
    bounds.push_back(end - 1);
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
    std::vector<double> in, out;
    for (std::size_t b = 0; b + 1 < bounds.size(); ++b) {
        const int lo = bounds[b], hi = bounds[b + 1];
        if (lo < start)
            continue;
        if (hi > end - 1)  // a break beyond the data ends the smoothing
            break;
        const int count = hi - lo;
        in.assign(inc.begin() + (lo - start), inc.begin() + (lo - start + count));
        out = in;
        // The run ends at count - 1, so its last increments stay as they are.
        Tessel::Smooth(in, out, 0, count - 1, 5, nullptr, false);
        std::copy(out.begin(), out.end(), s.begin() + (lo - start));
    }
    for (int i = start + 1; i < end; ++i)
        data[i] = TsComplex::FromMagPhase(data[i].Mag(), data[i - 1].Phase() + s[i - start - 1]);
}

double PostProcessPhaseReferenceMeasurement(const InputArray& stimulus,
                                            std::vector<TsComplex>& data) {
    const int n = static_cast<int>(data.size());
    if (n == 0)
        return 0.0;
    const double slope = MiddlePhaseSlope(data);
    // w[i] = unit(data[i]) * e^{-j i slope}; the rotor advances by complex multiplication in
    // double and is re-taken exactly every 256 points, so its error stays far below float's.
    std::vector<TsComplex> w(data.size());
    const double stepRe = std::cos(slope), stepIm = -std::sin(slope);
    double rotRe = 1.0, rotIm = 0.0;
    for (int i = 0; i < n; ++i) {
        if ((i & 255) == 0) {
            rotRe = std::cos(i * slope);
            rotIm = -std::sin(i * slope);
        }
        const TsComplex u = data[i].MagSquared() == 0.0 ? TsComplex(1.0f) : Unit(data[i]);
        w[i] = TsComplex(static_cast<float>(u.re * rotRe - u.im * rotIm),
                         static_cast<float>(u.re * rotIm + u.im * rotRe));
        const double r = rotRe * stepRe - rotIm * stepIm;
        rotIm = rotRe * stepIm + rotIm * stepRe;
        rotRe = r;
    }
    SmoothPhasorsPerBand(stimulus, w);

    const boost::shared_ptr<const std::vector<double>> f = stimulus.GetArrayPtr();
    const int points = static_cast<int>(f->size());
    // A stimulus of fewer than 2 points has no step; it takes the rated start below.
    if (points >= 2 && (*f)[1] - (*f)[0] == 625000.0) {
        SmoothPhaseIncrements(InputArray(), w, 0, n);
    } else {
        const INAHardwareCaps* caps = Tessel::GetService<INAHardwareCaps>();
        int start = points;
        for (int i = 0; i < points; ++i)
            if (caps->GetFrequencyRating((*f)[i], -1) > 1) {
                start = i;
                break;
            }
        SmoothPhaseIncrements(stimulus, w, start, points);
    }
    int unused = 0, end = n;
    StitchPhaseAtBandBreaks(unused, end, FindBandBreaks(stimulus), w, StitchFollowing);
    for (int i = 0; i < n; ++i)
        data[i] = WithPhaseOf(data[i], w[i]);
    return slope;
}
