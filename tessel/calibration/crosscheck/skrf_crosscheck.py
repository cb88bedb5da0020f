#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Cross-check of the calibration solvers against scikit-rf, on scikit-rf's measured data.

Usage: skrf_crosscheck.py CALIBRATION_CROSSCHECK_EXECUTABLE
Both solve the same one-port (three measured radially offset shorts) and two-port SOLT (measured
shorts, a measured slot device's reflections and a measured line as the thru) calibrations; the
raw values are rounded to float first, as the library takes them. The terms must agree to float
rounding. Exits 77, which CTest reports as a skipped test, when scikit-rf cannot be imported.
"""
import os
import subprocess
import sys

from skrf_compat import np, rf

DATA = os.path.join(os.path.dirname(rf.__file__), "data")


def load(name):
    return rf.Network(os.path.join(DATA, name))


def f32(z):
    return np.asarray(z).astype(np.complex64).astype(complex)


def network(freq, s):
    n = rf.Network()
    n.frequency, n.s = freq, np.asarray(s).reshape(len(freq), *(np.shape(s)[1:] or (1, 1)))
    return n


def text(values):
    return " ".join("%r %r" % (z.real, z.imag) for z in values)


def solve_cpp(exe, freq, ports, reflections, thru=None):
    lines = ["%d %d" % (ports, len(freq)), " ".join(repr(x) for x in freq.f)]
    for per_port in reflections:
        lines.append(str(len(per_port)))
        lines += [text(ideal) + " " + text(raw) for ideal, raw in per_port]
    if thru is not None:
        ideal, raw = thru
        lines += [text(ideal[:, r, c]) for r, c in ((0, 0), (0, 1), (1, 0), (1, 1))]
        lines += [text(raw[:, r, c]) for r, c in ((0, 0), (0, 1), (1, 0), (1, 1))]
    out = subprocess.run([exe], input="\n".join(lines), capture_output=True, text=True, check=True)
    rows = [line.split() for line in out.stdout.splitlines()]
    return {r[0]: np.array(r[1::2], float) + 1j * np.array(r[2::2], float) for r in rows}


def compare(label, ours, theirs):
    worst = max(np.max(np.abs(ours[n] - e)) / max(1.0, np.max(np.abs(e))) for n, e in theirs.items())
    print("%s: %d terms, worst relative difference %.2e" % (label, len(theirs), worst))
    return worst < 1e-6


def main(exe):
    ok = True
    # One port: three measured radially offset shorts, defined as offset shorts.
    ro = [load("ro,%d.s1p" % k) for k in (1, 2, 3)]
    freq = ro[0].frequency
    w = 2 * np.pi * freq.f
    ideals = [-np.exp(-2j * w * tau) for tau in (0.0, 0.1e-12, 0.2e-12)]
    raws = [f32(n.s[:, 0, 0]) for n in ro]
    cal = rf.OnePort(measured=[network(freq, r) for r in raws],
                     ideals=[network(freq, g) for g in ideals])
    cal.run()
    ours = solve_cpp(exe, freq, 1, [list(zip(ideals, raws))])
    ok &= compare("one-port", ours, {"Directivity(1,1)": cal.coefs["directivity"],
                                     "SourceMatch(1,1)": cal.coefs["source match"],
                                     "ReflectionTracking(1,1)": cal.coefs["reflection tracking"]})
    # Two ports (W band): measured short and delay short, and the slot's reflections.
    short, dshort, ring = load("short.s1p"), load("delay_short.s1p"), load("ring slot.s2p")
    line = load("line.s2p")
    freq = short.frequency
    w = 2 * np.pi * freq.f
    ideals = [-np.ones(len(w)) + 0j, -np.exp(-2j * w * 1e-12), 0.05 * np.exp(-3j * w * 1e-12)]
    raw1 = [f32(short.s[:, 0, 0]), f32(dshort.s[:, 0, 0]), f32(ring.s[:, 0, 0])]
    raw2 = [f32(dshort.s[:, 0, 0]), f32(short.s[:, 0, 0]), f32(ring.s[:, 1, 1])]
    thru_ideal = np.zeros((len(w), 2, 2), complex)
    thru_ideal[:, 0, 1] = thru_ideal[:, 1, 0] = 1.0
    thru_raw = f32(line.s)
    diagonal = lambda a, b: np.einsum("i,jk->ijk", a, [[1, 0], [0, 0]]) + np.einsum(
        "i,jk->ijk", b, [[0, 0], [0, 1]])
    cal = rf.SOLT(measured=[network(freq, diagonal(a, b)) for a, b in zip(raw1, raw2)] +
                  [network(freq, thru_raw)],
                  ideals=[network(freq, diagonal(g, g)) for g in ideals] +
                  [network(freq, thru_ideal)])
    cal.run()
    ours = solve_cpp(exe, freq, 2, [list(zip(ideals, raw1)), list(zip(ideals, raw2))],
                     (thru_ideal, thru_raw))
    expected = {}
    for direction, driver, other in (("forward", 1, 2), ("reverse", 2, 1)):
        c = lambda key: cal.coefs["%s %s" % (direction, key)]
        expected["Directivity(%d,%d)" % (driver, driver)] = c("directivity")
        expected["SourceMatch(%d,%d)" % (driver, driver)] = c("source match")
        expected["ReflectionTracking(%d,%d)" % (driver, driver)] = c("reflection tracking")
        expected["LoadMatch(%d,%d)" % (other, driver)] = c("load match")
        expected["TransmissionTracking(%d,%d)" % (other, driver)] = c("transmission tracking")
        expected["CrossTalk(%d,%d)" % (other, driver)] = c("isolation")
    ok &= compare("two-port SOLT", ours, expected)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
