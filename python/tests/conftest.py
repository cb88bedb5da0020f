# SPDX-License-Identifier: Apache-2.0
"""Shared fixtures of the Python tests: the module itself, scikit-rf where it is installed, and
the Touchstone files scikit-rf ships."""
import glob
import os
import warnings

import numpy as np
import pytest

import tessel  # noqa: F401  (fails loudly when the module was not built)


@pytest.fixture(scope="session")
def rf():
    """scikit-rf with numpy's removed aliases (np.complex, np.float, np.int) restored, which
    scikit-rf 0.15 still uses; the test is skipped, visibly, when scikit-rf is missing."""
    for alias, kind in (("complex", complex), ("float", float), ("int", int)):
        if not hasattr(np, alias):
            setattr(np, alias, kind)
    try:
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            import skrf
    except Exception as exc:  # an ImportError, or a scikit-rf that fails on this numpy
        pytest.skip(f"scikit-rf is not available: {exc}")
    return skrf


@pytest.fixture(scope="session")
def skrf_data_files(rf):
    """Every Touchstone file in scikit-rf's data folder."""
    folder = os.path.join(os.path.dirname(rf.__file__), "data")
    files = sorted(glob.glob(os.path.join(folder, "*.s[0-9]*p")))
    if not files:
        pytest.skip("scikit-rf ships no Touchstone files here")
    return files
