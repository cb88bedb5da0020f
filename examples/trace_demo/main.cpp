// SPDX-License-Identifier: Apache-2.0
// tessel-demo: an end-to-end trace update on an embedded measurement or a Touchstone file.
#include <iostream>

#include "examples/trace_demo/demo_app.h"

int main(int argc, char** argv) {
    return demo::RunDemo(argc, argv, std::cout, std::cerr);
}
