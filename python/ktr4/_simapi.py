"""The simulated card's driver library and its controls generated from ktr4sim.h: each
ktr4sim_ function as a Python function of the same name without the prefix, with the card
addressed by its card number (the simulator's own calls take a slot)."""

import ctypes
import enum
import os

from . import _args, _header
from ._library import ctype_of, declare, library_path
from ._wrap import make_function
from .errors import CardNotFoundError, check


def _driver_path():
    chosen = os.environ.get("KTR4IO_LIBRARY")
    if chosen:
        return chosen
    return os.path.join(os.path.dirname(library_path()), "libktr4sim.so")


def _struct_repr(record):
    values = ", ".join(f"{name}={getattr(record, name)}" for name, _ in record._fields_)
    return f"{type(record).__name__}({values})"


def _structs():
    made = {}
    for name, fields in _header.SIM_STRUCTS:
        made[name] = type(name, (ctypes.Structure,), {"_fields_": [(f, ctype_of(t)) for t, f in fields],
                                                       "__repr__": _struct_repr})
    return made


_STRUCTS = _structs()
try:
    lib = ctypes.CDLL(_driver_path())
    declare(lib, _header.SIM_FUNCTIONS, _STRUCTS)
except (OSError, AttributeError) as error:
    raise ImportError(f"ktr4.sim: the driver {_driver_path()} is not the simulated card ({error})") from error

def _camel(name):
    return "".join(part[:1].upper() + part[1:] for part in name.split("_"))


# Each struct by its name without ktr4sim_, capitalised: ktr4sim_call is Call.
for _c_struct, _made in _STRUCTS.items():
    _made.__name__ = _made.__qualname__ = _camel(_c_struct[len("ktr4sim_"):])
    _made.__module__ = "ktr4.sim"
    globals()[_made.__name__] = _made


def _prefixed(prefix):
    return [(name[len(prefix):], value) for name, value in _header.SIM_DEFINES if name.startswith(prefix)]


ErrorCode = enum.IntEnum("ErrorCode", _prefixed("KTR4SIM_ERR_"), module=__name__)
ErrorCode.__doc__ = "Failure codes the simulated driver returns on its own."
MoveKind = enum.IntEnum("MoveKind", _prefixed("KTR4SIM_MOVE_"), module=__name__)
MoveKind.__doc__ = "What kind of move drives an axis."
__all__ = [made.__name__ for made in _STRUCTS.values()] + ["ErrorCode", "MoveKind", "card_numbers"]

# The other constants (status ports, ticks per second, ...) by their names without KTR4SIM_.
for _name, _value in _prefixed("KTR4SIM_"):
    if not _name.startswith(("ERR_", "MOVE_")):
        globals()[_name] = _value
        __all__.append(_name)

_NO_SLOT = 0xFFFFFFFF
_SUB_STATUS = dict(_header.SIM_DEFINES)["KTR4SIM_SUB_STATUS"]


def card_numbers():
    """The card numbers (number switch settings) of the simulated cards, in slot order."""
    numbers, slot = [], 0
    while lib.ktr4sim_handle(slot) != _NO_SLOT:
        word = ctypes.c_uint16()
        lib.ktr4sim_get_status(slot, 0, _SUB_STATUS, ctypes.byref(word))
        numbers.append((~word.value >> 3) & 0xF)  # axis 0's sub-status shows the switch, inverted
        slot += 1
    return numbers


def slot_of(card):
    """The slot of the simulated card with this card number (the first, if several have it)."""
    number = _args.integer(card, "card", 0, 15, " (the card's number switch)")
    numbers = card_numbers()
    if number not in numbers:
        raise CardNotFoundError(ErrorCode.HANDLE, "", f"no simulated card {number}: the simulated cards are {numbers}")
    return numbers.index(number)


def _as_flag(fn, c_name):
    """1 or 0 as a bool; anything else is the simulator's failure code."""
    def flag(*args, **kwargs):
        answer = fn(*args, **kwargs)
        if answer not in (0, 1):
            check(answer, c_name)
        return bool(answer)
    for attribute in ("__name__", "__qualname__", "__module__", "__doc__", "__signature__"):
        setattr(flag, attribute, getattr(fn, attribute))
    return flag


def _generate():
    answers, flags = set(_header.SIM_ANSWERS), set(_header.SIM_FLAGS)
    for c_name, result, params in _header.SIM_FUNCTIONS:
        if c_name in _header.SIM_BY_HAND:
            continue
        name = c_name[len("ktr4sim_"):]
        by_card = tuple(("uint32_t", "card", False, False) if p[1] == "slot" else p for p in params)
        checked = result == "int32_t" and c_name not in flags | answers
        doc = _header.SIM_DOCS.get(c_name, "").replace("slot: Card slot, 0 = the first card reported.",
                                                       "card: Card number (number switch) of the simulated card.")
        fn = make_function(getattr(lib, c_name), c_name, name, result, by_card, doc, check=check if checked else None,
                           structs=_STRUCTS, module="ktr4.sim",
                           convert={"card": slot_of} if by_card != params else None)
        globals()[name] = _as_flag(fn, c_name) if c_name in flags else fn
        __all__.append(name)


_generate()
