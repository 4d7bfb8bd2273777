"""Result codes and the exceptions a non-zero code raises."""

from __future__ import annotations

import ctypes
import errno
import os
import re
from typing import Optional, Union

from typing import Dict, Type

from ._library import lib
from .codes import ResultCode  # KTR4_OK, KTR4_ERR_CARD, ... as ResultCode.OK, ResultCode.ERR_CARD, ...


def error_text(code: int) -> str:
    """The library's own English text for a result code (KTR4_error_text); "unknown" texts for
    codes it does not know."""
    text: bytes = lib.KTR4_error_text(code)
    return text.decode("utf-8", "replace")


def _driver_load_error() -> str:
    text = ctypes.create_string_buffer(4096)
    lib.KTR4_driver_load_error(text, len(text))  # a longer reason is cut, still worth showing
    return text.value.decode("utf-8", "replace")


def _python_name(function: str) -> str:
    # KTR4_read_speed -> ktr4.api.read_speed, ktr4sim_set_home -> ktr4.sim.set_home
    if function.startswith("ktr4sim_"):
        return "ktr4.sim." + function[len("ktr4sim_"):]
    return "ktr4.api." + re.sub(r"^KTR4_", "", function).lower()


class Error(Exception):
    """A call of the library returned a non-zero result code.

    Attributes: `code`, the code (a ResultCode when it is one of the library's, else the int a
    driver returned); `text`, the library's text for it; `function`, the C function that
    returned it ("" when the binding itself raised)."""

    code: Union[ResultCode, int]
    text: str
    function: str

    def __init__(self, code: int, function: str = "", message: Optional[str] = None) -> None:
        self._take(code, function)
        if message is None:
            where = f"{function}: " if function else ""
            message = f"{where}{self.text} ({int(self.code)})"
            if self.code == ResultCode.ERR_RANGE and function:
                message += f"; see help({_python_name(function)}) for the range of each argument"
            elif self.code == ResultCode.ERR_MOVING:
                message += "; wait until it stands still (Axis.wait_until_stopped) or stop it first"
        super().__init__(message)

    def _take(self, code: int, function: str) -> None:
        try:
            code = ResultCode(code)
        except ValueError:
            pass
        self.code = code
        self.text = error_text(code)
        self.function = function


class CardNotFoundError(Error):
    """No card has this number (100), or the number is above 15 (300)."""


class LibraryClosedError(Error, RuntimeError):
    """A call while the library is not open: before Library.open() or after Library.close()
    (code KTR4_ERR_NOT_INITIALISED, 100)."""

    def __init__(self, what: str = "") -> None:
        about = f"{what}: " if what else ""
        super().__init__(ResultCode.ERR_NOT_INITIALISED, "",
                         f"{about}the library is closed: open it first (ktr4.Library().open() or a "
                         "`with ktr4.Library()` block); objects of a closed Library stay closed")


class OutOfRangeError(Error, ValueError):
    """An axis number (301) or another argument (302) outside its range."""


class AxisMovingError(Error):
    """The axis is still moving (303)."""


class DriverError(Error):
    """The driver library could not be loaded (900) or lacks an operation (901), or a driver
    operation failed: its own code, passed through unchanged. For 900 and 901 `reason` tells
    which file was tried and why it failed (KTR4_driver_load_error)."""

    def __init__(self, code: int, function: str = "") -> None:
        self.reason = _driver_load_error() if code in (900, 901) else ""
        super().__init__(code, function)

    def __str__(self) -> str:
        return f"{super().__str__()}: {self.reason}" if self.reason else super().__str__()


class ConfigFileError(Error, OSError):
    """A configuration file the library could not write or load (codes KTR4_ERR_FILE, 309, and
    KTR4_ERR_FILE_SIZE, 312). An OSError: `filename` is the path, `errno` and `strerror` the
    cause where the system names one (None otherwise); the subclasses
    ConfigFileNotFoundError, ConfigIsADirectoryError and ConfigPermissionError are also
    FileNotFoundError, IsADirectoryError and PermissionError."""

    def __new__(cls, code: int, function: str, filename: str, number: Optional[int],
                reason: str) -> "ConfigFileError":
        return OSError.__new__(cls, number, reason, filename)  # type: ignore[call-arg]

    def __init__(self, code: int, function: str, filename: str, number: Optional[int], reason: str) -> None:
        OSError.__init__(self, number, reason, filename)
        self._take(code, function)

    def __str__(self) -> str:
        cause = f"[Errno {self.errno}] " if self.errno is not None else ""
        return f"{cause}{self.strerror}: {self.filename!r} ({self.function}: {self.text} ({int(self.code)}))"


class ConfigFileNotFoundError(ConfigFileError, FileNotFoundError):
    """The file (loading) or its folder (saving) does not exist."""


class ConfigIsADirectoryError(ConfigFileError, IsADirectoryError):
    """The path names a directory."""


class ConfigPermissionError(ConfigFileError, PermissionError):
    """This user may not read (loading) or write (saving) it."""


def file_error(error: Error, path: Union[str, bytes, os.PathLike[str], os.PathLike[bytes]],
               writing: bool) -> Error:
    """The ConfigFileError for a file code the library returned for `path`, with the cause the
    system names; other errors unchanged."""
    if error.code not in (ResultCode.ERR_FILE, ResultCode.ERR_FILE_SIZE):
        return error
    name = os.fsdecode(path)
    folder = os.path.dirname(os.path.abspath(name))
    found: Optional[Type[ConfigFileError]] = None
    if error.code == ResultCode.ERR_FILE:
        if os.path.isdir(name):
            found = ConfigIsADirectoryError
        elif not os.path.exists(folder if writing else name):
            found = ConfigFileNotFoundError
        elif (writing and not os.access(folder, os.W_OK)) or (os.path.exists(name) and not os.access(
                name, os.W_OK if writing else os.R_OK)):
            found = ConfigPermissionError
    numbers: Dict[Type[ConfigFileError], int] = {ConfigIsADirectoryError: errno.EISDIR,
                                                 ConfigFileNotFoundError: errno.ENOENT,
                                                 ConfigPermissionError: errno.EACCES}
    if found is not None:
        number = numbers[found]
        return found(error.code, error.function, name, number, os.strerror(number))
    return ConfigFileError(error.code, error.function, name, None, error.text)


_FAMILIES: Dict[int, Type[Error]] = {
    ResultCode.ERR_NOT_INITIALISED: CardNotFoundError,
    ResultCode.ERR_CARD: CardNotFoundError,
    ResultCode.ERR_AXIS: OutOfRangeError,
    ResultCode.ERR_RANGE: OutOfRangeError,
    ResultCode.ERR_MOVING: AxisMovingError,
    ResultCode.ERR_DRIVER_LOAD: DriverError,
    ResultCode.ERR_DRIVER_OPERATION: DriverError,
}


def error_for(code: int, function: str = "") -> Error:
    """The exception for a non-zero result code."""
    if code in _FAMILIES:
        return _FAMILIES[code](code, function)
    if code in ResultCode.__members__.values():
        return Error(code, function)
    return DriverError(code, function)  # not one of the library's codes: the driver's own


def check(code: int, function: str = "") -> None:
    """Raises the exception for `code` unless it is KTR4_OK."""
    if code != 0:
        raise error_for(code, function)
