// Python bindings: timedomain.
#include "common.h"

namespace tessel_py {

void BindTimeDomain(py::module_& m) { (void)m; }

}  // namespace tessel_py
