# SPDX-License-Identifier: Apache-2.0
"""Correction: raw data made by the error model correct back to the device, for every algorithm."""
import numpy as np
import pytest

import tessel
from error_model import boxes, by_name, device, measure, terms

POINTS = 64


@pytest.mark.parametrize("ports", [[1], [1, 2], [2, 3, 5], [1, 2, 3, 4]])
def test_n_port_recovers_device(ports):
    s, e = device(POINTS, len(ports)), boxes(POINTS, len(ports))
    got = tessel.correct_n_port(by_name(measure(s, e), ports), terms(e, ports), ports=ports)
    want = by_name(s, ports)
    assert list(got) == list(want) and got[list(want)[0]].dtype == np.complex64
    assert np.allclose(np.stack(list(got.values())), np.stack(list(want.values())), atol=2e-5)


def test_one_port_and_response_kernels():
    s, e = device(POINTS, 1), boxes(POINTS, 1)
    raw, t = measure(s, e)[:, 0, 0].astype(np.complex64), terms(e, [1])
    d, track = t["Directivity(1,1)"], t["ReflectionTracking(1,1)"]
    got = tessel.correct_one_port(raw, directivity=d, source_match=t["SourceMatch(1,1)"],
                                  reflection_tracking=track)
    assert np.allclose(got, s[:, 0, 0], atol=2e-5)
    assert np.allclose(tessel.correct_response(raw, track), raw / track, rtol=1e-6)
    assert np.allclose(tessel.correct_response(raw, track, isolation=d), (raw - d) / track, rtol=1e-5)


@pytest.mark.parametrize("match", [False, True])
def test_receivers(match):
    s, e = device(POINTS, 2), boxes(POINTS, 2)
    rng = np.random.default_rng(9)
    a = (rng.normal(size=(POINTS, 2)) + 1j).astype(np.complex64)  # incident wave of each source
    track = (0.5 + rng.uniform(size=(POINTS, 2))).astype(np.complex64)
    raw = {**by_name(measure(s, e), [1, 2]), **{f"a{i + 1},{i + 1}": a[:, i] * track[:, i] for i in (0, 1)},
           **{f"b{i + 1},{j + 1}": (s[:, i, j] * a[:, j]).astype(np.complex64) for i in (0, 1) for j in (0, 1)}}
    t = {**terms(e, [1, 2]), **{f"ReferenceTracking(a{i + 1})": track[:, i] for i in (0, 1)}}
    got = tessel.correct_receivers(raw, t, ports=[1, 2], match_correction=match)
    for i, j in ((0, 1), (1, 0)):  # the incident wave meets the input reflection, j terminated
        gamma = s[:, i, i] + s[:, i, j] * s[:, j, i] * e[1][:, j] / (1 - s[:, j, j] * e[1][:, j])
        want = a[:, i] / (1 - e[1][:, i] * gamma) if match else a[:, i]
        assert np.allclose(got[f"a{i + 1},{i + 1}"], want, rtol=1e-4), i
        if match:
            assert np.allclose(got[f"b{i + 1},{j + 1}"], s[:, i, j] * got[f"a{j + 1},{j + 1}"], atol=1e-4)
