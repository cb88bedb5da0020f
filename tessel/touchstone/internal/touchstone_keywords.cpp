// SPDX-License-Identifier: Apache-2.0
// Version 2 keyword helpers: keyword names and [Mixed-Mode Order] lists.
#include "tessel/touchstone/internal/touchstone_keywords.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace Tessel::internal {

namespace {

// Reads a port number of one to two digits at s[k]; advances k. 0 when there is none (port
// counts stop at 99, so longer numbers cannot name a port).
int PortNumber(const std::string& s, size_t& k) {
    int v = 0;
    size_t digits = 0;
    while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])) && digits < 3) {
        v = v * 10 + (s[k++] - '0');
        ++digits;
    }
    return digits == 0 || digits > 2 ? 0 : v;
}

bool ParseEntry(const std::string& tok, TsMixedModeEntry& e) {
    if (tok.empty())
        return false;
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(tok[0])));
    size_t k = 1;
    e = TsMixedModeEntry();
    e.port1 = PortNumber(tok, k);
    if (kind == 'S') {
        e.mode = TsMode::SingleEnded;
    } else if (kind == 'D' || kind == 'C') {
        e.mode = kind == 'D' ? TsMode::Differential : TsMode::Common;
        if (k >= tok.size() || tok[k] != ',')
            return false;
        ++k;
        e.port2 = PortNumber(tok, k);
        if (e.port2 == 0)
            return false;
    } else {
        return false;
    }
    return e.port1 != 0 && k == tok.size();
}

}  // namespace

std::string KeywordOf(const std::string& line) {
    const size_t close = line.find(']');
    std::string key;
    if (close == std::string::npos)
        return key;
    std::istringstream in(line.substr(1, close - 1));
    std::string word;
    while (in >> word) {
        for (char& c : word)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        key += (key.empty() ? "" : " ") + word;
    }
    return key;
}

std::string Quoted(const std::string& tok) {
    std::string q = "\"";
    for (size_t k = 0; k < tok.size() && k < 24; ++k) {
        const unsigned char c = static_cast<unsigned char>(tok[k]);
        q += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
    }
    return q + (tok.size() > 24 ? "...\"" : "\"");
}

std::string ParseMixedModeOrder(const std::string& text, int ports,
                                std::vector<TsMixedModeEntry>& order) {
    order.clear();
    std::istringstream in(text);
    std::string tok;
    while (in >> tok) {
        TsMixedModeEntry e;
        if (!ParseEntry(tok, e)) {
            return "D<p>,<n>, C<p>,<n> or S<p> entries after [Mixed-Mode Order], found " +
                   Quoted(tok);
        }
        order.push_back(e);
        if (order.size() > static_cast<size_t>(ports))
            break;  // too many: reported by the check, without reading the rest
    }
    return CheckMixedModeOrder(order, ports);
}

std::string CheckMixedModeOrder(const std::vector<TsMixedModeEntry>& order, int ports) {
    if (order.size() != static_cast<size_t>(ports)) {
        return std::to_string(ports) + " entries after [Mixed-Mode Order], found " +
               (order.size() > static_cast<size_t>(ports) ? "more" : std::to_string(order.size()));
    }
    std::vector<int> uses(static_cast<size_t>(ports) + 1, 0);
    for (const TsMixedModeEntry& e : order) {
        if (static_cast<unsigned>(e.mode) > static_cast<unsigned>(TsMode::SingleEnded))
            return "D, C or S entries in [Mixed-Mode Order]";
        const bool pair = e.mode != TsMode::SingleEnded;
        if (e.port1 < 1 || e.port1 > ports ||
            (pair ? e.port2 < 1 || e.port2 > ports : e.port2 != 0)) {
            return "port numbers from 1 to " + std::to_string(ports) + " in [Mixed-Mode Order]";
        }
        if (pair && e.port1 == e.port2)
            return "two different ports in each [Mixed-Mode Order] pair";
        if (e.mode == TsMode::Common) {
            const TsMixedModeEntry d{TsMode::Differential, e.port1, e.port2};
            if (std::count(order.begin(), order.end(), d) != 1 ||
                std::count(order.begin(), order.end(), e) != 1) {
                return "one D and one C entry per pair in [Mixed-Mode Order], found C" +
                       std::to_string(e.port1) + "," + std::to_string(e.port2);
            }
            continue;  // the D entry counts the ports
        }
        ++uses[e.port1];
        if (pair)
            ++uses[e.port2];
    }
    for (int p = 1; p <= ports; ++p) {
        if (uses[p] != 1) {
            return "each port once in [Mixed-Mode Order], found port " + std::to_string(p) + " " +
                   std::to_string(uses[p]) + " times";
        }
    }
    // With every port used once and as many entries as ports, there are as many C as D entries,
    // and each C has its own D: every D has its C.
    return std::string();
}

std::string MixedModeOrderText(const std::vector<TsMixedModeEntry>& order) {
    std::string out;
    for (const TsMixedModeEntry& e : order) {
        if (!out.empty())
            out += ' ';
        out += e.mode == TsMode::Differential ? 'D' : e.mode == TsMode::Common ? 'C' : 'S';
        out += std::to_string(e.port1);
        if (e.mode != TsMode::SingleEnded)
            out += "," + std::to_string(e.port2);
    }
    return out;
}

}  // namespace Tessel::internal
