// SPDX-License-Identifier: Apache-2.0
// Setting up the stimulus ranges of a frequency-converter sweep, the frequency grid, point
// averaging and the phase-reference adjustments.
#include "tessel/converter/band_break_helper.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>

#include "tessel/converter/phase_stitch.h"
#include "tessel/core/services.h"
#include "tessel/format/group_delay.h"
#include "tessel/genericparams/gp_values.h"
#include "tessel/receivers/parameter.h"

using QuorUtility::InputArray;
using QuorUtility::Segment;
using QuorUtility::TsComplex;

namespace {

constexpr double kOpposedSweepShift = -200.0;
const wchar_t kReceiverFrequencyOffset[] = L"ReceiverFrequencyOffset";

bool RunsUpward(const InputArray& a) {
    return !a.GetSegments().empty() && a.GetSegment(0).back() > a.GetSegment(0).front();
}

// Offsets of the points (within the segment's own bound) at which segment k holds a break.
void BreakPositions(const InputArray& a, std::size_t k, double offset, double f,
                    std::vector<double>& out) {
    if (k >= a.NumSegments())
        return;
    const Segment& seg = a.GetSegment(k);
    double x = seg.Find(f, false);
    if (!(x > 0.0 && x < static_cast<double>(seg.size()) - 1.0))
        return;
    if (std::abs(x - std::round(x)) < 1e-11)
        x = std::round(x);
    out.push_back(offset + x);
}

// Replaces the setting `name` of the collection by `value`, or appends it.
void PutSetting(Hwpi::GPCollection& settings, const Hwpi::GenericParameter::Ptr& value) {
    unsigned long position = 0;
    if (settings.pos_find(value->GetName(), position))
        settings.set_at(position, value);
    else
        settings.append(value);
}

}  // namespace

bool OpposedSweepsShareBreak(AIBaseStimulus& s) {
    const InputArray a = s.GetStimulus();
    InputArray b;
    for (int i = 0; i < s.GetSubSweepCount(); ++i) {
        if (!s.IsSubSweepActive(i))
            continue;
        const InputArray& x = s.GetSubSweepStimulus(i);
        if (x.IsConstant() || x == a)
            continue;
        if (!b.empty())
            return false;
        b = x;
    }
    if (b.empty() || a.IsConstant() || RunsUpward(a) == RunsUpward(b))
        return false;
    std::vector<double> la, lb;
    for (double f : GetBandBreaks()) {
        for (std::size_t k = 0; k < a.NumSegments(); ++k) {
            const double o = static_cast<double>(a.SegmentStart(k));
            BreakPositions(a, k, o, f, la);
            BreakPositions(b, k, o, f, lb);
        }
    }
    std::sort(la.begin(), la.end());
    std::sort(lb.begin(), lb.end());
    std::vector<double> common;
    std::set_intersection(la.begin(), la.end(), lb.begin(), lb.end(), std::back_inserter(common));
    return !common.empty();
}

void MixBandBreakHelper::AddRange(const MixStimulusRange& r) {
    for (MixStimulusRange& range : ranges_)
        if (range.AddEqualRange(r))
            return;
    ranges_.push_back(r);
}

bool MixBandBreakHelper::EnforceFrequencyLimit(AIBaseStimulus& s, InputArray& offsets) {
    const double limit = frequencyLimit_;
    if (limit == 0.0)
        return false;
    std::vector<double> values = s.GetStimulus().GetArray();
    for (double& f : values) {
        const double q = f / limit;
        const double r = q - std::floor(q);
        f = r == 0.0 ? 0.0 : (r >= 0.5 ? (1.0 - r) * limit : -r * limit);
    }
    // One fixed segment per constant run, single points elsewhere.
    offsets.SetArray(values);
    offsets.OptimizeRepresentationOnlyFixed();
    return true;
}

