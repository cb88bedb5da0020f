// SPDX-License-Identifier: Apache-2.0
// Missing-data values of the element types of data vectors, and InitVec.
//
// A point that holds no measured data carries the -200 dB value: -200.0 in scalar arrays, and
// the complex sample 1e-10 + 0j (TsComplex::m_minus200dB, whose log magnitude is -200 dB) in
// complex arrays.
#pragma once

#include <algorithm>
#include <vector>

#include "platform/measutil/ts_complex.h"
#include "tessel/core/complex_struct.h"

namespace Tessel {

// MissingData<T>::Value(): the missing-data value of element type T. Defined for float, the
// utility library's TsComplex and the global ::TsComplex structure only.
template <class T>
struct MissingData;

template <>
struct MissingData<float> {
    static float Value() { return -200.0f; }
};

template <>
struct MissingData<QuorUtility::TsComplex> {
    static QuorUtility::TsComplex Value() { return QuorUtility::TsComplex::m_minus200dB; }
};

template <>
struct MissingData<::TsComplex> {
    static ::TsComplex Value() {
        const QuorUtility::TsComplex& m = QuorUtility::TsComplex::m_minus200dB;
        return ::TsComplex{m.re, m.im};
    }
};

// Sets every element of `v` to the missing-data value; the size is unchanged.
template <class T>
void InitVec(std::vector<T>& v) {
    std::fill(v.begin(), v.end(), MissingData<T>::Value());
}

}  // namespace Tessel
