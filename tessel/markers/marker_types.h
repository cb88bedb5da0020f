// SPDX-License-Identifier: Apache-2.0
// The enumerations and result records shared by markers, marker sets and the host.
//
// The numeric values of the enumerations are fixed: they are stored in saved marker records
// and exchanged with the host application. Result records are plain values filled by
// `CMarkerMR::Update` and `CMarkerSet::ProcessData`; their members follow the order in which
// the host reads them.
#pragma once

#include "tessel/core/export.h"
#include "tessel/core/types.h"
#include "tessel/format/data_format.h"
#include "tessel/format/na_unit.h"

// The readout format a user selects for a marker.
enum MarkerFormatEnum : int {
    MkrLinMag = 0,
    MkrLogMag = 1,
    MkrPhase = 2,
    MkrDelay = 3,
    MkrReal = 4,
    MkrImag = 5,
    MkrSWR = 6,
    MkrLinMagPhase = 7,
    MkrLogMagPhase = 8,
    MkrImpedance = 9,
    MkrAdmittance = 10,
    MkrRealImag = 11,
    MkrKelvin = 12,
    MkrFahrenheit = 13,
    MkrCelsius = 14,
    MkrDefault = 15,  // the readout implied by the trace format
};

// The function `CMarkerMR::Compute` runs.
enum MarkerFunction : int {
    FuncNone = 0,
    FuncCurrent = 1,  // re-run the stored function when tracking is on
    FuncMax = 2,
    FuncNextPeak = 3,  // the next lower peak
    FuncPeakRight = 4,
    FuncPeakLeft = 5,
    FuncMin = 6,
    FuncTarget = 7,  // target to the right, wrapping to the far end
    FuncTargetLeft = 8,
    FuncTargetRight = 9,
    FuncCompression = 10,
};

// A normal marker reads the trace; a fixed one keeps a stored response and complex value.
// Other values (2 and 3 are known) are stored and passed on unchanged.
enum MarkerType : int {
    MkrNormal = 0,
    MkrFixed = 1,
};

namespace Tessel {

// The domain kind of the stimulus axis; 0 is the frequency axis. Other kinds are the host's
// integers, carried unchanged.
enum DomainEnum : int {
    DomainFrequency = 0,
    DomainKind3 = 3,  // the kind used when the data provider's UseDomainKind3 reports true
};

// State of the amplifier compression search; copied whole into results and saved records.
struct TESSEL_EXPORT CompressionData {
    bool computed = false;
    bool found = false;
    double compressionLevel = 1.0;  // dB below the first (small-signal) gain
    double measuredCompression = 1.0;
    double inputPower = 0.0;
    double outputPower = 0.0;
};

// The readout of one marker slot after an update.
struct TESSEL_EXPORT MarkerResult {
    // The bucket, rounded to the nearest point when the marker does not interpolate.
    double position = 0.0;
    float responseValue = 0.0f;
    NAUnit dataUnit = UnitNone;
    DataFormat dataFormat = FormatLogMag;
    TsComplex value{0.0f, 0.0f};
    // value minus the reference marker's value, or value without a reference.
    TsComplex deltaValue{0.0f, 0.0f};
    double stimulus = 0.0;       // absolute domain value
    double deltaStimulus = 0.0;  // minus the reference's domain value, when there is one
    long referenceMarkerNumber = 0;
    bool valid = false;
    MarkerFormatEnum displayFormat = MkrLogMag;
    // Minus the reference's values in the same format when there is a reference.
    float displayValues[3] = {0.0f, 0.0f, 0.0f};
    NAUnit displayUnits[3] = {UnitNone, UnitNone, UnitNone};
    CompressionData compression;
};

// The set-wide readouts of one trace: statistics and the amplifier and filter readouts.
struct TESSEL_EXPORT MarkerSetResults {
    DataFormat statisticsDataFormat = FormatLogMag;
    bool statisticsShowing = false;
    // The five statistics of QuorUtility::ComputeStats: s1, s2, s4 - s3, s5, s3, s4.
    double statistic1 = 0.0;
    double statistic2 = 0.0;
    double peakToPeak = 0.0;
    double statistic5 = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
    long activeMarkerNumber = 0;

    bool bandwidthOn = false;
    bool bandwidthValid = false;
    double bandwidthCentre = 0.0;
    double bandwidth = 0.0;
    double bandwidthLoss = 0.0;  // the value at the centre
    double bandwidthQ = 0.0;
    bool bandwidthPriority = false;

    bool psatOn = false;
    bool psatValid = false;
    bool psatPriority = false;
    double psatBackOff = 0.0;
    float psatBackOffValue = 0.0f;
    double psatBackOffStimulus = 0.0;
    float psatMaxValue = 0.0f;
    double psatMaxStimulus = 0.0;
    float psatFirstValue = 0.0f;
    double psatFirstStimulus = 0.0;

    bool nopOn = false;
    bool nopValid = false;
    bool nopPriority = false;
    double nopBackOff = 0.0;
    double nopOffset = 0.0;
    double nopOperatingValue = 0.0;
    double nopOperatingStimulus = 0.0;
    double nopMaxValue = 0.0;
    double nopMaxStimulus = 0.0;
    double nopBackOffValue = 0.0;
    double nopBackOffStimulus = 0.0;
    double nopFirstValue = 0.0;
    double nopFirstStimulus = 0.0;
};

}  // namespace Tessel
