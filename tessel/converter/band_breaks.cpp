// SPDX-License-Identifier: Apache-2.0
// Band-break frequencies, their positions in a stimulus, and the phase stitch points.
#include "tessel/converter/band_breaks.h"

#include <algorithm>
#include <cmath>

#include "platform/measutil/interpolation.h"
#include "tessel/core/services.h"

using QuorUtility::InputArray;

namespace {

void SortUnique(std::vector<double>& v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
}

// Break i for i below the count (positive ones only), then the further break list.
std::vector<double> RawBandBreaks(const INAHardwareCaps& caps) {
    std::vector<double> breaks;
    const int count = caps.GetBandBreakCount();
    for (int i = 0; i < count; ++i) {
        const double f = caps.GetBandBreak(i);
        if (f > 0.0)
            breaks.push_back(f);
    }
    const std::vector<double> more = caps.GetAdditionalBandBreaks();
    breaks.insert(breaks.end(), more.begin(), more.end());
    return breaks;
}

struct Piece {
    InputArray axis;
    int firstPoint;
};

// One piece per segment, with the index of its first point within the sweep.
void CutIntoPieces(const InputArray& stimulus, std::vector<Piece>& pieces) {
    int first = 0;
    for (const QuorUtility::Segment& seg : stimulus.GetSegments()) {
        pieces.push_back(Piece{InputArray(seg), first});
        first += static_cast<int>(seg.size());
    }
}

}  // namespace

std::vector<double> GetBandBreaks(bool adjusted) {
    const INAHardwareCaps* caps = Tessel::GetService<INAHardwareCaps>();
    std::vector<double> breaks = RawBandBreaks(*caps);
    std::size_t lead = 0;
    while (lead < breaks.size() && breaks[lead] == 0.0)
        ++lead;
    breaks.erase(breaks.begin(), breaks.begin() + static_cast<std::ptrdiff_t>(lead));
    if (adjusted) {
        bool anyOffset = false;
        for (double& f : breaks) {
            if (f == 0.0 || !caps->BandHasFrequencyOffset(caps->GetBandNumber(f)))
                continue;
            const double offset = caps->GetFrequencyOffset(f);
            anyOffset = anyOffset || offset != 0.0;
            f -= offset;
        }
        if (anyOffset)
            breaks.push_back(53000000.0);
    }
    SortUnique(breaks);
    double minimum = 0.0, maximum = 0.0;
    caps->GetFrequencyRange(minimum, maximum);
    breaks.erase(
        std::remove_if(breaks.begin(), breaks.end(), [minimum](double f) { return f < minimum; }),
        breaks.end());
    return breaks;
}

std::vector<double> GetBandBreaks() {
    std::vector<double> all = GetBandBreaks(true);
    const std::vector<double> plain = GetBandBreaks(false);
    all.insert(all.end(), plain.begin(), plain.end());
    SortUnique(all);
    return all;
}

std::vector<int> FindBandBreaks(const InputArray& stimulus) {
    std::vector<int> points;
    const double last = static_cast<double>(stimulus.size()) - 1.0;
    for (double f : GetBandBreaks(true)) {
        const double x = QuorUtility::FindNearestIndex(stimulus, 0.0, f);
        if (x > 0.0 && x < last)
            points.push_back(static_cast<int>(x + 1.0));
    }
    return points;
}

void AddPhaseBreakPoints(AIBaseStimulus& s, std::vector<int>& breakPoints) {
    std::vector<Piece> pieces;
    CutIntoPieces(s.GetStimulus(), pieces);
    const std::size_t wholeSweepPieces = pieces.size();
    // Sub-sweep points are counted within their sub-sweep: the sub-sweeps are point-aligned
    // with the whole sweep.
    for (int i = 0; i < s.GetSubSweepCount(); ++i)
        if (s.IsSubSweepActive(i))
            CutIntoPieces(s.GetSubSweepStimulus(i), pieces);

    std::vector<double> candidates = RawBandBreaks(*Tessel::GetService<INAHardwareCaps>());
    SortUnique(candidates);
    for (double f : candidates) {
        if (f == 0.0)
            continue;
        for (const Piece& piece : pieces) {
            const double x = QuorUtility::FindNearestIndex(piece.axis, 0.0, f);
            const double last = static_cast<double>(piece.axis.size()) - 1.0;
            if ((x == 0.0 && piece.axis.front() != f) || x == last)
                continue;
            int index = static_cast<int>(x) + 1;
            if (piece.axis.back() < piece.axis.front() && x == std::floor(x))
                --index;
            breakPoints.push_back(index + piece.firstPoint);
        }
    }

    const IHWSpurs* spurs = Tessel::GetService<IHWSpurs>();
    std::vector<double> values;
    for (std::size_t p = 0; p < wholeSweepPieces; ++p) {
        const std::vector<double> frequencies = pieces[p].axis.GetArray();
        const std::vector<double> settings(frequencies.size(), s.GetSpurPointSetting());
        std::vector<double> spurFrequencies, pointValues;
        spurs->ComputeSpurs(frequencies, settings, spurFrequencies, 0, 0.0, s.GetStimulusList(), 0,
                            s.GetAvoidSpurs(), pointValues);
        values.insert(values.end(), pointValues.begin(), pointValues.end());
    }
    for (std::size_t i = 1; i < values.size(); ++i)
        if (!(values[i] == values[i - 1]))
            breakPoints.push_back(static_cast<int>(i));

    std::sort(breakPoints.begin(), breakPoints.end());
    breakPoints.erase(std::unique(breakPoints.begin(), breakPoints.end()), breakPoints.end());
}