void MixBandBreakHelper::SetupRanges(AIBaseStimulus& s, std::vector<int>& breakPoints, bool skip,
                                     const InputArray& first, const InputArray& second) {
    ranges_.clear();
    if (interpolateStitch_)
        AddPhaseBreakPoints(s, breakPoints);
    phaseBreakPoints_.clear();
    if (skip || !plusMinus1Hz_ || !s.GetStimulusList().empty())
        return;

    bool shifted = false;
    if (!interpolateStitch_ && OpposedSweepsShareBreak(s)) {
        InputArray whole = s.GetStimulus();
        whole += kOpposedSweepShift;
        s.SetStimulus(whole);
        shifted = true;
    }
    longLeadIn_ = std::min(first.min_element(), second.min_element()) < 50000000.0;

    // Each range gets its edge-point flag before AddRange, so equal ranges carry it too.
    std::vector<int> taken;
    MixStimulusRange whole(s, longLeadIn_);
    whole.SetExtraEdgePoints(!interpolateStitch_);
    AddRange(whole);
    for (int i = 0; i < s.GetSubSweepCount(); ++i) {
        if (!s.IsSubSweepActive(i))
            continue;
        taken.push_back(i);
        MixStimulusRange sub(s, i, longLeadIn_);
        sub.SetExtraEdgePoints(!interpolateStitch_);
        AddRange(sub);
    }

    std::vector<std::vector<MixStimulusSplitIndex>> found(ranges_.size());
    for (double f : GetBandBreaks())
        for (std::size_t r = 0; r < ranges_.size(); ++r) {
            const std::vector<MixStimulusSplitIndex> splits = ranges_[r].Split(f);
            found[r].insert(found[r].end(), splits.begin(), splits.end());
        }
    for (std::size_t r = 0; r < ranges_.size(); ++r) {
        for (std::size_t o = 0; o < ranges_.size(); ++o)
            if (o != r)
                for (const MixStimulusSplitIndex& split : found[o])
                    ranges_[r].AddSplitIndex(MixStimulusSplitIndex(split.index));
        ranges_[r].SortIndicies();
    }

    for (MixStimulusRange& r : ranges_) {
        InputArray companion = r.IsWholeSweep() ? s.GetCompanion() : InputArray();
        r.ApplyToBaseStimulus(s, companion);
    }

    std::vector<InputArray> arrays{s.GetStimulus()};
    for (int i : taken) {
        arrays.push_back(s.GetSubSweepStimulus(i));
        arrays.push_back(s.GetSubSweepSecondAxis(i));
    }
    InputArray offsets;
    const bool haveOffsets = EnforceFrequencyLimit(s, offsets);
    if (haveOffsets)
        arrays.push_back(offsets);
    QuorUtility::ConformSegments(arrays);
    s.SetStimulus(arrays[0]);
    for (std::size_t t = 0; t < taken.size(); ++t) {
        s.SetSubSweepStimulus(taken[t], arrays[1 + 2 * t]);
        s.SetSubSweepSecondAxis(taken[t], arrays[2 + 2 * t]);
    }

    Hwpi::GPCollection& settings = s.GetSettings();
    if (haveOffsets) {
        // The array form of the setting keeps the conformed segments of the offsets.
        PutSetting(settings, Hwpi::GenericParameter::Ptr(new Hwpi::GPScalar<InputArray>(
                                 kReceiverFrequencyOffset, arrays.back())));
    } else if (shifted) {
        // A missing scalar setting counts as 0 Hz.
        double value = 0.0;
        const Hwpi::GenericParameter::Ptr old = settings.ptr_find(kReceiverFrequencyOffset);
        if (const auto* scalar = dynamic_cast<const Hwpi::GPScalar<double>*>(old.get()))
            value = scalar->GetValue();
        PutSetting(settings, Hwpi::GenericParameter::Ptr(new Hwpi::GPScalar<double>(
                                 kReceiverFrequencyOffset, value - kOpposedSweepShift)));
    }
}

void MixBandBreakHelper::ApplyToPointAveraging(PAComponent& component, bool skip, int port,
                                               bool reference) {
    if (skip || !plusMinus1Hz_ || ranges_.empty())
        return;
    const std::vector<int> indices = ranges_.front().GetStitchIndices();
    wchar_t name[32];
    std::swprintf(name, 32, reference ? L"a%d,1" : L"b%d,1", port + 1);
    const Parameter receiver(name);
    const int slot = Tessel::GetService<ITestSet>()->GetSlotNumber(receiver.GetName()) - 1;
    PAParameter pa(PAReceiver(slot, false), PAReceiver(), -1);
    pa.Init(false, -1);
    component.SetPhaseStitch(
        pa, indices, MixStimulusRange::settlingPoints,
        longLeadIn_ ? MixStimulusRange::kLongLeadIn : MixStimulusRange::kShortLeadIn,
        !interpolateStitch_);
}

void MixBandBreakHelper::AdjustPhaseReferenceMeasurementPreAverage(const InputArray& stimulus,
                                                                   std::vector<TsComplex>& data,
                                                                   int& first, int& last) {
    const int count = static_cast<int>(data.size());
    if (last < count) {
        first = 0;
        last = 0;
        return;
    }
    first = 0;
    const long n = frequencyLimit_ != 0.0 ? std::lround(1e7 / frequencyLimit_) : 1;
    if (n != 1) {
        std::vector<TsComplex> a(data);
        ResolvePhaseAmbiguity(a, static_cast<int>(n));
        const double slope = MiddlePhaseSlope(a);
        std::vector<TsComplex> b(data);
        for (int i = 0; i < count; ++i)
            b[i] *= TsComplex::FromMagPhase(1.0, -i * slope);
        ResolvePhaseAmbiguity(b, static_cast<int>(n));
        for (int i = 0; i < count; ++i)
            b[i] *= TsComplex::FromMagPhase(1.0, i * slope);
        data.swap(b);
    }
    if (frequencyLimit_ == 625000.0) {
        std::vector<float> delay;
        if (Tessel::FormatDataDelay(data, stimulus, delay) < 0)
            return;  // stimulus and data of different lengths: no delay, no breaks
        std::vector<int> breaks;
        for (int i = 3; i < count - 2; ++i) {
            const double d = std::abs(delay[i]);
            if (std::abs(d - std::abs(delay[i - 2])) > 3e-09 &&
                std::abs(d - std::abs(delay[i + 2])) > 3e-09)
                breaks.push_back(i);
        }
        int unused = 0, end = count;
        StitchPhaseAtBandBreaks(unused, end, breaks, data, StitchAverage);
    }
}

void MixBandBreakHelper::AdjustPhaseReferenceMeasurementPostAverage(const InputArray& stimulus,
                                                                    std::vector<TsComplex>& data,
                                                                    int& /*first*/, int& /*last*/) {
    if (phaseReferenceMeasurement_)
        PostProcessPhaseReferenceMeasurement(stimulus, data);
}
