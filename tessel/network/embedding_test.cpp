// SPDX-License-Identifier: Apache-2.0
#include "tessel/network/embedding.h"

#include <gtest/gtest.h>

#include <complex>
#include <random>

#include "tessel/network/anti_network.h"

namespace Tessel {
namespace {

using Cd = std::complex<double>;
using M = techsoft::matrix<Cd>;  // test-side matrices in double

std::mt19937 gen(3);
M Random(size_t r, size_t c) {
    M m(r, c);
    for (size_t k = 0; k < m.size(); ++k)
        m.data()[k] = std::polar(std::uniform_real_distribution<double>(0.2, 0.7)(gen),
                                 std::uniform_real_distribution<double>(-M_PI, M_PI)(gen));
    return m;
}
M Inv2(const M& a) {
    const Cd d = a(0, 0) * a(1, 1) - a(0, 1) * a(1, 0);
    return M(2, 2, {a(1, 1) / d, -a(0, 1) / d, -a(1, 0) / d, a(0, 0) / d});
}
// Two-port T-matrix and back, [[1/S21, −S22/S21], [S11/S21, S12 − S11·S22/S21]].
M S2Td(const M& s) {
    const Cd d = s(1, 0);
    return M(2, 2, {1.0 / d, -s(1, 1) / d, s(0, 0) / d, s(0, 1) - s(0, 0) * s(1, 1) / d});
}
M T2Sd(const M& t) {
    const Cd d = t(0, 0);
    return M(2, 2, {t(1, 0) / d, t(1, 1) - t(0, 1) * t(1, 0) / d, 1.0 / d, -t(0, 1) / d});
}
Cd C(const TsComplex& z) {
    return {z.re, z.im};
}
ComplexMatrix ToTs(const M& m) {
    ComplexMatrix t(m.rows(), m.cols());
    for (size_t k = 0; k < m.size(); ++k)
        t.data()[k] = TsComplex(float(m.data()[k].real()), float(m.data()[k].imag()));
    return t;
}
double Dist(const ComplexMatrix& a, const M& b) {
    double d = 0;
    for (size_t k = 0; k < a.size(); ++k)
        d = std::max(d, std::abs(C(a.data()[k]) - b.data()[k]));
    return d;
}
// A port matrix over `ports` holding s at point 0 (zeros at point 1), read back by position.
DataMatrix Data(const std::vector<int>& ports, const M& s) {
    DataMatrix d(int(ports.size()), ports, 2);
    for (size_t k = 0; k < s.size(); ++k)
        d(k / ports.size(), k % ports.size())->OwnedData()[0] = ToTs(s).data()[k];
    return d;
}
ComplexMatrix Read(const DataMatrix& d, int point = 0) {
    ComplexMatrix m(d.Ports().size(), d.Ports().size());
    for (size_t k = 0; k < m.size(); ++k)
        m.data()[k] = d(k / m.cols(), k % m.cols())->data[point];
    return m;
}

TEST(EmbeddingTest, TwoPortCascadeMatchesTMatrixProducts) {
    const M x = Random(2, 2), y = Random(2, 2), dut = Random(2, 2);
    M e(4, 4);  // X between ports 1 and 3, Y between ports 2 and 4
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b)
            e(2 * a, 2 * b) = x(a, b), e(2 * a + 1, 2 * b + 1) = y(a, b);
    const M want = T2Sd(S2Td(x) * S2Td(dut) * S2Td(M(2, 2, {y(1, 1), y(1, 0), y(0, 1), y(0, 0)})));
    DataMatrix d = Data({1, 2}, dut);
    ASSERT_EQ(EmbedNetwork(0, 1, {1, 2}, d, {ToTs(e)}), 0);
    EXPECT_LT(Dist(Read(d), want), 1e-5);
    ComplexMatrixVector anti;
    ASSERT_EQ(CalculateAntiNetwork({ToTs(e), ToTs(e)}, anti), 0);
    ASSERT_EQ(EmbedNetwork(0, 1, {1, 2}, d, anti), 0);  // de-embedding
    EXPECT_LT(Dist(Read(d), dut), 1e-4);
    EXPECT_LT(Dist(antinet(ToTs(x)), T2Sd(Inv2(S2Td(x)))), 1e-5);
    const ComplexMatrix through(2, 2, {0, 1, 1, 0});
    EXPECT_EQ(antinet(through), through);
    ComplexMatrix perfect(4, 4, {0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 0});
    const ComplexMatrix held = Read(d);
    ASSERT_EQ(EmbedNetwork(0, 1, {1, 2}, d, {perfect}), 0);  // perfect throughs change nothing
    EXPECT_EQ(Read(d), held);
}

TEST(EmbeddingTest, ThreeAndFourPortsFollowTheBlockFormula) {
    for (size_t n : {3u, 4u}) {
        const M e = Random(4, 4), s = Random(n, n);
        const size_t b = n - 2;
        const M e11 = e.submatrix(0, 0, 2, 2), e12 = e.submatrix(0, 2, 2, 2),
                e21 = e.submatrix(2, 0, 2, 2), e22 = e.submatrix(2, 2, 2, 2),
                saa = s.submatrix(0, 0, 2, 2), sab = s.submatrix(0, 2, 2, b),
                sba = s.submatrix(2, 0, b, 2), sbb = s.submatrix(2, 2, b, b), i = M::identity(2);
        const M l = Inv2(i - e22 * saa), r = Inv2(i - saa * e22);
        const M aa = e11 + e12 * saa * l * e21, ab = e12 * r * sab, ba = sba * l * e21,
                bb = sbb + sba * l * e22 * sab;
        const std::vector<int> ports =
            n == 3 ? std::vector<int>{2, 5, 1} : std::vector<int>{4, 1, 3, 2};
        DataMatrix d = Data(ports, s);
        ASSERT_EQ(EmbedNetwork(0, 1, ports, d, {ToTs(e)}), 0);
        const ComplexMatrix got = Read(d);
        EXPECT_LT(Dist(got.submatrix(0, 0, 2, 2), aa) + Dist(got.submatrix(0, 2, 2, b), ab) +
                      Dist(got.submatrix(2, 0, b, 2), ba) + Dist(got.submatrix(2, 2, b, b), bb),
                  1e-5);
        ComplexMatrixVector anti;  // embedding the anti-network restores the data
        ASSERT_EQ(CalculateAntiNetwork({ToTs(e)}, anti), 0);
        ASSERT_EQ(EmbedNetwork(0, 1, ports, d, anti), 0);
        EXPECT_LT(Dist(Read(d), s), 1e-4);
    }
}

TEST(EmbeddingTest, BadInputAndSingularPoints) {
    const M s = Random(2, 2);
    const DataMatrix before = Data({1, 2}, s);
    DataMatrix d = before;
    const ComplexMatrixVector nets(2, ToTs(Random(4, 4)));
    EXPECT_EQ(EmbedNetwork(0, 1, {1, 2, 3, 4, 5}, d, nets), kFail);
    EXPECT_EQ(EmbedNetwork(0, 1, {1, 7}, d, nets), kFail);
    EXPECT_EQ(EmbedNetwork(0, 2, {1, 2}, d, {nets[0]}), kFail);
    EXPECT_EQ(EmbedNetwork(0, 1, {1, 2}, d, {ToTs(Random(3, 3))}), kFail);
    EXPECT_EQ(EmbedNetwork(1, 1, {1, 2}, d, nets), 0);
    EXPECT_EQ(Read(d), Read(before));
    // Point 1 holds the identity; with E22 = I, (I − E22·S_AA) is singular there.
    d.SetDataByPhysicalPort(1, 1, {1, 1}, 1, 2), d.SetDataByPhysicalPort(2, 2, {1, 1}, 1, 2);
    ComplexMatrix e = nets[0];
    e(2, 2) = e(3, 3) = 1, e(2, 3) = e(3, 2) = 0;
    EXPECT_EQ(EmbedNetwork(0, 2, {1, 2}, d, {e, e}), kFail);
    EXPECT_EQ(Read(d, 1)(1, 0).re, TsComplex::m_minus200dB.re);
    EXPECT_NE(Read(d), Read(before));

    ComplexMatrixVector out;
    EXPECT_EQ(CalculateAntiNetwork({}, out), 0);
    EXPECT_TRUE(out.empty());
    ComplexMatrix singular = nets[0];
    singular(2, 0) = singular(3, 0) = 0;  // C has a zero column
    EXPECT_EQ(CalculateAntiNetwork({nets[0], singular, nets[0]}, out), kFail);
    EXPECT_FALSE(isNullMatrix(out[0]));
    EXPECT_TRUE(isNullMatrix(out[1]) && isNullMatrix(out[2]));
}

TEST(EmbeddingTest, ReflectionsThroughAddedTwoPorts) {
    const M x = Random(2, 2);
    const ComplexMatrixVector t = {ToTs(S2Td(x))};
    const std::vector<TsComplex> g = {TsComplex(0.3f, -0.2f)};
    const Cd gd(0.3f, -0.2f), fwd = C(gamma1Fwd(t, g)[0]);
    EXPECT_LT(std::abs(fwd - (x(0, 0) + x(0, 1) * x(1, 0) * gd / (1.0 - x(1, 1) * gd))), 1e-6);
    EXPECT_LT(std::abs(C(gamma2Fwd(t, gamma1Fwd(t, g))[0]) - gd), 1e-6);
    EXPECT_LT(std::abs(C(gamma2Rev(t, gamma1Rev(t, g))[0]) - gd), 1e-6);
    // The transformed one-port terms measure every load as the original terms through x.
    const TsComplex ed(0.05f, 0.01f), er(0.8f, -0.3f), es(0.1f, 0.07f);
    const ComplexMatrixVector m = {ToTs(x)};
    const Cd edN = C(*directivityError(&ed, &er, &es, m, 1));
    const Cd esN = C(*sourceMatchError(&es, m, 1));
    const Cd erN = C(*reflectionTrackingError(&er, &es, m, 1));
    for (Cd load : {Cd(0.5, 0.1), Cd(-0.7, 0.2), Cd(0, -0.9)}) {
        const Cd seen = x(0, 0) + x(0, 1) * x(1, 0) * load / (1.0 - x(1, 1) * load);
        const Cd meas =
            Cd(ed.re, ed.im) + Cd(er.re, er.im) * seen / (1.0 - Cd(es.re, es.im) * seen);
        EXPECT_LT(std::abs(edN + erN * load / (1.0 - esN * load) - meas), 1e-5);
    }
    const TsComplex* first = sourceMatchError(&es, m, 1);
    const TsComplex zero;
    EXPECT_EQ(sourceMatchError(&zero, m, 1), first);
    EXPECT_EQ(first->re, m[0](1, 1).re);  // esf = 0 gives M11, over the first result
    EXPECT_EQ(directivityError(&ed, &er, &es, m, 2), nullptr);  // fewer matrices than n
}

}  // namespace
}  // namespace Tessel
