"""Python values to the library's units, with errors that name the Python parameter.

Pulses (distances, positions) are whole numbers: any real number whose value is whole is
taken (3000, 3000.0, Fraction(3000)), a fraction of a pulse is a ValueError. Speeds are
rounded to the nearest whole pulse per second, since the card's speed steps are coarser
than that anyway. Times are seconds, any finite real number from 0 on. Codes and numbers
(card, axis, mode, count) are integers."""

from __future__ import annotations

import enum
import math
import numbers
import os
from typing import Optional, Type, TypeVar, Union

MAX_SPEED = 6_553_500  # pps, the card's highest speed
INT32 = (-(2**31), 2**31 - 1)

PathArg = Union[str, bytes, os.PathLike[str], os.PathLike[bytes]]
CodeT = TypeVar("CodeT", bound=enum.IntEnum)


def _kind(value: object) -> str:
    return type(value).__name__


def _real(value: object, name: str, unit: str) -> numbers.Real:
    # bool is an int to Python, but True as a speed or a distance is a mistake.
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"{name} must be a real number of {unit}, not {_kind(value)} ({value!r})")
    if math.isnan(value):
        raise ValueError(f"{name} must be a number of {unit}, not NaN")
    return value


def _within(number: Union[int, float], name: str, unit: str, low: Union[int, float], high: Union[int, float],
            given: object) -> None:
    if not low <= number <= high:
        raise ValueError(f"{name} must be {low}..{high} {unit}, not {given if isinstance(given, str) else repr(given)}")


def pulses(value: object, name: str, low: int = INT32[0], high: int = INT32[1]) -> int:
    """A whole number of pulses within low..high."""
    real = _real(value, name, "pulses")
    if math.isinf(real) or real != math.floor(real):
        raise ValueError(f"{name} must be a whole number of pulses ({low}..{high}), not {value!r}")
    number = int(real)
    _within(number, name, "pulses", low, high, value)
    return number


def speed(value: object, name: str, low: int, high: int = MAX_SPEED) -> int:
    """A speed in pps, rounded to the nearest whole pps, within low..high."""
    real = _real(value, name, "pps")
    if math.isinf(real):
        raise ValueError(f"{name} must be {low}..{high} pps, not {value!r}")
    number = round(real)
    _within(number, name, "pps", low, high, value if number == real else f"{value!r}, rounded to {number}")
    return number


def seconds(value: object, name: str) -> float:
    """A time in seconds: finite, 0 or more."""
    real = float(_real(value, name, "seconds"))
    if not 0 <= real < math.inf:
        raise ValueError(f"{name} must be 0 or more seconds (finite), not {value!r}")
    return real


def timeout(value: object, name: str = "timeout") -> Optional[float]:
    """A time limit in seconds: None or math.inf for none, else 0 or more (NaN is refused, as time.sleep does)."""
    if value is None:
        return None
    real = float(_real(value, name, "seconds"))
    if real < 0:
        raise ValueError(f"{name} must be 0 or more seconds (or None for no limit), not {value!r}")
    return None if math.isinf(real) else real


def integer(value: object, name: str, low: int, high: int, what: str = "") -> int:
    """An int (or any integer type) within low..high; floats are refused as for list indices."""
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{name} must be an integer {low}..{high}{what}, not {_kind(value)} ({value!r})")
    number = int(value)
    if not low <= number <= high:
        raise ValueError(f"{name} must be {low}..{high}{what}, not {number}")
    return number


def code(value: object, kind: Type[CodeT], name: str) -> CodeT:
    """A member of the enum `kind`, from itself or its number."""
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{name} must be a ktr4.{kind.__name__}, not {_kind(value)} ({value!r})")
    try:
        return kind(int(value))
    except ValueError:
        names = ", ".join(f"{m.name} ({int(m)})" for m in kind)
        raise ValueError(f"{name} must be a ktr4.{kind.__name__}: {names}; not {value!r}") from None


def path(value: object, name: str = "path") -> bytes:
    """A file name as the library takes it; a NUL inside is refused, as open() does."""
    try:
        encoded = os.fsencode(value)  # type: ignore[arg-type]
    except TypeError:
        raise TypeError(f"{name} must be a str, bytes or os.PathLike file name, not {_kind(value)}") from None
    if b"\0" in encoded:
        raise ValueError(f"{name} must not contain a null character (embedded null byte): {value!r}")
    return encoded
