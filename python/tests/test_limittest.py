# SPDX-License-Identifier: Apache-2.0
"""The limit test against limit lines interpolated by numpy."""
import numpy as np
import pytest

import tessel

SEGMENTS = [("max", 1e9, 2e9, -1.0, -3.0), ("max", 1.5e9, 3e9, -2.0, -2.0), ("min", 1e9, 2.5e9, -20.0, -10.0)]


def lines(x, segments, log=False):
    """Per point: the lowest covering upper line and the highest covering lower line."""
    u = lambda v: np.log10(v) if log else v
    upper, lower = np.full(len(x), np.inf), np.full(len(x), -np.inf)
    for kind, x0, x1, y0, y1 in segments:
        cover = (x >= x0) & (x <= x1)
        y = np.interp(u(x), [u(x0), u(x1)], [y0, y1])
        if kind == "max":
            upper = np.where(cover, np.minimum(upper, y), upper)
        else:
            lower = np.where(cover, np.maximum(lower, y), lower)
    return upper, lower


@pytest.mark.parametrize("x", [np.linspace(0.5e9, 3.5e9, 301), np.geomspace(0.5e9, 3.5e9, 301)])
def test_points_pass_fail_or_have_no_result_as_the_lines_say(x):
    log = x[2] - x[1] != x[1] - x[0]
    upper, lower = lines(x, SEGMENTS, log)
    values = np.random.default_rng(1).uniform(-25, 0, len(x)).astype(np.float32)
    values[100] = np.nan  # NaN passes
    lt = tessel.LimitTest(SEGMENTS)
    results, overall = lt.run(values, x)
    margin = np.minimum(upper - values, values - lower)
    clear = np.abs(margin) > 1e-3  # leave out float ties on a line
    want = np.where(np.isinf(upper) & np.isinf(lower), 2, np.where(margin >= 0, 1, 0))
    want[100] = 1 if np.isfinite(upper[100]) or np.isfinite(lower[100]) else 2
    clear[100] = True
    np.testing.assert_array_equal(results[clear], want[clear])
    assert overall == tessel.LimitResult.FAIL and lt.result == tessel.LimitResult.FAIL
    assert lt.segments == SEGMENTS


def test_offsets_shift_the_lines_and_phase_compares_in_degrees():
    lt = tessel.LimitTest([("max", 0.0, 10.0, 45.0, 45.0)])
    x = np.arange(11.0)
    assert lt.run(np.full(11, np.pi / 4 * 0.999, np.float32), x, format="phase")[1] == tessel.LimitResult.PASS
    assert lt.run(np.full(11, np.pi / 4 * 1.01, np.float32), x, format="phase")[1] == tessel.LimitResult.FAIL
    lt.upper_mode, lt.upper_offset = "value", 5.0
    lt.stimulus_mode, lt.stimulus_offset = "value", 5.0
    assert lt.lines == [("max", 5.0, 15.0, 50.0, 50.0)]
    results, _ = lt.run(np.full(11, 48.0, np.float32), x)
    np.testing.assert_array_equal(results, [2] * 5 + [1] * 6)


@pytest.mark.parametrize("call, error", [
    (lambda: tessel.LimitTest([("max", 0, 1, 2)]), ValueError),
    (lambda: tessel.LimitTest([("upper", 0, 1, 2, 3)]), ValueError),
    (lambda: tessel.LimitTest([("max", 0, 1, 2, 3)] * 101), ValueError),
    (lambda: tessel.LimitTest().run(np.zeros(3, np.float32), np.arange(4.0)), ValueError),
    (lambda: tessel.LimitTest().run(np.zeros(3), np.arange(3.0), format="db"), ValueError),
    (lambda: setattr(tessel.LimitTest(), "upper_mode", "start"), ValueError),
])
def test_bad_input_raises(call, error):
    with pytest.raises(error):
        call()
