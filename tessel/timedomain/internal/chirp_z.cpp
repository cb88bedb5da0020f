// SPDX-License-Identifier: Apache-2.0
// Chirp-z evaluation of a discrete Fourier sum on power-of-two FFTs.

#include "tessel/timedomain/internal/chirp_z.h"

#include <algorithm>
#include <cmath>

#include "platform/nsp/nsp.h"

namespace Tessel::internal {
namespace {

constexpr int kMaxOrder = 30;

constexpr long double kTwoPi = 6.283185307179586476925286766559L;

// The float sample exp(j·angle). The angle is formed and reduced to -π..π in long double
// (error about 1e-19 of the unreduced angle); the reduced angle's sine and cosine in double
// are then exact to well below float resolution, at a fraction of the cost of the long double
// functions' own reduction of large arguments. (rintl rather than nearbyintl: the latter
// saves and restores the floating-point environment and costs 60 times as much.)
TsComplex Phasor(long double angle) {
    const double reduced = static_cast<double>(angle - kTwoPi * rintl(angle / kTwoPi));
    return nspcSet(static_cast<float>(std::cos(reduced)), static_cast<float>(std::sin(reduced)));
}

}  // namespace

bool ChirpZ::Prepare(std::size_t inputs, std::size_t outputs, double a, double b, double c,
                     double d) {
    inputFactor_.clear();
    work_.clear();
    kernel_.clear();
    outputFactor_.clear();
    const std::size_t span = inputs + outputs - 1;
    order_ = 0;
    while (order_ <= kMaxOrder && (std::size_t{1} << order_) < span) {
        ++order_;
    }
    if (inputs == 0 || outputs == 0 || order_ > kMaxOrder) {
        return false;
    }
    const std::size_t length = std::size_t{1} << order_;
    const long double halfC = 0.5L * c;

    // half[k] = exp(+j·k²c/2) for k = 0..max(P, M) - 1. The chirp is its conjugate at |k|,
    // k = -(P-1)..M-1; the input factor takes it at k = n, the output factor at k = m (in the
    // low-pass modes P = M + 1: the last input needs k = M, past the chirp's end).
    std::vector<TsComplex> half(std::max(inputs, outputs));
    for (std::size_t k = 0; k < half.size(); ++k) {
        const long double kk = static_cast<long double>(k);
        half[k] = Phasor(halfC * kk * kk);
    }
    std::vector<TsComplex> chirp(length);
    for (std::size_t j = 0; j < span; ++j) {
        const std::size_t k = j >= inputs - 1 ? j - (inputs - 1) : inputs - 1 - j;
        chirp[j] = nspcSet(half[k].re, -half[k].im);
    }
    inputFactor_.resize(inputs);
    for (std::size_t n = 0; n < inputs; ++n) {
        inputFactor_[n] = Phasor(static_cast<long double>(n) * a) * half[n];
    }
    outputFactor_.assign(half.begin(), half.begin() + outputs);
    if (b != 0.0) {
        const TsComplex g = Phasor(d);
        for (std::size_t m = 0; m < outputs; ++m) {
            outputFactor_[m] *= nspcMpy(Phasor(static_cast<long double>(m) * b), g);
        }
    }
    nspcFft(chirp.data(), order_, kNspForward | kNspOutBitRev);
    kernel_ = std::move(chirp);
    return true;
}

TsComplex* ChirpZ::BeginInput() {
    if (kernel_.empty()) {
        return nullptr;
    }
    work_.assign(kernel_.size(), TsComplex());
    return work_.data();
}

void ChirpZ::Run(TsComplex* out) {
    const int length = static_cast<int>(kernel_.size());
    if (length == 0 || work_.size() != kernel_.size()) {
        return;
    }
    const int inputs = static_cast<int>(inputFactor_.size());
    nspcbMpy2(inputFactor_.data(), work_.data(), inputs);
    nspcFft(work_.data(), order_, kNspForward | kNspOutBitRev);
    nspcbMpy2(kernel_.data(), work_.data(), length);
    nspcFft(work_.data(), order_, kNspInverse | kNspInBitRev);
    nspcbMpy3(work_.data() + inputs - 1, outputFactor_.data(), out,
              static_cast<int>(outputFactor_.size()));
}

}  // namespace Tessel::internal
