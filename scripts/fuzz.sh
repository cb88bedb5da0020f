#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds every fuzz target with clang++ (libFuzzer, AddressSanitizer including leak detection,
# UndefinedBehaviorSanitizer) and runs them one after another, splitting the given number of
# seconds (default 60) equally between them. Each target runs from a scratch copy of its seed
# corpus in fuzz/corpus/<target>; the repository's corpus is never written. Exits non-zero when a
# fuzzer finds a crash, leak, timeout or out-of-memory; the reproducer is left in
# build/fuzz/artifacts/.
#
#   scripts/fuzz.sh [seconds]
#   scripts/fuzz.sh --regenerate-seeds    rewrite the data-vector seed corpus from its generator
#
# The fuzzers compile the library sources they need themselves, into build/fuzz; the regular
# builds are not touched.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$root/build/fuzz"
mkdir -p "$out"

# One entry per target: fuzz/<target>_fuzzer.cpp is built with the library sources listed in
# sources_<target> (paths relative to the repository root) and seeded from fuzz/corpus/<target>.
targets=(datavector_record limittest_record parameter_name markers_record touchstone)
sources_datavector_record=(
    platform/measutil/quor_exception.cpp
    platform/measutil/ts_complex.cpp
    platform/os/system_time.cpp
    tessel/datavector/archive.cpp
    tessel/datavector/data_vector.cpp
    tessel/datavector/data_vector_base.cpp
    tessel/datavector/data_vector_rep.cpp
    tessel/datavector/internal/utf16.cpp
)
sources_limittest_record=(
    platform/measutil/input_array.cpp
    platform/measutil/internal/segment_runs.cpp
    platform/measutil/segment.cpp
    tessel/limittest/limittest.cpp
    tessel/limittest/internal/limit_cache.cpp
    tessel/limittest/internal/limit_record.cpp
)
sources_parameter_name=(
    platform/measutil/point_averaging.cpp
    platform/services/capabilities_accessor.cpp
    platform/services/host_services.cpp
    platform/services/internal/stand_ins.cpp
    tessel/core/services.cpp
    tessel/receivers/if_mux_setting.cpp
    tessel/receivers/internal/name_grammar.cpp
    tessel/receivers/parameter.cpp
    tessel/receivers/receiver_slot.cpp
)
sources_markers_record=(
    platform/archive/c_archive.cpp
    platform/measutil/input_array.cpp
    platform/measutil/internal/segment_runs.cpp
    platform/measutil/interpolation.cpp
    platform/measutil/quor_exception.cpp
    platform/measutil/segment.cpp
    platform/measutil/statistics.cpp
    platform/measutil/ts_complex.cpp
    platform/services/capabilities_accessor.cpp
    platform/services/host_services.cpp
    platform/services/internal/stand_ins.cpp
    tessel/core/services.cpp
    tessel/format/format.cpp
    tessel/format/format_functions.cpp
    tessel/format/group_delay.cpp
    tessel/format/internal/format_kernels.cpp
    tessel/format/internal/format_kernels_x86.cpp
    tessel/format/temperature.cpp
    tessel/markers/array_data_provider.cpp
    tessel/markers/marker.cpp
    tessel/markers/marker_readout.cpp
    tessel/markers/marker_readouts.cpp
    tessel/markers/marker_record.cpp
    tessel/markers/marker_search.cpp
    tessel/markers/marker_set.cpp
    tessel/markers/marker_set_record.cpp
)
sources_touchstone=(
    tessel/touchstone/touchstone_reader.cpp
    tessel/touchstone/touchstone_writer.cpp
    tessel/touchstone/internal/touchstone_keywords.cpp
)

cxx=(clang++ -std=c++17 -g -O1 -I"$root" -Wall -Wextra -Werror)
sanitize=(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

sources_of() {
    local -n list="sources_$1"
    local s
    for s in "${list[@]}"; do echo "$root/$s"; done
}

if [[ "${1:-}" == "--regenerate-seeds" ]]; then
    seeds="$root/fuzz/corpus/datavector_record"
    mapfile -t srcs < <(sources_of datavector_record)
    "${cxx[@]}" "${sanitize[@]}" "$root/fuzz/gen_datavector_seeds.cpp" "${srcs[@]}" \
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
share=$((seconds / ${#targets[@]}))
((share >= 1)) || share=1

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
mkdir -p "$out/artifacts"
corpus=""
trap 'rm -rf "$corpus"' EXIT

for t in "${targets[@]}"; do
    echo "== Building the $t fuzzer"
    mapfile -t srcs < <(sources_of "$t")
    "${cxx[@]}" "${sanitize[@]}" -fsanitize=fuzzer "$root/fuzz/${t}_fuzzer.cpp" "${srcs[@]}" \
        -o "$out/${t}_fuzzer"

    rm -rf "$corpus"
    corpus=$(mktemp -d "$out/corpus.XXXXXX")
    cp "$root/fuzz/corpus/$t"/* "$corpus"/

    echo "== Fuzzing $t for ${share}s"
    # A single allocation beyond malloc_limit_mb is reported as a finding, so a corrupt length
    # that leads to a huge allocation fails the run even when the machine could satisfy it.
    "$out/${t}_fuzzer" -max_total_time="$share" -timeout=10 -rss_limit_mb=2048 \
        -malloc_limit_mb=256 -max_len=8192 -print_final_stats=1 \
        -artifact_prefix="$out/artifacts/${t}-" "$corpus"
done
echo "== Fuzzing found nothing"
