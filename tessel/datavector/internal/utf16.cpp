// SPDX-License-Identifier: Apache-2.0
#include "tessel/datavector/internal/utf16.h"

namespace Tessel::internal {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::u16string ToUtf16(const std::wstring& text) {
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t wc : text) {
        char32_t c = static_cast<char32_t>(wc);
        if (c > 0x10FFFF)
            c = kReplacement;
        if (c <= 0xFFFF) {
            out.push_back(static_cast<char16_t>(c));  // includes lone surrogates, kept as is
        } else {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        }
    }
    return out;
}

std::wstring FromUtf16(const char16_t* units, std::size_t count) {
    std::wstring out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t c = units[i];
        if (IsHighSurrogate(c) && i + 1 < count && IsLowSurrogate(units[i + 1])) {
            const char32_t low = units[++i];
            out.push_back(static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00)));
        } else {
            out.push_back(static_cast<wchar_t>(c));
        }
    }
    return out;
}

}  // namespace Tessel::internal
