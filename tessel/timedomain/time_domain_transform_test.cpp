#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"
#include "tessel/timedomain/time_domain.h"

namespace {

using Tessel::TimeDomain;
using Tessel::TsComplex;
using Cd = std::complex<double>;

constexpr double kNs = 1e-9;

// I0 by its power series, independent of the library's Bessel function.
double SeriesI0(double x) {
    double term = 1, sum = 1;
    for (int k = 1; term > sum * 1e-18; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

std::vector<double> Kaiser(int n, double alpha) {
    std::vector<double> w(n);
    const double h = (n - 1) / 2.0;
    for (int i = 0; i < n; ++i) {
        w[i] = SeriesI0(alpha * std::sqrt(h * h - (i - h) * (i - h))) / SeriesI0(alpha * h);
    }
    return w;
}

struct Settings {
    TimeDomain::TransformMode mode;
    int points;
    double f0, f1, t0, t1, beta, dc;
};

// The transform's sums evaluated directly in double precision.
std::vector<Cd> DirectTransform(const Settings& s, const std::vector<TsComplex>& in) {
    const int n = s.points;
    const double dt = (s.t1 - s.t0) / (n - 1);
    std::vector<Cd> x;
    std::vector<double> f;
    if (s.mode == TimeDomain::BandPass) {
        std::vector<double> w = Kaiser(n, s.beta / std::max((n - 1) / 2, 1));
        double sum = 0;
        for (double v : w) {
            sum += v;
        }
        for (int i = 0; i < n; ++i) {
            x.push_back(Cd(in[i].re, in[i].im) * w[i] / sum);
            f.push_back(s.f0 + i * (s.f1 - s.f0) / (n - 1));
        }
    } else {
        std::vector<double> w = Kaiser(2 * n + 1, s.beta / n);
        w.erase(w.begin(), w.begin() + n);
        const bool step = s.mode == TimeDomain::LowPassStep;
        if (!step) {
            w[0] *= 0.5;
            double sum = 0;
            for (double v : w) {
                sum += v;
            }
            for (double& v : w) {
                v /= sum;
            }
        }
        x.push_back(step ? 0.0 : s.dc * w[0]);
        f.push_back(0.0);
        for (int k = 1; k <= n; ++k) {
            const Cd z(in[k - 1].re, in[k - 1].im);
            x.push_back(step ? Cd(0, -1) * z * w[k] / (k * M_PI) : z * w[k]);
            f.push_back(k * s.f1 / n);
        }
    }
    std::vector<Cd> out(n);
    for (int m = 0; m < n; ++m) {
        const double t = s.t0 + m * dt;
        for (std::size_t i = 0; i < x.size(); ++i) {
            out[m] += x[i] * std::polar(1.0, 2 * M_PI * f[i] * t);
        }
        if (s.mode == TimeDomain::LowPassStep) {
            const Cd z0(in[0].re, in[0].im);
            const double phi = std::arg(s.dc >= 0 ? z0 : -z0);
            out[m] = s.dc * (s.f0 * (t + phi / (2 * M_PI * s.f0)) + 0.5) + out[m].real();
        } else if (s.mode == TimeDomain::LowPassImpulse) {
            out[m] = out[m].real();
        }
    }
    return out;
}

TimeDomain Configure(const Settings& s) {
    TimeDomain td;
    td.SetFrequencyData(s.f0, s.f1, s.points);
    td.SetStopTime(s.t1, false);
    td.SetStartTime(s.t0, false);
    td.SetKaiserBeta(s.beta);
    td.SetTransformMode(s.mode);
    td.SetDCValue(s.dc);
    return td;
}

// Two reflections plus random ripple: a response with structure and noise.
std::vector<TsComplex> Response(const Settings& s, std::mt19937& rng) {
    std::normal_distribution<float> noise(0.0f, 0.1f);
    std::vector<TsComplex> in(s.points);
    const double f0 = s.mode == TimeDomain::BandPass ? s.f0 : s.f1 / s.points;
    const double df =
        s.mode == TimeDomain::BandPass ? (s.f1 - s.f0) / (s.points - 1) : s.f1 / s.points;
    for (int i = 0; i < s.points; ++i) {
        const double f = f0 + i * df;
        const Cd z = 0.6 * std::polar(1.0, -2 * M_PI * f * 1.3 * kNs) +
                     0.3 * std::polar(1.0, -2 * M_PI * f * 4.1 * kNs);
        in[i] = TsComplex(float(z.real()) + noise(rng), float(z.imag()) + noise(rng));
    }
    return in;
}

TEST(TimeDomainExecute, MatchesDirectSumsInAllModes) {
    const auto seed = ::testing::UnitTest::GetInstance()->random_seed();
    std::mt19937 rng(seed);
    const TimeDomain::TransformMode modes[] = {TimeDomain::BandPass, TimeDomain::LowPassStep,
                                               TimeDomain::LowPassImpulse};
    // Odd and even counts; time ranges left of, around and right of 0.
    const int counts[] = {2, 3, 64, 201, 400};
    const double ranges[][2] = {{-12 * kNs, -2 * kNs}, {-3 * kNs, 7 * kNs}, {2 * kNs, 15 * kNs}};
    for (auto mode : modes) {
        for (int n : counts) {
            for (const auto& r : ranges) {
                const Settings s{mode, n, 1.5e9, 6e9, r[0], r[1], 4.5, mode == 0 ? 0.0 : -0.4};
                const std::vector<TsComplex> in = Response(s, rng);
                TimeDomain td = Configure(s);
                std::vector<TsComplex> out;
                ASSERT_EQ(td.Execute(in, out), Tessel::kOk);
                ASSERT_EQ(out.size(), std::size_t(n));
                const std::vector<Cd> want = DirectTransform(s, in);
                double peak = 0, err = 0;
                for (int m = 0; m < n; ++m) {
                    peak = std::max(peak, std::abs(want[m]));
                    err = std::max(err, std::abs(Cd(out[m].re, out[m].im) - want[m]));
                    if (mode != TimeDomain::BandPass) {
                        ASSERT_EQ(out[m].im, 0.0f);
                    }
                }
                EXPECT_LT(err, 1e-5 * peak)
                    << "mode " << mode << " n " << n << " t0 " << r[0] << " seed " << seed;
            }
        }
    }
}

TEST(TimeDomainExecute, FlatBandPassPeaksAtOneAtTimeZero) {
    for (int n : {201, 1600}) {
        TimeDomain td;
        td.SetFrequencyData(1e9, 6e9, n);
        td.SetStartTime(-10 * kNs, false);
        td.SetStopTime(0.1 * kNs * (n - 1) - 10 * kNs, false);  // t = 0 at point 100
        std::vector<TsComplex> in(n, TsComplex(1.0f, 0.0f)), out;
        ASSERT_EQ(td.Execute(in, out), Tessel::kOk);
        double peak = 0;
        for (const auto& z : out) {
            peak = std::max(peak, z.Mag());
        }
        EXPECT_NEAR(out[100].Mag(), 1.0, 1e-6);
        EXPECT_NEAR(peak, 1.0, 1e-6);
    }
}

// The window and chirp tables are built by the first Execute after a change and reused
// until the next one; a setter that changes nothing keeps them.
TEST(TimeDomainExecute, CacheIsRebuiltOnlyAfterChanges) {
    TimeDomain td;
    td.SetFrequencyData(1e9, 2e9, 101);
    std::vector<TsComplex> in(101, TsComplex(0.5f, 0.5f)), first, again;
    EXPECT_EQ(td.GetCacheBuildCount(), 0u);
    td.Execute(in, first);
    td.Execute(in, again);
    EXPECT_EQ(td.GetCacheBuildCount(), 1u);
    EXPECT_EQ(first, again);
    EXPECT_EQ(td.SetKaiserBeta(6.0), Tessel::kUnchanged);
    td.Execute(in, again);
    EXPECT_EQ(td.GetCacheBuildCount(), 1u);
    td.SetTransformMode(TimeDomain::LowPassImpulse);
    td.Execute(in, again);
    EXPECT_EQ(td.GetCacheBuildCount(), 2u);
    td.SetTransformMode(TimeDomain::BandPass);
    td.Execute(in, again);
    EXPECT_EQ(td.GetCacheBuildCount(), 3u);
    EXPECT_EQ(first, again);
    td.SetDCValue(0.3);  // every accepted change marks the cache, even one it does not need
    td.Execute(in, again);
    EXPECT_EQ(td.GetCacheBuildCount(), 4u);
}

TEST(TimeDomainExecute, BadModeAndSizesFailWithoutTouchingOutput) {
    TimeDomain td;
    td.SetFrequencyData(1e9, 2e9, 8);
    std::vector<TsComplex> in(8, TsComplex(1.0f, 0.0f));
    std::vector<TsComplex> out(3, TsComplex(7.0f, 7.0f));
    td.SetTransformMode(static_cast<TimeDomain::TransformMode>(3));
    EXPECT_EQ(td.Execute(in, out), Tessel::kUnexpected);
    EXPECT_EQ(out, std::vector<TsComplex>(3, TsComplex(7.0f, 7.0f)));
    // The pointer form still writes outCount zeros and returns 0.
    EXPECT_EQ(td.Execute(in.data(), out.data(), 8, 3), Tessel::kOk);
    EXPECT_EQ(out, std::vector<TsComplex>(3));

    td.SetTransformMode(TimeDomain::LowPassStep);
    out.assign(3, TsComplex(7.0f, 7.0f));
    std::vector<TsComplex> shortInput(7);
    EXPECT_EQ(td.Execute(shortInput, out), Tessel::kInvalidArg);
    EXPECT_EQ(out.size(), 3u);
    for (unsigned points : {0u, 1u}) {
        td.SetFrequencyData(1e9, 2e9, points);
        EXPECT_EQ(td.Execute(in, out), Tessel::kUnexpected);
    }
    EXPECT_EQ(out[0], TsComplex(7.0f, 7.0f));
    EXPECT_EQ(td.Execute(nullptr, out.data(), 4, 3), Tessel::kInvalidArg);
    EXPECT_EQ(td.Execute(in.data(), out.data(), -2, 3), Tessel::kInvalidArg);
}

TEST(TimeDomainExecute, PointerFormCopiesAndPadsOutput) {
    TimeDomain td;
    td.SetFrequencyData(1e9, 2e9, 16);
    std::vector<TsComplex> in(16, TsComplex(1.0f, -1.0f)), want;
    ASSERT_EQ(td.Execute(in, want), Tessel::kOk);
    std::vector<TsComplex> out(20, TsComplex(9.0f, 9.0f));
    EXPECT_EQ(td.Execute(in.data(), out.data(), 16, 20), Tessel::kOk);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), out.begin()));
    EXPECT_EQ(out[16], TsComplex());
    EXPECT_EQ(out[19], TsComplex());
    std::vector<TsComplex> same(16);
    EXPECT_EQ(td.Execute(in.data(), same.data(), 16, -1), Tessel::kOk);
    EXPECT_EQ(same, want);
}

}  // namespace
