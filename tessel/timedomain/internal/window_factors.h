// SPDX-License-Identifier: Apache-2.0
// Window-factor tables of the time-domain transform: the impulse width and the step rise time,
// each multiplied by the frequency span, of a low-pass response under a Kaiser window of a
// given beta, with piecewise-linear lookups in both directions.
#pragma once

namespace Tessel::internal {

// The factors at the ends of the tables (beta 0 and beta 13).
inline constexpr double kImpulseFactorMin = 0.601726;
inline constexpr double kImpulseFactorMax = 1.385393;
inline constexpr double kStepFactorMin = 0.448;
inline constexpr double kStepFactorMax = 1.466;

// Impulse-width factor of beta (rounded to float first); the end values outside 0..13.
double ImpulseFactorFromBeta(double beta);
// Step-rise factor of beta (rounded to float first); the end values outside 0..13.
double StepFactorFromBeta(double beta);
// Beta giving an impulse-width factor; 0 or 13 outside the table.
double BetaFromImpulseFactor(double factor);
// Beta giving a step-rise factor; 0 or 13 outside the table.
double BetaFromStepFactor(double factor);

}  // namespace Tessel::internal
