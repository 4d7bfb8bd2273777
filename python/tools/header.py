"""Reads the C declarations of ktr4.h and ktr4sim.h: functions, #define constants and plain
structs. The binding's ctypes declarations and its tests both come from here, so they cannot
drift from the headers. (Their reference comments are read by docs/reference/ktr4_reference.py.)"""

import re
from dataclasses import dataclass, field

# The C types of the two headers that the binding knows how to pass (ktr4/_library.py).
SCALARS = {"void", "int32_t", "uint32_t", "int64_t", "uint64_t", "uint16_t", "uint8_t", "double", "ktr4_u8",
           "ktr4_u16", "KTR4_EVENT", "KTR4_IRQ_CALLBACK"}


@dataclass
class Param:
    ctype: str  # the C type without const and '*'
    name: str
    pointer: bool = False
    const: bool = False

    @property
    def is_output(self):
        return self.pointer and not self.const


@dataclass
class Function:
    name: str
    result: str
    params: list


@dataclass
class Define:
    name: str
    value: int


@dataclass
class Struct:
    name: str
    fields: list = field(default_factory=list)  # (ctype, name)


_COMMENT = re.compile(r"/\*.*?\*/", re.S)
_FUNCTION = re.compile(
    r"^(?:KTR4_API\s+)?(?P<result>(?:const\s+)?[A-Za-z_][A-Za-z0-9_]*\s*\**)\s*(?:KTR4_CALL\s+)?"
    r"(?P<name>(?:KTR4|ktr4sim)_[A-Za-z0-9_]+)\s*\((?P<params>[^)]*)\)\s*;", re.M | re.S)
_DEFINE = re.compile(r"^#define\s+(?P<name>(?:KTR4|KTR4SIM)_[A-Z0-9_]+)\s+(?P<value>0x[0-9A-Fa-f]+|\d+)u?[ \t]*$", re.M)
_STRUCT = re.compile(r"typedef\s+struct\s+(?P<name>\w+)\s*\{(?P<body>[^{}]*)\}\s*(?P=name)\s*;", re.S)


def _parse_param(text):
    text = " ".join(text.split())
    if text in ("", "void"):
        return None
    match = re.fullmatch(r"(?P<const>const\s+)?(?P<type>\w+)\s*(?P<star>\*?)\s*(?P<name>\w+)(?:\[\d+\])?", text)
    if not match:
        raise ValueError(f"cannot read parameter: {text!r}")
    return Param(match["type"], match["name"], bool(match["star"]), bool(match["const"]))


def parse(text):
    """(functions, defines, structs) of a header's text, in the order they are declared."""
    functions = []
    code = _COMMENT.sub(" ", text)
    for match in _FUNCTION.finditer(code):
        params = [p for p in (_parse_param(t) for t in match["params"].split(",")) if p]
        result = match["result"].replace(" ", "")
        functions.append(Function(match["name"], result, params))
    defines = [Define(m["name"], int(m["value"], 0)) for m in _DEFINE.finditer(code)]
    structs = []
    for match in _STRUCT.finditer(code):
        fields = []
        for line in match["body"].split(";"):
            line = " ".join(line.split())
            if line:
                ctype, name = line.rsplit(" ", 1)
                fields.append((ctype, name))
        if all(ctype in SCALARS for ctype, _ in fields):
            structs.append(Struct(match["name"], fields))
    return functions, defines, structs


_DEFINE_DOC = re.compile(r"/\*\*(?P<doc>(?:(?!\*/).)*)\*/\s*#define\s+(?P<name>KTR4[A-Z0-9_]*)\s", re.S)


def define_docs(text):
    """{constant name: its one-comment reference text} for the #defines that have one."""
    return {m["name"]: " ".join(m["doc"].replace("*", " ").split()) for m in _DEFINE_DOC.finditer(text)}


def python_name(c_name):
    """KTR4_T_curve_position_move -> t_curve_position_move, ktr4sim_set_home -> set_home."""
    return re.sub(r"^(KTR4_|ktr4sim_)", "", c_name).lower()
