# SPDX-License-Identifier: Apache-2.0
"""Cost of the Python layer: the per-call overhead of 1-point calls, and 20001-point calls
against the C++ benchmarks of the same work (their per-iteration time), printed as a table.

Run from the source tree after building the module and the benchmarks:
    PYTHONPATH=build/release/python /usr/bin/python3 python/benchmarks/overhead.py [build_dir]
"""
import json
import os
import subprocess
import sys
import timeit

import numpy as np

import tessel

N = 20001
BUILD = sys.argv[1] if len(sys.argv) > 1 else "build/release"


def per_call(fn, min_time=0.2):
    """Best per-call time in seconds over a few timing runs of about min_time each."""
    number = 1
    while timeit.timeit(fn, number=number) < min_time / 10:
        number *= 4
    return min(timeit.repeat(fn, number=number, repeat=7)) / number


def cxx(binary, name):
    """Per-iteration real time in seconds of one C++ benchmark, or None when not built."""
    path = os.path.join(BUILD, binary)
    if not os.path.exists(path):
        return None
    out = subprocess.run([path, f"--benchmark_filter=^{name}$", "--benchmark_format=json",
                          "--benchmark_min_time=0.2", "--benchmark_repetitions=7"],
                         capture_output=True, text=True, check=True).stdout
    runs = [r for r in json.loads(out)["benchmarks"] if r.get("run_type") == "iteration"]
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    return min(r["real_time"] * scale[r["time_unit"]] for r in runs)  # best, as for Python


def data(n, seed=0):
    rng = np.random.default_rng(seed)
    return (rng.normal(size=n) + 1j * rng.normal(size=n)).astype(np.complex64) * 0.3


def solt(n):
    """Raw SOLT measurements of ideal standards through random error boxes (n points)."""
    f = np.linspace(1e9, 10e9, n)
    e00, e11, t = (data(n, k) for k in (1, 2, 3))
    S = tessel.CalStandard
    stds = [S.open((50e-15, 0, 0, 0), delay=30e-12, loss=2e9), S.short((20e-12, 0, 0, 0),
            delay=30e-12, loss=2e9), S.matched_load()]
    refl = []
    for port in (1, 2):
        for s in stds:
            g = s.s_parameters(f)[:, 0, 0]
            refl.append((s, port, (e00 + (t + 1) * g / (1 - e11 * g)).astype(np.complex64)))
    thru = {k: data(n, 10 + i) for i, k in enumerate(("S11", "S12", "S21", "S22"))}
    return f, refl, [(S.thru(), 1, 2, thru)]


def main():
    one = data(1)
    rows = [(name, per_call(fn)) for name, fn in (
        ("log_mag", lambda: tessel.log_mag(one)),
        ("phase", lambda: tessel.phase(one)),
        ("correct_one_port", lambda: tessel.correct_one_port(one, directivity=one, source_match=one,
                                                             reflection_tracking=one)),
        ("trace_math", lambda: tessel.trace_math(one, one, operation="add")),
    )]
    print("1-point calls (per-call overhead, target < 5 us)")
    for name, t in rows:
        print(f"  {name:<20s} {t * 1e6:8.2f} us")

    # The formatting benchmarks' trace: a wandering phase that wraps often.
    rng = np.random.default_rng(1)
    i = np.arange(N)
    z = ((0.1 + 0.8 * (i % 7) / 7.0) * np.exp(1j * np.cumsum(0.2 * rng.uniform(-3, 3, N))))
    z, f = z.astype(np.complex64), np.linspace(1e9, 2e9, N)
    x = tessel.phase(z)
    terms2 = {n: data(N, k) for k, n in
              enumerate(tessel.correction_names("n_port", ports=[1, 2])[1])}
    raw2 = {k: data(N, 40 + i) for i, k in enumerate(("S11", "S12", "S21", "S22"))}
    fs, refl, thru = solt(N)
    cases = [
        ("log_mag", lambda: tessel.log_mag(z), "tessel/format/format_functions_benchmark",
         "BM_FormatDataLogMag/20001"),
        ("phase unwrap", lambda: tessel.phase(z, unwrap=True),
         "tessel/format/format_functions_benchmark", "BM_FormatDataPhaseUnwrapped/20001"),
        ("group_delay", lambda: tessel.group_delay(z, f), "tessel/format/group_delay_benchmark",
         "BM_FormatDataDelay/20001"),
        ("smooth aperture 5", lambda: tessel.smooth(x, aperture=5),
         "tessel/format/smoothing_benchmark", "BM_SmoothAverage/5"),
        ("correct_one_port", lambda: tessel.correct_one_port(
            z, directivity=z, source_match=z, reflection_tracking=z),
         "tessel/correction/correction_kernels_benchmark", "BM_Correct1Port/20001"),
        ("correct_two_port", lambda: tessel.correct_two_port(raw2, terms2),
         "tessel/correction/n_port_benchmark", "BM_NPortApplyCorrection/N:2/points:20001"),
        ("solve_two_port solt", lambda: tessel.solve_two_port(fs, refl, thru),
         "tessel/calibration/calibration_benchmark", "BM_SolveSolt/20001"),
    ]
    print(f"\n{N}-point calls (target: Python within 1.5x of C++)")
    print(f"  {'call':<20s} {'Python':>10s} {'C++':>10s} {'ratio':>7s}")
    for name, fn, binary, bench in cases:
        py_t, c_t = per_call(fn), cxx(binary, bench)
        if c_t is None:
            print(f"  {name:<20s} {py_t * 1e6:8.1f}us {'(not built)':>10s}")
        else:
            print(f"  {name:<20s} {py_t * 1e6:8.1f}us {c_t * 1e6:8.1f}us {py_t / c_t:7.2f}")


if __name__ == "__main__":
    main()
