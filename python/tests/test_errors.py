# SPDX-License-Identifier: Apache-2.0
"""Bad input to every entry point raises ValueError/TypeError before the library is called, or
TesselError with the library's status where the library refuses; nothing crashes."""
import numpy as np
import pytest

import tessel

INVALID, FAIL = 0x80070057 - (1 << 32), 0x80004005 - (1 << 32)
C = np.ones(8, np.complex64)
F = np.linspace(1e9, 2e9, 8)
S = tessel.CalStandard
RAW2 = {k: C for k in ("S11", "S12", "S21", "S22")}
TERMS2 = {n: C for n in tessel.correction_names("n_port", ports=[1, 2])[1]}
SOL = [(S.open(), C), (S.short(), C * 2), (S.matched_load(), C * 3)]

CASES = [
    ("response lengths", lambda: tessel.correct_response(C, C[:4]), ValueError, None),
    ("response strings", lambda: tessel.correct_response(np.array(["a"]), C), TypeError, None),
    ("one-port lengths", lambda: tessel.correct_one_port(C, directivity=C, source_match=C[:2], reflection_tracking=C), ValueError, None),
    ("two-port unknown name", lambda: tessel.correct_two_port({**RAW2, "S33": C}, TERMS2), ValueError, None),
    ("two-port missing raw", lambda: tessel.correct_two_port({"S11": C}, TERMS2), ValueError, None),
    ("two-port missing term", lambda: tessel.correct_two_port(RAW2, {"Directivity(1,1)": C}), ValueError, None),
    ("two-port empty", lambda: tessel.correct_two_port({k: C[:0] for k in RAW2}, TERMS2), ValueError, None),
    ("two-port lengths", lambda: tessel.correct_two_port({**RAW2, "S22": C[:3]}, TERMS2), ValueError, None),
    ("two-port value type", lambda: tessel.correct_two_port({**RAW2, "S11": "x"}, TERMS2), TypeError, None),
    ("two-port three ports", lambda: tessel.correct_two_port(RAW2, TERMS2, ports=[1, 2, 3]), ValueError, None),
    ("n-port repeated port", lambda: tessel.correct_n_port(RAW2, TERMS2, ports=[1, 1]), ValueError, None),
    ("enhanced same ports", lambda: tessel.correct_enhanced_response({}, {}, receiving_port=1, source_port=1), ValueError, None),
    ("receivers foreign port", lambda: tessel.correct_receivers(RAW2, TERMS2, ports=[1, 2], match_correction={3: True}), ValueError, None),
    ("names algorithm", lambda: tessel.correction_names("x", ports=[1]), ValueError, None),
    ("two-port data shape", lambda: S.two_port_data(np.ones((4, 3, 2))), ValueError, None),
    ("data standard too short", lambda: S.reflection_data(C[:3]).s_parameters(F), ValueError, None),
    ("empty sweep", lambda: tessel.solve_one_port(F[:0], SOL), ValueError, None),
    ("raw length", lambda: tessel.solve_one_port(F[:4], SOL), ValueError, None),
    ("measurement tuple", lambda: tessel.solve_one_port(F, [(S.open(),)]), ValueError, None),
    ("too few standards", lambda: tessel.solve_one_port(F, SOL[:2]), tessel.TesselError, INVALID),
    ("identical standards", lambda: tessel.solve_one_port(F, [(S.open(), C), (S.open(delay=0), C * 2), (S.short(), C)]), tessel.TesselError, INVALID),
    ("method", lambda: tessel.solve_two_port(F, [], [], method="x"), ValueError, None),
    ("thru raw incomplete", lambda: tessel.solve_two_port(F, [], [(S.thru(), 1, 2, {"S11": C})]), ValueError, None),
    ("trl without switch terms", lambda: tessel.solve_two_port(F, [], [(S.thru(), 1, 2, RAW2)], method="trl"), tessel.TesselError, INVALID),
    ("response path", lambda: tessel.solve_response(F, [(S.thru(), C)], path="x"), ValueError, None),
    ("n-port without thrus", lambda: tessel.solve_n_port_solt(F, [], [], ports=[1, 2, 3]), tessel.TesselError, INVALID),
    ("format 2-D", lambda: tessel.log_mag(np.ones((2, 2), np.complex64)), ValueError, None),
    ("phase strings", lambda: tessel.phase(["a", "b"]), TypeError, None),
    ("delay lengths", lambda: tessel.group_delay(C, F[:3]), ValueError, None),
    ("smooth both", lambda: tessel.smooth(np.ones(9), aperture=3, span=0.1), ValueError, None),
    ("smooth even", lambda: tessel.smooth(np.ones(9), aperture=4), tessel.TesselError, INVALID),
    ("smooth empty", lambda: tessel.smooth(np.ones(0), aperture=3), tessel.TesselError, INVALID),
    ("delay smoothing", lambda: tessel.smooth_group_delay(np.ones(9), aperture=1.0), tessel.TesselError, INVALID),
    ("trace math op", lambda: tessel.trace_math(C, C, operation="x"), ValueError, None),
    ("trace math lengths", lambda: tessel.trace_math(C, C[:2], operation="add"), ValueError, None),
    ("temperature unit", lambda: tessel.convert_temperature(np.ones(2), from_unit="x", to_unit="K"), ValueError, None),
    ("level unit", lambda: tessel.level(C, unit="W"), ValueError, None),
    ("missing file", lambda: tessel.read_touchstone("/nonexistent/x.s2p"), tessel.TesselError, INVALID),
    ("malformed text", lambda: tessel.parse_touchstone("# Hz S RI\n1 x y\n", ports=1), tessel.TesselError, INVALID),
    ("network shape", lambda: tessel.Touchstone(F, np.ones((8, 2, 3), np.complex64)), ValueError, None),
    ("write both forms", lambda: tessel.write_touchstone("/tmp/x.s1p", tessel.Touchstone(F, C), frequency=F), ValueError, None),
    ("write version", lambda: tessel.format_touchstone(tessel.Touchstone(F, C), version=3), tessel.TesselError, INVALID),
]


@pytest.mark.parametrize("call,exc,code", [c[1:] for c in CASES], ids=[c[0] for c in CASES])
def test_bad_input_raises(call, exc, code):
    with pytest.raises(exc) as err:
        call()
    if code is not None:
        assert err.value.code == code
