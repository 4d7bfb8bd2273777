"""Result codes and the exceptions a non-zero code raises."""

import ctypes
import enum

from . import _header
from ._library import lib

# KTR4_OK, KTR4_ERR_CARD, ... as ResultCode.OK, ResultCode.ERR_CARD, ...
ResultCode = enum.IntEnum("ResultCode", [(name[len("KTR4_"):], value) for name, value in _header.DEFINES
                                         if name == "KTR4_OK" or name.startswith("KTR4_ERR_")])
ResultCode.__doc__ = "The library's result codes (ktr4.h); drivers add codes of their own."


def error_text(code):
    """The library's own English text for a result code (KTR4_error_text)."""
    return lib.KTR4_error_text(code).decode("utf-8", "replace")


def _driver_load_error():
    text = ctypes.create_string_buffer(4096)
    lib.KTR4_driver_load_error(text, len(text))  # a longer reason is cut, still worth showing
    return text.value.decode("utf-8", "replace")


class Error(Exception):
    """A call of the library returned a non-zero result code.

    `code` is the code (a ResultCode when it is one of the library's, else the int a driver
    returned), `text` the library's text for it, `function` the C function that returned it."""

    def __init__(self, code, function=""):
        try:
            code = ResultCode(code)
        except ValueError:
            pass
        self.code = code
        self.text = error_text(code)
        self.function = function
        where = f"{function}: " if function else ""
        super().__init__(f"{where}{self.text} ({int(code)})")


class CardNotFoundError(Error):
    """No card has this number (100), or the number is above 15 (300)."""


class OutOfRangeError(Error, ValueError):
    """An axis number (301) or another argument (302) outside its range."""


class AxisMovingError(Error):
    """The axis is still moving (303)."""


class DriverError(Error):
    """The driver library could not be loaded (900) or lacks an operation (901), or a driver
    operation failed: its own code, passed through unchanged. For 900 and 901 `reason` tells
    which file was tried and why it failed (KTR4_driver_load_error)."""

    def __init__(self, code, function=""):
        self.reason = _driver_load_error() if code in (900, 901) else ""
        super().__init__(code, function)

    def __str__(self):
        return f"{super().__str__()}: {self.reason}" if self.reason else super().__str__()


_FAMILIES = {
    ResultCode.ERR_NOT_INITIALISED: CardNotFoundError,
    ResultCode.ERR_CARD: CardNotFoundError,
    ResultCode.ERR_AXIS: OutOfRangeError,
    ResultCode.ERR_RANGE: OutOfRangeError,
    ResultCode.ERR_MOVING: AxisMovingError,
    ResultCode.ERR_DRIVER_LOAD: DriverError,
    ResultCode.ERR_DRIVER_OPERATION: DriverError,
}


def error_for(code, function=""):
    """The exception for a non-zero result code."""
    if code in _FAMILIES:
        return _FAMILIES[code](code, function)
    if code in ResultCode.__members__.values():
        return Error(code, function)
    return DriverError(code, function)  # not one of the library's codes: the driver's own


def check(code, function=""):
    """Raises the exception for `code` unless it is KTR4_OK."""
    if code != 0:
        raise error_for(code, function)
