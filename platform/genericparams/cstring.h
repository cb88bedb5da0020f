// SPDX-License-Identifier: Apache-2.0
// CStringT: the application framework's wide-string class, as far as hardware settings use it.
//
// A value type over a std::wstring: construction from wide text, length, access to the
// characters, comparison, concatenation and wide-stream output (the text itself).
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "tessel/core/export.h"

class TESSEL_EXPORT CStringT {
  public:
    CStringT() = default;
    // A null pointer gives the empty string.
    CStringT(const wchar_t* text) : text_(text == nullptr ? L"" : text) {}  // NOLINT implicit
    CStringT(const std::wstring& text) : text_(text) {}                     // NOLINT implicit

    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    void Empty() { text_.clear(); }
    // The zero-terminated characters, valid until the string changes.
    const wchar_t* GetString() const { return text_.c_str(); }
    const std::wstring& str() const { return text_; }

    CStringT& operator+=(const CStringT& o) {
        text_ += o.text_;
        return *this;
    }
    friend CStringT operator+(CStringT a, const CStringT& b) { return a += b; }
    friend bool operator==(const CStringT& a, const CStringT& b) { return a.text_ == b.text_; }
    friend bool operator!=(const CStringT& a, const CStringT& b) { return a.text_ != b.text_; }
    friend bool operator<(const CStringT& a, const CStringT& b) { return a.text_ < b.text_; }

  private:
    std::wstring text_;
};

inline std::wostream& operator<<(std::wostream& out, const CStringT& s) {
    return out << s.str();
}
