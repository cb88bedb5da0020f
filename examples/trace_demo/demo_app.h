// The tessel-demo program: command-line handling, the trace update on the embedded measurement
// or a Touchstone file, the summary on standard output and the HTML report.
#pragma once

#include <ostream>

namespace demo {

// Runs the demo with the program's arguments. Returns the process exit code.
int RunDemo(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace demo
