#!/usr/bin/python3
"""Reads every Touchstone file scikit-rf ships with both scikit-rf and tessel's reader.

    compare_with_skrf.py TOUCHSTONE_DUMP

TOUCHSTONE_DUMP is the touchstone_dump program. For each .sNp/.ts file in the installed skrf
package, the frequencies and S-parameters tessel reads must equal what scikit-rf reads within
float rounding, and the two-port noise block, where scikit-rf finds one, must hold the same
rows. Files scikit-rf itself cannot read are listed and left out; files tessel refuses on purpose
(REFUSED) must be refused with the stated message. Exits 77 (skipped) when skrf
cannot be imported, 1 on any difference.
"""
import os
import re
import subprocess
import sys
import warnings

try:
    import numpy as np

    # scikit-rf 0.15 still uses the aliases numpy 1.24 removed.
    for alias, kind in (("complex", complex), ("float", float), ("int", int)):
        if not hasattr(np, alias):
            setattr(np, alias, kind)
    warnings.simplefilter("ignore")
    import skrf
    from skrf.io.touchstone import Touchstone
except Exception as e:  # pylint: disable=broad-except
    print(f"SKIPPED: scikit-rf is not available ({e})")
    sys.exit(77)


# scikit-rf's own extension "R (50+50j)": a complex reference the standard does not allow and
# TouchstoneData's real references cannot hold.
REFUSED = {"io/tests/simple_touchstone.s2p": ":2: expected a positive reference resistance"}


def tessel_read(dump, path):
    run = subprocess.run([dump, path], capture_output=True, text=True, check=False)
    if run.returncode != 0:
        return None, run.stderr.strip()
    lines = run.stdout.splitlines()
    ports = int(lines[0].split()[1])
    rows = [l.split() for l in lines[1:] if not l.startswith("noise")]
    noise = np.array([[float(x) for x in l.split()[1:]] for l in lines[1:] if l.startswith("noise")])
    f = np.array([float(r[0]) for r in rows])
    v = np.array([[float(x) for x in r[1:]] for r in rows])
    s = (v[:, 0::2] + 1j * v[:, 1::2]).reshape(len(rows), ports, ports)
    return (f, s, noise), None


def main():
    dump = sys.argv[1]
    root = os.path.dirname(skrf.__file__)
    files = sorted(
        os.path.join(d, n)
        for d, _, names in os.walk(root)
        for n in names
        if re.search(r"\.(s\d+p|ts)$", n, re.I)
    )
    compared, unreadable, failures = 0, [], []
    for path in files:
        name = os.path.relpath(path, root)
        try:
            net = skrf.Network(path)
            ts = Touchstone(path)
        except Exception as e:  # pylint: disable=broad-except
            unreadable.append(f"{name} ({type(e).__name__})")
            continue
        ours, err = tessel_read(dump, path)
        if name in REFUSED:
            if ours is not None or REFUSED[name] not in err:
                failures.append(f"{name}: not refused as expected: {err}")
            else:
                print(f"refused on purpose: {err}")
            continue
        if ours is None:
            failures.append(f"{name}: tessel refused it: {err}")
            continue
        f, s, noise = ours
        if f.shape != net.f.shape or not np.allclose(f, net.f, rtol=1e-12, atol=0):
            failures.append(f"{name}: frequencies differ")
            continue
        if s.shape != net.s.shape:
            failures.append(f"{name}: shape {s.shape} != {net.s.shape}")
            continue
        # Float rounding of each value, relative to the largest value at that point.
        scale = np.maximum(np.abs(net.s).max(axis=(1, 2), keepdims=True), 1e-30)
        worst = float((np.abs(s - net.s) / scale).max())
        if worst > 1e-6:
            failures.append(f"{name}: S differs by {worst:.3g} (relative)")
            continue
        if ts.noise is not None:
            ref = np.array(ts.noise, dtype=float)
            ref[:, 0] *= ts.frequency_mult
            if noise.shape != ref.shape or not np.allclose(noise, ref, rtol=1e-12):
                failures.append(f"{name}: noise data differ")
                continue
        compared += 1
    print(f"{compared} files agree with scikit-rf {skrf.__version__}")
    for u in unreadable:
        print(f"not readable by scikit-rf, left out: {u}")
    for fail in failures:
        print(f"DIFFERENCE: {fail}")
    if compared == 0:
        print("no file compared")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
