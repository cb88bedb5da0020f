#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""Times tessel's hot paths next to the numpy, scipy and scikit-rf code that does the same work,
on the same sizes, and prints one table.

    /usr/bin/python3 bench/peers.py [--build build/release] [--quick] [--markdown]
    /usr/bin/python3 bench/peers.py --selftest

The library side comes from the Google Benchmark programs in the build directory (run with
--benchmark_format=json and a filter naming only the sizes compared); the peer side is timed
here with timeit, best of several repeats. Both sides report the best wall-clock time of one
call. The ratio is peer time / tessel time: above 1, tessel is faster. A benchmark the build
does not have (or a peer that cannot be imported) shows "n/a".

Peers: numpy's formatting one-liners on complex64 data, numpy's batched np.linalg.inv and
np.linalg.solve on (points, N, N) complex64 matrices, scipy's chirp-z transform (the czt
function, and the CZT object that keeps its tables like the library does), scikit-rf's
TwelveTerm.apply_cal, and, for the two-port kernel, the library's own copy of the 20 arrays
that kernel touches (the ratio is then the share of the copy speed it reaches).
"""
import argparse
import collections
import contextlib
import io
import json
import math
import os
import subprocess
import sys
import timeit
import warnings

# One table row: the library benchmark (program path under the build directory and benchmark
# name) and the peer (a key of PEERS and its size, or a second library benchmark).
Row = collections.namedtuple("Row", "operation peer size program name peer_key peer_bench")

FORMAT_PROGRAM = "tessel/format/format_functions_benchmark"
NPORT_PROGRAM = "tessel/correction/n_port_benchmark"
KERNEL_PROGRAM = "tessel/correction/correction_kernels_benchmark"
TIME_PROGRAM = "tessel/timedomain/time_domain_benchmark"

FORMAT_ROWS = [
    ("FormatDataLogMag", "20*log10(abs(x))", "BM_FormatDataLogMag", "logmag"),
    ("FormatData10LogMag", "10*log10(abs(x)**2)", "BM_FormatData10LogMag", "10logmag"),
    ("FormatDataLinMag", "abs(x)", "BM_FormatDataLinMag", "linmag"),
    ("FormatDataPhase", "angle(x, deg=True)", "BM_FormatDataPhase", "phase"),
    ("FormatDataPhase unwrapped", "degrees(unwrap(angle(x)))", "BM_FormatDataPhaseUnwrapped",
     "unwrapped"),
    ("FormatDataSWR", "(1+abs(x))/(1-abs(x))", "BM_FormatDataSWR", "swr"),
]


def table_rows():
    rows = []
    for op, peer, name, key in FORMAT_ROWS:
        for n in (1601, 20001, 1000000):
            rows.append(Row(op, "numpy " + peer, n, FORMAT_PROGRAM, "%s/%d" % (name, n), key, None))
    for ports in (2, 3, 4, 8):
        for n in (1601, 20001):
            name = "BM_NPortApplyCorrection/N:%d/points:%d" % (ports, n)
            op = "NPort::ApplyCorrection N=%d" % ports
            rows.append(Row(op, "numpy linalg.inv", n, NPORT_PROGRAM, name, "inv%d" % ports, None))
            rows.append(Row(op, "numpy linalg.solve", n, NPORT_PROGRAM, name, "solve%d" % ports,
                            None))
    for n in (1601, 20001):
        name = "BM_Correct2Port/%d" % n
        rows.append(Row("Correct2Port", "scikit-rf TwelveTerm.apply_cal", n, KERNEL_PROGRAM, name,
                        "apply_cal", None))
        rows.append(Row("Correct2Port", "tessel copy of its 20 arrays", n, KERNEL_PROGRAM, name,
                        None, (KERNEL_PROGRAM, "BM_CopyTwentyArrays/%d" % n)))
    for n in (201, 1601, 20001):
        name = "BM_ExecuteBandPass/%d" % n
        rows.append(Row("TimeDomain band-pass", "scipy signal.czt", n, TIME_PROGRAM, name, "czt",
                        None))
        rows.append(Row("TimeDomain band-pass", "scipy signal.CZT (tables kept)", n, TIME_PROGRAM,
                        name, "czt_plan", None))
    return rows


# ---- The peers: each builder returns a function of no arguments that does one call's work.


def import_numpy():
    import numpy as np

    return np


def samples(np, n):
    """The formatting benchmark's data: magnitudes 0.1..0.9 and a wandering phase."""
    rng = np.random.default_rng(1)
    phase = np.cumsum(0.2 * rng.uniform(-3.0, 3.0, n))
    mag = 0.1 + 0.8 * (np.arange(n) % 7) / 7.0
    return (mag * np.exp(1j * phase)).astype(np.complex64)


def format_peer(key, n):
    np = import_numpy()
    x = samples(np, n)

    def swr():
        m = np.abs(x)
        return (1 + m) / (1 - m)

    return {
        "logmag": lambda: 20 * np.log10(np.abs(x)),
        "10logmag": lambda: 10 * np.log10(np.abs(x) ** 2),
        "linmag": lambda: np.abs(x),
        "phase": lambda: np.angle(x, deg=True),
        "unwrapped": lambda: np.degrees(np.unwrap(np.angle(x))),
        "swr": swr,
    }[key]


