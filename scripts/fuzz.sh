#!/usr/bin/env bash
# Builds the data-vector record fuzzer with clang++ (libFuzzer, AddressSanitizer including leak
# detection, UndefinedBehaviorSanitizer) and runs it for the given number of seconds (default
# 60) from a scratch copy of the seed corpus in fuzz/corpus/datavector_record. The repository's
# corpus is never written. Exits non-zero when the fuzzer finds a crash, leak, timeout or
# out-of-memory; the reproducer is left in build/fuzz/artifacts/.
#
#   scripts/fuzz.sh [seconds]
#   scripts/fuzz.sh --regenerate-seeds    rewrite the seed corpus from its generator
#
# The fuzzer compiles the library sources it needs itself, into build/fuzz; the regular builds
# are not touched.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$root/build/fuzz"
seeds="$root/fuzz/corpus/datavector_record"
mkdir -p "$out"

# The library sources that data-vector records depend on.
sources=(
    "$root/platform/measutil/quor_exception.cpp"
    "$root/platform/measutil/ts_complex.cpp"
    "$root/platform/os/system_time.cpp"
    "$root/tessel/datavector/archive.cpp"
    "$root/tessel/datavector/data_vector.cpp"
    "$root/tessel/datavector/data_vector_base.cpp"
    "$root/tessel/datavector/data_vector_rep.cpp"
    "$root/tessel/datavector/internal/utf16.cpp"
)
cxx=(clang++ -std=c++17 -g -O1 -I"$root" -Wall -Wextra -Werror)
sanitize=(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

if [[ "${1:-}" == "--regenerate-seeds" ]]; then
    "${cxx[@]}" "${sanitize[@]}" "$root/fuzz/gen_datavector_seeds.cpp" "${sources[@]}" \
        -o "$out/gen_datavector_seeds"
    rm -f "$seeds"/*.bin
    mkdir -p "$seeds"
    "$out/gen_datavector_seeds" "$seeds"
    echo "== Seed corpus rewritten in $seeds"
    exit 0
fi

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || ((seconds < 1)); then
    echo "usage: $0 [seconds] | --regenerate-seeds" >&2
    exit 2
fi

echo "== Building the data-vector record fuzzer"
"${cxx[@]}" "${sanitize[@]}" -fsanitize=fuzzer "$root/fuzz/datavector_record_fuzzer.cpp" \
    "${sources[@]}" -o "$out/datavector_record_fuzzer"

corpus=$(mktemp -d "$out/corpus.XXXXXX")
trap 'rm -rf "$corpus"' EXIT
cp "$seeds"/* "$corpus"/
mkdir -p "$out/artifacts"

echo "== Fuzzing data-vector records for ${seconds}s"
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# A single allocation beyond malloc_limit_mb is reported as a finding, so a corrupt length
# that leads to a huge allocation fails the run even when the machine could satisfy it.
"$out/datavector_record_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -malloc_limit_mb=256 -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/" "$corpus"
echo "== Fuzzing found nothing"
