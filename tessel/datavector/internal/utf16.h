// SPDX-License-Identifier: Apache-2.0
// Conversion between wide strings (32-bit wchar_t code points) and UTF-16 code units.
//
// Stored records keep names in UTF-16. Characters above U+FFFF become surrogate pairs.
// Ill-formed input is carried through rather than rejected, as file systems that name files in
// UTF-16 do: an unpaired surrogate code unit loads as the wide character of the same value and
// stores back as that one unit, so such a name survives a store and a load unchanged. The only
// lossy cases: wide characters above U+10FFFF (not Unicode) are stored as U+FFFD, and a wide
// high surrogate directly followed by a wide low surrogate is stored as a pair and so loads as
// the one character the pair encodes.
#pragma once

#include <cstddef>
#include <string>

namespace Tessel::internal {

// The UTF-16 code units of `text`, without a terminator.
std::u16string ToUtf16(const std::wstring& text);

// The wide string of `count` UTF-16 code units; well-formed surrogate pairs are combined.
std::wstring FromUtf16(const char16_t* units, std::size_t count);

}  // namespace Tessel::internal
