#!/usr/bin/env bash
# Builds tessel and runs every test twice: a Release build with warnings as errors, then the
# whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer (halting on the
# first error); finally runs every fuzz target, 60 seconds in all. Build folders live under build/
# and are reused when present.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
"$root/scripts/install-deps.sh" --fuzz

run_suite() {
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -G Ninja -DTESSEL_WERROR=ON "$@"
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

echo "== Release build and tests"
run_suite "$root/build/release" -DCMAKE_BUILD_TYPE=Release

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
run_suite "$root/build/asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_SANITIZE=ON

echo "== Fuzzing every target, 60 seconds in all"
"$root/scripts/fuzz.sh" 60

echo "== All tests passed"
