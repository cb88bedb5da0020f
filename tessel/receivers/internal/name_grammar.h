// SPDX-License-Identifier: Apache-2.0
// The grammar of parameter names: the three compiled name patterns and the small text helpers
// that parsing and slot naming share.
#pragma once

#include <cstddef>
#include <string>

// GCC 12 reports a false maybe-uninitialized warning inside <regex> under sanitizers.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace Tessel::internal {

// The three ECMAScript patterns of a parameter name, compiled on first use and kept for the life
// of the process. Group numbers used by the parser:
//   sParameter: 3, 4 the two single digits; 6, 7 the numbers around "_" or ".";
//   receiver:   2 a logical receiver; 3 a physical one with its number in 4; 5 the source port;
//   ratio:      3, 4 the logical receivers; 6 (number 7), 8 (number 9) the physical ones;
//               10 the source port.
struct NamePatterns {
    std::regex sParameter;
    std::regex receiver;
    std::regex ratio;
};
const NamePatterns& Patterns();

// Texts longer than this are not matched against the patterns. The regular-expression engine
// recurses once per character, so very long texts could exhaust the caller's stack; no real
// parameter name comes near this length.
inline constexpr std::size_t kMaxPatternText = 256;

// The text as a narrow string for matching: ASCII characters as they are, every other character
// as '?', which no pattern accepts (so a wide character never aliases an ASCII one).
std::string ToNarrow(const std::wstring& text);

// The decimal number of the digit run `digits` (may be empty: 0), saturated at INT_MAX.
int ParseDecimal(const std::string& digits);

// port - 1, saturated at INT_MIN: the 0-based index of a 1-based port.
int PortIndex(int port);

// "<letter><number>" for a receiver name ("b2", "a10"); `number` printed as a 64-bit value so
// that index + 1 never overflows.
std::wstring ReceiverName(wchar_t letter, long long number);

}  // namespace Tessel::internal
