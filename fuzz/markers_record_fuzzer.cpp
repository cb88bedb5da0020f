// SPDX-License-Identifier: Apache-2.0
// libFuzzer target: arbitrary bytes recalled as marker-set and marker records, and loaded as
// the marker set's archive form.
//
// The bytes are recalled three ways: as a whole marker-set record; as one marker record behind
// a valid set header (so every byte reaches the marker record reader); and as the archive
// form. A recall either succeeds or is refused with kInvalidArg; the archive form loads or
// throws QuorException with the archive's code or the unsupported-version code. A record that
// recalls must save to bytes that recall and save to the same bytes, and its markers must
// update over a small trace. Anything else (a crash, a read past the given size, a leak, another
// exception) is a finding.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/archive/c_archive.h"
#include "platform/measutil/quor_exception.h"
#include "tessel/core/status.h"
#include "tessel/markers/internal/test_trace.h"
#include "tessel/markers/marker_set.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Tessel::CMarkerSet;

void Check(bool ok) {
    if (!ok)
        std::abort();
}

Bytes Save(const CMarkerSet& set) {
    Bytes bytes(static_cast<std::size_t>(set.SaveData(nullptr, 0)));
    Check(set.SaveData(bytes.data(), static_cast<int>(bytes.size())) ==
          static_cast<int>(bytes.size()));
    return bytes;
}

// Recalls `record` (exactly `size` bytes, copied so that a read past them is caught) into a
// set over a small trace, then checks the round trip and updates the markers.
void Recall(const std::uint8_t* data, std::size_t size) {
    const Bytes record(data, data + size);
    Tessel::testing::TestTrace trace(11, 1e9, 2e9);
    trace.Complex([](double f) { return Tessel::testing::Resonator(f, 1.5e9, 3e8); });
    trace.SetUserRange(1, 1.2e9, 1.4e9);
    CMarkerSet set;
    set.SetDataProvider(&trace);
    const long used = set.RecallData(record.data(), static_cast<int>(record.size()));
    if (used == Tessel::kInvalidArg)
        return;
    Check(used > 0 && used <= static_cast<long>(size));
    const Bytes saved = Save(set);
    CMarkerSet again;
    Check(again.RecallData(saved.data(), static_cast<int>(saved.size())) ==
          static_cast<long>(saved.size()));
    Check(Save(again) == saved);
    std::vector<Tessel::MarkerResult> results;
    Tessel::MarkerSetResults setResults;
    set.ProcessData(true, false, &setResults, results);
    set.ProcessData(false, true, &setResults, results);
    set.ComputeStatistics(&setResults);
}

// A version 3 set header announcing one marker record of `size` bytes.
Bytes OneMarkerHeader(std::size_t size) {
    Bytes h(34, 0);
    h[0] = 35;
    h[4] = 3;
    h[25] = 1;
    const auto n = static_cast<std::uint32_t>(size);
    std::memcpy(&h[29], &n, 4);  // not read back; the value only fills the field
    return h;
}

void LoadArchive(const std::uint8_t* data, std::size_t size) {
    Bytes bytes(data, data + size);
    CMarkerSet set;
    try {
        CArchive in(bytes, CArchive::load);
        set.Serialize(in);
    } catch (const QuorException& e) {
        Check(e.Code() == Tessel::kArchiveError || e.Code() == Tessel::kUnsupportedVersion);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 16)
        return 0;
    Recall(data, size);
    Bytes wrapped = OneMarkerHeader(size);
    wrapped.insert(wrapped.end(), data, data + size);
    Recall(wrapped.data(), wrapped.size());
    LoadArchive(data, size);
    return 0;
}
