"""ktr4: the KTR4 four-axis pulse-train motion-control card from Python.

A binding over the card's C library libktr4.so.1 through ctypes:

    import ktr4

    with ktr4.Library() as ktr:              # KTR4_initial ... KTR4_close
        axis = ktr.card(0).axis(0)
        axis.move_to(8000, speed=20000, accel=0.1)
        print(axis.wait_until_stopped(timeout=5))

- ktr4.Library, ktr4.Card, ktr4.Axis: the card as objects (moves, jogs, stops, lines and arcs,
  homing, soft limits, comparator, interrupts delivered to a Python callable, configuration
  files), with Python arguments: pulses, pulses per second (pps) and seconds.
- The card's codes as enums named as in ktr4.h without the prefix: HomeMode.ORG_EZ is
  KTR4_HOME_ORG_EZ, Event.END is KTR4_EVENT_END (see ktr4.codes).
- ktr4.api: every export of ktr4.h as a function of the same name in lower case without the
  KTR4_ prefix (api.t_curve_position_move), for everything the objects do not cover.
- ktr4.Error and its subclasses: a non-zero result code raises, carrying `code` and the
  library's own `text` for it; a wrong argument raises TypeError or ValueError naming it.
- ktr4.sim: the simulated card's controls (ktr4sim.h), for tests and trials without a card.
- ktr4.path (import ktr4.path): part programs (G-code) on the card through libktr4path.so.1:
  machine files, programs, planning and runs with hold, resume, override and emergency stop.

The objects' docstrings describe their Python parameters; those of ktr4.api are the
reference texts of the C functions. This package serves the interpreter it is installed for
(python3-ktr4: Debian's /usr/bin/python3); others install the wheel (see
/usr/share/doc/python3-ktr4/README.md)."""

import importlib
import types

from . import api, codes
from .card import Alarm, Axis, Card, Comparator, HomeSetting, Latch, Library, SlowDown, SoftLimits, StopMode
from .codes import *  # noqa: F401,F403 (the card's codes: HomeMode, Event, ...)
from .errors import (AxisMovingError, CardNotFoundError, ConfigFileError, ConfigFileNotFoundError,
                     ConfigIsADirectoryError, ConfigPermissionError, DriverError, Error, LibraryClosedError,
                     OutOfRangeError, error_text)

__all__ = ["api", "sim", "Library", "Card", "Axis", "StopMode", "SoftLimits", "Comparator", "HomeSetting",
           "SlowDown", "Alarm", "Latch",
           "Error", "CardNotFoundError", "LibraryClosedError", "OutOfRangeError", "AxisMovingError", "DriverError",
           "ConfigFileError", "ConfigFileNotFoundError", "ConfigIsADirectoryError", "ConfigPermissionError",
           "error_text", *codes.__all__]


def __getattr__(name: str) -> types.ModuleType:
    # The simulated card's controls load its driver library only when a program asks for them.
    if name == "sim":
        return importlib.import_module(".sim", __name__)
    raise AttributeError(f"module 'ktr4' has no attribute {name!r}")
