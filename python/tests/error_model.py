"""One forward error model shared by the correction and calibration tests.

Each port p has an error box (directivity e00, source match e11, tracking e10*e01, split into
e10 = e01 = sqrt); receivers are perfect (no switch terms, no leakage). A device S seen through
the boxes measures as  M = D + Tr S (I - Es S)^-1 Tt  with diagonal D, Es, Tr, Tt.
"""
import numpy as np


def boxes(n_points, ports, seed=3):
    """Smooth random error boxes: arrays (points, ports) of e00, e11 and e10e01."""
    rng = np.random.default_rng(seed)
    ramp = np.exp(-2j * np.pi * np.linspace(0, 1.5, n_points))[:, None]

    def term(lo, hi):
        mag = rng.uniform(lo, hi, ports) * np.exp(2j * np.pi * rng.uniform(size=ports))
        return mag[None, :] * ramp ** rng.integers(1, 4, ports)[None, :]

    return term(0.02, 0.15), term(0.05, 0.25), term(0.6, 1.0)


def measure(s, e):
    """Raw S-matrices (points, N, N) of devices s (points, N, N) seen through boxes e."""
    e00, e11, t = (np.asarray(x, complex) for x in e)
    n = s.shape[-1]
    root = np.sqrt(t)
    inner = np.linalg.solve(np.eye(n) - e11[:, :, None] * s, root[:, :, None] * np.eye(n))
    m = root[:, :, None] * (s @ inner)
    idx = np.arange(n)
    m[:, idx, idx] += e00
    return m


def terms(e, ports):
    """The error terms of boxes e under the library's names, for ports (1-based)."""
    e00, e11, t = e
    out = {}
    for i, r in enumerate(ports):
        out[f"Directivity({r},{r})"] = e00[:, i]
        out[f"SourceMatch({r},{r})"] = e11[:, i]
        out[f"ReflectionTracking({r},{r})"] = t[:, i]
        for j, c in enumerate(ports):
            if i != j:
                out[f"LoadMatch({r},{c})"] = e11[:, i]
                out[f"TransmissionTracking({r},{c})"] = np.sqrt(t[:, i]) * np.sqrt(t[:, j])
    return {k: v.astype(np.complex64) for k, v in out.items()}


def sname(r, c):
    return f"S{r}{c}" if r < 10 and c < 10 else f"S{r}_{c}"


def by_name(m, ports):
    """A dict {"S11": m[:, 0, 0], ...} of the matrices m."""
    return {sname(r, c): m[:, i, j].astype(np.complex64)
            for i, r in enumerate(ports) for j, c in enumerate(ports)}


def skrf_terms(cal):
    """scikit-rf's twelve terms under the library's names."""
    c = cal.coefs
    names = {"directivity": "Directivity({0},{0})", "source match": "SourceMatch({0},{0})",
             "reflection tracking": "ReflectionTracking({0},{0})",
             "load match": "LoadMatch({1},{0})", "transmission tracking": "TransmissionTracking({1},{0})",
             "isolation": "CrossTalk({1},{0})"}
    return {pattern.format(*ports): c[f"{way} {word}"].astype(np.complex64)
            for word, pattern in names.items()
            for way, ports in (("forward", (1, 2)), ("reverse", (2, 1)))}
