// SPDX-License-Identifier: Apache-2.0
// CMarkerMR saved record: 129 bytes, little-endian, written field by field.
//
//   0  int32   record size, 129          4  int32   version, 5
//   8  int32   marker number            12  int32   user range
//  16  int32   reference marker number  20  double  peak threshold
//  28  double  peak excursion           36  double  target value
//  44  double  bucket                   52  double  domain value
//  60  uint8   marker format            61  uint8   marker type
//  62  uint8   function tracking        63  uint8   marker function
//  64  uint8   interpolate              65  double  relative position
//  73  compression: computed (1), found (1), 6 reserved, level, measured compression,
//      input power, output power (doubles)
// 113  float   range value, real       117  float   range value, imaginary
// 121  double  response value
//
// Older versions hold a prefix of these fields: versions 1 to 3 end before the compression
// block (version 1 also before the relative position), version 4 before the range value.
#include <cstdint>

#include "tessel/core/status.h"
#include "tessel/markers/internal/record_bytes.h"
#include "tessel/markers/marker.h"

namespace Tessel {

namespace {

// Bytes a record of each version must hold to be read.
int RequiredSize(int version) {
    switch (version) {
        case 1:
            return 65;
        case 2:
        case 3:
            return 73;
        case 4:
            return 113;
        default:
            return CMarkerMR::kRecordSize;
    }
}

}  // namespace

int CMarkerMR::SaveData(void* buffer, int size) const {
    if (buffer == nullptr)
        return kRecordSize;
    if (size < kRecordSize)
        return 0;
    internal::RecordWriter w(static_cast<unsigned char*>(buffer));
    w.I32(kRecordSize);
    w.I32(kRecordVersion);
    w.I32(static_cast<std::int32_t>(markerNumber));
    w.I32(static_cast<std::int32_t>(userRange));
    w.I32(static_cast<std::int32_t>(referenceMarkerNumber));
    w.F64(peakThreshold);
    w.F64(peakExcursion);
    w.F64(targetValue);
    w.F64(bucket);
    w.F64(domainValue);
    w.U8(static_cast<std::uint8_t>(markerFormat));
    w.U8(static_cast<std::uint8_t>(markerType));
    w.U8(functionTracking ? 1 : 0);
    w.U8(static_cast<std::uint8_t>(markerFunction));
    w.U8(interpolate ? 1 : 0);
    w.F64(relativePosition);
    w.U8(compression.computed ? 1 : 0);
    w.U8(compression.found ? 1 : 0);
    w.Zeros(6);
    w.F64(compression.compressionLevel);
    w.F64(compression.measuredCompression);
    w.F64(compression.inputPower);
    w.F64(compression.outputPower);
    w.F32(rangeValue.re);
    w.F32(rangeValue.im);
    w.F64(responseValue);
    return kRecordSize;
}

long CMarkerMR::RecallData(const void* record, int size) {
    if (record == nullptr || size < 8)
        return kInvalidArg;
    internal::RecordReader r(static_cast<const unsigned char*>(record), size);
    const std::int32_t recordSize = r.I32();
    const std::int32_t version = r.I32();
    if (version < 1 || version > kRecordVersion)
        return recordSize;
    if (size < RequiredSize(version))
        return kInvalidArg;
    markerNumber = r.I32();
    userRange = r.I32();
    referenceMarkerNumber = r.I32();
    peakThreshold = static_cast<float>(r.F64());
    peakExcursion = static_cast<float>(r.F64());
    targetValue = static_cast<float>(r.F64());
    bucket = r.F64();
    domainValue = desiredDomainValue = r.F64();
    markerFormat = static_cast<MarkerFormatEnum>(r.U8());
    if (version < 3 && markerFormat == MkrKelvin)
        markerFormat = MkrDefault;
    markerType = static_cast<MarkerType>(r.U8());
    functionTracking = r.U8() != 0;
    markerFunction = static_cast<MarkerFunction>(r.U8());
    interpolate = r.U8() != 0;
    if (version >= 2)
        relativePosition = r.F64();
    if (version >= 4) {
        compression.computed = r.U8() != 0;
        compression.found = r.U8() != 0;
        r.Skip(6);
        compression.compressionLevel = r.F64();
        compression.measuredCompression = r.F64();
        compression.inputPower = r.F64();
        compression.outputPower = r.F64();
    }
    if (version >= 5) {
        rangeValue.re = r.F32();
        rangeValue.im = r.F32();
        responseValue = r.F64();
    }
    return recordSize;
}

}  // namespace Tessel
