#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds tessel and runs every test twice: a Release build with warnings as errors, then the
# whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer (halting on the
# first error). In between it makes the Debian packages from the Release build and builds the
# find_package consumer against them, and builds the library on the KissFFT backend to run the
# signal-processing and time-domain tests there. Finally runs every fuzz target, 150 seconds in
# all. Build folders live under build/ and are reused when present.
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
run_suite "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr

echo "== Debian packages, extracted into a scratch root, used by the find_package consumer"
debs=$root/build/release/packages
debroot=$root/build/debroot
rm -rf "$debs" "$debroot" "$root/build/debroot-consumer"
(cd "$root/build/release" && cpack -G DEB -B "$debs")
for deb in "$debs"/*.deb; do
    dpkg-deb --field "$deb" Package Version Depends
    dpkg -x "$deb" "$debroot"
done
cmake -S "$root/cmake/consumer" -B "$root/build/debroot-consumer" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$debroot/usr"
cmake --build "$root/build/debroot-consumer"
"$root/build/debroot-consumer/consumer"
PKG_CONFIG_PATH=$(dirname "$(find "$debroot" -name tessel.pc)") pkg-config --cflags --libs tessel

echo "== KissFFT backend: signal-processing and time-domain tests"
kiss=$root/build/kissfft
cmake -S "$root" -B "$kiss" -G Ninja -DTESSEL_WERROR=ON -DCMAKE_BUILD_TYPE=Release \
    -DTESSEL_FFT=kissfft -DTESSEL_BUILD_BENCHMARKS=OFF -DTESSEL_BUILD_EXAMPLES=OFF
cmake --build "$kiss" -j "$jobs" --target nsp_test nsp_fft_kissfft_test time_domain_test \
    gating_test phase_change_test
ctest --test-dir "$kiss" --output-on-failure -j "$jobs" \
    -R '^(NspKaiser|NspVector|NspFftKissfft|TimeDomain|Gating|PhaseChange)[A-Za-z]*\.'

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
run_suite "$root/build/asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_SANITIZE=ON

echo "== Fuzzing every target, 150 seconds in all"
"$root/scripts/fuzz.sh" 150

echo "== All tests passed"
