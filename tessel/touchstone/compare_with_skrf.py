#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""compare_with_skrf.py TOUCHSTONE_DUMP: every Touchstone file scikit-rf ships, read by both
must give the same frequencies, S data (within float rounding) and noise rows. Exits 77 (skip)
without skrf, 1 on any difference; files skrf cannot read are listed and left out."""
import glob, os, re, subprocess, sys

from skrf_compat import np, rf as skrf
from skrf.io.touchstone import Touchstone

# scikit-rf's own "R (50+50j)": a complex reference, which real references cannot hold.
REFUSED = {"io/tests/simple_touchstone.s2p": ":2: expected a positive reference resistance"}

def check(dump, path, name):
    net, ts = skrf.Network(path), Touchstone(path)
    run = subprocess.run([dump, path], capture_output=True, text=True)
    if name in REFUSED or run.returncode:
        ok = name in REFUSED and run.returncode == 1 and REFUSED[name] in run.stderr
        return "" if ok else f"refused {run.returncode != 0}: {run.stderr.strip()}"
    lines = run.stdout.splitlines()
    n = int(lines[0].split()[1])
    rows = np.array([[float(x) for x in l.split()] for l in lines[1:] if l[0] != "n"])
    noise = np.array([[float(x) for x in l.split()[1:]] for l in lines[1:] if l[0] == "n"])
    noise = noise.reshape(-1, 5)
    s = (rows[:, 1::2] + 1j * rows[:, 2::2]).reshape(-1, n, n)
    if s.shape != net.s.shape or not np.allclose(rows[:, 0], net.f, rtol=1e-12, atol=0):
        return "frequencies or shape differ"
    scale = np.maximum(np.abs(net.s).max(axis=(1, 2), keepdims=True), 1e-30)
    if (np.abs(s - net.s) / scale).max() > 1e-6:
        return "S data differ"
    ref = np.array(ts.noise if ts.noise is not None else [], float).reshape(-1, 5)
    ref[:, 0] *= ts.frequency_mult
    ok = noise.shape == ref.shape and np.allclose(noise, ref, rtol=1e-12)
    return "" if ok else "noise data differ"

root = os.path.dirname(skrf.__file__)
compared, failures = 0, []
for path in sorted(glob.glob(root + "/**/*.*", recursive=True)):
    name = os.path.relpath(path, root)
    if not re.search(r"\.(s\d+p|ts)$", name, re.I):
        continue
    try:
        Touchstone(path), skrf.Network(path)
    except Exception as e:
        print(f"not readable by scikit-rf, left out: {name} ({type(e).__name__})")
        continue
    error = check(sys.argv[1], path, name)
    compared += not error
    failures += [f"DIFFERENCE: {name}: {error}"] if error else []
print(f"{compared - len(REFUSED)} files agree with scikit-rf {skrf.__version__}, "
      f"{len(REFUSED)} refused on purpose")
print("\n".join(failures))
sys.exit(1 if failures or compared < 2 else 0)
