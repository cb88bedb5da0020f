# SPDX-License-Identifier: Apache-2.0
"""Forward error model of the tests: port boxes e00, e11, e10e01 (e10 = k*sqrt, e01 = sqrt/k: not
reciprocal), perfect receivers. S measures as M = D + Tr S (I - Es S)^-1 Tt, all but S diagonal."""
import numpy as np


def boxes(n_points, ports, seed=3):
    """Smooth random error boxes: arrays (points, ports) of e00, e11, e10e01 and k."""
    rng = np.random.default_rng(seed)
    ramp = np.exp(-2j * np.pi * np.linspace(0, 1.5, n_points))[:, None]
    return tuple(rng.uniform(lo, hi, ports) * np.exp(2j * np.pi * rng.uniform(size=ports))
                 * ramp ** rng.integers(1, 4, ports) for lo, hi in ((.02, .15), (.05, .25), (.6, 1))) + (
        np.broadcast_to(1.3 ** np.arange(ports), (n_points, ports)),)


def device(n_points, ports, seed=5):  # random S-matrices (points, ports, ports)
    rng = np.random.default_rng(seed)
    return 0.3 * (rng.normal(size=(n_points, ports, ports)) + 1j * rng.normal(size=(n_points, ports, ports)))


def measure(s, e):
    """Raw S-matrices (points, N, N) of devices s (points, N, N) seen through boxes e."""
    e00, e11, t, k = e
    n, root = s.shape[-1], np.sqrt(t)
    m = (root * k)[:, :, None] * (s @ np.linalg.solve(np.eye(n) - e11[:, :, None] * s,
                                                      (root / k)[:, :, None] * np.eye(n)))
    m[:, np.arange(n), np.arange(n)] += e00
    return m


def terms(e, ports):
    """The error terms of boxes e under the library's names, for ports (1-based)."""
    e00, e11, t, k = e
    out = {}
    for i, r in enumerate(ports):
        out.update({f"Directivity({r},{r})": e00[:, i], f"SourceMatch({r},{r})": e11[:, i],
                    f"ReflectionTracking({r},{r})": t[:, i]})
        for j, c in enumerate(ports):
            if i != j:
                out[f"LoadMatch({r},{c})"] = e11[:, i]
                out[f"TransmissionTracking({r},{c})"] = np.sqrt(t[:, i]) * k[:, i] * np.sqrt(t[:, j]) / k[:, j]
    return {k: v.astype(np.complex64) for k, v in out.items()}


def by_name(m, ports):
    """A dict {"S11": m[:, 0, 0], ...} of the matrices m."""
    return {(f"S{r}{c}" if r < 10 and c < 10 else f"S{r}_{c}"): m[:, i, j].astype(np.complex64)
            for i, r in enumerate(ports) for j, c in enumerate(ports)}