def matrix_peer(key, n):
    """Batched inverse (or solve for a product) of (n, N, N) complex64 matrices near identity, as
    an N-port correction inverts one N x N matrix per point."""
    np = import_numpy()
    kind = "inv" if key.startswith("inv") else "solve"
    ports = int(key[len(kind):])
    rng = np.random.default_rng(2)

    def batch():
        r = rng.uniform(-0.1, 0.1, (n, ports, ports)) + 1j * rng.uniform(-0.1, 0.1, (n, ports, ports))
        return (np.eye(ports) + r).astype(np.complex64)

    a, b = batch(), batch()
    if kind == "inv":
        return lambda: np.linalg.inv(a)
    return lambda: np.linalg.solve(a, b)


def czt_peer(key, n):
    """The band-pass sum out[m] = sum_k x[k] w[k] exp(j2π(f0 + kΔf)t_m) over 1-6 GHz and
    -10..10 ns with n output points, as BM_ExecuteBandPass sets it up."""
    np = import_numpy()
    from scipy import signal

    f0, df = 1e9, 5e9 / (n - 1)
    t = np.linspace(-1e-8, 1e-8, n)
    x = (0.5 * np.exp(-0.37j * np.arange(n))).astype(np.complex64)
    window = np.kaiser(n, 6.0).astype(np.float32)
    a = np.exp(-2j * np.pi * df * t[0])
    w = np.exp(2j * np.pi * df * (t[1] - t[0]))
    start_phase = np.exp(2j * np.pi * f0 * t).astype(np.complex64)
    if key == "czt":
        return lambda: signal.czt(x * window, m=n, w=w, a=a) * start_phase
    plan = signal.CZT(n, m=n, w=w, a=a)
    return lambda: plan(x * window) * start_phase


def apply_cal_peer(key, n):
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
    try:
        with contextlib.redirect_stdout(io.StringIO()):  # scikit-rf's notes on missing plotting
            from skrf_compat import np, rf  # exits when scikit-rf cannot be imported
    except SystemExit:
        raise ImportError("scikit-rf is not available")
    rng = np.random.default_rng(3)

    def column(base):
        return base + 0.05 * (rng.uniform(-1, 1, n) + 1j * rng.uniform(-1, 1, n))

    names = ["directivity", "source match", "reflection tracking", "transmission tracking",
             "load match", "isolation"]
    coefs = {}
    for side in ("forward", "reverse"):
        for name in names:
            coefs[side + " " + name] = column(0.9 if "tracking" in name else 0.05)
    freq = rf.Frequency(1, 6, n, "ghz")
    cal = rf.TwelveTerm.from_coefs(freq, coefs)
    s = 0.5 + 0.1 * (rng.uniform(-1, 1, (n, 2, 2)) + 1j * rng.uniform(-1, 1, (n, 2, 2)))
    raw = rf.Network(frequency=freq, s=s)
    return lambda: cal.apply_cal(raw)


def peer_function(key, n):
    if key in ("logmag", "10logmag", "linmag", "phase", "unwrapped", "swr"):
        return format_peer(key, n)
    if key.startswith(("inv", "solve")):
        return matrix_peer(key, n)
    if key.startswith("czt"):
        return czt_peer(key, n)
    return apply_cal_peer(key, n)


def time_peer(key, n, repeats, budget):
    """Best wall-clock seconds of one call, or None when the peer cannot run here."""
    try:
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            fn = peer_function(key, n)
            timer = timeit.Timer(fn)
            number, elapsed = timer.autorange()  # enough calls for about 0.2 s
            number = max(1, int(number * budget / max(elapsed, 1e-9)))
            return min(timer.repeat(repeat=repeats, number=number)) / number
    except Exception as error:  # an import that fails, a scipy without CZT...
        print("peer %s/%d: %s" % (key, n, error), file=sys.stderr)
        return None


# ---- The library side.

UNIT_SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def best_times(report):
    """Best real time per call of each benchmark in a Google Benchmark JSON report, in seconds.
    Repetitions give several iteration entries of one name; aggregates are ignored."""
    best = {}
    for entry in report.get("benchmarks", []):
        if entry.get("run_type", "iteration") != "iteration" or entry.get("error_occurred"):
            continue
        seconds = entry["real_time"] * UNIT_SECONDS.get(entry.get("time_unit", "ns"), 1e-9)
        name = entry["run_name"] if "run_name" in entry else entry["name"]
        best[name] = min(seconds, best.get(name, math.inf))
    return best


def run_program(build, program, names, repeats, min_time):
    path = os.path.join(build, program)
    if not os.access(path, os.X_OK):
        print("%s: not built" % path, file=sys.stderr)
        return {}
    pattern = "^(%s)$" % "|".join(sorted(names))
    command = [path, "--benchmark_format=json", "--benchmark_filter=" + pattern,
               "--benchmark_repetitions=%d" % repeats, "--benchmark_min_time=%g" % min_time]
    try:
        done = subprocess.run(command, capture_output=True, text=True, check=True)
        return best_times(json.loads(done.stdout))
    except (subprocess.CalledProcessError, ValueError, KeyError, TypeError) as error:
        print("%s: %s" % (path, error), file=sys.stderr)
        return {}


