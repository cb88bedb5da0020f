# SPDX-License-Identifier: Apache-2.0
"""tessel: vector network analyzer data processing on numpy arrays.

Complex data are numpy ``complex64`` arrays (passed without copies when contiguous), frequencies
and times ``float64``. Library failures raise :class:`TesselError`, which carries the library's
32-bit status code in ``code`` (negative for failures, as the library returns them).
"""
from ._tessel import *  # noqa: F401,F403
from ._tessel import TesselError, __version__  # noqa: F401
