"""The package's declarations, enums and docstrings against the headers of the source tree."""

import ctypes
import os

import header
import reference

import ktr4
from ktr4 import _header, _library
from conftest import SOURCE

KTR4_H = os.path.join(SOURCE, "cardlib", "include", "ktr4.h")

# How each C type of ktr4.h crosses the C ABI (8- and 16-bit arguments in 32-bit slots).
C_ABI = {"int32_t": ctypes.c_int32, "uint32_t": ctypes.c_uint32, "uint16_t": ctypes.c_uint16,
         "uint8_t": ctypes.c_uint8, "double": ctypes.c_double, "ktr4_u8": ctypes.c_uint32,
         "ktr4_u16": ctypes.c_uint32, "KTR4_EVENT": ctypes.c_int, "KTR4_IRQ_CALLBACK": _library.IRQ_CALLBACK}


def read_header():
    with open(KTR4_H, encoding="utf-8") as f:
        return header.parse(f.read())


def test_every_export_has_a_function_with_the_header_types():
    functions, _, _ = read_header()
    assert len(functions) >= 119
    for f in functions:
        py = getattr(ktr4.api, header.python_name(f.name))
        inputs = [p.name for p in f.params if not p.is_output]
        assert list(py.__signature__.parameters) == inputs, f.name
        c_fn = getattr(_library.lib, f.name)
        expected = []
        for p in f.params:
            if p.ctype == "char":
                expected.append(ctypes.c_char_p)
            else:
                expected.append(ctypes.POINTER(C_ABI[p.ctype]) if p.pointer else C_ABI[p.ctype])
        assert list(c_fn.argtypes) == expected, f.name
        assert c_fn.restype in (ctypes.c_int32, ctypes.c_char_p), f.name


def test_result_codes_are_the_headers():
    _, defines, _ = read_header()
    codes = {d.name[len("KTR4_"):]: d.value for d in defines if d.name == "KTR4_OK" or "_ERR_" in d.name}
    assert {c.name: int(c) for c in ktr4.ResultCode} == codes


def test_docstrings_are_the_reference_texts():
    functions, _, _ = read_header()
    reference_dir = os.path.join(SOURCE, "docs", "reference")
    texts = reference.texts(KTR4_H, functions, reference_dir if os.path.isdir(reference_dir) else None)
    assert _header.DOCS == texts
    move = texts["KTR4_T_curve_position_move"]
    assert move and move in ktr4.Axis.move_by.__doc__ and move in ktr4.api.t_curve_position_move.__doc__


def test_readbacks_are_python_values():
    assert ktr4.api.readback_sd_pin.readback._fields == ("enable", "opt6", "opt5", "opt4", "state")
    assert ktr4.api.read_speed.__signature__.parameters.keys() == {"card", "axis"}
