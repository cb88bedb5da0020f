#include "platform/nsp/nsp.h"

#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

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
// Arrays that miss FFTW's SIMD alignment run through their own plan and give the same values.
TEST(NspFft, MatchesDirectDftInBothDirectionsAtAnyAlignment) {
    const auto seed = ::testing::UnitTest::GetInstance()->random_seed();
    std::mt19937 rng(seed);
    for (int order = 0; order <= 11; ++order) {
        const std::size_t n = std::size_t{1} << order;
        const std::vector<SCplx> x = RandomSamples(n, rng);
        std::vector<SCplx> f = x, b = x, storage(n + 1);
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(storage.data()) % 16, 0u);
        SCplx* unaligned = storage.data() + 1;  // 8 bytes off
        std::copy(x.begin(), x.end(), unaligned);
        nspcFft(f.data(), order, kNspForward | kNspOutBitRev);
        nspcFft(b.data(), order, kNspInverse | kNspInBitRev);
        nspcFft(unaligned, order, kNspForward);
        const std::vector<Cd> forward = DirectDft(x, -1);
        EXPECT_LT(MaxError(f.data(), forward), 1e-6 * n) << "order " << order << " seed " << seed;
        EXPECT_LT(MaxError(unaligned, forward), 1e-6 * n) << "order " << order;
        EXPECT_LT(MaxError(b.data(), DirectDft(x, +1)), 1e-6) << "order " << order;
        EXPECT_EQ(storage[0], SCplx());  // nothing written before the array
    }
}

TEST(NspFft, RejectsBadArgumentsWithoutTouchingData) {
    std::vector<SCplx> v(4, SCplx(1.0f, 2.0f));
    nspcFft(nullptr, 2, kNspForward);
    for (const auto& [order, flags] :
         {std::pair{-1, kNspForward}, {31, kNspForward}, {2, 0}, {2, kNspForward | kNspInverse}}) {
        nspcFft(v.data(), order, flags);
    }
    EXPECT_EQ(v, std::vector<SCplx>(4, SCplx(1.0f, 2.0f)));
}

// Plans of new sizes requested from several threads at once are made once and all work; the
// sizes reach 2^19 points.
TEST(NspFft, ConcurrentFirstUseOfManySizes) {
    std::vector<std::thread> threads;
    std::vector<double> errors(4, 0.0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &errors] {
            for (int k = 0; k < 8; ++k) {
                const int order = 12 + (k + t) % 8;
                const std::size_t n = std::size_t{1} << order;
                std::vector<SCplx> v(n);
                v[1] = SCplx(1.0f, 0.0f);  // forward transform: exp(-j2πk/n)
                nspcFft(v.data(), order, kNspForward);
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

// Modified Bessel I0 by its power series in long double, independent of the library.
long double SeriesI0(long double x) {
    long double term = 1, sum = 1;
    for (int k = 1; k < 20000; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
        if (term < sum * 1e-21L)
            break;
    }
    return sum;
}

// alpha·h reaches 3464 at 1600 points, where I0 overflows double: the window is then formed
// from logarithms. A NaN alpha leaves the data alone.
TEST(NspKaiser, MatchesClosedFormForOddAndEvenLengths) {
    for (int n : {1, 2, 7, 8, 201, 1600}) {
        for (float alpha : {0.0f, 0.1f, -0.5f, 6.0f / 100, 13.0f / 3}) {
            std::vector<float> w(n, 2.0f);
            nspsWinKaiser(w.data(), n, alpha);
            const long double h = (n - 1) / 2.0L, a = std::fabs(alpha);
            for (int i = 0; i < n; ++i) {
                const long double d = i - h;
                const long double want = 2 * SeriesI0(a * sqrtl(h * h - d * d)) / SeriesI0(a * h);
                ASSERT_NEAR(w[i], double(want), 4e-7 * double(want) + 1e-30)
                    << "n " << n << " alpha " << alpha << " i " << i;
            }
        }
    }
    std::vector<float> v(5, 3.0f);
    nspsWinKaiser(v.data(), 5, std::nanf(""));
    EXPECT_EQ(v, std::vector<float>(5, 3.0f));
}

// The second argument of nspcbMpy2 receives the product; sums and magnitudes run in double.
TEST(NspVector, ProductDestinationAndDoubleIntermediates) {
    std::vector<SCplx> a = {{1, 2}}, b = {{0, 1}};
    nspcbMpy2(a.data(), b.data(), 1);
    EXPECT_EQ(b[0], SCplx(-2, 1));
    EXPECT_EQ(a[0], SCplx(1, 2));
    const std::vector<float> m = {3e38f, 3e38f, -1.0f};  // the float sum would overflow
    EXPECT_FLOAT_EQ(nspsMean(m.data(), 3), 2e38f);
    std::vector<SCplx> big = {{3e30f, 4e30f}};
    float mag = 0;
    nspcbMag(big.data(), &mag, 1);
    EXPECT_FLOAT_EQ(mag, 5e30f);
}

}  // namespace
