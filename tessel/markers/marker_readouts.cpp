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
    CMarkerMR* m[4] = {};
    bandwidthValid = false;
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
    bandwidthLoss = LogMagValue(*m[3]);
    bandwidth = right - left;
    bandwidthCentre = left + bandwidth * 0.5;
    // A zero width has no Q; it reads 0 rather than infinity.
    bandwidthQ = bandwidth != 0.0 ? bandwidthCentre / bandwidth : 0.0;
    bandwidthValid = valid;
    bandwidthOn = true;
    return valid ? kOk : kBandwidthNotFound;
}

long CMarkerSet::MarkerPowerSaturationInternal(long first) {
    CMarkerMR* m[3] = {};
    psatValid = false;
    if (!CreateMarkerGroup(first, 3, m))
        return kPSatInvalid;
    bool valid = m[2]->Compute(FuncMax) >= 0;
    psatMaxStimulus = m[2]->domainValue;
    psatMaxValue = static_cast<float>(LogMagValue(*m[2]));
    m[1]->put_AbsoluteDomainValue(psatMaxStimulus);
    if (psatBackOff != 0.0) {
        m[1]->put_TargetValue(static_cast<float>(psatMaxValue - psatBackOff));
        if (SearchFailed(m[1]->Compute(FuncTargetLeft)))
            valid = false;
    }
    psatBackOffStimulus = m[1]->domainValue;
    psatBackOffValue = static_cast<float>(LogMagValue(*m[1]));
    const InputArray& stimulus = GetStimulusBuffer();
    const std::vector<float>* formatted =
        dataProvider != nullptr ? dataProvider->GetFormattedData() : nullptr;
    m[0]->put_AbsoluteDomainValue(stimulus.front());
    psatFirstStimulus = stimulus.front();
    psatFirstValue = formatted != nullptr && !formatted->empty() ? (*formatted)[0] : 0.0f;
    psatOn = psatPriority = true;
    psatValid = valid;
    return valid ? kOk : kPSatInvalid;
}

long CMarkerSet::MarkerNOPInternal(long first) {
    CMarkerMR* m[4] = {};
    nopValid = false;
    if (!CreateMarkerGroup(first, 4, m))
        return kNopInvalid;
    bool valid = m[2]->Compute(FuncMax) >= 0;
    nopMaxStimulus = m[2]->domainValue;
    nopMaxValue = LogMagValue(*m[2]);
    m[1]->put_AbsoluteDomainValue(nopMaxStimulus);
    if (nopBackOff != 0.0) {
        m[1]->put_TargetValue(static_cast<float>(nopMaxValue - nopBackOff));
        if (SearchFailed(m[1]->Compute(FuncTargetLeft)))
            valid = false;
    }
    nopBackOffStimulus = m[1]->domainValue;
    nopBackOffValue = LogMagValue(*m[1]);
    nopOperatingStimulus = nopBackOffStimulus + nopOffset;
    m[3]->put_AbsoluteDomainValue(nopOperatingStimulus);
    nopOperatingValue = LogMagValue(*m[3]);
    const InputArray& stimulus = GetStimulusBuffer();
    const std::vector<float>* formatted =
        dataProvider != nullptr ? dataProvider->GetFormattedData() : nullptr;
    m[0]->put_AbsoluteDomainValue(stimulus.front());
    nopFirstStimulus = stimulus.front();
    nopFirstValue = formatted != nullptr && !formatted->empty() ? (*formatted)[0] : 0.0;
    nopOn = nopPriority = true;
    nopValid = valid;
    return valid ? kOk : kNopInvalid;
}

bool CMarkerSet::SetMarkerBandwidthLevel(float level) {
    bandwidthLevel = level;
    return true;
}

bool CMarkerSet::MarkerBandwidthOff() {
    bandwidthOn = false;
    return true;
}

bool CMarkerSet::MarkerPowerSaturationOff() {
    psatOn = false;
    return true;
}

bool CMarkerSet::MarkerNOPOff() {
    nopOn = false;
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
