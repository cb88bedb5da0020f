// Python bindings: calibration.
#include "common.h"

namespace tessel_py {

void BindCalibration(py::module_& m) { (void)m; }

}  // namespace tessel_py
