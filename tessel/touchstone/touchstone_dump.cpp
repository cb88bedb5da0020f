// SPDX-License-Identifier: Apache-2.0
// touchstone_dump FILE: prints what the reader makes of a Touchstone file, converted to S.
//
//   ports <n> points <m> noise <k>
//   <frequency Hz> <re S11> <im S11> <re S12> <im S12> ...   one line per point, row-major
//   noise <frequency Hz> <NFmin dB> <|Gopt|> <angle Gopt deg> <Rn normalized>
//
// Exit status 1 with the reader's message on standard error when the file is refused.
#include <cstdio>

#include "tessel/touchstone/touchstone.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: touchstone_dump FILE\n");
        return 2;
    }
    try {
        Tessel::TouchstoneData d = Tessel::ReadTouchstoneFile(argv[1]);
        Tessel::ConvertToS(d);
        std::printf("ports %d points %zu noise %zu\n", d.ports, d.frequencyHz.size(),
                    d.noise.size());
        for (size_t i = 0; i < d.frequencyHz.size(); ++i) {
            std::printf("%.17g", d.frequencyHz[i]);
            for (int k = 0; k < d.ports * d.ports; ++k) {
                const auto& v = d.data[i * d.ports * d.ports + k];
                std::printf(" %.9g %.9g", v.re, v.im);
            }
            std::printf("\n");
        }
        for (const auto& p : d.noise) {
            std::printf("noise %.17g %.17g %.17g %.17g %.17g\n", p.frequencyHz, p.minNoiseFigureDb,
                        p.gammaOptMagnitude, p.gammaOptAngleDeg, p.noiseResistance);
        }
    } catch (const Tessel::TouchstoneError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
