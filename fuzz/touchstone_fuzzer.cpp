// SPDX-License-Identifier: Apache-2.0
// libFuzzer target: arbitrary bytes read as Touchstone text.
//
// A leading digit is the port count the file name would give (0: a version 2 file that names
// its own); without one the text is read as a two-port file. Reading may throw the documented
// TouchstoneError, whose message is one line; anything else (another exception, a crash, a
// leak, a read out of bounds, a huge allocation) is a finding. Whatever reads must have a
// matrix per point and a reference per port, must write in the version it was read in and read
// back to the same values, and converts to S or refuses with a TouchstoneError.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tessel/touchstone/touchstone.h"

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    int ports = 2;
    if (!text.empty() && text[0] >= '0' && text[0] <= '9') {
        ports = text[0] - '0';
        text.erase(0, 1);
    }
    Tessel::TouchstoneData d;
    try {
        d = Tessel::ParseTouchstone(text, ports, "fuzz.sNp");
    } catch (const Tessel::TouchstoneError& e) {
        Check(std::string(e.what()).find('\n') == std::string::npos);
        return 0;
    }
    const size_t n = static_cast<size_t>(d.ports);
    Check(n >= 1 && n <= 99 && d.referenceOhms.size() == n && !d.frequencyHz.empty());
    Check(d.data.size() == d.frequencyHz.size() * n * n);

    const Tessel::TouchstoneData back = Tessel::ParseTouchstone(
        Tessel::FormatTouchstone(d, d.version), d.version == 1 ? d.ports : 0, "written");
    Check(back.frequencyHz == d.frequencyHz && back.referenceOhms == d.referenceOhms);
    Check(back.data == d.data && back.noise.size() == d.noise.size());
    Check(back.matrixFormat == d.matrixFormat && back.minorVersion == d.minorVersion);
    Check(back.mixedModeOrder == d.mixedModeOrder && back.information == d.information);

    try {
        Tessel::ConvertToS(d);
    } catch (const Tessel::TouchstoneError&) {
    }
    return 0;
}
