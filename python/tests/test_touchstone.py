# SPDX-License-Identifier: Apache-2.0
"""Touchstone files against scikit-rf's reader on its files; the README example, run as written."""
import os
import re

import numpy as np
import pytest

import tessel


def test_read_agrees_with_skrf(rf, skrf_data_files):
    for path in skrf_data_files:
        ours, net = tessel.read_touchstone(path), rf.Network(path)
        assert ours.s.dtype == np.complex64 and ours.s.shape == net.s.shape, path
        assert np.allclose(ours.frequency, net.f, rtol=1e-12), path
        assert np.allclose(ours.s, net.s, rtol=1e-6, atol=1e-7), path
        assert np.allclose(ours.z0, net.z0[0].real), path


@pytest.mark.parametrize("version", [1, 2])
def test_written_files_read_back_here_and_in_skrf(rf, skrf_data_files, tmp_path, version):
    for path in skrf_data_files:
        src = tessel.read_touchstone(path)
        out = str(tmp_path / ("out" + os.path.splitext(path)[1]))
        tessel.write_touchstone(out, src, version=version)
        back = tessel.read_touchstone(out)
        assert np.array_equal(back.s, src.s) and np.array_equal(back.frequency, src.frequency)
        if version == 1:  # scikit-rf 0.15 reads version 1 files only
            assert np.allclose(rf.Network(out).s, src.s, rtol=1e-6, atol=1e-7), path
    f, s = np.array([1e9, 2e9]), np.array([0.5 + 0.5j, -0.25j], np.complex64)
    tessel.write_touchstone(str(tmp_path / "a.s1p"), frequency=f, s=s, z0=75.0, version=version)
    back = tessel.read_touchstone(str(tmp_path / "a.s1p"))
    assert np.array_equal(back.s[:, 0, 0], s) and back.z0.tolist() == [75.0]
    assert tessel.Touchstone(f, s).z0.tolist() == [50.0]


def test_parse_converts_impedances_to_s():
    text = "# Hz Z RI R 50\n1e9 2 0\n2e9 1 1\n"
    net = tessel.parse_touchstone(text, ports=1)
    z = 50 * np.array([2, 1 + 1j])  # version 1 Z values are normalised to R
    assert np.allclose(net.s[:, 0, 0], (z - 50) / (z + 50), atol=1e-7)
    assert tessel.parse_touchstone(text, ports=1, to_s=False).parameter == "Z"
    again = tessel.parse_touchstone(tessel.format_touchstone(net, version=2))
    assert np.array_equal(again.s, net.s) and again.version == 2


def test_readme_example_runs(skrf_data_files, capsys):
    if not hasattr(tessel, "TimeDomain"):
        pytest.skip("the README example needs the time-domain and marker bindings")
    readme = os.path.join(os.environ.get("TESSEL_SOURCE_DIR",
                                         os.path.join(os.path.dirname(__file__), "..", "..")),
                          "README.md")
    code = re.search(r"```python\n(.*?)```", open(readme).read(), re.S).group(1)
    path = [f for f in skrf_data_files if f.endswith("ntwk1.s2p")][0]
    exec(code.replace('"ntwk1.s2p"', repr(path)), {})
    assert re.search(r"peak -?\d+\.\d dB at -?\d+\.\d+ ns", capsys.readouterr().out)
