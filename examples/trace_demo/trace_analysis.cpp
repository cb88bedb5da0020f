// SPDX-License-Identifier: Apache-2.0
#include "examples/trace_demo/trace_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace demo {

namespace {

// A target search counts only when it moved its marker to a crossing (status 0); status 1
// means no crossing, negative statuses a refusal.
bool Found(long status) {
    return status == Tessel::kOk;
}

}  // namespace

MarkerReport RunMarkers(const std::vector<double>& frequencyHz, const Trace& data,
                        const std::vector<float>& logMagDb, double targetBelowPeakDb,
                        double deltaHz) {
    // The host's side of the marker set: one log-magnitude trace over the frequency axis (the
    // provider's defaults: log-magnitude format in dB, frequency domain, no user ranges).
    Tessel::ArrayDataProvider provider;
    if (provider.SetTrace(QuorUtility::InputArray(frequencyHz), data, logMagDb) != Tessel::kOk) {
        std::abort();  // the pipeline gives one value per frequency point
    }
    Tessel::CMarkerSet set;
    set.SetDataProvider(&provider);
    set.SetMarkerBandwidthLevel(-3.0f);
    const bool bandwidthFound = set.MarkerBandwidth(1) == Tessel::kOk;

    std::vector<Tessel::MarkerResult> results;
    Tessel::MarkerSetResults setResults;
    set.ProcessData(false, false, &setResults, results);
    MarkerReport r;
    r.peakDb = results[0].displayValues[0];
    r.targetDb = r.peakDb - targetBelowPeakDb;

    Tessel::CMarkerMR* target = nullptr;
    set.CreateMarker(5, &target);
    target->put_AbsoluteDomainValue(results[0].stimulus);
    target->put_TargetValue(static_cast<float>(r.targetDb));
    const bool targetFound = Found(target->Compute(FuncTargetRight));
    Tessel::CMarkerMR* delta = nullptr;
    set.CreateMarker(6, &delta);
    delta->put_AbsoluteDomainValue(deltaHz);
    delta->put_ReferenceMarker(1);
    set.ProcessData(false, false, &setResults, results);

    r.bandwidthValid = bandwidthFound && setResults.bandwidthValid;
    r.bandwidthHz = setResults.bandwidth;
    r.centreHz = setResults.bandwidthCentre;
    r.q = setResults.bandwidthQ;
    r.centreLossDb = setResults.bandwidthLoss;
    const char* roles[6] = {"peak",   "-3 dB, low side", "-3 dB, high side",
                            "centre", "target",          "delta to peak"};
    for (int k = 0; k < 6; ++k) {
        const Tessel::MarkerResult& m = results[k];
        MarkerReadout out;
        out.number = k + 1;
        out.role = roles[k];
        out.valid =
            m.valid && (k == 0 || (k < 4 && r.bandwidthValid) || (k == 4 && targetFound) || k == 5);
        out.stimulusHz = m.stimulus;
        out.reference = static_cast<int>(m.referenceMarkerNumber);
        if (out.reference != 0) {
            // A delta marker reads its values minus the reference's; the absolute value is
            // the reference's plus the delta.
            out.deltaHz = m.deltaStimulus;
            out.deltaDb = m.displayValues[0];
            out.valueDb = results[out.reference - 1].displayValues[0] + out.deltaDb;
        } else {
            out.valueDb = m.displayValues[0];
        }
        r.markers.push_back(out);
    }
    return r;
}

bool ParseMaskRow(const std::string& text, MaskRow& row) {
    const size_t colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    if (colon == std::string::npos || (kind != "max" && kind != "min"))
        return false;
    double v[3];
    const char* p = text.c_str() + colon;
    for (double& x : v) {
        if (*p != ':')
            return false;
        char* end = nullptr;
        x = std::strtod(p + 1, &end);
        if (end == p + 1)
            return false;
        p = end;
    }
    if (*p != '\0' || !std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2]) ||
        !(v[0] < v[1])) {
        return false;
    }
    row.upper = kind == "max";
    row.startHz = v[0] * 1e9;
    row.stopHz = v[1] * 1e9;
    row.db = v[2];
    return true;
}

std::vector<MaskRow> BandPassMask(double lowHz, double highHz, double peakDb,
                                  double floorBelowPeakDb, double rejectionDb, double firstHz,
                                  double lastHz) {
    const double width = highHz - lowHz, centre = 0.5 * (lowHz + highHz);
    std::vector<MaskRow> mask;
    mask.push_back(
        {false, centre - 0.25 * width, centre + 0.25 * width, peakDb - floorBelowPeakDb});
    if (lowHz - width > firstHz)
        mask.push_back({true, firstHz, lowHz - width, peakDb - rejectionDb});
    if (highHz + width < lastHz)
        mask.push_back({true, highHz + width, lastHz, peakDb - rejectionDb});
    return mask;
}

LimitOutcome RunLimitTest(const std::vector<MaskRow>& mask, const std::vector<double>& frequencyHz,
                          const std::vector<float>& logMagDb) {
    Tessel::LimitTest limits;
    for (size_t k = 0; k < mask.size() && k < size_t(Tessel::LimitTest::kMaxSegments); ++k) {
        const MaskRow& m = mask[k];
        const double row[Tessel::LimitTest::kItemsPerSegment] = {
            double(m.upper ? Tessel::SegmentMax : Tessel::SegmentMin), m.startHz, m.stopHz, m.db,
            m.db};
        limits.SetLimitDataValues(static_cast<long>(k) * Tessel::LimitTest::kItemsPerSegment,
                                  Tessel::LimitTest::kItemsPerSegment, row);
    }
    limits.SetXAxis(QuorUtility::InputArray(frequencyHz), false);
    const int n = static_cast<int>(std::min(frequencyHz.size(), logMagDb.size()));
    std::vector<Interface::LimitTestResult_t> results(n, Interface::LimitNoResult);
    Interface::LimitTestResult_t overall = Interface::LimitNoResult;
    limits.ProcessData(logMagDb, Tessel::FormatLogMag, 0, n, overall, results);
    LimitOutcome out;
    out.tested = overall != Interface::LimitNoResult;
    out.pass = overall == Interface::LimitPass;
    for (int i = 0; i < n; ++i) {
        if (results[i] != Interface::LimitNoResult)
            ++out.testedPoints;
        if (results[i] == Interface::LimitFail)
            out.failing.push_back(i);
    }
    return out;
}

}  // namespace demo
