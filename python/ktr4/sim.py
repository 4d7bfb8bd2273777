"""The simulated card's controls (ktr4sim.h), for tests and for trying a program without a
card: which cards are present, HOME sensors, driver failures, the virtual clock, the trace of
driver calls. Functions keep their C names without the ktr4sim_ prefix and their C arguments;
cards are addressed by slot (0 = the first card found), not by card number.

The controls act on the driver library ktr4 itself loads: the file named by KTR4IO_LIBRARY,
else libktr4sim.so beside libktr4.so.1. With the virtual clock on (use_virtual_clock(True)),
the binding's own waits (Axis.wait_until_stopped) move the card's time on instead of
sleeping, so a program runs as fast as the computer can simulate it."""

import ctypes
import enum
import functools
import os

from . import _clock, _header
from ._library import ctype_of, declare, library_path
from ._wrap import make_function
from .errors import check

TICKS_PER_SECOND = dict(_header.SIM_DEFINES)["KTR4SIM_TICKS_PER_SECOND"]


def _prefixed(prefix):
    return [(name[len(prefix):], value) for name, value in _header.SIM_DEFINES if name.startswith(prefix)]


ErrorCode = enum.IntEnum("ErrorCode", _prefixed("KTR4SIM_ERR_"))
ErrorCode.__doc__ = "Failure codes the simulated driver returns on its own."
MoveKind = enum.IntEnum("MoveKind", _prefixed("KTR4SIM_MOVE_"))
MoveKind.__doc__ = "What kind of move drives an axis."


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
    _lib = ctypes.CDLL(_driver_path())
    declare(_lib, _header.SIM_FUNCTIONS, _STRUCTS)
except (OSError, AttributeError) as error:
    raise ImportError(f"ktr4.sim: the driver {_driver_path()} is not the simulated card ({error})") from error
Call = _STRUCTS["ktr4sim_call"]

def _as_flag(fn, c_name):
    """1 or 0 as a bool; anything else is the simulator's failure code (no such slot or axis)."""
    @functools.wraps(fn)
    def flag(*args, **kwargs):
        answer = fn(*args, **kwargs)
        if answer not in (0, 1):
            check(answer, c_name)
        return bool(answer)
    return flag


# Results that are answers, not status codes.
_ANSWERS = {"ktr4sim_handle", "ktr4sim_trace_size", "ktr4sim_trace_capacity", "ktr4sim_now", "ktr4sim_stop_tick"}
_FLAGS = {"ktr4sim_is_open", "ktr4sim_interrupt_enabled", "ktr4sim_is_moving"}

__all__ = ["ErrorCode", "MoveKind", "TICKS_PER_SECOND", "Call", "trace"]
for _c_name, _result, _params in _header.SIM_FUNCTIONS:
    _name = _c_name[len("ktr4sim_"):]
    _checked = _result == "int32_t" and _c_name not in _FLAGS | _ANSWERS
    _fn = make_function(getattr(_lib, _c_name), _c_name, _name, _result, _params, _header.SIM_DOCS.get(_c_name, ""),
                        check=check if _checked else None, structs=_STRUCTS, module=__name__)
    if _c_name in _FLAGS:
        _fn = _as_flag(_fn, _c_name)
    globals()[_name] = _fn
    __all__.append(_name)


def set_cards(switches):
    """Presents one card per switch setting (at most 16), in slot order, each in its power-on state."""
    values = (ctypes.c_uint8 * len(switches))(*switches)
    _lib.ktr4sim_set_cards(values, len(switches))


def use_virtual_clock(on):
    """Virtual clock on: the card's time stands still until advance() (or a wait of the binding)
    moves it. Off: wall-clock time."""
    _lib.ktr4sim_use_virtual_clock(1 if on else 0)
    _clock.current = _clock.VirtualClock(now, advance, TICKS_PER_SECOND) if on else _clock.WallClock()  # noqa: F821


def reset():
    """Back to the power-on state (cards from KTR4SIM_CARDS, no failure, wall-clock time)."""
    _lib.ktr4sim_reset()
    _clock.current = _clock.WallClock()


def trace():
    """Every driver call recorded since the trace was cleared, as Call records."""
    return [trace_get(i) for i in range(trace_size())]  # noqa: F821


# ---------------------------------------------------------------------------------------------
# The simulated machine (sensors, switches, alarm, INP, LTC, encoder; man 7 ktr4sim). The
# signal controls (set_home_sensor, set_index, set_limits, set_slowdown, raise_alarm,
# clear_alarm, set_inp_settle, set_latch_at, latch_now, set_feedback, unload_machine) are
# generated from ktr4sim.h above; these add what a generated function cannot say.

from .errors import DriverError  # noqa: E402

MINUS = dict(_header.SIM_DEFINES)["KTR4SIM_MINUS"]
PLUS = dict(_header.SIM_DEFINES)["KTR4SIM_PLUS"]
BOTH = dict(_header.SIM_DEFINES)["KTR4SIM_BOTH"]


class MachineFileError(DriverError):
    """ktr4sim_load_machine refused the file; `message` names the file, the line and the key.
    Nothing of the file was applied."""

    def __init__(self, code, message):
        self.message = message
        super().__init__(code, "ktr4sim_load_machine")

    def __str__(self):
        return f"{super().__str__()}: {self.message}"


def load_machine(path):
    """Loads a machine file (TOML, man 7 ktr4sim): the machine around every card's axes, by card
    number. Raises MachineFileError, with the line and key in its message, for a refused file."""
    message = ctypes.create_string_buffer(4096)
    code = _lib.ktr4sim_load_machine(os.fsencode(path), message, len(message))
    if code != 0:
        raise MachineFileError(code, message.value.decode("utf-8", "replace"))


__all__ += ["MINUS", "PLUS", "BOTH", "MachineFileError", "load_machine"]
