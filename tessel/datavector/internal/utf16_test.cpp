// SPDX-License-Identifier: Apache-2.0
#include "tessel/datavector/internal/utf16.h"

#include <gtest/gtest.h>

namespace {

using Tessel::internal::FromUtf16;
using Tessel::internal::ToUtf16;

TEST(Utf16, PairsSupplementaryCharactersAndCarriesUnpairedSurrogatesThrough) {
    // U+1F600 = 0xD83D 0xDE00; U+10FFFF = 0xDBFF 0xDFFF; U+03A9 stays one unit.
    const std::wstring text = L"A\u03A9\U0001F600\U0010FFFF";
    const std::u16string units = {0x41, 0x3A9, 0xD83D, 0xDE00, 0xDBFF, 0xDFFF};
    EXPECT_EQ(ToUtf16(text), units);
    EXPECT_EQ(FromUtf16(units.data(), units.size()), text);
    // A lone high, a lone low, a high before a non-surrogate, a high at the very end.
    const std::u16string lone = {0xD800, 0x41, 0xDC00, 0xD83D, 0x42, 0xDBFF};
    const std::wstring loneText = {wchar_t(0xD800), L'A', wchar_t(0xDC00),
                                   wchar_t(0xD83D), L'B', wchar_t(0xDBFF)};
    EXPECT_EQ(FromUtf16(lone.data(), lone.size()), loneText);
    EXPECT_EQ(ToUtf16(loneText), lone);
    // Beyond Unicode: the replacement character.
    EXPECT_EQ(ToUtf16(std::wstring{wchar_t(0x110000), L'x'}), (std::u16string{0xFFFD, u'x'}));
}

}  // namespace
