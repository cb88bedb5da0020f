// SPDX-License-Identifier: Apache-2.0
// Trace math: point-by-point addition, subtraction, multiplication and division of two
// complex traces.
//
// For first <= i < last, out[i] = a[i] op b[i]; first >= last does nothing. Sums and
// differences are formed per component in double and stored as float; products and quotients
// are those of TsComplex::operator*= and operator/= (a zero divisor gives the IEEE result, it
// is not checked). `out` may be `a` or `b` (in-place math).
//
// The kernels are templates at global scope over any sample type with float members re and
// im, instantiated in the library for the measurement utility's TsComplex; the Tessel
// functions of the same arguments call them. The vector forms check their arguments.
#pragma once

#include <vector>

#include "tessel/core/export.h"
#include "tessel/core/types.h"

template <class T>
TESSEL_EXPORT long TraceMathAdd(const T* a, const T* b, T* out, int first, int last) {
    for (int i = first; i < last; ++i) {
        out[i].re = static_cast<float>(double(a[i].re) + double(b[i].re));
        out[i].im = static_cast<float>(double(a[i].im) + double(b[i].im));
    }
    return 0;
}

template <class T>
TESSEL_EXPORT long TraceMathSubtract(const T* a, const T* b, T* out, int first, int last) {
    for (int i = first; i < last; ++i) {
        out[i].re = static_cast<float>(double(a[i].re) - double(b[i].re));
        out[i].im = static_cast<float>(double(a[i].im) - double(b[i].im));
    }
    return 0;
}

template <class T>
TESSEL_EXPORT long TraceMathMultiply(const T* a, const T* b, T* out, int first, int last) {
    for (int i = first; i < last; ++i) {
        T r = a[i];
        r *= b[i];
        out[i] = r;
    }
    return 0;
}

template <class T>
TESSEL_EXPORT long TraceMathDivide(const T* a, const T* b, T* out, int first, int last) {
    for (int i = first; i < last; ++i) {
        T r = a[i];
        r /= b[i];
        out[i] = r;
    }
    return 0;
}

extern template long TraceMathAdd<QuorUtility::TsComplex>(const QuorUtility::TsComplex*,
                                                          const QuorUtility::TsComplex*,
                                                          QuorUtility::TsComplex*, int, int);
extern template long TraceMathSubtract<QuorUtility::TsComplex>(const QuorUtility::TsComplex*,
                                                               const QuorUtility::TsComplex*,
                                                               QuorUtility::TsComplex*, int, int);
extern template long TraceMathMultiply<QuorUtility::TsComplex>(const QuorUtility::TsComplex*,
                                                               const QuorUtility::TsComplex*,
                                                               QuorUtility::TsComplex*, int, int);
extern template long TraceMathDivide<QuorUtility::TsComplex>(const QuorUtility::TsComplex*,
                                                             const QuorUtility::TsComplex*,
                                                             QuorUtility::TsComplex*, int, int);

namespace Tessel {

// Array forms over [first, last); every array holds at least `last` samples. Return 0.
TESSEL_EXPORT long TraceMathAdd(const TsComplex* a, const TsComplex* b, TsComplex* out, int first,
                                int last);
TESSEL_EXPORT long TraceMathSubtract(const TsComplex* a, const TsComplex* b, TsComplex* out,
                                     int first, int last);
TESSEL_EXPORT long TraceMathMultiply(const TsComplex* a, const TsComplex* b, TsComplex* out,
                                     int first, int last);
TESSEL_EXPORT long TraceMathDivide(const TsComplex* a, const TsComplex* b, TsComplex* out,
                                   int first, int last);

// Vector forms over [first, last), last = -1 meaning the length of `a`. `out` is resized to the
// length of `a` (new elements 0). Returns kInvalidArg when `a` or `b` is empty, first < 0, or
// a non-empty run reaches beyond `a` or `b` as they were on entry (after the resize, nothing
// else written; so an `out` that is the shorter input grows but is not read past its data).
TESSEL_EXPORT long TraceMathAdd(const std::vector<TsComplex>& a, const std::vector<TsComplex>& b,
                                std::vector<TsComplex>& out, int first, int last);
TESSEL_EXPORT long TraceMathSubtract(const std::vector<TsComplex>& a,
                                     const std::vector<TsComplex>& b, std::vector<TsComplex>& out,
                                     int first, int last);
TESSEL_EXPORT long TraceMathMultiply(const std::vector<TsComplex>& a,
                                     const std::vector<TsComplex>& b, std::vector<TsComplex>& out,
                                     int first, int last);
TESSEL_EXPORT long TraceMathDivide(const std::vector<TsComplex>& a, const std::vector<TsComplex>& b,
                                   std::vector<TsComplex>& out, int first, int last);

}  // namespace Tessel
