// SPDX-License-Identifier: Apache-2.0
// Builds against an installed tessel through find_package and runs one correction.
#include <tessel/tessel.h>

int main() {
    QuorUtility::TsComplex raw[2] = {{0.5f, 0.25f}, {1.0f, -1.0f}};
    QuorUtility::TsComplex tracking[2] = {{2.0f, 0.0f}, {0.0f, 1.0f}};
    QuorUtility::TsComplex out[2];
    if (Tessel::CorrectResponse(raw, tracking, out, 0, 2) != 0) return 1;
    // 0.5+0.25j / 2 = 0.25+0.125j; (1-1j) / j = -1-1j
    const bool ok = out[0].re == 0.25f && out[0].im == 0.125f && out[1].re == -1.0f &&
                    out[1].im == -1.0f;
    return ok ? 0 : 1;
}
