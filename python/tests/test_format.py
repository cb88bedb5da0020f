# SPDX-License-Identifier: Apache-2.0
"""Formatting, smoothing and trace math, against scikit-rf on its Touchstone files and numpy."""
import numpy as np
import pytest

import tessel


def traces(rf, files):
    """(name, network, the parameter's complex64 trace) of every parameter of every file."""
    for path in files:
        net = rf.Network(path)
        for m, n in net.port_tuples:
            yield f"{path}:S{m + 1}{n + 1}", net, m, n, net.s[:, m, n].astype(np.complex64)


def test_formats_agree_with_skrf(rf, skrf_data_files):
    for name, net, m, n, z in traces(rf, skrf_data_files):
        ok = np.abs(z) > 1e-30
        assert np.allclose(tessel.log_mag(z)[ok], net.s_db[ok, m, n], atol=1e-4), name
        assert np.allclose(tessel.lin_mag(z), net.s_mag[:, m, n], rtol=1e-6), name
        step = np.angle(np.exp(1j * (tessel.phase(z) - net.s_rad[:, m, n])))
        assert np.allclose(step, 0, atol=1e-6), name
        unwrapped = net.s_rad_unwrap[:, m, n]
        assert np.allclose(tessel.phase(z, unwrap=True), unwrapped,
                           atol=1e-6 * (1 + np.abs(unwrapped).max())), name
        passive = np.abs(z) < 0.99
        assert np.allclose(tessel.swr(z)[passive], net.s_vswr[passive, m, n], rtol=1e-5), name
        if net.nports == 1:  # away from the open and the short, where one of them is infinite
            ok = (np.abs(1 - z) > 1e-3) & (np.abs(1 + z) > 1e-3)
            z0 = net.z0[0, 0]
            assert np.allclose(tessel.impedance(z, z0=z0)[ok], net.z[ok, 0, 0], rtol=1e-5)
            assert np.allclose(tessel.admittance(z, z0=z0)[ok], net.y[ok, 0, 0], rtol=1e-5)


def test_group_delay_agrees_with_skrf(rf, skrf_data_files):
    # Ours at point i is -dphi/domega over the step from i-1 to i, at f(i-1/2); scikit-rf's is
    # numpy's gradient, the step-weighted mean of the steps around f(i): convert ours to that.
    for name, net, m, n, z in traces(rf, skrf_data_files):
        ours = tessel.group_delay(z, net.f).astype(float)
        dw = np.diff(net.frequency.w)
        conv = np.concatenate([[ours[1]], (ours[1:-1] * dw[:-1] + ours[2:] * dw[1:])
                               / (dw[:-1] + dw[1:]), [ours[-1]]])
        want = net.group_delay[:, m, n].real
        assert np.allclose(conv, want, rtol=1e-4, atol=1e-4 * np.abs(want).max()), name


@pytest.mark.parametrize("units,values,expected", [
    ("celsius fahrenheit", [0.0, 100.0, -40.0], [32.0, 212.0, -40.0]), ("kelvin celsius", [273.15, 0.0], [0.0, -273.15]),
    ("fahrenheit kelvin", [32.0], [273.15]), ("linear kelvin", [2.0], [290.0]), ("K K", [5.0], [5.0])])
def test_temperatures(units, values, expected):
    kw = dict(zip(("from_unit", "to_unit"), units.split()))
    got = tessel.convert_temperature(np.array(values), **kw)
    assert np.allclose(got, expected, atol=1e-4)
    assert np.allclose(tessel.convert_temperature(np.array(values, np.complex64) + 1j, **kw), got)


def test_smoothing_and_trace_math():
    rng = np.random.default_rng(2)
    x = rng.normal(size=101).astype(np.float32)
    padded = np.concatenate([[x[0]] * 2, x, [x[-1]] * 2])
    mean = np.convolve(padded, np.ones(5) / 5, mode="valid")
    assert np.allclose(tessel.smooth(x, aperture=5), mean, atol=1e-6)
    assert np.allclose(tessel.smooth(x, span=0.04), mean, atol=1e-6)  # 100*0.04+1 = 5 points
    ph = np.angle(np.exp(1j * (3.1 + 0.05 * x)))  # noisy phase around the wrap point
    assert np.allclose(np.cos(tessel.smooth(ph.astype(np.float32), aperture=5, phase=True)),
                       np.cos(3.1 + 0.05 * mean), atol=1e-5)
    assert np.allclose(tessel.smooth_group_delay(x, aperture=5.0), mean, atol=1e-6)
    a, b = (rng.normal(size=(2, 64)) + 1j * rng.normal(size=(2, 64))).astype(np.complex64)
    for op, want in (("add", a + b), ("subtract", a - b), ("multiply", a * b), ("divide", a / b)):
        assert np.allclose(tessel.trace_math(a, b, operation=op), want, rtol=1e-5), op
    p = np.array([np.sqrt(2), 0j], np.complex64)  # |z|^2 = 2 mW across 50 ohm: 0.316 V
    assert np.allclose(tessel.level(p, unit="V")[0], np.sqrt(0.1), rtol=1e-6)
    assert np.allclose(tessel.level(p, unit="dBmV")[0], 20 * np.log10(1000 * np.sqrt(0.1)))
    assert tessel.log_mag(p, zero_value=-123.0)[1] == -123.0



def test_noise_density_and_group_delay_smoothing_in_runs():
    t = np.array([290.0, 1e4, -50.0, 0.5], np.complex64)
    tk = np.abs(t.real) * 1.380649e-23
    assert np.allclose(tessel.noise_density(t), 10 * np.log10(tk * 1000), atol=1e-4)
    assert np.allclose(tessel.noise_density(t, unit="dBmV", impedance=75.0), 20 * np.log10(1000 * np.sqrt(tk * 75)), atol=1e-4)
    # Data arriving in pieces (NaN past what has arrived) smooths in runs to the one-pass result.
    x = np.random.default_rng(5).normal(size=101).astype(np.float32)
    out, first = np.zeros(101, np.float32), 0
    for last in (30, 31, 70, 101):
        arrived = np.where(np.arange(101) < last, x, np.nan).astype(np.float32)
        first += tessel.smooth_group_delay_run(arrived, out, aperture=6.5, first=first, last=last)
        assert first < last - 2 or last == first == 101
    assert np.array_equal(out, tessel.smooth_group_delay(x, aperture=6.5))
    for bad in (np.zeros(101), np.zeros(100, np.float32), out[::-1]):
        with pytest.raises(ValueError):
            tessel.smooth_group_delay_run(x, bad, aperture=6.5, first=0, last=101)
