// SPDX-License-Identifier: Apache-2.0
// libFuzzer target: arbitrary bytes recalled as limit-test records, with arbitrary sizes.
//
// The first input byte picks how much of the rest the recall is told it may read (all of it,
// or less); the bytes are copied into a heap block of exactly that size, so a read past the
// given size is an AddressSanitizer finding. A recalled table must hold at most 100 rows, and
// a record that loaded must save back to its own bytes (with the tag 45 and zero reserved
// bytes). The recalled settings then drive a full test over a short axis, rescale included,
// so that whatever values a record carries (NaN, infinities, any mode or type) go through the
// limit cache and the test without a crash or undefined behaviour.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "tessel/limittest/limittest.h"

namespace {

using Tessel::LimitTest;

void Check(bool ok) {
    if (!ok)
        std::abort();
}

std::vector<unsigned char> Saved(LimitTest& t) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(t.SaveData(nullptr, 0)));
    Check(t.SaveData(bytes.data(), static_cast<int>(bytes.size())) ==
          static_cast<int>(bytes.size()));
    return bytes;
}

// The record a loaded input must save back to: its first 44 + 32·n bytes with the tag
// rewritten and the reserved bytes of every row zeroed.
std::vector<unsigned char> Normalised(const unsigned char* bytes, std::size_t rows) {
    std::vector<unsigned char> r(
        bytes, bytes + LimitTest::kRecordHeaderSize + rows * LimitTest::kRecordRowSize);
    const unsigned char tag[4] = {45, 0, 0, 0};
    std::memcpy(r.data(), tag, 4);
    for (std::size_t k = 0; k < rows; ++k)
        std::memset(&r[LimitTest::kRecordHeaderSize + k * LimitTest::kRecordRowSize + 28], 0, 4);
    return r;
}

void Exercise(LimitTest& t) {
    const Tessel::InputArray axis(Tessel::Segment::Log(1e6, 1e9, 16));
    t.SetXAxis(axis, false);
    std::vector<float> data(20, 1.0f);
    data[3] = NAN;
    std::vector<Interface::LimitTestResult_t> results(20);
    Interface::LimitTestResult_t overall;
    t.ProcessData(data, Tessel::FormatPhase, 0, 20, overall, results);
    t.SetXAxis(Tessel::InputArray(Tessel::Segment::Linear(-5, 5, 11)), true);
    t.ProcessData(data, Tessel::FormatLogMag, 2, 20, overall, results);
    for (auto r : results)
        Check(r == Interface::LimitFail || r == Interface::LimitPass ||
              r == Interface::LimitNoResult);
    double line[LimitTest::kMaxSegments * LimitTest::kItemsPerSegment];
    Check(t.GetLimitLineValues(0, t.GetNumOfData(), line) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // A first byte below 128 gives the whole rest; above, a cut at a multiple of 27 bytes.
    const std::size_t given =
        std::min<std::size_t>(size - 1, data[0] < 128 ? size : (data[0] - 128) * 27u);
    // An exact-size heap copy (new of zero bytes still gives a non-null pointer).
    std::unique_ptr<unsigned char[]> record(new unsigned char[given]);
    std::memcpy(record.get(), data + 1, given);
    LimitTest t;
    const std::vector<unsigned char> before = Saved(t);
    t.RecallData(record.get(), static_cast<int>(given));
    Check(t.axisNeeded);
    Check(t.GetNumOfSegments() >= 0 && t.GetNumOfSegments() <= LimitTest::kMaxSegments);
    const std::vector<unsigned char> after = Saved(t);
    if (after != before) {
        const auto rows = static_cast<std::size_t>(t.GetNumOfSegments());
        Check(after == Normalised(record.get(), rows));
    }
    Exercise(t);
    return 0;
}
