// SPDX-License-Identifier: Apache-2.0
// Status mapping and argument checks shared by the binding files.
#include "common.h"

#include <climits>
#include <cstdio>

namespace tessel_py {

namespace {
PyObject* g_error = nullptr;
}

PyObject* TesselErrorType() {
    return g_error;
}

void SetTesselErrorType(PyObject* type) {
    g_error = type;
}

void ThrowStatus(long status, const std::string& what) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(status & 0xFFFFFFFFL));
    const std::string message = what + " failed with status " + code;
    py::object err = py::reinterpret_borrow<py::object>(g_error)(status, message);
    PyErr_SetObject(g_error, err.ptr());
    throw py::error_already_set();
}

int Length1D(const py::array& a, const char* name) {
    if (a.ndim() != 1)
        throw py::value_error(std::string(name) + " must be a one-dimensional array");
    if (a.shape(0) > INT_MAX)
        throw py::value_error(std::string(name) + " is too long");
    return static_cast<int>(a.shape(0));
}

void SameLength(int a, int b, const char* nameA, const char* nameB) {
    if (a != b)
        throw py::value_error(std::string(nameA) + " and " + nameB + " must have the same length");
}

CArray ToCArray(py::handle obj, const std::string& name) {
    CArray a = CArray::ensure(obj);
    if (!a) {
        PyErr_Clear();
        throw py::type_error(name + " must be an array of complex numbers");
    }
    return a;
}

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

std::string Narrow(const std::wstring& s) {
    std::string out;
    out.reserve(s.size());
    for (wchar_t c : s)
        out.push_back(c < 128 ? static_cast<char>(c) : '?');
    return out;
}

}  // namespace tessel_py
