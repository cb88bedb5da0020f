// Python bindings: touchstone.
#include "common.h"

namespace tessel_py {

void BindTouchstone(py::module_& m) { (void)m; }

}  // namespace tessel_py
