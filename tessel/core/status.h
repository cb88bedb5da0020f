// SPDX-License-Identifier: Apache-2.0
// Status codes returned by tessel operations.
//
// Status results are 32-bit values in the HRESULT layout held in a `long`. Each code is defined
// from its 32-bit pattern and sign-extended, so every failure is negative even where `long` is
// 64 bits wide: callers test success with `status >= 0` (or `Tessel::Succeeded`).
#pragma once

#include <cstdint>

namespace Tessel {

// Returns the `long` status of a 32-bit HRESULT pattern, sign-extended.
constexpr long MakeStatus(std::uint32_t bits) {
    return static_cast<long>(static_cast<std::int32_t>(bits));
}

constexpr bool Succeeded(long status) { return status >= 0; }
constexpr bool Failed(long status) { return status < 0; }

// Successes.
inline constexpr long kOk = 0;
// Success with a note: a value was clamped, nothing changed, or a read ran past the end.
inline constexpr long kFalse = 1;
// Success: the setting already had the requested value.
inline constexpr long kUnchanged = 2;
// Success: a marker value was clamped to its allowed range.
inline constexpr long kMarkerValueClamped = MakeStatus(0x2808085E);

// Standard failures.
inline constexpr long kNotImplemented = MakeStatus(0x80004001);
inline constexpr long kNoObject = MakeStatus(0x80004003);
inline constexpr long kEmptyMarkerSlot = MakeStatus(0x80004004);
inline constexpr long kFail = MakeStatus(0x80004005);
inline constexpr long kUnexpected = MakeStatus(0x8000FFFF);
inline constexpr long kInvalidArg = MakeStatus(0x80070057);

// Application failures of the marker searches and amplifier readouts.
inline constexpr long kBandwidthNotFound = MakeStatus(0xE8040457);
inline constexpr long kNoQualifyingPeak = MakeStatus(0xE8040458);
inline constexpr long kTargetNotFound = MakeStatus(0xE8040459);
inline constexpr long kCompressionNotFound = MakeStatus(0xE8040477);
inline constexpr long kPSatInvalid = MakeStatus(0xE8040478);
inline constexpr long kNopInvalid = MakeStatus(0xE8040479);
inline constexpr long kRangeValueOnlyOnFixedMarker = MakeStatus(0xE804047B);

// Codes carried by exceptions (QuorException, or a thrown long).
inline constexpr long kArchiveError = MakeStatus(0xE8080882);
// The same code, reported to the application's error-report service when a search for the next
// lower peak finds none.
inline constexpr long kNextPeakNotFoundReport = MakeStatus(0xE8080882);
inline constexpr long kUnsupportedVersion = MakeStatus(0xE8080867);
inline constexpr long kNoMatchCorrectionState = MakeStatus(0xE8080852);

}  // namespace Tessel
