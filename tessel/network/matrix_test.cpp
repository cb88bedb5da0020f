// SPDX-License-Identifier: Apache-2.0
#include "tessel/network/matrix.h"

#include <algorithm>
#include <complex>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "platform/measutil/ts_complex.h"

namespace {

using QuorUtility::TsComplex;
using techsoft::matrix;
using Cd = std::complex<double>;

// The element type of the network math, converted from and to complex double, and the
// tolerance its float storage allows.
using T = TsComplex;
constexpr double kTol = 1e-5;
T Make(Cd z) {
    return TsComplex(float(z.real()), float(z.imag()));
}
Cd D(const T& x) {
    return {x.re, x.im};
}
matrix<T> Of(size_t rows, size_t cols, std::initializer_list<double> values) {
    matrix<T> m(rows, cols);
    std::transform(values.begin(), values.end(), m.data(), [](double v) { return Make(v); });
    return m;
}

class MatrixTest : public ::testing::Test {
  protected:
    const unsigned seed_ = static_cast<unsigned>(::testing::UnitTest::GetInstance()->random_seed());
    ::testing::ScopedTrace seedTrace_{__FILE__, __LINE__, "random seed " + std::to_string(seed_)};
    std::mt19937 gen_{seed_};

    T Random() {
        std::uniform_real_distribution<double> u(-1.0, 1.0);
        return Make(Cd(u(gen_), u(gen_)));
    }
    matrix<T> Random(size_t rows, size_t cols) {
        matrix<T> m(rows, cols);
        std::generate(m.data(), m.data() + m.size(), [this] { return Random(); });
        return m;
    }
    // A diagonally dominant matrix with its rows shuffled: well conditioned, and the
    // elimination has to pivot to find the dominant elements.
    matrix<T> WellConditioned(size_t n) {
        matrix<T> m = Random(n, n);
        std::vector<size_t> column(n);
        std::iota(column.begin(), column.end(), 0);
        std::shuffle(column.begin(), column.end(), gen_);
        for (size_t r = 0; r < n; ++r)
            m(r, column[r]) = Make(D(m(r, column[r])) + double(n) + 1.0);
        return m;
    }
};

// max |(a·b − I)(r, c)| with the product summed here in double.
double DistanceFromIdentity(const matrix<T>& a, const matrix<T>& b) {
    double worst = 0.0;
    for (size_t r = 0; r < a.rows(); ++r)
        for (size_t c = 0; c < b.cols(); ++c) {
            Cd s = 0.0;
            for (size_t k = 0; k < a.cols(); ++k)
                s += D(a(r, k)) * D(b(k, c));
            worst = std::max(worst, std::abs(s - Cd(r == c ? 1.0 : 0.0)));
        }
    return worst;
}

TEST_F(MatrixTest, ArithmeticMatchesDirectSumsAndCopiesAreIndependent) {
    const auto a = Random(3, 4), b = Random(3, 4), c = Random(4, 2);
    const T s = Random();
    const auto sum = a + b, diff = a - b, scaled = a * s, prod = a * c;
    EXPECT_EQ(scaled, s * a);
    ASSERT_TRUE(prod.rows() == 3u && prod.cols() == 2u);
    double worst = 0.0;
    for (size_t r = 0; r < 3; ++r)
        for (size_t k = 0; k < 4; ++k) {
            const Cd x = D(a.data()[r * 4 + k]), y = D(b(r, k));  // row-major storage
            Cd ref = 0.0;
            for (size_t j = 0; k < 2 && j < 4; ++j)
                ref += D(a(r, j)) * D(c(j, k));
            worst =
                std::max({worst, std::abs(D(sum(r, k)) - (x + y)),
                          std::abs(D(diff(r, k)) - (x - y)), std::abs(D(scaled(r, k)) - x * D(s)),
                          k < 2 ? std::abs(D(prod(r, k)) - ref) / 4 : 0.0});
        }
    EXPECT_LT(worst, kTol);
    // A submatrix copies its block and zero-fills beyond the edge.
    EXPECT_EQ(a.submatrix(1, 2, 2, 2), (matrix<T>(2, 2, {a(1, 2), a(1, 3), a(2, 2), a(2, 3)})));
    EXPECT_EQ(a.submatrix(2, 3, 2, 2), (matrix<T>(2, 2, {a(2, 3)})));
    matrix<T> copy = a;
    copy(1, 2) = Make(7.0);
    EXPECT_NE(copy, a);
    EXPECT_EQ(matrix<T>(2, 3), Of(2, 3, {0, 0, 0, 0, 0, 0}));
}

TEST_F(MatrixTest, InversesAndDeterminantsMatchIndependentReferencesForSizesOneToEight) {
    techsoft::lu_factor<T> work, f;  // work is reused across sizes, up and down
    for (int round = 0; round < 3; ++round)
        for (size_t n = 1; n <= 8; ++n) {
            const auto a = WellConditioned(n);
            auto gj = a, lu = a, lu2 = a;
            ASSERT_TRUE(gj.inv() && lu.inv_lu(work) && lu2.inv_lu()) << "n=" << n;
            EXPECT_LT(std::max({DistanceFromIdentity(a, gj), DistanceFromIdentity(gj, a),
                                DistanceFromIdentity(a, lu)}),
                      kTol)
                << "n=" << n;
            EXPECT_EQ(lu, lu2);
            if (n == 3) {  // det of [[a, b, c], [d, e, f], [g, h, i]] by the rule of Sarrus
                const auto e = [&](size_t r, size_t c) { return D(a(r, c)); };
                Cd ref = 0.0;
                for (size_t k = 0; k < 3; ++k)
                    ref += e(0, k) * e(1, (k + 1) % 3) * e(2, (k + 2) % 3) -
                           e(0, k) * e(1, (k + 2) % 3) * e(2, (k + 1) % 3);
                ASSERT_TRUE(f.compute(a));
                EXPECT_LT(std::abs(Cd(f.determinant()) - ref), std::abs(ref) * 1e-12);
            }
        }
    // A single row exchange negates the determinant: det [[0, 1], [1, 0]] = -1.
    ASSERT_TRUE(f.compute(Of(2, 2, {0, 1, 1, 0})));
    EXPECT_EQ(Cd(f.determinant()), Cd(-1.0));
}

TEST_F(MatrixTest, SingularMatricesFailUnchangedAndThePivotThresholdIsTenThousandEpsilon) {
    // A zero first column, an exactly singular matrix, a non-square one, and diag(1, 1e-12)
    // below the pivot threshold 10000·ε ≈ 2.2e-12 (diag(1, 1e-11) is above it).
    const auto tiny = Of(2, 2, {1, 0, 0, 1e-12});
    for (const auto& m :
         {Of(3, 3, {0, 1, 2, 0, 3, 4, 0, 5, 7}), Of(2, 2, {1, 2, 2, 4}), matrix<T>(2, 3), tiny}) {
        auto gj = m, lu = m;
        EXPECT_FALSE(gj.inv() || lu.inv_lu());
        EXPECT_TRUE(gj == m && lu == m);
    }
    auto ok = Of(2, 2, {1, 0, 0, 1e-11});
    EXPECT_TRUE(ok.inv());
    EXPECT_NEAR(std::abs(D(ok(1, 1)) - 1e11), 0, 1e11 * kTol);
    // The decomposition tests the first n − 1 pivots only: it succeeds on the tiny last pivot
    // with determinant 1e-12, which the inverse refuses; a tiny first pivot fails it.
    techsoft::lu_factor<T> f;
    ASSERT_TRUE(f.compute(tiny));
    EXPECT_NEAR(std::abs(Cd(f.determinant()) - 1e-12), 0, 1e-12 * kTol);
    EXPECT_FALSE(f.invertible());
    EXPECT_FALSE(f.compute(Of(2, 2, {1e-12, 0, 0, 1})));
    EXPECT_EQ(Cd(f.determinant()), Cd(0.0));
}

TEST(MatrixEdges, ProductsAccumulateInDoubleAndMismatchedSizesNeverReadOutside) {
    // In float, 1e8 + 1 rounds back to 1e8 and the sum below would be 0; accumulated in
    // double it is exactly 1. product_into keeps an output of the right size.
    matrix<float> a(1, 3, {1e8f, 1.0f, -1e8f}), b(3, 1, {1.0f, 1.0f, 1.0f}), out(1, 1), reshaped;
    const float* storage = out.data();
    techsoft::product_into(a, b, out);
    EXPECT_EQ(out.data(), storage);
    EXPECT_EQ(out(0, 0), 1.0f);
    techsoft::product_into(b, a, reshaped);
    EXPECT_EQ(reshaped.rows(), 3u);
    EXPECT_EQ(reshaped.cols(), 3u);
    // Inner dimension min(3, 2): the third column of c meets no row of d.
    matrix<double> c(2, 3, {1, 2, 3, 4, 5, 6}), d(2, 2, {1, 0, 0, 1}), e;
    EXPECT_EQ(c * d, (matrix<double>(2, 2, {1, 2, 4, 5})));
    EXPECT_EQ(d + c, (matrix<double>(2, 2, {2, 2, 4, 6})));
    EXPECT_TRUE(e.inv());  // the empty matrix is its own inverse
    EXPECT_TRUE(e.inv_lu());
    EXPECT_TRUE(e.empty());
    EXPECT_EQ(matrix<double>::identity(3), (matrix<double>(3, 3, {1, 0, 0, 0, 1, 0, 0, 0, 1})));
}

// A shape whose element count does not fit in size_t is refused like an oversized container;
// a zero side holds no element, whatever the other side.
TEST(MatrixEdges, ShapesWhoseElementCountOverflowsThrowLengthError) {
    const size_t big = size_t(1) << 32;
    const matrix<TsComplex> two(2, 2, {1, 2, 3, 4});
    matrix<TsComplex> m = two, out;
    EXPECT_THROW(matrix<TsComplex>(big, big), std::length_error);
    EXPECT_THROW(m.submatrix(0, 0, big, big), std::length_error);
    EXPECT_THROW(m.assign_zero(big + 1, big), std::length_error);
    EXPECT_EQ(m, two);  // unchanged
    EXPECT_THROW(techsoft::product_into(matrix<TsComplex>(big, 0), matrix<TsComplex>(0, big), out),
                 std::length_error);
    EXPECT_THROW(matrix<TsComplex>::identity(big), std::length_error);
    EXPECT_TRUE(matrix<TsComplex>(big, 0).empty());
}

}  // namespace
