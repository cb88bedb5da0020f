// SPDX-License-Identifier: Apache-2.0
// CMarkerSet saved record and archive form.
//
// Saved record, little-endian:
//    0 int32  35 (written, never read back)   4 int32 version, 3
//    8 int32  active marker number           12 uint8 statistics showing
//   13 int32  statistics user range          17 uint8 process-wide coupled-markers flag
//   18 float  bandwidth level                22 uint8 bandwidth tracking
//   23 uint8  bandwidth on                   24 uint8 bandwidth priority
//   25 int32  number of marker records       29 int32 total length of the marker records
//   33 uint8  this set's coupled-markers flag
//   34        the 129-byte marker records, in marker-number order
// Version 1 records lack byte 33; their marker records start at 33.
//
// Recall restores byte 17 into the process-wide flag (it was saved from it) and byte 33 into
// the set's own flag; a version 1 record, which has only byte 17, gives it to both. The total
// length field is not needed to read the record and is not checked: each marker record's own
// size field says where the next one starts.
//
// Archive form (CArchive): int32 version 1; double PSat back-off; int32 PSat priority, on,
// tracking; double NOP back-off, NOP offset; int32 NOP priority, on, tracking.
#include <cstdint>
#include <memory>

#include "platform/archive/c_archive.h"
#include "platform/measutil/quor_exception.h"
#include "tessel/core/status.h"
#include "tessel/markers/internal/record_bytes.h"
#include "tessel/markers/marker_set.h"

namespace Tessel {

namespace {

// The smallest marker record, version 1.
constexpr int kMinMarkerRecord = 65;

}  // namespace

int CMarkerSet::SaveData(void* buffer, int size) const {
    int count = 0;
    for (const CMarkerMR* m : markers)
        count += m != nullptr ? 1 : 0;
    const int total = kRecordHeaderSize + CMarkerMR::kRecordSize * count;
    if (buffer == nullptr)
        return total;
    if (size < total)
        return 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    internal::RecordWriter w(bytes);
    w.I32(kRecordHeaderSize + 1);
    w.I32(kRecordVersion);
    w.I32(static_cast<std::int32_t>(readouts.activeMarkerNumber));
    w.U8(readouts.statisticsShowing ? 1 : 0);
    w.I32(static_cast<std::int32_t>(statsUserRange));
    w.U8(m_bAllMeasCoupledMarkers ? 1 : 0);
    w.F32(bandwidthLevel);
    w.U8(bandwidthTracking ? 1 : 0);
    w.U8(readouts.bandwidthOn ? 1 : 0);
    w.U8(readouts.bandwidthPriority ? 1 : 0);
    w.I32(count);
    w.I32(CMarkerMR::kRecordSize * count);
    w.U8(coupledMarkers ? 1 : 0);
    int offset = kRecordHeaderSize;
    for (const CMarkerMR* m : markers) {
        if (m != nullptr)
            offset += m->SaveData(bytes + offset, CMarkerMR::kRecordSize);
    }
    return total;
}

long CMarkerSet::RecallData(const void* record, int size) {
    constexpr int kVersion1Header = kRecordHeaderSize - 1;
    if (record == nullptr || size < kVersion1Header)
        return kInvalidArg;
    const auto* bytes = static_cast<const unsigned char*>(record);
    internal::RecordReader r(bytes, size);
    r.Skip(4);
    const std::int32_t version = r.I32();
    const int header = version == 1 ? kVersion1Header : kRecordHeaderSize;
    if (version < 1 || size < header)
        return kInvalidArg;
    const std::int32_t active = r.I32();
    const bool showing = r.U8() != 0;
    const std::int32_t statsRange = r.I32();
    const bool allCoupled = r.U8() != 0;
    const float level = r.F32();
    const bool tracking = r.U8() != 0;
    const bool on = r.U8() != 0;
    const bool priority = r.U8() != 0;
    const std::int32_t count = r.I32();
    r.Skip(4);
    const bool coupled = version >= 2 ? r.U8() != 0 : allCoupled;
    if (count < 0 || count > kMarkerCount)
        return kInvalidArg;

    std::unique_ptr<CMarkerMR> staged[kMarkerCount];
    int offset = header;
    for (int i = 0; i < count; ++i) {
        auto marker = std::unique_ptr<CMarkerMR>(new CMarkerMR(this));
        const long used = marker->RecallData(bytes + offset, size - offset);
        const long number = marker->markerNumber;
        if (used < kMinMarkerRecord || used > size - offset || number < 1 ||
            number > kMarkerCount || staged[number - 1] != nullptr)
            return kInvalidArg;
        staged[number - 1] = std::move(marker);
        offset += static_cast<int>(used);
    }

    DestroyMarkers();
    for (int k = 0; k < kMarkerCount; ++k)
        markers[k] = staged[k].release();
    readouts.activeMarkerNumber = active;
    readouts.statisticsShowing = showing;
    statsUserRange = statsRange;
    m_bAllMeasCoupledMarkers = allCoupled;
    bandwidthLevel = level;
    bandwidthTracking = tracking;
    readouts.bandwidthOn = on;
    readouts.bandwidthPriority = priority;
    coupledMarkers = coupled;
    for (CMarkerMR* m : markers) {
        if (m != nullptr)
            m->PutRefMarkerAfterRecall();
    }
    return offset;
}

void CMarkerSet::Serialize(CArchive& archive) {
    auto flag = [](bool b) { return static_cast<std::int32_t>(b ? 1 : 0); };
    if (archive.IsStoring()) {
        archive << static_cast<std::int32_t>(kArchiveVersion) << readouts.psatBackOff
                << flag(readouts.psatPriority) << flag(readouts.psatOn) << flag(psatTracking)
                << readouts.nopBackOff << readouts.nopOffset << flag(readouts.nopPriority)
                << flag(readouts.nopOn) << flag(nopTracking);
        return;
    }
    std::int32_t version = 0;
    archive >> version;
    if (version >= 2)
        throw QuorException(kUnsupportedVersion);
    // Read everything before changing anything, so a short archive leaves the set as it was.
    double psat = 0.0, nop = 0.0, offset = 0.0;
    std::int32_t psatFlags[3] = {}, nopFlags[3] = {};
    archive >> psat >> psatFlags[0] >> psatFlags[1] >> psatFlags[2] >> nop >> offset >>
        nopFlags[0] >> nopFlags[1] >> nopFlags[2];
    readouts.psatBackOff = psat;
    readouts.psatPriority = psatFlags[0] != 0;
    readouts.psatOn = psatFlags[1] != 0;
    psatTracking = psatFlags[2] != 0;
    readouts.nopBackOff = nop;
    readouts.nopOffset = offset;
    readouts.nopPriority = nopFlags[0] != 0;
    readouts.nopOn = nopFlags[1] != 0;
    nopTracking = nopFlags[2] != 0;
}

}  // namespace Tessel
