# SPDX-License-Identifier: Apache-2.0
"""Imports numpy and scikit-rf for the cross-checks, or exits 77 (a skipped CTest test) when
scikit-rf cannot be imported. scikit-rf 0.15 still uses the np.complex, np.float and np.int
aliases that numpy has removed, so they are restored before the import.

    from skrf_compat import np, rf
"""
import sys
import warnings

try:
    import numpy as np

    for alias, kind in (("complex", complex), ("float", float), ("int", int)):
        if not hasattr(np, alias):
            setattr(np, alias, kind)
    warnings.simplefilter("ignore")
    import skrf as rf
except Exception as error:  # an ImportError, or a scikit-rf that fails on this numpy
    print("SKIPPED: scikit-rf is not available (%s)" % error)
    sys.exit(77)
