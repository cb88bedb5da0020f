#include "tessel/network/matrix.h"

#include <algorithm>
#include <complex>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/measutil/ts_complex.h"

namespace {

using QuorUtility::TsComplex;
using techsoft::matrix;
using Cd = std::complex<double>;

// Test-side view of each element type: construction from and conversion to complex double,
// and the tolerance that its storage precision allows.
template <class T>
struct Elem;
template <>
struct Elem<double> {
    static double Make(Cd z) { return z.real(); }
    static Cd D(double x) { return x; }
    static constexpr bool kComplex = false;
    static constexpr double kTol = 1e-12;
};
template <>
struct Elem<float> {
    static float Make(Cd z) { return float(z.real()); }
    static Cd D(float x) { return x; }
    static constexpr bool kComplex = false;
    static constexpr double kTol = 1e-5;
};
template <>
struct Elem<Cd> {
    static Cd Make(Cd z) { return z; }
    static Cd D(Cd x) { return x; }
    static constexpr bool kComplex = true;
    static constexpr double kTol = 1e-12;
};
template <>
struct Elem<TsComplex> {
    static TsComplex Make(Cd z) { return TsComplex(float(z.real()), float(z.imag())); }
    static Cd D(TsComplex x) { return {x.re, x.im}; }
    static constexpr bool kComplex = true;
    static constexpr double kTol = 1e-5;
};

template <class T>
class MatrixTest : public ::testing::Test {
  protected:
    using E = Elem<T>;
    const unsigned seed_ = static_cast<unsigned>(::testing::UnitTest::GetInstance()->random_seed());
    ::testing::ScopedTrace seedTrace_{__FILE__, __LINE__, "random seed " + std::to_string(seed_)};
    std::mt19937 gen_{seed_};

    T Random() {
        std::uniform_real_distribution<double> u(-1.0, 1.0);
        return E::Make(Cd(u(gen_), E::kComplex ? u(gen_) : 0.0));
    }
    matrix<T> Random(size_t rows, size_t cols) {
        matrix<T> m(rows, cols);
        for (size_t r = 0; r < rows; ++r)
            for (size_t c = 0; c < cols; ++c)
                m(r, c) = Random();
        return m;
    }
    // A diagonally dominant matrix with its rows shuffled: well conditioned, and the
    // elimination has to pivot to find the dominant elements.
    matrix<T> WellConditioned(size_t n) {
        matrix<T> m = Random(n, n);
        std::vector<size_t> order(n);
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), gen_);
        matrix<T> out(n, n);
        for (size_t r = 0; r < n; ++r) {
            m(r, r) = E::Make(E::D(m(r, r)) + double(n) + 1.0);
            for (size_t c = 0; c < n; ++c)
                out(order[r], c) = m(r, c);
        }
        return out;
    }
    // max |(a·b − I)(r, c)| with the product summed here in double.
    double DistanceFromIdentity(const matrix<T>& a, const matrix<T>& b) {
        double worst = 0.0;
        for (size_t r = 0; r < a.rows(); ++r)
            for (size_t c = 0; c < b.cols(); ++c) {
                Cd s = 0.0;
                for (size_t k = 0; k < a.cols(); ++k)
                    s += E::D(a(r, k)) * E::D(b(k, c));
                worst = std::max(worst, std::abs(s - Cd(r == c ? 1.0 : 0.0)));
            }
        return worst;
    }
};

using ElementTypes = ::testing::Types<float, double, Cd, TsComplex>;
TYPED_TEST_SUITE(MatrixTest, ElementTypes);

// Determinant by cofactor expansion along the first row: slow, obviously correct.
Cd CofactorDeterminant(const std::vector<Cd>& a, size_t n) {
    if (n == 1)
        return a[0];
    Cd det = 0.0;
    for (size_t j = 0; j < n; ++j) {
        std::vector<Cd> minor;
        for (size_t r = 1; r < n; ++r)
            for (size_t c = 0; c < n; ++c)
                if (c != j)
                    minor.push_back(a[r * n + c]);
        det += (j % 2 ? -1.0 : 1.0) * a[j] * CofactorDeterminant(minor, n - 1);
    }
    return det;
}

TYPED_TEST(MatrixTest, StoresRowMajorZerosAndCopiesIndependently) {
    using E = Elem<TypeParam>;
    matrix<TypeParam> m(2, 3);
    EXPECT_EQ(m.rows(), 2u);
    EXPECT_EQ(m.cols(), 3u);
    for (size_t k = 0; k < m.size(); ++k)
        EXPECT_EQ(E::D(m.data()[k]), Cd(0.0));
    m(1, 2) = E::Make(5.0);
    EXPECT_EQ(E::D(m.data()[1 * 3 + 2]), Cd(5.0));
    matrix<TypeParam> copy = m;
    copy(1, 2) = E::Make(7.0);
    EXPECT_EQ(E::D(m(1, 2)), Cd(5.0));
    EXPECT_NE(copy, m);
    EXPECT_EQ(matrix<TypeParam>(), matrix<TypeParam>(0, 0));
}

