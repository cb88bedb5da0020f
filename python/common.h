// SPDX-License-Identifier: Apache-2.0
// Shared pieces of the Python bindings: numpy array conversion, status-to-exception mapping and
// the registration functions of each binding file.
#pragma once

#include <pybind11/complex.h>
#include <pybind11/eval.h>
#include <pybind11/numpy.h>
#include <pybind11/operators.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>

#include "platform/measutil/ts_complex.h"
#include "tessel/core/status.h"

namespace tessel_py {

namespace py = pybind11;
using QuorUtility::TsComplex;

// complex64 arrays, converted (copied) only when the caller's array is not already contiguous
// complex64; float32/float64 likewise.
using CArray = py::array_t<std::complex<float>, py::array::c_style | py::array::forcecast>;
using FArray = py::array_t<float, py::array::c_style | py::array::forcecast>;
using DArray = py::array_t<double, py::array::c_style | py::array::forcecast>;

// The Python exception type `tessel.TesselError` (created by module.cpp).
PyObject* TesselErrorType();

// Raises TesselError(code, message) with the library's status code; never returns.
[[noreturn]] void ThrowStatus(long status, const std::string& what);

// Raises when `status` is a failure (negative); successes pass through unchanged.
inline long Check(long status, const char* what) {
    if (status < 0)
        ThrowStatus(status, what);
    return status;
}

// Raises ValueError unless `a` is one-dimensional; returns its length as an int (the library's
// point index type), refusing arrays longer than INT_MAX.
int Length1D(const py::array& a, const char* name);

// Raises ValueError unless two arrays have the same length.
void SameLength(int a, int b, const char* nameA, const char* nameB);

// Element pointers of the library's complex type over a complex64 array.
inline const QuorUtility::TsComplex* CPtr(const CArray& a) {
    return reinterpret_cast<const QuorUtility::TsComplex*>(a.data());
}
inline QuorUtility::TsComplex* CPtr(CArray& a) {
    return reinterpret_cast<QuorUtility::TsComplex*>(a.mutable_data());
}

// A complex64 array of any object numpy can cast to complex64 (copied only when needed);
// TypeError naming `name` when it cannot be cast.
CArray ToCArray(py::handle obj, const std::string& name);

// Conversions between the library's wide names and Python strings (names are ASCII).
std::wstring Widen(const std::string& s);
std::string Narrow(const std::wstring& s);

// A new uninitialised array of n elements.
inline CArray NewC(py::ssize_t n) {
    return CArray(n);
}
inline FArray NewF(py::ssize_t n) {
    return FArray(n);
}
inline DArray NewD(py::ssize_t n) {
    return DArray(n);
}

// Registration of each part of the module (one per bind_<part>.cpp).
void BindCorrection(py::module_& m);
void BindCalibration(py::module_& m);
void BindFormat(py::module_& m);
void BindTouchstone(py::module_& m);
void BindTimeDomain(py::module_& m);
void BindMarkers(py::module_& m);
void BindLimitTest(py::module_& m);
void BindNetwork(py::module_& m);

}  // namespace tessel_py
