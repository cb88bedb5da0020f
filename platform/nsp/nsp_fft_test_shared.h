// SPDX-License-Identifier: Apache-2.0
// The FFT cases every backend runs: a file per backend defines NSP_FFT_SUITE (the test suite
// name) and NSP_FFT_BACKEND (the backend's namespace under nsp_internal), then includes this.

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/nsp/internal/fft_backend.h"

namespace {

// nspcFft on the backend under test.
void Fft(SCplx* vec, int order, int flags) {
    nsp_internal::RunFft(&nsp_internal::NSP_FFT_BACKEND::Transform, vec, order, flags);
}

using Cd = std::complex<double>;

std::vector<SCplx> RandomSamples(std::size_t n, std::mt19937& rng) {
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    std::vector<SCplx> v(n);
    for (auto& z : v)
        z = SCplx(u(rng), u(rng));
    return v;
}

// Direct DFT in long double: sign -1 forward (unscaled), +1 inverse (scaled by 1/L).
std::vector<Cd> DirectDft(const std::vector<SCplx>& x, int sign) {
    const std::size_t n = x.size();
    std::vector<Cd> out(n);
    for (std::size_t k = 0; k < n; ++k) {
        long double re = 0, im = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const long double t = sign * 2.0L * M_PIl * static_cast<long double>((i * k) % n) / n;
            re += x[i].re * cosl(t) - x[i].im * sinl(t);
            im += x[i].re * sinl(t) + x[i].im * cosl(t);
        }
        out[k] = Cd(double(re), double(im)) / (sign > 0 ? double(n) : 1.0);
    }
    return out;
}

double MaxError(const SCplx* got, const std::vector<Cd>& want) {
    double err = 0;
    for (std::size_t k = 0; k < want.size(); ++k)
        err = std::max(err, std::abs(Cd(got[k].re, got[k].im) - want[k]));
    return err;
}

// The bit-reversal flags of the paired transforms (129 forward, 66 inverse) give natural order.
// Arrays that miss the backend's SIMD alignment give the same values.
TEST(NSP_FFT_SUITE, MatchesDirectDftInBothDirectionsAtAnyAlignment) {
    const auto seed = ::testing::UnitTest::GetInstance()->random_seed();
    std::mt19937 rng(seed);
    for (int order = 0; order <= 11; ++order) {
        const std::size_t n = std::size_t{1} << order;
        const std::vector<SCplx> x = RandomSamples(n, rng);
        std::vector<SCplx> f = x, b = x, storage(n + 1);
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(storage.data()) % 16, 0u);
        SCplx* unaligned = storage.data() + 1;  // 8 bytes off
        std::copy(x.begin(), x.end(), unaligned);
        Fft(f.data(), order, kNspForward | kNspOutBitRev);
        Fft(b.data(), order, kNspInverse | kNspInBitRev);
        Fft(unaligned, order, kNspForward);
        const std::vector<Cd> forward = DirectDft(x, -1);
        EXPECT_LT(MaxError(f.data(), forward), 1e-6 * n) << "order " << order << " seed " << seed;
        EXPECT_LT(MaxError(unaligned, forward), 1e-6 * n) << "order " << order;
        EXPECT_LT(MaxError(b.data(), DirectDft(x, +1)), 1e-6) << "order " << order;
        EXPECT_EQ(storage[0], SCplx());  // nothing written before the array
    }
}

TEST(NSP_FFT_SUITE, RejectsBadArgumentsWithoutTouchingData) {
    std::vector<SCplx> v(4, SCplx(1.0f, 2.0f));
    Fft(nullptr, 2, kNspForward);
    for (const auto& [order, flags] :
         {std::pair{-1, kNspForward}, {31, kNspForward}, {2, 0}, {2, kNspForward | kNspInverse}}) {
        Fft(v.data(), order, flags);
    }
    EXPECT_EQ(v, std::vector<SCplx>(4, SCplx(1.0f, 2.0f)));
}

// Plans of new sizes requested from several threads at once are made once and all work; the
// sizes reach 2^19 points.
TEST(NSP_FFT_SUITE, ConcurrentFirstUseOfManySizes) {
    std::vector<std::thread> threads;
    std::vector<double> errors(4, 0.0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &errors] {
            for (int k = 0; k < 8; ++k) {
                const int order = 12 + (k + t) % 8;
                const std::size_t n = std::size_t{1} << order;
                std::vector<SCplx> v(n);
                v[1] = SCplx(1.0f, 0.0f);  // forward transform: exp(-j2πk/n)
                Fft(v.data(), order, kNspForward);
                for (std::size_t i = 0; i < n; i += n / 16)
                    errors[t] = std::max(errors[t], std::abs(Cd(v[i].re, v[i].im) -
                                                             std::polar(1.0, -2 * M_PI * i / n)));
            }
        });
    }
    for (auto& th : threads)
        th.join();
    for (double e : errors)
        EXPECT_LT(e, 1e-6);
}

}  // namespace
