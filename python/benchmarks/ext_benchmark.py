#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Timings of the time-domain, marker, limit-test and network bindings.

Each 20001-point case does the work of one C++ benchmark, named next to it, so the two figures
compare directly; the 1-point cases measure what a call costs beyond the library's work.
Usage: PYTHONPATH=build/release/python python3 python/benchmarks/ext_benchmark.py
"""
import time
import timeit

import numpy as np

import tessel

N = 20001


def best(fn, number):
    """Best of five runs, in microseconds of CPU time per call (the machine may be shared: wall
    time would count other processes; compare with the C++ benchmarks' CPU column)."""
    return min(timeit.repeat(fn, number=number, repeat=5, timer=time.process_time)) / number * 1e6


def cases():
    f = np.linspace(1e9, 3e9, N)
    data = (0.5 * np.exp(-2j * np.pi * f * 1e-9)).astype(np.complex64)
    td = tessel.TimeDomain(f, start=-10e-9, stop=10e-9)
    gate = tessel.Gate(f, start=-1e-9, stop=2e-9)
    x = np.linspace(1e9, 2e9, N)
    h = 1 / (1 + 2j * (x - 1.5e9) / 2e7) + 0.3 / (1 + 2j * (x - 1.2e9) / 1e7)
    db = (20 * np.log10(np.abs(h))).astype(np.float32)
    marker = tessel.MarkerSet(x, values=db).marker(1)
    segments = [("max" if k % 2 else "min", 1e6 + k * 1e8, 1e6 + (k + 1) * 1e8, 10.0, -100.0) for k in range(100)]
    lt = tessel.LimitTest(segments)
    xl = np.linspace(1e6, 1e10, N)
    # The C++ benchmark's data: w = 0.001*((7i + 13r + 5c) mod 101), ports r, c = 1..4.
    i, r, c = np.ogrid[0:N, 1:5, 1:5]
    w = 0.001 * ((i * 7 + r * 13 + c * 5) % 101)
    s4 = np.where(r == c, 0.1 + w - 1j * w, 0.5 - w + 1j * w).astype(np.complex64)
    e = np.zeros((N, 4, 4), np.complex64)
    for k in range(4):
        e[:, k, k], e[:, k, (k + 2) % 4] = 0.05 + 0.02j, 0.9 - 0.1j
    one_f, one = np.array([1e9]), np.ones(1, np.complex64)
    return [
        ("TimeDomain.transform bandpass", "BM_ExecuteBandPass/20001", lambda: td.transform(data), 20),
        ("Gate.apply bandpass", "BM_GateDataBandpass/20001", lambda: gate.apply(data), 20),
        ("Marker.search max", "BM_Search/Max", lambda: marker.search("max"), 200),
        ("find_max (a new set per call)", "BM_Search/Max + trace setup", lambda: tessel.find_max(db, x), 50),
        ("LimitTest.run, same x", "BM_ProcessData/log:0/rebuild:0", lambda: lt.run(db, xl), 50),
        ("embed 4-port", "BM_EmbedNetwork/20001", lambda: tessel.embed(s4, e), 3),
        ("port_extension, 1 point", "-", lambda: tessel.port_extension(one, one_f, delay=1e-9), 20000),
        ("estimate_dc, 3 points", "-", lambda: tessel.estimate_dc(np.ones(3, np.complex64)), 20000),
        ("cascade, 1 point", "-", lambda: tessel.cascade(s4[:1, :2, :2], s4[:1, :2, :2]), 20000),
    ]


def main():
    print("%-32s %12s  %s" % ("call", "us/call", "C++ counterpart"))
    for name, counterpart, fn, number in cases():
        print("%-32s %12.1f  %s" % (name, best(fn, number), counterpart))


if __name__ == "__main__":
    main()
