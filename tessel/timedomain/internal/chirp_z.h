// SPDX-License-Identifier: Apache-2.0
// Chirp-z evaluation of a discrete Fourier sum at arbitrary, evenly spaced output points:
//
//   out[m] = sum_{n<P} x[n]·exp(+j·(n·a + n·m·c + d + m·b)),  m = 0..M-1,
//
// for a sum over frequencies f0 + n·Δf at times t0 + m·Δt this is a = 2π·t0·Δf,
// b = 2π·f0·Δt, c = 2π·Δf·Δt and d = 2π·f0·t0. With n·m = (n² + m² - (m - n)²)/2 the sum
// becomes a convolution of x[n]·exp(j(n·a + n²c/2)) with the chirp exp(-j·k²c/2),
// k = -(P-1)..M-1, followed by a product with exp(j(m²c/2 + d + m·b)). The convolution runs
// as a circular one over L = the smallest power of two >= P + M - 1 points, which leaves the
// M wanted outputs at indices P-1..P+M-2 free of wrap-around.
//
// Prepare computes every table that depends only on the sizes and the phase constants (angles
// in long double, values rounded to float): the input and output factors and the transformed
// chirp. Run then costs one forward and one inverse FFT of L points plus linear work. The
// work buffer is kept between runs: allocating half a megabyte per call (20001 points) costs
// as much again in page faults as the FFTs. A ChirpZ is used from one thread at a time.
#pragma once

#include <cstddef>
#include <vector>

#include "tessel/core/types.h"

namespace Tessel::internal {

class ChirpZ {
  public:
    // Prepares P inputs and M outputs (both at least 1). The factor exp(j(d + m·b)) is applied
    // only when b is not 0, whatever d is. Returns false, leaving the object empty, when the
    // padded length would exceed 2^30 points.
    bool Prepare(std::size_t inputs, std::size_t outputs, double a, double b, double c, double d);

    std::size_t Inputs() const { return inputFactor_.size(); }
    std::size_t Outputs() const { return outputFactor_.size(); }
    // The FFT length L (0 before Prepare).
    std::size_t PaddedLength() const { return kernel_.size(); }

    // Returns the P input slots x[0..P-1] to be filled, zeroed; null before Prepare.
    TsComplex* BeginInput();
    // Evaluates the sum of the values written to the input slots into out[0..M-1]. Does
    // nothing before Prepare.
    void Run(TsComplex* out);

  private:
    int order_ = 0;
    std::vector<TsComplex> inputFactor_;   // P values: exp(j·n·a)·exp(j·n²c/2)
    std::vector<TsComplex> kernel_;        // L values: forward FFT of exp(-j·k²c/2)
    std::vector<TsComplex> outputFactor_;  // M values: exp(j·m²c/2)[·exp(j(d + m·b))]
    std::vector<TsComplex> work_;          // L values: input, then the convolution
};

}  // namespace Tessel::internal
