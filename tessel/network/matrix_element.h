// SPDX-License-Identifier: Apache-2.0
// Element types of techsoft::matrix and the precision of its intermediate arithmetic.
//
// Matrices store their elements in the element type (float, double, std::complex, or the
// utility library's TsComplex) but form products, eliminations and substitutions in a wide
// type: double for real elements, std::complex<double> for complex ones. Results are rounded
// to the element type once, on store. This header also holds the singular-pivot threshold and
// a scratch buffer with inline capacity, which keeps factorisations of small matrices free of
// heap allocation.
#pragma once

#include <array>
#include <cmath>
#include <complex>
#include <cstddef>
#include <limits>
#include <vector>

#include "platform/measutil/ts_complex.h"

namespace techsoft {

// A pivot whose magnitude is below this value (10000 times the double epsilon) marks the matrix
// as singular in the Gauss-Jordan inverse and the LU decomposition.
inline constexpr double kSingularPivot = 10000.0 * std::numeric_limits<double>::epsilon();

// element_traits<T>: the wide type of T's intermediates and the conversions to and from it.
// The primary template serves real floating-point types.
template <class T>
struct element_traits {
    using wide = double;
    static wide widen(const T& x) { return static_cast<wide>(x); }
    static T narrow(const wide& x) { return static_cast<T>(x); }
};

template <class R>
struct element_traits<std::complex<R>> {
    using wide = std::complex<double>;
    static wide widen(const std::complex<R>& x) { return {double(x.real()), double(x.imag())}; }
    static std::complex<R> narrow(const wide& x) { return {R(x.real()), R(x.imag())}; }
};

template <>
struct element_traits<QuorUtility::TsComplex> {
    using wide = std::complex<double>;
    static wide widen(const QuorUtility::TsComplex& x) { return {double(x.re), double(x.im)}; }
    static QuorUtility::TsComplex narrow(const wide& x) {
        return QuorUtility::TsComplex(float(x.real()), float(x.imag()));
    }
};

namespace detail {

// Magnitude of a wide value: |x| for reals, √(re² + im²) for complex values, in double.
inline double magnitude(double x) {
    return std::fabs(x);
}
inline double magnitude(const std::complex<double>& z) {
    return std::sqrt(z.real() * z.real() + z.imag() * z.imag());
}

// Reciprocal of a nonzero wide value by the textbook formula conj(z) / |z|².
inline double reciprocal(double x) {
    return 1.0 / x;
}
inline std::complex<double> reciprocal(const std::complex<double>& z) {
    const double inv = 1.0 / (z.real() * z.real() + z.imag() * z.imag());
    return {z.real() * inv, -z.imag() * inv};
}

// Product of two wide values. For complex values this is the plain formula
// (ac − bd) + j(ad + bc), without the recovery of infinities that std::complex performs.
inline double mul(double a, double b) {
    return a * b;
}
inline std::complex<double> mul(const std::complex<double>& a, const std::complex<double>& b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// A work array of n values. Up to Inline values live inside the object; larger sizes use a
// heap vector whose capacity is kept for the next resize, so a scratch object that is reused
// allocates only when it grows. Values are not initialised by resize.
template <class W, std::size_t Inline>
class scratch {
  public:
    W* resize(std::size_t n) {
        size_ = n;
        if (n > Inline && heap_.size() < n) {
            heap_.resize(n);
        }
        return data();
    }
    W* data() { return size_ <= Inline ? local_.data() : heap_.data(); }
    const W* data() const { return size_ <= Inline ? local_.data() : heap_.data(); }
    std::size_t size() const { return size_; }

  private:
    std::array<W, Inline> local_{};
    std::vector<W> heap_;
    std::size_t size_ = 0;
};

}  // namespace detail
}  // namespace techsoft
