// SPDX-License-Identifier: Apache-2.0
// The saved record of a limit test: a 44-byte header and 32 bytes per row, little-endian,
// written and read field by field.
//
//   0  int32   tag, 45 (not examined on reading)
//   4  int32   version, 1
//   8  int32   rows n
//  12  uint16  response max mode       14  uint16  stimulus mode
//  16  uint16  response min mode       18  uint16  overall result
//  20  float   response max offset     24  float   response min offset
//  28  double  stimulus offset         36  double  start stimulus
//  44  n rows: double begin stimulus, double end stimulus, float begin response,
//      float end response, int32 type, 4 zero bytes
#include <cstring>

#include "tessel/datavector/internal/endian.h"
#include "tessel/limittest/internal/limit_test_data.h"

namespace Tessel::internal {
namespace {

void StoreLEDouble(unsigned char* p, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    StoreLE32(p, static_cast<std::uint32_t>(bits));
    StoreLE32(p + 4, static_cast<std::uint32_t>(bits >> 32));
}

double LoadLEDouble(const unsigned char* p) {
    const std::uint64_t bits = std::uint64_t{LoadLE32(p)} | (std::uint64_t{LoadLE32(p + 4)} << 32);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void StoreLEInt32(unsigned char* p, std::int32_t v) {
    StoreLE32(p, static_cast<std::uint32_t>(v));
}

std::int32_t LoadLEInt32(const unsigned char* p) {
    return static_cast<std::int32_t>(LoadLE32(p));
}

// Modes and the overall result travel as their low 16 bits.
void StoreLE16Field(unsigned char* p, std::int32_t v) {
    StoreLE16(p, static_cast<std::uint16_t>(v));
}

template <typename Enum>
Enum LoadLE16Field(const unsigned char* p) {
    return static_cast<Enum>(LoadLE16(p));
}

void StoreRow(unsigned char* p, const LimitSegment& row) {
    StoreLEDouble(p, row.beginStimulus);
    StoreLEDouble(p + 8, row.endStimulus);
    StoreLEFloat(p + 16, row.beginResponse);
    StoreLEFloat(p + 20, row.endResponse);
    StoreLEInt32(p + 24, row.type);
    StoreLE32(p + 28, 0);
}

LimitSegment LoadRow(const unsigned char* p) {
    LimitSegment row;
    row.beginStimulus = LoadLEDouble(p);
    row.endStimulus = LoadLEDouble(p + 8);
    row.beginResponse = LoadLEFloat(p + 16);
    row.endResponse = LoadLEFloat(p + 20);
    row.type = LoadLEInt32(p + 24);
    return row;
}

}  // namespace

int RecordSize(const LimitTestData& d) {
    return LimitTest::kRecordHeaderSize +
           LimitTest::kRecordRowSize * static_cast<int>(d.table.size());
}

void WriteRecord(const LimitTestData& d, Interface::LimitTestResult_t overall,
                 unsigned char* bytes) {
    StoreLEInt32(bytes, LimitTest::kRecordTag);
    StoreLEInt32(bytes + 4, LimitTest::kRecordVersion);
    StoreLEInt32(bytes + 8, static_cast<std::int32_t>(d.table.size()));
    StoreLE16Field(bytes + 12, d.responseMaxMode);
    StoreLE16Field(bytes + 14, d.stimulusMode);
    StoreLE16Field(bytes + 16, d.responseMinMode);
    StoreLE16Field(bytes + 18, overall);
    StoreLEFloat(bytes + 20, d.responseMaxOffset);
    StoreLEFloat(bytes + 24, d.responseMinOffset);
    StoreLEDouble(bytes + 28, d.stimulusOffset);
    StoreLEDouble(bytes + 36, d.startStimulus);
    unsigned char* p = bytes + LimitTest::kRecordHeaderSize;
    for (const LimitSegment& row : d.table) {
        StoreRow(p, row);
        p += LimitTest::kRecordRowSize;
    }
}

bool ReadRecord(const unsigned char* bytes, std::size_t size, LimitTestData& d,
                Interface::LimitTestResult_t& overall) {
    using Mode = Interface::LimitTestStimRespMode_t;
    // Every check precedes the read it guards; nothing is changed before all have passed.
    if (size < 8 || LoadLEInt32(bytes + 4) != LimitTest::kRecordVersion)
        return false;
    if (size < static_cast<std::size_t>(LimitTest::kRecordHeaderSize))
        return false;
    const std::int32_t rows = LoadLEInt32(bytes + 8);
    if (rows < 0 || rows > LimitTest::kMaxSegments)
        return false;
    const std::size_t n = static_cast<std::size_t>(rows);
    if (size < LimitTest::kRecordHeaderSize + n * LimitTest::kRecordRowSize)
        return false;
    d.responseMaxMode = LoadLE16Field<Mode>(bytes + 12);
    d.stimulusMode = LoadLE16Field<Mode>(bytes + 14);
    d.responseMinMode = LoadLE16Field<Mode>(bytes + 16);
    overall = LoadLE16Field<Interface::LimitTestResult_t>(bytes + 18);
    d.responseMaxOffset = LoadLEFloat(bytes + 20);
    d.responseMinOffset = LoadLEFloat(bytes + 24);
    d.stimulusOffset = LoadLEDouble(bytes + 28);
    d.startStimulus = LoadLEDouble(bytes + 36);
    d.table.resize(n);
    const unsigned char* p = bytes + LimitTest::kRecordHeaderSize;
    for (std::size_t i = 0; i < n; ++i, p += LimitTest::kRecordRowSize)
        d.table[i] = LoadRow(p);
    return true;
}

}  // namespace Tessel::internal
