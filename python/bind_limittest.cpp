// Python bindings: limittest.
#include "common.h"

namespace tessel_py {

void BindLimitTest(py::module_& m) { (void)m; }

}  // namespace tessel_py
