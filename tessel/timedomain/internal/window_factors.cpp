// SPDX-License-Identifier: Apache-2.0
// Window-factor tables and their interpolation.

#include "tessel/timedomain/internal/window_factors.h"

#include <cstddef>

namespace Tessel::internal {
namespace {

// The beta column is held in float, the factor column in double.
struct Row {
    float beta;
    double factor;
};

constexpr Row kImpulseTable[] = {
    {0.0f, 0.601726},  {0.5f, 0.607307},  {1.0f, 0.623373},  {1.5f, 0.648136},
    {2.0f, 0.679289},  {3.0f, 0.752108},  {4.0f, 0.829027},  {5.0f, 0.904132},
    {6.0f, 0.975561},  {7.0f, 1.043091},  {8.0f, 1.107016},  {9.0f, 1.167734},
    {10.0f, 1.225628}, {11.0f, 1.281021}, {12.0f, 1.334199}, {13.0f, 1.385393},
};

constexpr Row kStepTable[] = {
    {0.0f, 0.448},  {1.0f, 0.489},  {2.0f, 0.588},  {3.0f, 0.7},    {4.0f, 0.805},
    {5.0f, 0.899},  {6.0f, 0.986},  {7.0f, 1.074},  {8.0f, 1.141},  {9.0f, 1.213},
    {10.0f, 1.283}, {11.0f, 1.344}, {12.0f, 1.404}, {13.0f, 1.466},
};

template <std::size_t N>
double FactorFromBeta(const Row (&table)[N], double beta) {
    const float b = static_cast<float>(beta);
    if (!(b > table[0].beta)) {
        return table[0].factor;  // also a NaN beta
    }
    if (b >= table[N - 1].beta) {
        return table[N - 1].factor;
    }
    std::size_t k = 0;
    while (!(b <= table[k + 1].beta)) {
        ++k;
    }
    const double t = (double(b) - table[k].beta) / (double(table[k + 1].beta) - table[k].beta);
    return table[k].factor + t * (table[k + 1].factor - table[k].factor);
}

template <std::size_t N>
double BetaFromFactor(const Row (&table)[N], double factor) {
    if (!(factor > table[0].factor)) {
        return table[0].beta;  // also a NaN factor
    }
    if (factor >= table[N - 1].factor) {
        return table[N - 1].beta;
    }
    std::size_t k = 0;
    while (!(factor <= table[k + 1].factor)) {
        ++k;
    }
    const double t = (factor - table[k].factor) / (table[k + 1].factor - table[k].factor);
    return table[k].beta + t * (double(table[k + 1].beta) - table[k].beta);
}

}  // namespace

double ImpulseFactorFromBeta(double beta) {
    return FactorFromBeta(kImpulseTable, beta);
}
double StepFactorFromBeta(double beta) {
    return FactorFromBeta(kStepTable, beta);
}
double BetaFromImpulseFactor(double factor) {
    return BetaFromFactor(kImpulseTable, factor);
}
double BetaFromStepFactor(double factor) {
    return BetaFromFactor(kStepTable, factor);
}

}  // namespace Tessel::internal
