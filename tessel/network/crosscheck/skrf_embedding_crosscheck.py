#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Cross-check of the fixture embedding and de-embedding against scikit-rf, on its measured data.

Usage: skrf_embedding_crosscheck.py EMBEDDING_CROSSCHECK_EXECUTABLE
The DUT is scikit-rf's measured ring slot; the fixture is its measured line on the DUT's port 1
side and the ring slot again, turned the other way, on its port 2 side. scikit-rf cascades them
(left ** dut ** right) and removes them again (left.inv ** cascaded ** right.inv); the library
does the same through EmbedNetwork and CalculateAntiNetwork with the two fixture halves written
as one four-port. All inputs are rounded to float first, as the library takes them, so the
results must agree to float rounding. Exits 77, which CTest reports as a skipped test, when
scikit-rf cannot be imported.
"""
import os
import subprocess
import sys

from skrf_compat import np, rf

DATA = os.path.join(os.path.dirname(rf.__file__), "data")

# Float rounding of the inputs and outputs is about 6e-8 relative (the cascade agrees to 4e-8);
# the anti-network is itself stored in float (its elements reach 1/|S21| of the fixture), and
# de-embedding the ring slot's strong reflections amplifies that to about 4e-7. 2e-6, relative
# to the larger of 1 and the largest magnitude, leaves room for that and catches any wrong
# port, orientation or sign, which errs by percent or more.
TOLERANCE = 2e-6


def load(name):
    return rf.Network(os.path.join(DATA, name))


def f32(z):
    return np.asarray(z).astype(np.complex64).astype(complex)


def network(freq, s):
    n = rf.Network()
    n.frequency, n.s = freq, s
    return n


def four_port(left, right):
    """The library's fixture four-port for scikit-rf's left ** dut ** right.

    Ports 1-2 are the outer ports, 3 and 4 those joined to the DUT's ports 1 and 2. left's port 1
    is outer port 1 and its port 2 is port 3; right's port 1 faces the DUT (port 4) and its port 2
    is outer port 2.
    """
    e = np.zeros((left.shape[0], 4, 4), complex)
    for a, pa in enumerate((0, 2)):  # left: skrf port index -> four-port index
        for b, pb in enumerate((0, 2)):
            e[:, pa, pb] = left[:, a, b]
    for a, pa in enumerate((3, 1)):  # right: port 1 -> 4, port 2 -> 2
        for b, pb in enumerate((3, 1)):
            e[:, pa, pb] = right[:, a, b]
    return e


def run_cpp(exe, mode, fixture, s):
    values = lambda z: " ".join("%r %r" % (v.real, v.imag) for v in z.ravel())
    text = "%d\n%s\n%s\n" % (len(s), values(fixture), values(s))
    out = subprocess.run([exe, mode], input=text, capture_output=True, text=True, check=True)
    rows = np.array([line.split() for line in out.stdout.splitlines()], float)
    return (rows[:, 0::2] + 1j * rows[:, 1::2]).reshape(len(s), 2, 2)


def compare(label, ours, theirs):
    worst = np.max(np.abs(ours - theirs)) / max(1.0, np.max(np.abs(theirs)))
    print("%s: %d points, worst relative difference %.2e" % (label, len(theirs), worst))
    return worst < TOLERANCE


def main(exe):
    dut_net = load("ring slot.s2p")
    freq = dut_net.frequency
    dut, left, right = f32(dut_net.s), f32(load("line.s2p").s), f32(dut_net.s[:, ::-1, ::-1])
    fixture = four_port(left, right)
    left_net, right_net = network(freq, left), network(freq, right)
    cascaded = (left_net ** network(freq, dut) ** right_net).s
    ok = compare("cascade", run_cpp(exe, "embed", fixture, dut), cascaded)
    measured = f32(cascaded)
    removed = (left_net.inv ** network(freq, measured) ** right_net.inv).s
    ok &= compare("de-embedding", run_cpp(exe, "deembed", fixture, measured), removed)
    # The round trip must also give the DUT back, so both tools are not wrong the same way.
    ok &= compare("round trip", removed, dut)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