TYPED_TEST(MatrixTest, ArithmeticMatchesElementwiseAndDirectSums) {
    using E = Elem<TypeParam>;
    const auto a = this->Random(3, 4), b = this->Random(3, 4), c = this->Random(4, 2);
    const TypeParam s = this->Random();
    const auto sum = a + b, diff = a - b, scaled = a * s, scaled2 = s * a, prod = a * c;
    for (size_t r = 0; r < 3; ++r)
        for (size_t k = 0; k < 4; ++k) {
            EXPECT_NEAR(std::abs(E::D(sum(r, k)) - (E::D(a(r, k)) + E::D(b(r, k)))), 0, E::kTol);
            EXPECT_NEAR(std::abs(E::D(diff(r, k)) - (E::D(a(r, k)) - E::D(b(r, k)))), 0, E::kTol);
            EXPECT_NEAR(std::abs(E::D(scaled(r, k)) - E::D(a(r, k)) * E::D(s)), 0, E::kTol);
            EXPECT_EQ(scaled(r, k), scaled2(r, k));
        }
    ASSERT_EQ(prod.rows(), 3u);
    ASSERT_EQ(prod.cols(), 2u);
    for (size_t r = 0; r < 3; ++r)
        for (size_t k = 0; k < 2; ++k) {
            Cd ref = 0.0;
            for (size_t j = 0; j < 4; ++j)
                ref += E::D(a(r, j)) * E::D(c(j, k));
            EXPECT_NEAR(std::abs(E::D(prod(r, k)) - ref), 0, 4 * E::kTol);
        }
}

TYPED_TEST(MatrixTest, SubmatrixCopiesTheBlockAndZeroFillsBeyondTheEdge) {
    const auto a = this->Random(4, 4);
    const auto block = a.submatrix(1, 2, 2, 2);
    EXPECT_EQ(block, (matrix<TypeParam>(2, 2, {a(1, 2), a(1, 3), a(2, 2), a(2, 3)})));
    const auto edge = a.submatrix(3, 3, 2, 2);
    EXPECT_EQ(edge, (matrix<TypeParam>(2, 2, {a(3, 3)})));
}

TYPED_TEST(MatrixTest, InversesTimesOriginalAreIdentityForSizesTwoToEight) {
    techsoft::lu_factor<TypeParam> work;  // reused across sizes, up and down
    for (int round = 0; round < 3; ++round)
        for (size_t n = 2; n <= 8; ++n) {
            const auto a = this->WellConditioned(n);
            auto gj = a, lu = a, lu2 = a;
            ASSERT_TRUE(gj.inv()) << "n=" << n;
            ASSERT_TRUE(lu.inv_lu(work)) << "n=" << n;
            ASSERT_TRUE(lu2.inv_lu()) << "n=" << n;
            EXPECT_LT(this->DistanceFromIdentity(a, gj), Elem<TypeParam>::kTol) << "n=" << n;
            EXPECT_LT(this->DistanceFromIdentity(gj, a), Elem<TypeParam>::kTol) << "n=" << n;
            EXPECT_LT(this->DistanceFromIdentity(a, lu), Elem<TypeParam>::kTol) << "n=" << n;
            EXPECT_EQ(lu, lu2);
        }
}

TYPED_TEST(MatrixTest, SingularMatricesFailAndStayUnchanged) {
    using E = Elem<TypeParam>;
    // Rank-deficient: the third row is the sum of the first two.
    auto a = this->Random(3, 3);
    for (size_t c = 0; c < 3; ++c)
        a(2, c) = E::Make(E::D(a(0, c)) + E::D(a(1, c)));
    // A zero column stops the elimination in its first column.
    matrix<TypeParam> zeroColumn(3, 3,
                                 {E::Make(0), E::Make(1), E::Make(2), E::Make(0), E::Make(3),
                                  E::Make(4), E::Make(0), E::Make(5), E::Make(7)});
    // Exactly singular in float as well: [[1, 2], [2, 4]].
    matrix<TypeParam> twoByTwo(2, 2, {E::Make(1), E::Make(2), E::Make(2), E::Make(4)});
    for (const auto& m : {zeroColumn, twoByTwo}) {
        auto gj = m, lu = m;
        EXPECT_FALSE(gj.inv());
        EXPECT_FALSE(lu.inv_lu());
        EXPECT_EQ(gj, m);
        EXPECT_EQ(lu, m);
    }
    // In double the sum row keeps the matrix singular to rounding, far below the threshold;
    // float rounding of the sum would make it merely ill-conditioned, so only wide types.
    if constexpr (E::kTol < 1e-9) {
        auto gj = a, lu = a;
        EXPECT_FALSE(gj.inv());
        EXPECT_FALSE(lu.inv_lu());
        EXPECT_EQ(gj, a);
        EXPECT_EQ(lu, a);
    }
    matrix<TypeParam> notSquare(2, 3);
    EXPECT_FALSE(notSquare.inv());
    EXPECT_FALSE(notSquare.inv_lu());
    EXPECT_EQ(notSquare, (matrix<TypeParam>(2, 3)));
}

