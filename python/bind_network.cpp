// Python bindings: network.
#include "common.h"

namespace tessel_py {

void BindNetwork(py::module_& m) { (void)m; }

}  // namespace tessel_py
