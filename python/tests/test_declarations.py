"""The package's declarations, enums and docstrings against the headers of the source tree."""

import ctypes
import inspect
import os
import pydoc
import re
import typing

import header
import reference

import ktr4
from ktr4 import _header, _library
from conftest import SOURCE

KTR4_H = os.path.join(SOURCE, "cardlib", "include", "ktr4.h")
REFERENCE_DIR = os.path.join(SOURCE, "docs", "reference")

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
        # A text the library writes into a buffer is returned; the buffer's size is the binding's.
        sizes = {f.params[i + 1].name for i, p in enumerate(f.params) if p.ctype == "char" and p.is_output}
        inputs = [p.name for p in f.params if not p.is_output and p.name not in sizes]
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
    texts = reference.texts(KTR4_H, functions, REFERENCE_DIR)
    assert _header.DOCS == texts
    move = texts["KTR4_T_curve_position_move"]
    assert move and move in ktr4.api.t_curve_position_move.__doc__


def _public_methods():
    for cls in (ktr4.Library, ktr4.Card, ktr4.Axis):
        for name, member in vars(cls).items():
            if not name.startswith("_"):
                yield f"{cls.__name__}.{name}", member


def test_the_objects_document_python_parameters_not_the_c_reference():
    text = pydoc.render_doc(ktr4.Axis.move_by, renderer=pydoc.plaintext)
    for part in ("distance: pulses", "speed: highest speed, 1..6 553 500 pps", "accel: acceleration time",
                 "seconds", "Raises:", "AxisMovingError"):
        assert part in text
    c_words = re.compile(r"\b(int32_t|uint8_t|ktr4_u8|double|t_acc|max_speed|Result codes|@param)\b")
    for name, member in _public_methods():
        doc = (member.fget if isinstance(member, property) else member).__doc__
        assert doc and not c_words.search(doc), name


def test_the_public_api_has_type_hints():
    for name, member in _public_methods():
        function = member.fget if isinstance(member, property) else member
        if not callable(function):
            continue
        hints = typing.get_type_hints(function)
        parameters = [p for p in inspect.signature(function).parameters if p not in ("self", "exc")]
        assert "return" in hints and all(p in hints for p in parameters), name


def test_a_reference_comment_becomes_the_docstring(tmp_path):
    path = tmp_path / "move.h"
    path.write_text("/** @brief Reads where the axis is.\n *\n * Any time, moving or not.\n"
                    " * @param card Card number 0..15.\n * @param position Command position in pulses.\n"
                    " * @retval KTR4_ERR_CARD The card number is above 15.\n */\n"
                    "KTR4_API int32_t KTR4_CALL KTR4_where(ktr4_u8 card, int32_t *position);\n")
    functions, _, _ = header.parse(path.read_text())
    text = reference.texts(str(path), functions, REFERENCE_DIR)["KTR4_where"]
    for part in ("Reads where the axis is.", "Any time, moving or not.", "card: Card number 0..15.",
                 "position (returned): Command position in pulses.",
                 "ktr4.CardNotFoundError (KTR4_ERR_CARD): The card number is above 15."):
        assert part in text


def test_readbacks_are_python_values():
    assert ktr4.api.readback_sd_pin.readback._fields == ("enable", "logic", "stop", "latch", "state")
    assert ktr4.api.read_speed.__signature__.parameters.keys() == {"card", "axis"}
