// Python bindings: format.
#include "common.h"

namespace tessel_py {

void BindFormat(py::module_& m) { (void)m; }

}  // namespace tessel_py
