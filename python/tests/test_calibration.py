"""Calibration solvers through the bindings: standards measured through the forward error
model must solve to terms that correct a device back to itself, for every method; the one- and
two-port terms must also agree with scikit-rf's solution from the same raw data."""
import numpy as np
import pytest

import tessel
from error_model import boxes, measure, skrf_terms

F = np.linspace(2e9, 8e9, 41)
S = tessel.CalStandard
OPEN, SHORT, LOAD = S.open((40e-15, 0, 0, 0)), S.short(delay=20e-12), S.matched_load()
THRU, LINE = S.thru(), S.thru(delay=25e-12)


def sub(e, idx):
    return tuple(x[:, idx] for x in e)


def reflect(std, e, k, f=F):
    """Raw reflection of a standard on the k-th port (0-based) of boxes e."""
    g = std.s_parameters(f)[:, :1, :1]
    return measure(g, sub(e, [k]))[:, 0, 0].astype(np.complex64)


def two_port(std, e, i, j, f=F):
    m = measure(std.s_parameters(f), sub(e, [i, j])).astype(np.complex64)
    return {"S11": m[:, 0, 0], "S12": m[:, 0, 1], "S21": m[:, 1, 0], "S22": m[:, 1, 1]}


def dut(n):
    rng = np.random.default_rng(1)
    return 0.3 * (rng.normal(size=(len(F), n, n)) + 1j * rng.normal(size=(len(F), n, n)))


def sol(e, ports):
    return [(std, p, reflect(std, e, k)) for k, p in enumerate(ports) for std in (OPEN, SHORT, LOAD)]


def thrus(e, ports, std=THRU):
    return [(std, ports[i], ports[j], two_port(std, e, i, j))
            for i in range(len(ports)) for j in range(i + 1, len(ports))]


ZEROS = np.zeros(len(F), np.complex64)
EIGHT_TERM = dict(switch_forward=ZEROS, switch_reverse=ZEROS)
CASES = {
    "solt": lambda e: (sol(e, [1, 2]), thrus(e, [1, 2]), {}),
    "trl": lambda e: ([(SHORT, 1, reflect(SHORT, e, 0)), (SHORT, 2, reflect(SHORT, e, 1))],
                      thrus(e, [1, 2]) + thrus(e, [1, 2], LINE), EIGHT_TERM),
    "unknown_thru": lambda e: (sol(e, [1, 2]), thrus(e, [1, 2], S.thru(delay=40e-12)), EIGHT_TERM),
}


@pytest.mark.parametrize("method", list(CASES))
def test_two_port_methods_correct_the_device(method):
    e = boxes(len(F), 2, seed=4)
    reflections, two_ports, extra = CASES[method](e)
    terms = tessel.solve_two_port(F, reflections, two_ports, method=method, **extra)
    s = dut(2)
    raw = measure(s, e).astype(np.complex64)
    got = tessel.correct_two_port({"S11": raw[:, 0, 0], "S12": raw[:, 0, 1], "S21": raw[:, 1, 0],
                                   "S22": raw[:, 1, 1]}, terms)
    assert np.allclose(np.stack([got["S11"], got["S12"], got["S21"], got["S22"]], 1),
                       s.reshape(-1, 4), atol=1e-4)


def test_enhanced_response_and_n_port_solt():
    e = boxes(len(F), 3, seed=6)
    e[1][:, 1] = 0  # enhanced response leaves the receiver's match uncorrected: make it ideal
    s = dut(3)
    raw = measure(s, e).astype(np.complex64)
    names = {f"S{r}{c}": raw[:, r - 1, c - 1] for r in (1, 2, 3) for c in (1, 2, 3)}
    terms = tessel.solve_n_port_solt(F, sol(e, [1, 2, 3]), thrus(e, [1, 2, 3]), ports=[1, 2, 3])
    got = tessel.correct_n_port(names, terms, ports=[1, 2, 3])
    assert np.allclose(np.stack([got[k] for k in names], 1), s.reshape(-1, 9), atol=1e-4)
    er = tessel.solve_two_port(F, sol(e, [1]), thrus(e, [1, 2]), method="enhanced_response")
    raw2 = measure(s[:, :2, :2], sub(e, [0, 1])).astype(np.complex64)
    got = tessel.correct_enhanced_response({"S11": raw2[:, 0, 0], "S21": raw2[:, 1, 0]}, er)
    assert np.allclose(got["S11"], s[:, 0, 0], atol=1e-4)
    assert np.allclose(got["S21"], s[:, 1, 0], atol=1e-4)
    thru = two_port(THRU, e, 0, 1)["S21"]
    resp = tessel.solve_response(F, [(THRU, thru)], raw_name="S21")
    assert np.allclose(resp["ResponseTracking(S21)"], thru, rtol=1e-5)


def test_singular_points_raise_unless_partial():
    e = boxes(len(F), 1)
    same = [(std, 1, reflect(SHORT, e, 0)) for std in (SHORT, S.short(), S.short(delay=1e-15))]
    with pytest.raises(tessel.TesselError) as err:
        tessel.solve_one_port(F, [(a, b) for a, _, b in same])
    assert err.value.code == -0x7FFFBFFB  # failure: some points ill-conditioned
    terms = tessel.solve_one_port(F, [(a, b) for a, _, b in same], allow_partial=True)
    assert np.allclose(terms["Directivity(1,1)"], 1e-10, atol=1e-12)


@pytest.mark.parametrize("ports", [1, 2])
def test_terms_agree_with_skrf(rf, skrf_data_files, ports):
    f = rf.Network(skrf_data_files[0]).frequency
    e = boxes(len(f.f), 2, seed=8)
    med = rf.media.DefinedGammaZ0(f)
    names = ["short", "open", "match"]
    ideals = [getattr(med, n)(nports=ports) for n in names] + ([med.thru()] if ports == 2 else [])
    meas = [rf.Network(frequency=f, s=measure(i.s, sub(e, list(range(ports))))) for i in ideals]
    ours = [S.short(), S.open(), S.matched_load()]
    refl = [(std, p + 1, m.s[:, p, p].astype(np.complex64))
            for std, m in zip(ours, meas) for p in range(ports)]
    if ports == 1:
        cal = rf.calibration.OnePort(measured=meas, ideals=ideals)
        got = tessel.solve_one_port(f.f, [(a, c) for a, _, c in refl])
        want = {"Directivity(1,1)": cal.coefs["directivity"],
                "SourceMatch(1,1)": cal.coefs["source match"],
                "ReflectionTracking(1,1)": cal.coefs["reflection tracking"]}
    else:
        cal = rf.calibration.SOLT(measured=meas, ideals=ideals)
        t = meas[-1].s
        thru = {"S11": t[:, 0, 0], "S12": t[:, 0, 1], "S21": t[:, 1, 0], "S22": t[:, 1, 1]}
        got = tessel.solve_two_port(f.f, refl, [(S.thru(), 1, 2, thru)])
        want = {k: v for k, v in skrf_terms(cal).items() if not k.startswith("CrossTalk")}
    for name, value in want.items():
        assert np.allclose(got[name], value, atol=2e-5), name