TYPED_TEST(MatrixTest, PivotThresholdIsTenThousandEpsilon) {
    using E = Elem<TypeParam>;
    // diag(1, 1e-11) is invertible, diag(1, 1e-12) is not (10000·ε ≈ 2.2e-12). In float the
    // small pivots stay representable.
    matrix<TypeParam> ok(2, 2, {E::Make(1), E::Make(0), E::Make(0), E::Make(1e-11)});
    matrix<TypeParam> tiny(2, 2, {E::Make(1), E::Make(0), E::Make(0), E::Make(1e-12)});
    auto a = ok, b = tiny, c = tiny;
    EXPECT_TRUE(a.inv());
    EXPECT_NEAR(std::abs(E::D(a(1, 1)) - 1e11), 0, 1e11 * E::kTol);
    EXPECT_FALSE(b.inv());
    // The decomposition tests the first n − 1 pivots only: it succeeds with determinant 1e-12,
    // and the inverse refuses the tiny last pivot.
    techsoft::lu_factor<TypeParam> f;
    ASSERT_TRUE(f.compute(tiny));
    EXPECT_NEAR(std::abs(Cd(f.determinant()) - 1e-12), 0, 1e-12 * E::kTol);
    EXPECT_FALSE(f.invertible());
    EXPECT_FALSE(c.inv_lu());
    EXPECT_EQ(c, tiny);
    // A tiny first pivot (in the first n − 1 columns) fails the decomposition itself.
    matrix<TypeParam> first(2, 2, {E::Make(1e-12), E::Make(0), E::Make(0), E::Make(1)});
    EXPECT_FALSE(f.compute(first));
    EXPECT_EQ(Cd(f.determinant()), Cd(0.0));
}

TYPED_TEST(MatrixTest, LuDeterminantMatchesCofactorExpansion) {
    using E = Elem<TypeParam>;
    for (size_t n = 1; n <= 5; ++n) {
        const auto a = this->WellConditioned(n);
        std::vector<Cd> d;
        for (size_t k = 0; k < a.size(); ++k)
            d.push_back(E::D(a.data()[k]));
        const Cd ref = CofactorDeterminant(d, n);
        techsoft::lu_factor<TypeParam> f;
        ASSERT_TRUE(f.compute(a));
        EXPECT_LT(std::abs(Cd(f.determinant()) - ref), std::abs(ref) * 1e-12) << "n=" << n;
    }
    // A single row exchange negates the determinant: det [[0, 1], [1, 0]] = -1.
    techsoft::lu_factor<TypeParam> f;
    ASSERT_TRUE(
        f.compute(matrix<TypeParam>(2, 2, {E::Make(0), E::Make(1), E::Make(1), E::Make(0)})));
    EXPECT_EQ(Cd(f.determinant()), Cd(-1.0));
}

TEST(MatrixProduct, ProductIntoReusesTheOutputAndAccumulatesInDouble) {
    // In float, 1e8 + 1 rounds back to 1e8 and the sum below would be 0; accumulated in
    // double it is exactly 1.
    matrix<float> a(1, 3, {1e8f, 1.0f, -1e8f}), b(3, 1, {1.0f, 1.0f, 1.0f});
    matrix<float> out(1, 1);
    const float* storage = out.data();
    techsoft::product_into(a, b, out);
    EXPECT_EQ(out.data(), storage);
    EXPECT_EQ(out(0, 0), 1.0f);
    matrix<float> reshaped;
    techsoft::product_into(b, a, reshaped);
    EXPECT_EQ(reshaped.rows(), 3u);
    EXPECT_EQ(reshaped.cols(), 3u);
}

TEST(MatrixProduct, MismatchedSizesNeverReadOutside) {
    matrix<double> a(2, 3, {1, 2, 3, 4, 5, 6}), b(2, 2, {1, 0, 0, 1});
    // Inner dimension min(3, 2): the third column of a meets no row of b.
    EXPECT_EQ(a * b, (matrix<double>(2, 2, {1, 2, 4, 5})));
    matrix<double> sum = b + a;
    EXPECT_EQ(sum, (matrix<double>(2, 2, {2, 2, 4, 6})));
}

TEST(MatrixIdentity, EmptyMatrixIsItsOwnInverse) {
    matrix<double> e;
    EXPECT_TRUE(e.inv());
    EXPECT_TRUE(e.inv_lu());
    EXPECT_TRUE(e.empty());
    EXPECT_EQ(matrix<double>::identity(3) * matrix<double>::identity(3),
              matrix<double>::identity(3));
}

}  // namespace
