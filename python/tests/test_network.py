# SPDX-License-Identifier: Apache-2.0
"""Network math against scikit-rf's cascade (**) and inverse (.inv) on its measured files.
Inputs are rounded to complex64 first, as the library takes them; 2e-6 relative to the larger of
1 and the largest magnitude covers float rounding (de-embedding strong reflections amplifies it
to a few 1e-7) and catches a wrong port, orientation or sign, which err by percent."""
import numpy as np
import pytest

import tessel


def close(ours, theirs, tol=2e-6):
    return np.max(np.abs(ours - theirs)) / max(1.0, np.max(np.abs(theirs))) < tol


@pytest.fixture(scope="module")
def nets(rf, skrf_data_files):
    load = lambda name: rf.Network([p for p in skrf_data_files if p.endswith(name)][0])
    dut, line = load("ring slot.s2p"), load("line.s2p")
    c64 = lambda s: s.astype(np.complex64)
    net = lambda s: rf.Network(frequency=dut.frequency, s=c64(s).astype(complex))
    return rf, net, c64(dut.s), c64(line.s), c64(dut.s[:, ::-1, ::-1])


def test_cascade_and_deembedding_match_skrf(nets):
    rf, net, dut, left, right = nets
    theirs = (net(left) ** net(dut) ** net(right)).s
    ours = tessel.cascade(left, dut, right)
    assert ours.shape == dut.shape and ours.dtype == np.complex64 and close(ours, theirs)
    measured = ours
    removed = (net(left).inv ** net(measured) ** net(right).inv).s
    ours = tessel.cascade(tessel.anti_network(left), measured, tessel.anti_network(right))
    assert close(ours, removed) and close(ours, dut)
    assert close(tessel.t_to_s(tessel.s_to_t(dut)), dut, 1e-6)


def test_embedding_a_four_port_fixture_matches_skrf(nets):
    """Fixture ports 1-2 are the outer ports, 3 and 4 join the DUT's ports 1 and 2: left's port 1
    is port 1, its port 2 port 3; right's port 1 is port 4 and its port 2 is port 2."""
    rf, net, dut, left, right = nets
    e = np.zeros((len(dut), 4, 4), np.complex64)
    for src, dst in ((left, (0, 2)), (right, (3, 1))):
        for a in range(2):
            for b in range(2):
                e[:, dst[a], dst[b]] = src[:, a, b]
    embedded = tessel.embed(dut, e)
    assert close(embedded, (net(left) ** net(dut) ** net(right)).s)
    assert close(tessel.embed(embedded, tessel.anti_network(e)), dut)
    swapped = tessel.embed(dut[:, ::-1, ::-1].copy(), e, ports=[2, 1])
    assert close(swapped[:, ::-1, ::-1], embedded)


S2 = np.ones((3, 2, 2), np.complex64)


@pytest.mark.parametrize("call, error", [
    (lambda: tessel.cascade(S2), ValueError),
    (lambda: tessel.cascade(S2, S2[:2]), ValueError),
    (lambda: tessel.cascade(S2, np.ones((3, 3, 3), np.complex64)), ValueError),
    (lambda: tessel.s_to_t(np.ones((3, 2), np.complex64)), ValueError),
    (lambda: tessel.anti_network(np.ones((3, 3, 3), np.complex64)), ValueError),
    (lambda: tessel.anti_network(np.zeros((0, 2, 2), np.complex64)), ValueError),
    (lambda: tessel.anti_network(np.zeros((3, 4, 4), np.complex64)), tessel.TesselError),
    (lambda: tessel.embed(S2, np.ones((3, 2, 2), np.complex64)), ValueError),
    (lambda: tessel.embed(S2, np.ones((2, 4, 4), np.complex64)), ValueError),
    (lambda: tessel.embed(S2, np.ones((3, 4, 4), np.complex64), ports=[1, 5]), tessel.TesselError),
    (lambda: tessel.embed(np.ones((3, 5, 5), np.complex64), np.ones((3, 4, 4))), ValueError),
])
def test_bad_input_raises(call, error):
    with pytest.raises(error):
        call()
