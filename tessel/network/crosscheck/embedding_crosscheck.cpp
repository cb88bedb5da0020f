// SPDX-License-Identifier: Apache-2.0
// The C++ half of the scikit-rf embedding cross-check: reads 4 × 4 fixture networks and two-port
// S-parameters from standard input, embeds the fixtures (argument "embed") or removes them by
// embedding their anti-networks (argument "deembed"), and prints the resulting S-parameters for
// skrf_embedding_crosscheck.py to compare.
//
// Input, whitespace-separated: the point count n; per point the 16 elements of the fixture's
// 4 × 4 S-matrix, row by row (ports 1-2 outer, 3-4 joined to measured ports 1 and 2); then per
// point the measured S11 S12 S21 S22. A complex value is its real and imaginary parts.
// Output: one line per point with the real and imaginary parts of S11 S12 S21 S22.
#include <iostream>
#include <string>

#include "tessel/network/anti_network.h"
#include "tessel/network/embedding.h"

using namespace Tessel;

namespace {

TsComplex ReadValue() {
    double re = 0, im = 0;
    std::cin >> re >> im;
    return TsComplex(float(re), float(im));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode != "embed" && mode != "deembed") {
        std::cerr << "usage: embedding_crosscheck embed|deembed < data\n";
        return 2;
    }
    int n = 0;
    std::cin >> n;
    if (!std::cin || n <= 0) {
        std::cerr << "bad point count\n";
        return 1;
    }
    ComplexMatrixVector fixtures(n, ComplexMatrix(4, 4));
    for (auto& e : fixtures)
        for (std::size_t k = 0; k < e.size(); ++k)
            e.data()[k] = ReadValue();
    DataMatrix data(2, {1, 2}, n);
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < 4; ++k)
            data(k / 2, k % 2)->OwnedData()[i] = ReadValue();
    if (!std::cin) {
        std::cerr << "input ended early\n";
        return 1;
    }
    long status = 0;
    if (mode == "deembed") {
        ComplexMatrixVector anti;
        status = CalculateAntiNetwork(fixtures, anti);
        fixtures.swap(anti);
    }
    if (status == 0)
        status = EmbedNetwork(0, n, {1, 2}, data, fixtures);
    if (status != 0) {
        std::cerr << "embedding failed, status " << status << "\n";
        return 1;
    }
    std::cout.precision(9);
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < 4; ++k) {
            const TsComplex z = data(k / 2, k % 2)->data[i];
            std::cout << (k ? " " : "") << z.re << ' ' << z.im;
        }
        std::cout << '\n';
    }
    return 0;
}
