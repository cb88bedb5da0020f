# SPDX-License-Identifier: Apache-2.0
"""Time-domain transform, gating, DC estimate and port extension against direct numpy sums."""
import numpy as np
import pytest

import tessel

N, F0, F1 = 101, 1e9, 3e9


def kaiser(n, beta, divisor):
    """The library's window: Kaiser of n points, I0(a*sqrt(h^2 - (i-h)^2))/I0(a*h), h = (n-1)/2,
    a = beta/divisor. numpy's kaiser(n, b) is the same with b = a*h."""
    return np.kaiser(n, beta / divisor * (n - 1) / 2)


def reference(mode, f, data, t, beta, dc):
    """The three transforms as direct sums in double."""
    n = len(f)
    if mode == "bandpass":
        w = kaiser(n, beta, (n - 1) // 2)
        w /= w.sum()
        return np.exp(2j * np.pi * np.outer(t, f)) @ (data * w)
    df, k = f[-1] / n, np.arange(1, n + 1)
    w = kaiser(2 * n + 1, beta, n)[n:]
    phase = np.exp(2j * np.pi * np.outer(t, k * df))
    if mode == "lowpass_impulse":
        w[0] /= 2
        w /= w.sum()
        return (dc * w[0] + phase @ (data * w[1:])).real
    phi = np.angle(data[0] if dc >= 0 else -data[0])
    return (phase @ (-1j * data * w[1:] / (k * np.pi))).real + dc * (f[0] * t + phi / (2 * np.pi) + 0.5)


@pytest.fixture
def response():
    """Two reflections, at 1 ns and 4 ns."""
    f = np.linspace(F0, F1, N)
    return f, (0.5 * np.exp(-2j * np.pi * f * 1e-9) + 0.3 * np.exp(-2j * np.pi * f * 4e-9)).astype(np.complex64)


@pytest.mark.parametrize("mode, beta, dc", [("bandpass", 6.0, 0.0), ("bandpass", 13.0, 0.0),
                                            ("lowpass_impulse", 6.0, 0.4), ("lowpass_step", 0.0, 0.7),
                                            ("lowpass_step", 6.0, -0.7)])
def test_transform_matches_direct_sum(response, mode, beta, dc):
    f, data = response
    if mode != "bandpass":
        f = np.arange(1, N + 1) * (F1 / N)
    td = tessel.TimeDomain(f, mode=mode, window=beta, start=-1e-9, stop=4e-9, dc=dc)
    t, values = td.transform(data)
    assert values.dtype == np.complex64 and t.dtype == np.float64
    np.testing.assert_allclose(t, np.linspace(-1e-9, 4e-9, N), rtol=0, atol=1e-21)
    want = reference(mode, f, data.astype(complex), t, beta, dc)
    assert np.max(np.abs(values - want)) < 1e-5 * max(1.0, np.max(np.abs(want)))
    if mode != "bandpass":
        assert not np.any(values.imag)


def test_bandpass_impulse_matches_inverse_fft_of_skrf_data(rf, skrf_data_files):
    """Convention: on the grid t_m = m/(N*df), m = 0..N-1, the band-pass sum equals
    exp(j*2*pi*f0*t_m) * N * ifft(data*w) with w the symmetric Kaiser window scaled to unit sum
    (numpy's kaiser(N, beta*h/floor(h)), h = (N-1)/2; scikit-rf's windowed() uses scipy's periodic
    window, so the window is formed here)."""
    net = rf.Network([p for p in skrf_data_files if p.endswith("ring slot.s2p")][0])
    f, data = net.f, net.s[:, 1, 0].astype(np.complex64)
    n, df = len(f), (f[-1] - f[0]) / (len(f) - 1)
    w = kaiser(n, 6.0, (n - 1) // 2)
    t_fft = np.arange(n) / (n * df)
    want = np.exp(2j * np.pi * f[0] * t_fft) * n * np.fft.ifft(data * w / w.sum())
    t, values = tessel.TimeDomain(f, window="normal", start=0.0, stop=t_fft[-1]).transform(data)
    np.testing.assert_allclose(t, t_fft, rtol=1e-12)
    assert np.max(np.abs(values - want)) < 2e-6 * np.max(np.abs(want))


def test_settings_round_trip_and_derived_values():
    f = np.linspace(F0, F1, N)
    td = tessel.TimeDomain(f, mode="lowpass_step", window="maximum", start=-2e-9, stop=3e-9)
    assert (td.mode, td.window, td.beta, td.start, td.stop) == ("lowpass_step", "maximum", 13.0, -2e-9, 3e-9)
    assert td.time_limit == pytest.approx((N - 1) / (F1 - F0))
    td.impulse_width = td.impulse_width * 1.0
    td.span = 1e-9
    assert td.span == pytest.approx(1e-9) and td.center == pytest.approx(0.5e-9)
    td.stop = 1e3  # clamped to the alias-free limit
    assert td.stop == pytest.approx(td.time_limit)


def test_gate_keeps_the_reflection_inside_and_notch_removes_it(response):
    f, data = response
    first = (0.5 * np.exp(-2j * np.pi * f * 1e-9)).astype(np.complex64)
    mid = slice(N // 4, 3 * N // 4)  # the gate's edges distort the band ends
    kept = tessel.gate(data, f, start=-1e-9, stop=2.5e-9, shape="normal")
    assert np.max(np.abs(kept[mid] - first[mid])) < 1e-3
    gate = tessel.Gate(f, start=-1e-9, stop=2.5e-9, type="notch")
    removed, dc = gate.apply(data)
    assert np.max(np.abs(removed[mid] - (data - first)[mid])) < 1e-3
    assert dc == tessel.estimate_dc(data) and (gate.type, gate.shape) == ("notch", "normal")
    h = np.arange(1, N + 1) * 2e7  # a harmonic grid for the low-pass gate
    near, far = (a * np.exp(-2j * np.pi * h * t) for a, t in ((0.5, 1e-9), (0.3, 4e-9)))
    kept, dc = tessel.Gate(h, start=-1e-9, stop=2.5e-9).apply((near + far).astype(np.complex64), lowpass=True)
    # dc: the gated response at 0 Hz, the near reflection's 0.5 only
    assert np.max(np.abs(kept[mid] - near[mid])) < 5e-3 and dc == pytest.approx(0.5, abs=2e-3)
    same, _ = tessel.Gate(f, start=1e-9, stop=1e-9, type="notch").apply(data)
    np.testing.assert_array_equal(same, data)


def test_estimate_dc_and_port_extension():
    f = np.arange(1, 11) * 1e8
    assert tessel.estimate_dc(np.exp(-2j * np.pi * f * 1e-9).astype(np.complex64)) == pytest.approx(1.0)
    data = (np.exp(-2j * np.pi * f * 0.3e-9) * 0.5).astype(np.complex64)
    out = tessel.port_extension(data, f, delay=0.3e-9, loss=-1.0, loss_slope=-2.0, phase_offset=0.1)
    want = data * np.exp(1j * (2 * np.pi * f * 0.3e-9 - 0.1)) * 10 ** ((-1.0 - 2.0 * f / 1e9) / 20)
    np.testing.assert_allclose(out, want, rtol=2e-5)
    one = tessel.port_extension(data, 5e8, delay=0.3e-9)
    np.testing.assert_allclose(one, data * np.exp(2j * np.pi * 5e8 * 0.3e-9), rtol=2e-5)
    wg = tessel.port_extension(data, f, delay=1e-9, media="waveguide", cutoff=5e8)
    w = np.sqrt(np.clip(1 - (5e8 / f) ** 2, 0, None))
    np.testing.assert_allclose(wg, data * np.exp(2j * np.pi * f * 1e-9 * w), rtol=2e-5, atol=1e-6)


F = np.linspace(F0, F1, N)
D = np.ones(N, np.complex64)


@pytest.mark.parametrize("call, error", [
    (lambda: tessel.TimeDomain(F[:1]), ValueError),
    (lambda: tessel.TimeDomain(F[::-1] ** 2), ValueError),
    (lambda: tessel.TimeDomain(F, mode="fast"), ValueError),
    (lambda: tessel.TimeDomain(F, window="square"), ValueError),
    (lambda: tessel.TimeDomain(F, start=np.nan), tessel.TesselError),
    (lambda: tessel.TimeDomain(F).transform(D[:-1]), ValueError),
    (lambda: tessel.TimeDomain(F).transform(np.ones((N, 1))), ValueError),
    (lambda: tessel.TimeDomain(F).transform(np.array(["x"] * N)), (ValueError, TypeError)),
    (lambda: tessel.gate(D[:5], F, start=0, stop=1e-9), ValueError),
    (lambda: tessel.gate(D, F, start=0, stop=1e-9, type="band"), ValueError),
    (lambda: tessel.gate(D[:2], F[:2], start=0, stop=1e-9), ValueError),
    (lambda: tessel.estimate_dc(D[:2]), ValueError),
    (lambda: tessel.port_extension(D, F[:-1], delay=1e-9), ValueError),
    (lambda: tessel.port_extension(D, F, media="air"), ValueError),
    (lambda: tessel.port_extension(D, F, sections=[{"speed": 1}]), ValueError),
    (lambda: tessel.port_extension(D, F, sections=[{}, {}, {}]), ValueError),
])
def test_bad_input_raises(call, error):
    with pytest.raises(error):
        call()
