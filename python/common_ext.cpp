// SPDX-License-Identifier: Apache-2.0
// Conversions shared by the time-domain, marker, limit-test and network bindings.
#include "common_ext.h"

#include <algorithm>
#include <cmath>

namespace tessel_py {

int ParseChoice(const std::string& name, std::initializer_list<Choice> choices, const char* what) {
    std::string accepted;
    for (const Choice& c : choices) {
        if (name == c.first)
            return c.second;
        accepted += accepted.empty() ? "" : ", ";
        accepted += std::string("'") + c.first + "'";
    }
    throw py::value_error(std::string(what) + " must be one of " + accepted + ", not '" + name +
                          "'");
}

std::string ChoiceName(int value, std::initializer_list<Choice> choices) {
    for (const Choice& c : choices)
        if (c.second == value)
            return c.first;
    return "unknown";
}

namespace {

int CheckedLength(const py::array& a, const char* name, bool required) {
    const int n = Length1D(a, name);
    if (required && n == 0)
        throw py::value_error(std::string(name) + " must not be empty");
    return n;
}

}  // namespace

std::vector<Tessel::TsComplex> ToSamples(const CArray& a, const char* name, bool required) {
    const int n = CheckedLength(a, name, required);
    const Tessel::TsComplex* p = CPtr(a);
    return std::vector<Tessel::TsComplex>(p, p + n);
}

CArray FromSamples(const std::vector<Tessel::TsComplex>& v) {
    CArray out(static_cast<py::ssize_t>(v.size()));
    if (!v.empty())
        std::copy(v.begin(), v.end(), CPtr(out));
    return out;
}

std::vector<double> ToDoubles(const DArray& a, const char* name, bool required) {
    const int n = CheckedLength(a, name, required);
    return std::vector<double>(a.data(), a.data() + n);
}

std::vector<float> ToFloats(const FArray& a, const char* name, bool required) {
    const int n = CheckedLength(a, name, required);
    return std::vector<float>(a.data(), a.data() + n);
}

QuorUtility::InputArray ToAxis(const DArray& x, const char* name) {
    const int n = CheckedLength(x, name, true);
    const double* v = x.data();
    const double x0 = v[0], x1 = v[n - 1];
    const double tolerance = 1e-13 * std::max(std::fabs(x0), std::fabs(x1));
    bool linear = n >= 2 && std::isfinite(x0) && std::isfinite(x1) && x0 != x1;
    for (int i = 1; linear && i < n - 1; ++i)
        linear =
            std::fabs(v[i] - (x0 + (x1 - x0) * (static_cast<double>(i) / (n - 1)))) <= tolerance;
    if (linear)
        return QuorUtility::InputArray(QuorUtility::Segment::Linear(x0, x1, n));
    QuorUtility::InputArray axis;
    axis.SetArray(v, static_cast<std::size_t>(n));
    return axis;
}

Tessel::ComplexMatrixVector ToMatrices(const CArray& a, const char* name, int minSize,
                                       int maxSize) {
    const std::string what(name);
    if (a.ndim() != 3 || a.shape(1) != a.shape(2))
        throw py::value_error(what + " must have the shape (points, n, n)");
    if (a.shape(0) == 0)
        throw py::value_error(what + " must not be empty");
    const int n = static_cast<int>(a.shape(1));
    if (a.shape(1) < minSize || a.shape(1) > maxSize)
        throw py::value_error(what + " must hold " + std::to_string(minSize) + ".." +
                              std::to_string(maxSize) + "-port matrices");
    Tessel::ComplexMatrixVector ms(
        static_cast<size_t>(a.shape(0)),
        Tessel::ComplexMatrix(static_cast<std::size_t>(n), static_cast<std::size_t>(n)));
    const Tessel::TsComplex* p = CPtr(a);
    for (auto& m : ms)
        for (std::size_t k = 0; k < m.size(); ++k)
            m.data()[k] = *p++;
    return ms;
}

CArray FromMatrices(const Tessel::ComplexMatrixVector& ms) {
    const std::size_t n = ms.empty() ? 0 : ms[0].rows();
    const py::ssize_t sn = static_cast<py::ssize_t>(n);
    CArray out({static_cast<py::ssize_t>(ms.size()), sn, sn});
    Tessel::TsComplex* p = CPtr(out);
    for (const auto& m : ms)
        for (std::size_t r = 0; r < n; ++r)
            for (std::size_t c = 0; c < n; ++c)
                *p++ = m.at_or_zero(r, c);
    return out;
}

}  // namespace tessel_py
