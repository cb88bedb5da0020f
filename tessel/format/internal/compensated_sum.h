// SPDX-License-Identifier: Apache-2.0
// CompensatedSum: a running double sum that carries its own rounding error (not installed).
//
// Each Add is Knuth's branch-free two-sum: the rounding error of s + x is recovered exactly and
// accumulated in a second term, so a sum that gains and loses values for millions of steps
// (a sliding window) stays as accurate as a sum formed directly over the current window,
// instead of drifting by the rounding error of every step.
#pragma once

namespace Tessel {
namespace internal {

class CompensatedSum {
  public:
    void Add(double x) {
        const double t = sum_ + x;
        const double xPart = t - sum_;
        const double sumPart = t - xPart;
        error_ += (sum_ - sumPart) + (x - xPart);
        sum_ = t;
    }
    double Value() const { return sum_ + error_; }

  private:
    double sum_ = 0.0;
    double error_ = 0.0;
};

}  // namespace internal
}  // namespace Tessel
