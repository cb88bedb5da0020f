// Python bindings: correction.
#include "common.h"

namespace tessel_py {

void BindCorrection(py::module_& m) { (void)m; }

}  // namespace tessel_py
