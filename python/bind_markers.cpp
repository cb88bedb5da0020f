// Python bindings: markers.
#include "common.h"

namespace tessel_py {

void BindMarkers(py::module_& m) { (void)m; }

}  // namespace tessel_py
