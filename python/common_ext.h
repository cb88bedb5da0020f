// SPDX-License-Identifier: Apache-2.0
// Helpers of the time-domain, marker, limit-test and network bindings: copies between numpy
// arrays and the library's containers, stacks of small matrices, and keyword choices given as
// strings.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "common.h"
#include "tessel/core/types.h"
#include "tessel/network/two_port_conversions.h"

namespace tessel_py {

// A choice accepted by name: the spelling and the library's value.
using Choice = std::pair<const char*, int>;

// The value of `name` among `choices`; ValueError listing the accepted names otherwise.
int ParseChoice(const std::string& name, std::initializer_list<Choice> choices, const char* what);
// The name of `value` among `choices`; "unknown" when none matches.
std::string ChoiceName(int value, std::initializer_list<Choice> choices);

// A one-dimensional complex64 array as a vector of samples (copied); `name` for the messages.
// With `required` an empty array raises ValueError.
std::vector<Tessel::TsComplex> ToSamples(const CArray& a, const char* name, bool required = true);
// A new complex64 array holding the samples.
CArray FromSamples(const std::vector<Tessel::TsComplex>& v);
// A one-dimensional float64 array as a vector (copied).
std::vector<double> ToDoubles(const DArray& a, const char* name, bool required = true);
// A one-dimensional float32 array as a vector (copied).
std::vector<float> ToFloats(const FArray& a, const char* name, bool required = true);

// A one-dimensional float64 stimulus as an axis. An x that the linear law
// x0 + (x1 - x0)·i/(n - 1) reproduces within 1e-13 of its largest magnitude becomes one linear
// segment (cheap to build and to search); any other x is taken point by point.
QuorUtility::InputArray ToAxis(const DArray& x, const char* name);

// A stack of square matrices, shape (points, n, n), as one library matrix per point. Raises
// ValueError for another shape, an empty stack, or a size outside minSize..maxSize.
Tessel::ComplexMatrixVector ToMatrices(const CArray& a, const char* name, int minSize, int maxSize);
// The matrices as a complex64 array of shape (points, n, n), n the size of the first matrix.
CArray FromMatrices(const Tessel::ComplexMatrixVector& ms);

}  // namespace tessel_py
