"""The simulated card's controls (ktr4sim.h), for tests and for trying a program without a
card: which cards are present, HOME sensors, driver failures, the virtual clock, the trace of
driver calls. Functions keep their C names without the ktr4sim_ prefix; cards are addressed
by card number as in the rest of ktr4 (the first simulated card with that number); the
constants are here by their C names without KTR4SIM_ (MAIN_STATUS, TICKS_PER_SECOND).

The controls act on the driver library ktr4 itself loads: the file named by KTR4IO_LIBRARY,
else libktr4sim.so beside libktr4.so.1. With the virtual clock on (use_virtual_clock(True)),
the binding's own waits (Axis.wait_until_stopped) move the card's time on instead of
sleeping, so a program runs as fast as the computer can simulate it."""

import ctypes as _ctypes
import os as _os
from typing import List as _List
from typing import Sequence as _Sequence

from . import _args, _clock
from . import _simapi as _driver
from ._simapi import *  # noqa: F401,F403 (the generated controls and constants)
from ._simapi import Call
from ._simapi import __all__ as _generated
from .errors import DriverError as _DriverError

__all__ = [*_generated, "set_cards", "use_virtual_clock", "reset", "trace"]


def set_cards(switches: _Sequence[int]) -> None:
    """Presents one simulated card per card number switch setting (0..15 each, at most 16
    cards), in slot order, each in its power-on state; call it before the library is opened."""
    numbers = [_args.integer(s, f"switches[{i}]", 0, 15) for i, s in enumerate(switches)]
    values = (_ctypes.c_uint8 * len(numbers))(*numbers)
    _driver.lib.ktr4sim_set_cards(values, len(numbers))


def use_virtual_clock(on: bool) -> None:
    """Virtual clock on: the card's time stands still until advance() (or a wait of the binding)
    moves it. Off: wall-clock time."""
    _driver.lib.ktr4sim_use_virtual_clock(1 if on else 0)
    _clock.current = (_clock.VirtualClock(_driver.now, _driver.advance, _driver.TICKS_PER_SECOND) if on
                      else _clock.WallClock())


def reset() -> None:
    """Back to the power-on state (cards from KTR4SIM_CARDS, no failure, wall-clock time)."""
    _driver.lib.ktr4sim_reset()
    _clock.current = _clock.WallClock()


def trace() -> _List[Call]:
    """Every driver call recorded since the trace was cleared, as Call records."""
    return [_driver.trace_get(i) for i in range(_driver.trace_size())]


# ---- Controls of the simulated machine's signals go below, one block per signal.
# Every ktr4sim_ function of ktr4sim.h already has a generated wrapper here (taking the card
# number where the C function takes a slot); a hand-written one that replaces it takes the
# card number first (_driver.slot_of gives the slot), calls _driver.lib, is added to
# __all__, and its C name goes into SIM_BY_HAND in python/tools/stubs.py.
#
# The simulated machine (sensors, switches, alarm, INP, LTC, encoder; man 7 ktr4sim): the
# signal controls (set_home_sensor, set_index, set_limits, set_slowdown, raise_alarm,
# clear_alarm, set_inp_settle, set_latch_at, latch_now, set_feedback, unload_machine) are the
# generated ones; a machine file's refusal needs its message, so load_machine is by hand.


class MachineFileError(_DriverError):
    """ktr4sim_load_machine refused the file; `message` names the file, the line and the key.
    Nothing of the file was applied."""

    def __init__(self, code: int, message: str) -> None:
        self.message = message
        super().__init__(code, "ktr4sim_load_machine")

    def __str__(self) -> str:
        return f"{super().__str__()}: {self.message}"


def load_machine(path: "_os.PathLike[str] | str") -> None:
    """Loads a machine file (TOML, man 7 ktr4sim): the machine around every card's axes, by card
    number. Raises MachineFileError, with the line and key in its message, for a refused file."""
    message = _ctypes.create_string_buffer(4096)
    code = _driver.lib.ktr4sim_load_machine(_os.fsencode(path), message, len(message))
    if code != 0:
        raise MachineFileError(code, message.value.decode("utf-8", "replace"))


__all__ += ["MachineFileError", "load_machine"]
