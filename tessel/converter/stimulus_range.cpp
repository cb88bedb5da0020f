// SPDX-License-Identifier: Apache-2.0
// Splitting a stimulus at band breaks and inserting the settling and lead-in points.
#include "tessel/converter/stimulus_range.h"

#include <algorithm>
#include <cmath>

#include "platform/measutil/interpolation.h"

using QuorUtility::InputArray;
using QuorUtility::Segment;

namespace {

constexpr double kCompanionFill = 10000.0;

// Inserts `count` copies of the value at `from` (clamped to the last element) at `at`
// (clamped to the end). Nothing happens to an empty vector.
template <class T>
void InsertCopies(std::vector<T>& v, std::size_t at, std::size_t from, std::size_t count) {
    if (v.empty())
        return;
    const T value = v[std::min(from, v.size() - 1)];
    v.insert(v.begin() + static_cast<std::ptrdiff_t>(std::min(at, v.size())), count, value);
}

}  // namespace

MixStimulusRange::MixStimulusRange(AIBaseStimulus& s, bool longLeadIn)
    : stimulus_(s.GetStimulus()), longLeadIn_(longLeadIn) {}

MixStimulusRange::MixStimulusRange(AIBaseStimulus& s, int subSweep, bool longLeadIn)
    : stimulus_(s.GetSubSweepStimulus(subSweep)),
      secondAxis_(s.GetSubSweepSecondAxis(subSweep)),
      wholeSweep_(false),
      longLeadIn_(longLeadIn),
      subSweep_(subSweep) {}

std::optional<MixStimulusSplitIndex> MixStimulusRange::Split(int firstPoint, const Segment& seg,
                                                             double frequency) {
    if (seg.Type() == QuorUtility::SegmentType::kFixed)
        return std::nullopt;
    double x = seg.Find(frequency, false);
    if (x < 0.0)
        return std::nullopt;
    const double nearest = std::round(x);
    if (std::abs(x - nearest) < 1e-11)
        x = nearest;
    const bool upward = seg.back() > seg.front();
    if (!upward) {
        if (x == 0.0)
            return std::nullopt;
        if (x == std::floor(x))
            x -= 1.0;
    } else if (x == static_cast<double>(seg.size()) - 1.0) {
        return std::nullopt;
    }
    x += firstPoint;
    splits_.emplace_back(x, frequency);
    MixStimulusSplitIndex result(x);
    result.ascending = upward;
    return result;
}

std::vector<MixStimulusSplitIndex> MixStimulusRange::Split(double frequency) {
    std::vector<MixStimulusSplitIndex> found;
    int first = 0;
    for (const Segment& seg : stimulus_.GetSegments()) {
        if (std::optional<MixStimulusSplitIndex> split = Split(first, seg, frequency))
            found.push_back(*split);
        first += static_cast<int>(seg.size());
    }
    return found;
}

void MixStimulusRange::SortIndicies() {
    std::stable_sort(splits_.begin(), splits_.end(),
                     [](const MixStimulusSplitIndex& a, const MixStimulusSplitIndex& b) {
                         return a.index < b.index;
                     });
    for (std::size_t i = 1; i < splits_.size();) {
        if (std::abs(splits_[i].index - splits_[i - 1].index) < 0.0001) {
            const std::size_t drop = splits_[i].frequency > 0.0 ? i - 1 : i;
            splits_.erase(splits_.begin() + static_cast<std::ptrdiff_t>(drop));
        } else {
            ++i;
        }
    }
}

std::vector<int> MixStimulusRange::GetStitchIndices() const {
    std::vector<int> indices;
    for (const MixStimulusSplitIndex& split : splits_)
        indices.push_back(static_cast<int>(split.index));
    return indices;
}

bool MixStimulusRange::AddEqualRange(const MixStimulusRange& r) {
    if (!(r.stimulus_ == stimulus_))
        return false;
    equalRanges_.push_back(r);
    return true;
}

