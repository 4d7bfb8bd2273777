"""Writes the type stubs of the generated modules (ktr4/api.pyi, ktr4/_simapi.pyi), so that type
checkers see every function of ktr4.h and ktr4sim.h with Python types; and says which simulator
functions answer with a value or a flag instead of a result code, and which have hand-written
wrappers in ktr4/sim.py instead of generated ones."""

import re

# Simulator functions whose result is an answer, not a result code.
SIM_ANSWERS = {"ktr4sim_handle", "ktr4sim_trace_size", "ktr4sim_trace_capacity", "ktr4sim_now", "ktr4sim_stop_tick"}
# ... and those whose 1 or 0 is a yes or no (anything else a failure code).
SIM_FLAGS = {"ktr4sim_is_open", "ktr4sim_interrupt_enabled", "ktr4sim_is_moving"}
# Written by hand in ktr4/sim.py (Python arguments a generated wrapper cannot give).
SIM_BY_HAND = {"ktr4sim_set_cards", "ktr4sim_use_virtual_clock", "ktr4sim_reset", "ktr4sim_load_machine"}

_INTS = {"int32_t", "uint32_t", "int64_t", "uint64_t", "uint16_t", "uint8_t", "ktr4_u8", "ktr4_u16", "KTR4_EVENT"}


def camel(name):
    return "".join(part[:1].upper() + part[1:] for part in name.split("_"))


def _split(params):
    """(inputs, outputs) of a declaration's (ctype, name, pointer, const) parameters, as the
    binding calls it: a text buffer's size is the binding's, and the text is returned."""
    text_at = next((i for i, p in enumerate(params) if p[0] == "char" and p[2] and not p[3]), None)
    size = params[text_at + 1][1] if text_at is not None else None
    inputs = [p for p in params if not (p[2] and not p[3]) and p[1] != size]
    outputs = [p for p in params if p[2] and not p[3]]
    return inputs, outputs


def _input_type(ctype):
    if ctype == "char":
        return "_Path"
    if ctype == "KTR4_IRQ_CALLBACK":
        return "Optional[Callable[[int], object]]"
    return "float" if ctype == "double" else "int"


def _output_type(ctype):
    if ctype == "char":
        return "str"
    if ctype.startswith("ktr4sim_"):
        return camel(ctype[len("ktr4sim_"):])  # a struct: ktr4sim_call is Call
    return "float" if ctype == "double" else "int"


def _stub(functions, prefix, *, checked, renamed=None, skip=(), flags=(), answers=()):
    lines = []
    names = []
    for c_name, result, params in functions:
        if c_name in skip:
            continue
        name = re.sub(f"^{prefix}", "", c_name).lower() if prefix == "KTR4_" else c_name[len(prefix):]
        inputs, outputs = _split(params)
        args = ", ".join(f"{(renamed or {}).get(p[1], p[1])}: {_input_type(p[0])}" for p in inputs)
        if len(outputs) > 1:
            tuple_name = camel(name)
            lines += ["", "", f"class {tuple_name}(NamedTuple):"]
            lines += [f"    {p[1]}: {_output_type(p[0])}" for p in outputs]
            returned = tuple_name
        elif outputs:
            returned = _output_type(outputs[0][0])
        else:
            returned = "None"
        if c_name in flags:
            returned = "bool"
        elif not outputs and result != "void" and (not checked or c_name in answers or result != "int32_t"):
            returned = "str" if result == "constchar*" else "int"
        lines += ["", "", f"def {name}({args}) -> {returned}: ..."]
        names.append(name)
    return lines, names


_HEAD = ['"""Generated from the headers when the package was built: the types of the functions; do not edit."""', "",
         "import os", "from typing import Callable, List, NamedTuple, Optional, Union", "",
         "_Path = Union[str, bytes, os.PathLike[str], os.PathLike[bytes]]"]


def api_stub(functions):
    lines, names = _stub(functions, "KTR4_", checked=True)
    body = _HEAD + ["", "", "def is_open() -> bool: ..."] + lines
    body += [""]
    return "\n".join(body)


def sim_stub(functions, structs, defines):
    lines, names = _stub(functions, "ktr4sim_", checked=True, renamed={"slot": "card"}, skip=SIM_BY_HAND,
                         flags=SIM_FLAGS, answers=SIM_ANSWERS)
    body = _HEAD[:2] + ["import ctypes", "import enum"] + _HEAD[2:]
    for name, fields in structs:
        body += ["", "", f"class {camel(name[len('ktr4sim_'):])}(ctypes.Structure):"]
        body += [f"    {field}: {'float' if ctype == 'double' else 'int'}" for ctype, field in fields]
    for cls, prefix in (("ErrorCode", "KTR4SIM_ERR_"), ("MoveKind", "KTR4SIM_MOVE_")):
        body += ["", "", f"class {cls}(enum.IntEnum):"]
        body += [f"    {d[0][len(prefix):]} = {d[1]}" for d in defines if d[0].startswith(prefix)]
    body += [""] + [f"{d[0][len('KTR4SIM_'):]}: int" for d in defines if not d[0].startswith(("KTR4SIM_ERR_",
                                                                                            "KTR4SIM_MOVE_"))]
    body += ["", "lib: ctypes.CDLL", "", "", "def card_numbers() -> List[int]: ...", "", "",
             "def slot_of(card: int) -> int: ..."]
    exported = [camel(name[len("ktr4sim_"):]) for name, _ in structs] + ["ErrorCode", "MoveKind", "card_numbers"]
    exported += [d[0][len("KTR4SIM_"):] for d in defines if not d[0].startswith(("KTR4SIM_ERR_", "KTR4SIM_MOVE_"))]
    body += lines + ["", "", f"__all__ = {exported + names!r}", ""]
    return "\n".join(body)
