// Chirp-z evaluation of a discrete Fourier sum on power-of-two FFTs.

#include "tessel/timedomain/internal/chirp_z.h"

#include <cmath>

#include "platform/nsp/nsp.h"

namespace Tessel::internal {
namespace {

constexpr int kMaxOrder = 30;

// The float sample exp(j·angle), the angle in long double.
TsComplex Phasor(long double angle) {
    return nspcSet(static_cast<float>(cosl(angle)), static_cast<float>(sinl(angle)));
}

}  // namespace

bool ChirpZ::Prepare(std::size_t inputs, std::size_t outputs, double a, double b, double c,
                     double d) {
    inputFactor_.clear();
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

    // chirp[j] = exp(-j·k²c/2) for k = j - (P-1).
    std::vector<TsComplex> chirp(length);
    for (std::size_t j = 0; j < span; ++j) {
        const long double k = static_cast<long double>(j) - static_cast<long double>(inputs - 1);
        const TsComplex z = Phasor(halfC * k * k);
        chirp[j] = nspcSet(z.re, -z.im);
    }
    // The input and output factors carry the conjugate chirp exp(+j·k²c/2) at k = n and
    // k = m. They are formed on their own rather than read from the chirp table, which ends
    // at k = M - 1: in the low-pass modes P = M + 1, and the last input needs k = M.
    inputFactor_.resize(inputs);
    for (std::size_t n = 0; n < inputs; ++n) {
        const long double k = static_cast<long double>(n);
        inputFactor_[n] = Phasor(k * a) * Phasor(halfC * k * k);
    }
    outputFactor_.resize(outputs);
    const TsComplex g = Phasor(d);
    for (std::size_t m = 0; m < outputs; ++m) {
        const long double k = static_cast<long double>(m);
        outputFactor_[m] = Phasor(halfC * k * k);
        if (b != 0.0) {
            outputFactor_[m] *= nspcMpy(Phasor(k * b), g);
        }
    }
    nspcFft(chirp.data(), order_, kNspForward | kNspOutBitRev);
    kernel_ = std::move(chirp);
    return true;
}

void ChirpZ::Run(const TsComplex* x, TsComplex* out) const {
    const std::size_t length = kernel_.size();
    if (length == 0) {
        return;
    }
    const int inputs = static_cast<int>(inputFactor_.size());
    std::vector<TsComplex> work(length);
    nspcbCopy(inputFactor_.data(), work.data(), inputs);
    nspcbMpy2(x, work.data(), inputs);
    nspcFft(work.data(), order_, kNspForward | kNspOutBitRev);
    nspcbMpy2(kernel_.data(), work.data(), static_cast<int>(length));
    nspcFft(work.data(), order_, kNspInverse | kNspInBitRev);
    nspcbMpy3(work.data() + inputs - 1, outputFactor_.data(), out,
              static_cast<int>(outputFactor_.size()));
}

}  // namespace Tessel::internal
