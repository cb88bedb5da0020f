"""Correction through the bindings: raw data made by the forward error model must correct back
to the device, for every algorithm; the two-port case also with terms solved by scikit-rf."""
import numpy as np
import pytest

import tessel
from error_model import boxes, by_name, measure, skrf_terms, terms

POINTS = 64


def device(ports, seed=5):
    rng = np.random.default_rng(seed)
    s = rng.normal(size=(POINTS, ports, ports)) + 1j * rng.normal(size=(POINTS, ports, ports))
    return 0.3 * s


@pytest.mark.parametrize("ports", [[1], [1, 2], [2, 3, 5], [1, 2, 3, 4]])
def test_n_port_recovers_device(ports):
    s, e = device(len(ports)), boxes(POINTS, len(ports))
    raw = by_name(measure(s, e), ports)
    got = tessel.correct_n_port(raw, terms(e, ports), ports=ports)
    assert np.allclose(np.array([list(got.values())]).ravel(),
                       np.array([list(by_name(s, ports).values())]).ravel(), atol=2e-5)
    assert list(got) == list(by_name(s, ports))
    assert got["S" + str(ports[0]) * 2].dtype == np.complex64


def test_one_port_and_response_kernels():
    s, e = device(1), boxes(POINTS, 1)
    raw = measure(s, e)[:, 0, 0].astype(np.complex64)
    t = terms(e, [1])
    got = tessel.correct_one_port(raw, directivity=t["Directivity(1,1)"],
                                  source_match=t["SourceMatch(1,1)"],
                                  reflection_tracking=t["ReflectionTracking(1,1)"])
    assert np.allclose(got, s[:, 0, 0], atol=2e-5)
    track, iso = t["ReflectionTracking(1,1)"], t["Directivity(1,1)"]
    assert np.allclose(tessel.correct_response(raw, track), raw / track, rtol=1e-6)
    assert np.allclose(tessel.correct_response(raw, track, isolation=iso), (raw - iso) / track,
                       rtol=1e-5)


def test_enhanced_response_corrects_a_matched_receiver():
    s, e = device(2), boxes(POINTS, 2)
    e[1][:, 1] = 0  # the receiving port's load match is not corrected: make it ideal
    raw = by_name(measure(s, e), [1, 2])
    t = {k: v for k, v in terms(e, [1, 2]).items()
         if k in tessel.correction_names("enhanced_response", ports=[2, 1])[1]}
    got = tessel.correct_enhanced_response({k: raw[k] for k in ("S11", "S21")}, t,
                                           receiving_port=2, source_port=1)
    assert np.allclose(got["S11"], s[:, 0, 0], atol=2e-5)
    assert np.allclose(got["S21"], s[:, 1, 0], atol=2e-5)


@pytest.mark.parametrize("match", [False, True])
def test_receivers(match):
    s, e = device(2), boxes(POINTS, 2)
    rng = np.random.default_rng(9)
    a = (rng.normal(size=(POINTS, 2)) + 1j).astype(np.complex64)  # incident waves, port q drives
    ref_track = (0.5 + rng.uniform(size=(POINTS, 2))).astype(np.complex64)
    raw = by_name(measure(s, e), [1, 2])
    # Raw reference receivers as the source's box delivers them; the test receivers b = S a.
    raw.update({f"a{p},{p}": a[:, p - 1] * ref_track[:, p - 1] for p in (1, 2)})
    raw.update({f"b{p},{q}": (s[:, p - 1, q - 1] * a[:, q - 1]).astype(np.complex64)
                for p in (1, 2) for q in (1, 2)})
    t = terms(e, [1, 2])
    t.update({f"ReferenceTracking(a{p})": ref_track[:, p - 1] for p in (1, 2)})
    t.update({f"ResponseTracking(b{p})": np.ones(POINTS, np.complex64) for p in (1, 2)})
    got = tessel.correct_receivers(raw, t, ports=[1, 2], match_correction=match)
    for p in (1, 2):
        # The incident wave meets the port's input reflection, the other port terminated.
        q = 3 - p
        gamma = s[:, p - 1, p - 1] + s[:, p - 1, q - 1] * s[:, q - 1, p - 1] * e[1][:, q - 1] / (
            1 - s[:, q - 1, q - 1] * e[1][:, q - 1])
        expect = a[:, p - 1] / (1 - e[1][:, p - 1] * gamma) if match else a[:, p - 1]
        assert np.allclose(got[f"a{p},{p}"], expect, rtol=1e-4), p
        if match:
            assert np.allclose(got[f"b{p},{q}"], s[:, p - 1, q - 1] * got[f"a{q},{q}"], atol=1e-4)


def test_two_port_with_terms_solved_by_skrf(rf, skrf_data_files):
    dut = rf.Network([f for f in skrf_data_files if f.endswith("ntwk1.s2p")][0])
    n = len(dut.f)
    e = boxes(n, 2)
    med = rf.media.DefinedGammaZ0(dut.frequency)
    ideals = [med.short(nports=2), med.open(nports=2), med.match(nports=2), med.thru()]

    def raw(net):
        return rf.Network(frequency=dut.frequency, s=measure(net.s, e))

    cal = rf.calibration.SOLT(measured=[raw(i) for i in ideals], ideals=ideals)
    got = tessel.correct_two_port(by_name(raw(dut).s, [1, 2]), skrf_terms(cal))
    assert np.allclose(np.stack([got["S11"], got["S12"], got["S21"], got["S22"]]),
                       dut.s.reshape(n, 4).T, atol=5e-5)
