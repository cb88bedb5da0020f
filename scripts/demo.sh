#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the library and the demo program (installing missing Debian packages first) and runs
# the demo: an end-to-end trace update on an embedded two-port measurement (calibration from
# simulated standards, correction, formatting, markers, limit test, time domain, gating and
# de-embedding). Arguments are passed to the demo (for example a .s2p file, --out DIR,
# --limit ROW or --save FILE.s2p); the report goes to ./tessel-report/report.html unless --out
# says otherwise.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/install-deps.sh"
build="$root/build/demo"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSEL_BUILD_TESTS=OFF \
      -DTESSEL_BUILD_BENCHMARKS=OFF -DTESSEL_BUILD_EXAMPLES=ON >/dev/null
cmake --build "$build" --target tessel-demo -j "$(nproc)"
echo
exec "$build/examples/trace_demo/tessel-demo" "$@"
