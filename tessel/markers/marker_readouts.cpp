// SPDX-License-Identifier: Apache-2.0
// CMarkerSet readouts built from groups of consecutive markers: bandwidth (with centre, loss
// and Q), power saturation (PSat) and normal operating point (NOP).
//
// Every value of these readouts is read in log magnitude, whatever the trace format. A group
// that would run past marker 10 is refused: the readout is invalid and returns its failure
// code. A search of the peak marker that fails (no data in its range) also makes the readout
// invalid.
#include <vector>

#include "tessel/core/status.h"
#include "tessel/markers/marker_set.h"

namespace Tessel {

double CMarkerSet::LogMagValue(CMarkerMR& marker) {
    MarkerFormatEnum format = MkrLogMag;
    marker.GetAbsoluteFormattedValue(&format, scratchValues);
    return scratchValues.empty() ? 0.0 : scratchValues[0];
}

namespace {

// A target search of the readouts counts only when it moved its marker to a crossing.
bool SearchFailed(long status) {
    return status < 0 || status == 1;
}

}  // namespace

long CMarkerSet::MarkerBandwidthInternal(long first) {
    MarkerSetResults& r = readouts;
    CMarkerMR* m[4] = {};
    r.bandwidthValid = false;
    if (!CreateMarkerGroup(first, 4, m))
        return kBandwidthNotFound;
    const bool notch = bandwidthLevel > 0.0f;
    bool valid = m[0]->Compute(notch ? FuncMin : FuncMax) >= 0;
    const double peakStimulus = m[0]->domainValue;
    const double peak = LogMagValue(*m[0]);
    for (int k = 1; k <= 2; ++k) {
        m[k]->put_AbsoluteDomainValue(peakStimulus);
        m[k]->put_TargetValue(static_cast<float>(peak + bandwidthLevel));
        if (SearchFailed(m[k]->Compute(k == 1 ? FuncTargetLeft : FuncTargetRight)))
            valid = false;
    }
    const double left = m[1]->domainValue;
    const double right = m[2]->domainValue;
    m[3]->put_AbsoluteDomainValue(left + (right - left) * 0.5);
    m[3]->Compute(FuncCurrent);
    r.bandwidthLoss = LogMagValue(*m[3]);
    r.bandwidth = right - left;
    r.bandwidthCentre = left + r.bandwidth * 0.5;
    // A zero width has no Q; it reads 0 rather than infinity.
    r.bandwidthQ = r.bandwidth != 0.0 ? r.bandwidthCentre / r.bandwidth : 0.0;
    r.bandwidthValid = valid;
    r.bandwidthOn = true;
    return valid ? kOk : kBandwidthNotFound;
}

long CMarkerSet::MarkerPowerSaturationInternal(long first) {
    MarkerSetResults& r = readouts;
    CMarkerMR* m[3] = {};
    r.psatValid = false;
    if (!CreateMarkerGroup(first, 3, m))
        return kPSatInvalid;
    bool valid = m[2]->Compute(FuncMax) >= 0;
    r.psatMaxStimulus = m[2]->domainValue;
    r.psatMaxValue = static_cast<float>(LogMagValue(*m[2]));
    m[1]->put_AbsoluteDomainValue(r.psatMaxStimulus);
    if (r.psatBackOff != 0.0) {
        m[1]->put_TargetValue(static_cast<float>(r.psatMaxValue - r.psatBackOff));
        if (SearchFailed(m[1]->Compute(FuncTargetLeft)))
            valid = false;
    }
    r.psatBackOffStimulus = m[1]->domainValue;
    r.psatBackOffValue = static_cast<float>(LogMagValue(*m[1]));
    const InputArray& stimulus = GetStimulusBuffer();
    const std::vector<float>* formatted =
        dataProvider != nullptr ? dataProvider->GetFormattedData() : nullptr;
    m[0]->put_AbsoluteDomainValue(stimulus.front());
    r.psatFirstStimulus = stimulus.front();
    r.psatFirstValue = formatted != nullptr && !formatted->empty() ? (*formatted)[0] : 0.0f;
    r.psatOn = r.psatPriority = true;
    r.psatValid = valid;
    return valid ? kOk : kPSatInvalid;
}

long CMarkerSet::MarkerNOPInternal(long first) {
    MarkerSetResults& r = readouts;
    CMarkerMR* m[4] = {};
    r.nopValid = false;
    if (!CreateMarkerGroup(first, 4, m))
        return kNopInvalid;
    bool valid = m[2]->Compute(FuncMax) >= 0;
    r.nopMaxStimulus = m[2]->domainValue;
    r.nopMaxValue = LogMagValue(*m[2]);
    m[1]->put_AbsoluteDomainValue(r.nopMaxStimulus);
    if (r.nopBackOff != 0.0) {
        m[1]->put_TargetValue(static_cast<float>(r.nopMaxValue - r.nopBackOff));
        if (SearchFailed(m[1]->Compute(FuncTargetLeft)))
            valid = false;
    }
    r.nopBackOffStimulus = m[1]->domainValue;
    r.nopBackOffValue = LogMagValue(*m[1]);
    r.nopOperatingStimulus = r.nopBackOffStimulus + r.nopOffset;
    m[3]->put_AbsoluteDomainValue(r.nopOperatingStimulus);
    r.nopOperatingValue = LogMagValue(*m[3]);
    const InputArray& stimulus = GetStimulusBuffer();
    const std::vector<float>* formatted =
        dataProvider != nullptr ? dataProvider->GetFormattedData() : nullptr;
    m[0]->put_AbsoluteDomainValue(stimulus.front());
    r.nopFirstStimulus = stimulus.front();
    r.nopFirstValue = formatted != nullptr && !formatted->empty() ? (*formatted)[0] : 0.0;
    r.nopOn = r.nopPriority = true;
    r.nopValid = valid;
    return valid ? kOk : kNopInvalid;
}

bool CMarkerSet::SetMarkerBandwidthLevel(float level) {
    bandwidthLevel = level;
    return true;
}

bool CMarkerSet::MarkerBandwidthOff() {
    readouts.bandwidthOn = false;
    return true;
}

bool CMarkerSet::MarkerPowerSaturationOff() {
    readouts.psatOn = false;
    return true;
}

bool CMarkerSet::MarkerNOPOff() {
    readouts.nopOn = false;
    return true;
}

long CMarkerSet::MarkerBandwidth(long first) {
    const long status = MarkerBandwidthInternal(first);
    if (status == kOk)
        RequestRefresh(0);
    return status;
}

long CMarkerSet::MarkerPowerSaturation(long first) {
    const long status = MarkerPowerSaturationInternal(first);
    if (status == kOk)
        RequestRefresh(0);
    return status;
}

long CMarkerSet::MarkerNOP(long first) {
    const long status = MarkerNOPInternal(first);
    if (status == kOk)
        RequestRefresh(0);
    return status;
}

}  // namespace Tessel
