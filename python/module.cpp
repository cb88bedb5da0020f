// SPDX-License-Identifier: Apache-2.0
// The `tessel._tessel` extension module: the error type, the version, and every part of the
// surface registered by its bind_<part>.cpp.
#include "common.h"

namespace tessel_py {
void SetTesselErrorType(PyObject* type);
}

PYBIND11_MODULE(_tessel, m) {
    namespace py = pybind11;
    m.doc() = "tessel: vector network analyzer data processing on numpy arrays";
    m.attr("__version__") = TESSEL_VERSION_STRING;

    // TesselError(code, message): a RuntimeError that keeps the library's status code.
    py::dict scope;
    py::exec(R"(
class TesselError(RuntimeError):
    """A tessel operation failed. ``code`` is the library's status (negative, as returned)."""
    def __init__(self, code, message):
        super().__init__(message)
        self.code = code
)",
             py::globals(), scope);
    py::object error = scope["TesselError"];
    error.attr("__module__") = "tessel";
    m.attr("TesselError") = error;
    tessel_py::SetTesselErrorType(error.ptr());
    error.inc_ref();  // held for the life of the process, as the module is

    tessel_py::BindCorrection(m);
    tessel_py::BindCalibration(m);
    tessel_py::BindFormat(m);
    tessel_py::BindTouchstone(m);
    tessel_py::BindTimeDomain(m);
    tessel_py::BindMarkers(m);
    tessel_py::BindLimitTest(m);
    tessel_py::BindNetwork(m);
}
