// SPDX-License-Identifier: Apache-2.0
#include "tessel/receivers/internal/name_grammar.h"

#include <climits>

namespace Tessel::internal {

const NamePatterns& Patterns() {
    // A function-local static is built once, thread-safely, on first use.
    static const NamePatterns patterns{
        std::regex(R"(^[Ss](((\d)(\d))|((\d+)[_.](\d+)))$)", std::regex::ECMAScript),
        std::regex(R"(^(([A-Z]|R\d*)|([AaBb](\d+)))[,_](\d+)$)", std::regex::ECMAScript),
        std::regex(R"(^((([A-Z]|R\d*)/?([A-Z]|R\d*))|(([AaBb](\d+))/?([AaBb](\d+))))[,_](\d+)$)",
                   std::regex::ECMAScript)};
    return patterns;
}

std::string ToNarrow(const std::wstring& text) {
    std::string narrow(text.size(), '?');
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] > 0 && text[i] < 128) {
            narrow[i] = static_cast<char>(text[i]);
        }
    }
    return narrow;
}

int ParseDecimal(const std::string& digits) {
    long long value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + (c - '0');
        if (value >= INT_MAX) {
            return INT_MAX;
        }
    }
    return static_cast<int>(value);
}

int PortIndex(int port) {
    return port == INT_MIN ? INT_MIN : port - 1;
}

std::wstring ReceiverName(wchar_t letter, long long number) {
    return std::wstring(1, letter) + std::to_wstring(number);
}

}  // namespace Tessel::internal
