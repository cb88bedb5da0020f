# SPDX-License-Identifier: Apache-2.0
"""Marker searches, bandwidth and statistics on traces whose answers numpy gives directly."""
import numpy as np
import pytest

import tessel

X = np.linspace(1e9, 2e9, 201)
# Two peaks (0 dB at 1.3 GHz, -6 dB at 1.7 GHz) over a -40 dB floor, in dB.
V = (20 * np.log10(np.exp(-((X - 1.3e9) / 4e7) ** 2) + 0.5 * np.exp(-((X - 1.7e9) / 4e7) ** 2) + 0.01)).astype(np.float32)


def crossing(values, target, start, step):
    """First linear-interpolated crossing of target from index start in direction step."""
    i = start
    while 0 <= i + step < len(values):
        a, b = values[i] - target, values[i + step] - target
        if a == 0 or a * b < 0:
            return i + step * a / (a - b)
        i += step
    return None


def test_searches_land_where_numpy_says():
    assert tessel.find_max(V, X) == (np.argmax(V), X[np.argmax(V)], V.max())
    assert tessel.find_min(-V, X)[0] == np.argmax(V)
    assert tessel.find_max(np.arange(5.0)[::-1], X[:5]) == (0, X[0], 4.0)  # already there
    second = np.argmax(np.where(X > 1.5e9, V, -1e9))
    assert tessel.find_peak(V, X, start=1.4e9)[:2] == (second, X[second])
    assert tessel.find_peak(V, X, direction="left")[0] == second
    assert tessel.find_peak(V, X, direction="left", threshold=-5)[0] == np.argmax(V)
    with pytest.raises(tessel.TesselError):  # the second peak is below the threshold
        tessel.find_peak(V, X, start=1.4e9, threshold=-3)
    for direction, start, step in (("right", 0, 1), ("left", 200, -1)):
        index, x, value = tessel.find_target(V, X, -10.0, start=X[start], direction=direction)
        assert index == pytest.approx(crossing(V.astype(float), -10.0, start, step), abs=1e-4)
        assert x == pytest.approx(np.interp(index, np.arange(len(X)), X))
    right_of_both = tessel.find_target(V, X, -10.0, start=1.9e9, direction="wrap")[0]
    assert right_of_both == pytest.approx(crossing(V.astype(float), -10.0, 0, 1), abs=1e-4)


def test_bandwidth_of_a_resonator():
    """|H|^2 = 1/(1 + x^2), x = 2(f - f0)/b: the -3 dB width is b*sqrt(10^0.3 - 1), Q = f0/width."""
    f0, b = 1.5e9, 2e7
    x = np.linspace(1.4e9, 1.6e9, 2001)
    data = (1 / (1 + 2j * (x - f0) / b)).astype(np.complex64)
    centre, width, loss, q = tessel.bandwidth(data, x, level=-3.0)
    want = b * np.sqrt(10 ** 0.3 - 1)
    assert width == pytest.approx(want, rel=1e-4) and centre == pytest.approx(f0, rel=1e-7)
    assert loss == pytest.approx(0.0, abs=1e-4) and q == pytest.approx(f0 / want, rel=1e-4)
    with pytest.raises(tessel.TesselError):  # no crossing 60 dB down inside the span
        tessel.bandwidth(data, x, level=-60.0)


def test_statistics_and_marker_set():
    stats = tessel.statistics(V, X)
    v = V.astype(float)
    want = dict(mean=v.mean(), std=v.std(), peak_to_peak=np.ptp(v), rms=np.sqrt(np.mean(v ** 2)), min=v.min(), max=v.max())
    assert stats == pytest.approx(want, rel=1e-6)

    data = (10 ** (V / 20)).astype(np.complex64)
    ms = tessel.MarkerSet(X, data=data)
    ms.set_user_range(1, 1.5e9, 2e9)
    m1, m2 = ms.marker(1), ms.marker(2)
    m2.user_range = 1
    assert m1.search("max")[0] == np.argmax(V)
    second = np.argmax(np.where(X > 1.5e9, V, -1e9))
    assert m2.search("max")[0] == second
    m2.reference = 1
    r = ms.readouts()[2]
    assert r["reference"] == 1 and r["delta_x"] == pytest.approx(X[second] - X[np.argmax(V)])
    assert r["response"] == pytest.approx(V[second], abs=1e-5)
    assert abs(r["value"]) == pytest.approx(10 ** (V[second] / 20), rel=1e-5)
    m1.x = 1.2e9
    assert m1.x == pytest.approx(1.2e9) and m1.index == pytest.approx(40)
    assert ms.statistics(range=1)["max"] == pytest.approx(V[second])
    assert sorted(ms.readouts()) == [1, 2]


def removed_marker():
    ms = tessel.MarkerSet(X, values=V)
    m = ms.marker(1)
    ms.remove(1)
    return m.x


@pytest.mark.parametrize("call, error", [
    (removed_marker, tessel.TesselError),
    (lambda: tessel.find_max(V[:-1], X), ValueError),
    (lambda: tessel.find_max(V[:0], X[:0]), ValueError),
    (lambda: tessel.find_peak(V[:0], X[:0], direction="left"), ValueError),
    (lambda: tessel.find_max(V.reshape(1, -1), X), ValueError),
    (lambda: tessel.find_peak(V, X, direction="up"), ValueError),
    (lambda: tessel.find_target(V, X, 5.0), tessel.TesselError),
    (lambda: tessel.bandwidth(np.ones(3, np.complex64), X), ValueError),
    (lambda: tessel.MarkerSet(X), ValueError),
    (lambda: tessel.MarkerSet(X, values=V, format="dbm"), ValueError),
    (lambda: tessel.MarkerSet(X, values=V).marker(11), tessel.TesselError),
    (lambda: tessel.MarkerSet(X, values=V).statistics(range=17), ValueError),
    (lambda: tessel.MarkerSet(X, values=V).marker(1).search("best"), ValueError),
])
def test_bad_input_raises(call, error):
    with pytest.raises(error):
        call()



def test_psat_and_nop_of_an_amplifier():
    """Output over input power, compressing above -5 dBm: numpy's maximum and back-off crossing."""
    p = np.linspace(-30.0, 10.0, 401)
    out = (p + 20 - np.where(p > -5, 0.04 * (p + 5) ** 2, 0)).astype(np.float32)
    top = np.argmax(out)
    back_x = np.interp(out[top] - 1.0, out[:top + 1], p[:top + 1])
    want = dict(max_x=p[top], max=out[top], back_off_x=back_x, back_off=out[top] - 1.0, first_x=p[0], first=out[0])
    assert tessel.psat(out, p, back_off=1.0) == pytest.approx(want, abs=1e-4)
    assert tessel.psat(out, p)["back_off_x"] == pytest.approx(p[top])  # no back-off: the maximum
    ms = tessel.MarkerSet(p, values=out)
    n = ms.nop(back_off=1.0, offset=-2.0, first=5)
    want.update(operating_x=back_x - 2.0, operating=np.interp(back_x - 2.0, p, out))
    assert n == pytest.approx(want, abs=1e-4) and sorted(ms.readouts()) == [5, 6, 7, 8]
    for call in (lambda: ms.psat(back_off=100.0), lambda: tessel.nop(out, p, back_off=100.0), lambda: ms.nop(first=8)):
        with pytest.raises(tessel.TesselError):
            call()
