// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/quor_exception.h"

#include <cstdio>

const char* QuorException::what() const noexcept {
    try {
        char code[32];
        std::snprintf(code, sizeof code, "QuorException 0x%08X",
                      static_cast<unsigned>(static_cast<unsigned long>(code_) & 0xFFFFFFFFu));
        what_ = code;
        if (!texts_.empty()) {
            what_ += ": ";
            // Wide texts are rendered with non-ASCII characters replaced by '?'.
            for (wchar_t c : texts_.front())
                what_ += (c >= 0x20 && c < 0x7F) ? char(c) : '?';
        }
        return what_.c_str();
    } catch (...) {
        return "QuorException";
    }
}