def library_times(build, rows, repeats, min_time):
    wanted = collections.defaultdict(set)
    for row in rows:
        wanted[row.program].add(row.name)
        if row.peer_bench:
            wanted[row.peer_bench[0]].add(row.peer_bench[1])
    times = {}
    for program, names in wanted.items():
        for name, seconds in run_program(build, program, names, repeats, min_time).items():
            times[(program, name)] = seconds
    return times


# ---- The table.


def format_time(seconds):
    if seconds is None:
        return "n/a"
    for unit, scale in (("s", 1.0), ("ms", 1e-3), ("µs", 1e-6)):
        if seconds >= scale:
            return "%.3g %s" % (seconds / scale, unit)
    return "%.3g ns" % (seconds / 1e-9)


def assemble(rows, tessel, peers):
    """Table lines (header first) from library times keyed by (program, name) and peer times by
    row index (a missing or None value is "n/a")."""
    lines = [("operation", "peer", "size", "tessel", "peer time", "peer/tessel")]
    for index, row in enumerate(rows):
        mine = tessel.get((row.program, row.name))
        theirs = tessel.get(row.peer_bench) if row.peer_bench else peers.get(index)
        ratio = "%.2f" % (theirs / mine) if mine and theirs is not None else "n/a"
        lines.append((row.operation, row.peer, str(row.size), format_time(mine),
                      format_time(theirs), ratio))
    return lines


def render(lines, markdown):
    if markdown:
        out = ["| " + " | ".join(lines[0]) + " |", "|" + "---|" * len(lines[0])]
        out += ["| " + " | ".join(line) + " |" for line in lines[1:]]
        return "\n".join(out)
    widths = [max(len(line[k]) for line in lines) for k in range(len(lines[0]))]
    text = []
    for line in lines:
        cells = [c.ljust(w) if k < 2 else c.rjust(w) for k, (c, w) in enumerate(zip(line, widths))]
        text.append("  ".join(cells).rstrip())
    return "\n".join(text)


def selftest():
    """Checks the table assembly and the JSON reading on made-up data; prints nothing on success."""
    rows = table_rows()
    first, copy_row = rows[0], next(r for r in rows if r.peer_bench)
    fake = {(first.program, first.name): 2e-6,
            (copy_row.program, copy_row.name): 4e-6, copy_row.peer_bench: 1e-6}
    lines = assemble(rows, fake, {0: 5e-6, 1: 1e-3})
    assert len(lines) == len(rows) + 1, lines
    assert lines[1] == (first.operation, first.peer, str(first.size), "2 µs", "5 µs", "2.50"), lines[1]
    assert lines[2][3:] == ("n/a", "1 ms", "n/a"), lines[2]  # a benchmark the build lacks
    assert lines[rows.index(copy_row) + 1][3:] == ("4 µs", "1 µs", "0.25")
    assert lines[3][3:] == ("n/a", "n/a", "n/a")
    report = {"benchmarks": [
        {"name": "BM_A/8", "run_name": "BM_A/8", "run_type": "iteration", "real_time": 2.0,
         "time_unit": "us"},
        {"name": "BM_A/8", "run_name": "BM_A/8", "run_type": "iteration", "real_time": 3.0,
         "time_unit": "us"},
        {"name": "BM_A/8_mean", "run_name": "BM_A/8", "run_type": "aggregate", "real_time": 0.1,
         "time_unit": "us"},
        {"name": "BM_B", "run_type": "iteration", "real_time": 7.0, "time_unit": "ms",
         "error_occurred": True}]}
    assert best_times(report) == {"BM_A/8": 2e-6}, best_times(report)
    table = render(lines, markdown=True).splitlines()
    assert table[0].startswith("| operation |") and table[1] == "|---|---|---|---|---|---|"
    assert len(render(lines, markdown=False).splitlines()) == len(lines)
    assert format_time(1.5e-9) == "1.5 ns" and format_time(2.5) == "2.5 s"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default="build/release", help="the CMake build directory")
    parser.add_argument("--quick", action="store_true", help="short timings, for a smoke run")
    parser.add_argument("--markdown", action="store_true", help="print a Markdown table")
    parser.add_argument("--selftest", action="store_true", help="check the table assembly only")
    args = parser.parse_args()
    if args.selftest:
        selftest()
        print("peers.py selftest: ok")
        return 0
    repeats, budget, min_time = (1, 0.02, 0.01) if args.quick else (5, 0.2, 0.2)
    rows = table_rows()
    tessel = library_times(args.build, rows, repeats, min_time)
    peers, cache = {}, {}
    for index, row in enumerate(rows):
        if row.peer_key:
            key = (row.peer_key, row.size)
            if key not in cache:
                cache[key] = time_peer(row.peer_key, row.size, repeats, budget)
            peers[index] = cache[key]
    print(render(assemble(rows, tessel, peers), args.markdown))
    return 0


if __name__ == "__main__":
    sys.exit(main())
