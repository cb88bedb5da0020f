// SPDX-License-Identifier: Apache-2.0
// libFuzzer target: arbitrary wide strings parsed as parameter names, then requested from an IF
// mux setting.
//
// The input is split at '\n' into texts. Every other byte is one character, except 0xFF, which
// takes the next four bytes (little-endian) as one arbitrary 32-bit wide character, so seeds stay
// readable and every wchar_t value is reachable. Each text is parsed; the parsed parameters are
// requested from a four-port setting (the first byte chooses whether reference ratios are kept)
// and translated back into slot records. Any exception, crash, leak or out-of-bounds access is a
// finding; so is a result that breaks the invariants checked below.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "platform/services/host_services.h"
#include "tessel/receivers/if_mux_setting.h"
#include "tessel/receivers/parameter.h"

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

std::vector<std::wstring> Texts(const std::uint8_t* data, std::size_t size) {
    std::vector<std::wstring> texts(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            texts.emplace_back();
        } else if (data[i] == 0xFF && i + 4 < size) {
            std::uint32_t c = 0;
            for (int b = 0; b < 4; ++b) {
                c |= static_cast<std::uint32_t>(data[i + 1 + b]) << (8 * b);
            }
            texts.back().push_back(static_cast<wchar_t>(c));
            i += 4;
        } else {
            texts.back().push_back(static_cast<wchar_t>(data[i]));
        }
    }
    return texts;
}

void CheckParameter(const Parameter& p, const wchar_t* text) {
    const int kind = static_cast<int>(p.GetKind());
    Check(kind >= 0 && kind <= 6);
    Check(!(p < p));
    Check(p.GetName().empty() == (text[0] == L'\0'));
    Parameter copy = p;
    Check(!(copy < p) && !(p < copy));
    Check(copy.SetSParameter(p.GetNumeratorPort(), p.GetSourcePort()) == copy.IsValid());
    (void)p.GetDrivingPort();
}

bool Configure() {
    auto config = HostServices::CurrentConfiguration();
    config.auxReceivers = {{L"IFR,1", 1, L"", false}, {L"Pwr_2", 0, L"Sensor/Ref", true}};
    HostServices::SetConfiguration(config);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool configured = Configure();
    (void)configured;
    try {
        std::set<Parameter> requested;
        for (const std::wstring& text : Texts(data, size)) {
            const Parameter p(text.c_str());
            CheckParameter(p, text.c_str());
            requested.insert(p);
        }
        Tessel::IFMuxSetting setting(1, 0, -1, false);
        const bool fits = setting.RequestParameters(requested, size > 0 && (data[0] & 1) != 0);
        Check(fits != setting.IsInEightChannelMode());
        const int slots = static_cast<int>(setting.GetSlots().size());
        for (const Parameter& p : requested) {
            const PAParameter pa = setting.GetRatioedParameter(p);
            Check(pa.numerator.Slot() < slots && pa.denominator.Slot() < slots);
        }
    } catch (...) {
        std::abort();
    }
    return 0;
}
