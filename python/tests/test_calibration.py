# SPDX-License-Identifier: Apache-2.0
"""Calibration solvers: standards measured through the error model solve to terms that correct a
device back to itself, for every method; one- and two-port terms agree with scikit-rf's."""
import numpy as np
import pytest

import tessel
from error_model import boxes, by_name, device, measure

F = np.linspace(2e9, 8e9, 41)
S = tessel.CalStandard
OPEN, SHORT, LOAD = S.open((40e-15, 0, 0, 0)), S.short(delay=20e-12), S.matched_load()
THRU, LINE = S.thru(), S.thru(delay=25e-12)
ZEROS = np.zeros(len(F), np.complex64)


def raw_of(std, e, idx):
    """Raw S-parameters by name of a standard on the ports idx (0-based) of boxes e."""
    s = std.s_parameters(F)[:, :len(idx), :len(idx)]
    return by_name(measure(s, tuple(x[:, idx] for x in e)), [1, 2][:len(idx)])


def sol(e, ports):
    return [(std, p, raw_of(std, e, [p - 1])["S11"]) for p in ports for std in (OPEN, SHORT, LOAD)]


def thrus(e, ports, std=THRU):
    return [(std, p, q, raw_of(std, e, [p - 1, q - 1])) for p in ports for q in ports if p < q]


def corrected(e, n, correct):
    """The correction of a random device measured through e, and the device, by name."""
    s = device(len(F), n, seed=1)
    got = correct(by_name(measure(s, e), range(1, n + 1)))
    want = by_name(s, range(1, n + 1))
    return np.stack([got[k] for k in got]), np.stack([want[k] for k in got])


CASES = {
    "solt": lambda e: (sol(e, [1, 2]), thrus(e, [1, 2]), {}),
    "trl": lambda e: ([(SHORT, p, raw_of(SHORT, e, [p - 1])["S11"]) for p in (1, 2)],
                      thrus(e, [1, 2]) + thrus(e, [1, 2], LINE),
                      dict(switch_forward=ZEROS, switch_reverse=ZEROS)),
    "unknown_thru": lambda e: (sol(e, [1, 2]), thrus(e, [1, 2], S.thru(delay=40e-12)),
                               dict(switch_forward=ZEROS, switch_reverse=ZEROS)),
}


@pytest.mark.parametrize("method", list(CASES))
def test_two_port_methods_correct_the_device(method):
    e = boxes(len(F), 2, seed=4)
    reflections, two_ports, extra = CASES[method](e)
    terms = tessel.solve_two_port(F, reflections, two_ports, method=method, **extra)
    got, want = corrected(e, 2, lambda raw: tessel.correct_two_port(raw, terms))
    assert np.allclose(got, want, atol=1e-4)


def test_enhanced_response_n_port_solt_and_response():
    e = boxes(len(F), 3, seed=6)
    e[1][:, 1] = 0  # enhanced response leaves the receiver's match uncorrected: make it ideal
    terms = tessel.solve_n_port_solt(F, sol(e, [1, 2, 3]), thrus(e, [1, 2, 3]), ports=[1, 2, 3])
    got, want = corrected(e, 3, lambda raw: tessel.correct_n_port(raw, terms, ports=[1, 2, 3]))
    assert np.allclose(got, want, atol=1e-4)
    er = tessel.solve_two_port(F, sol(e, [1]), thrus(e, [1, 2]), method="enhanced_response")
    got, want = corrected(tuple(x[:, :2] for x in e), 2, lambda raw: tessel.correct_enhanced_response(
        {k: raw[k] for k in ("S11", "S21")}, er))
    assert np.allclose(got, want, atol=1e-4)
    thru = raw_of(THRU, e, [0, 1])["S21"]
    resp = tessel.solve_response(F, [(THRU, thru)], raw_name="S21")
    assert np.allclose(resp["ResponseTracking(S21)"], thru, rtol=1e-5)


def test_singular_points_raise_unless_partial():
    same = [(std, raw_of(SHORT, boxes(len(F), 1), [0])["S11"])
            for std in (SHORT, S.short(), S.short(delay=1e-15))]
    with pytest.raises(tessel.TesselError) as err:
        tessel.solve_one_port(F, same)
    assert err.value.code == 0x80004005 - (1 << 32)  # failure: some points ill-conditioned
    terms = tessel.solve_one_port(F, same, allow_partial=True)
    assert np.allclose(terms["Directivity(1,1)"], 1e-10, atol=1e-12)


SKRF_NAMES = {"directivity": "Directivity({0},{0})", "source match": "SourceMatch({0},{0})", "load match": "LoadMatch({1},{0})",
              "reflection tracking": "ReflectionTracking({0},{0})", "transmission tracking": "TransmissionTracking({1},{0})"}


@pytest.mark.parametrize("ports", [1, 2])
def test_skrf_terms_agree_and_correct(rf, skrf_data_files, ports):
    """scikit-rf solves OnePort or SOLT from ideal standards; its terms equal ours from the same
    raw data and correct a device measured through the same boxes back to the device."""
    dut = rf.Network([f for f in skrf_data_files if f.endswith("ntwk1.s2p")][0])
    f, e, pl = dut.frequency, boxes(len(dut.f), ports, seed=8), list(range(1, ports + 1))
    med = rf.media.DefinedGammaZ0(f)
    ideals = [med.short(nports=ports), med.open(nports=ports), med.match(nports=ports)]
    meas = [measure(i.s, e) for i in ideals + ([med.thru()] if ports == 2 else [])]
    refl = [(std, p, m[:, p - 1, p - 1].astype(np.complex64))
            for std, m in zip((S.short(), S.open(), S.matched_load()), meas) for p in pl]
    nets = [rf.Network(frequency=f, s=m) for m in meas]
    if ports == 1:
        coefs = rf.calibration.OnePort(measured=nets, ideals=ideals).coefs
        ours = tessel.solve_one_port(f.f, [(a, c) for a, _, c in refl])
        ways = (("", (1, 1)),)
    else:
        coefs = rf.calibration.SOLT(measured=nets, ideals=ideals + [med.thru()]).coefs
        ours = tessel.solve_two_port(f.f, refl, [(S.thru(), 1, 2, by_name(meas[-1], pl))])
        ways = (("forward ", (1, 2)), ("reverse ", (2, 1)))
    theirs = {pattern.format(*pp): coefs[way + word].astype(np.complex64)
              for word, pattern in SKRF_NAMES.items() for way, pp in ways if way + word in coefs}
    for name, value in theirs.items():
        assert np.allclose(ours[name], value, atol=2e-5), name
    got = tessel.correct_n_port(by_name(measure(dut.s[:, :ports, :ports], e), pl), theirs, ports=pl)
    for name, value in by_name(dut.s, pl).items():
        assert np.allclose(got[name], value, atol=5e-5), name