void MixStimulusRange::GetModifiedStimulus(InputArray& stimulus, InputArray& secondAxis,
                                           std::vector<float>& perPoint,
                                           InputArray& companion) const {
    std::vector<double> a = stimulus_.GetArray();
    std::vector<double> b = secondAxis_.GetArray();
    std::vector<double> d = companion.GetArray();
    const std::size_t n = settlingPoints + (extraEdgePoints_ ? 2 : 0);
    const double dir = stimulus_.back() > stimulus_.front() ? 1.0 : -1.0;

    for (std::size_t k = 0; k < splits_.size(); ++k) {
        const double x = splits_[k].index;
        const double fs = splits_[k].frequency;
        const std::size_t pos =
            static_cast<std::size_t>(std::max(0.0, static_cast<double>(k * n) + x));
        double e = fs;
        if (fs < 0.0) {
            const double xe = (!splits_[k].ascending && x == std::floor(x)) ? x + 1.0 : x;
            e = QuorUtility::LinearInterpolate(stimulus_, xe);
        } else if (dir < 0.0) {
            e += 2.0;
        }
        double v = e;
        if (!stimulus_.empty()) {
            const std::size_t point =
                std::min(static_cast<std::size_t>(std::max(x, 0.0)), stimulus_.size() - 1);
            if (!stimulus_.GetSegment(stimulus_.SegmentIndexOf(point)).IsFixed())
                v = dir * 10.0 + e;
        }
        if (!a.empty()) {
            // After point pos: [e], 40 copies of the point that followed the split, [v].
            const double next = a[std::min(pos + 1, a.size() - 1)];
            const std::size_t at = std::min(pos + 1, a.size());
            std::vector<double> block;
            if (extraEdgePoints_)
                block.push_back(e);
            block.insert(block.end(), settlingPoints, next);
            if (extraEdgePoints_)
                block.push_back(v);
            a.insert(a.begin() + static_cast<std::ptrdiff_t>(at), block.begin(), block.end());
        }
        InsertCopies(b, pos + 1, pos + 1, n);
        InsertCopies(perPoint, pos + 1, pos + 1, n);
        if (!d.empty()) {
            const double kept = d[std::min(pos + 1, d.size() - 1)];
            const std::size_t at = std::min(pos + 1, d.size());
            d.insert(d.begin() + static_cast<std::ptrdiff_t>(at), n, kCompanionFill);
            if (extraEdgePoints_) {
                d[at] = kept;
                d[at + n - 1] = kept;
            }
        }
    }
    const std::size_t leadIn = longLeadIn_ ? kLongLeadIn : kShortLeadIn;
    InsertCopies(a, 0, 0, leadIn);
    InsertCopies(b, 0, 0, leadIn);
    InsertCopies(perPoint, 0, 0, leadIn);
    if (!d.empty())
        d.insert(d.begin(), leadIn, kCompanionFill);

    stimulus.SetArray(a);
    stimulus.OptimizeRepresentation();
    secondAxis.SetArray(b);
    if (!b.empty())
        secondAxis.OptimizeRepresentationOnlyFixed();
    companion.SetArray(d);
    if (!d.empty())
        companion.OptimizeRepresentationOnlyFixed();
}

void MixStimulusRange::ApplyToBaseStimulus(AIBaseStimulus& s, InputArray& companion) {
    const InputArray original = companion;
    InputArray stimulus, second;
    if (wholeSweep_) {
        stimulus_ = s.GetStimulus();
        std::vector<float> none;
        GetModifiedStimulus(stimulus, second, none, companion);
        s.SetStimulus(stimulus);
        s.SetCompanion(companion);
    } else {
        stimulus_ = s.GetSubSweepStimulus(subSweep_);
        secondAxis_ = s.GetSubSweepSecondAxis(subSweep_);
        std::vector<float> perPoint = s.GetSubSweepPerPoint(subSweep_);
        InputArray noCompanion;
        GetModifiedStimulus(stimulus, second, perPoint, noCompanion);
        s.SetSubSweepStimulus(subSweep_, stimulus);
        s.SetSubSweepSecondAxis(subSweep_, second);
        if (!perPoint.empty())
            s.SetSubSweepPerPoint(subSweep_, perPoint);
    }
    for (MixStimulusRange& r : equalRanges_) {
        r.splits_ = splits_;
        InputArray c = original;
        r.ApplyToBaseStimulus(s, c);
    }
}
