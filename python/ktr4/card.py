"""Cards and axes as objects: the library's calls with Python arguments, units and defaults.

Units: positions and distances in pulses (whole numbers; 3000.0 is taken, 3000.5 is a
ValueError), speeds in pulses per second, pps (any real number, rounded to the nearest whole
pps, at most 6 553 500), times in seconds (any finite real number from 0 on). A value outside
its range raises ValueError, a value of the wrong type TypeError, both naming the parameter."""

from __future__ import annotations

import enum
import threading
from typing import Callable, Dict, Iterable, List, NamedTuple, Optional, Sequence, Tuple, Type, TypeVar, Union

from . import _args, _clock, api
from ._args import MAX_SPEED, PathArg
from .codes import (AlarmStop, CompareAction, CompareCondition, CompareSource, ElMode, ErrorFlag, Event, HomeDirection,
                    HomeMode, LatchSource, Logic, SdLatch, SdStop, SoftLimitAction, SoftLimitSource,
                    TtlMode)
from .errors import CardNotFoundError, Error, LibraryClosedError, file_error

_PAIRS = {(0, 1): 0, (0, 2): 1, (0, 3): 2, (1, 2): 3, (1, 3): 4, (2, 3): 5}
_TRIPLES = {(0, 1, 2): 0, (0, 1, 3): 1, (0, 2, 3): 2, (1, 2, 3): 3}
_CodeT = TypeVar("_CodeT", bound=enum.IntEnum)


class StopMode(enum.IntEnum):
    """How Axis.stop stops: decelerating over a time, at once, or every axis of the card at once."""
    DECELERATE = 0  # KTR4_dec_stop
    IMMEDIATE = 1  # KTR4_imd_stop
    EMERGENCY = 2  # KTR4_emg_stop: the whole card


class SoftLimits(NamedTuple):
    """The two soft limits of an axis (Axis.soft_limits), by name so that they cannot be swapped:
    `minus` stops motion in the - direction at or below it, `plus` motion in the + direction at
    or above it (pulses; minus < plus). `source` is the counter compared, `action` what a limit
    does, `enabled` whether they act."""
    minus: int
    plus: int
    source: SoftLimitSource = SoftLimitSource.COMMAND
    action: SoftLimitAction = SoftLimitAction.STOP
    enabled: bool = True


class Comparator(NamedTuple):
    """The axis's comparator (Axis.comparator): `source` compared with `data` (pulses) by
    `condition`; when it becomes true the compare flag is set and `action` is taken."""
    source: CompareSource = CompareSource.COMMAND
    condition: CompareCondition = CompareCondition.OFF
    action: CompareAction = CompareAction.FLAG
    data: int = 0


class HomeSetting(NamedTuple):
    """Home mode and EZ count of an origin return (Axis.home_mode): with the modes that count
    the index pulse EZ, the axis stops on the (ez_count+1)-th one (ez_count 0..15)."""
    mode: HomeMode
    ez_count: int = 0


class SlowDown(NamedTuple):
    """The slow-down input SD (Axis.slow_down): `enabled` (taken at the next move's start),
    its `logic`, whether it slows to the start speed or stops the move (`stop`), and whether
    the axis stays slow only while SD is on or until the move ends (`latch`)."""
    enabled: bool = False
    logic: Logic = Logic.NORMAL
    stop: SdStop = SdStop.SLOW
    latch: SdLatch = SdLatch.WHILE_ON


class Alarm(NamedTuple):
    """The alarm input ALM (Axis.alarm): its `logic`, and whether an alarm stops the axis at
    once or decelerating (`stop`)."""
    logic: Logic = Logic.NORMAL
    stop: AlarmStop = AlarmStop.STOP


class Latch(NamedTuple):
    """The latch input LTC (Axis.latch): which counter it latches (`source`), and its `logic`."""
    source: LatchSource = LatchSource.COMMAND
    logic: Logic = Logic.NORMAL


def _setting(value: object, kind: type, name: str) -> None:
    if not isinstance(value, kind):
        raise TypeError(f"{name} must be a ktr4.{kind.__name__} (fields by name), not {type(value).__name__} "
                        f"({value!r})")


def _pair(axes: Iterable[int]) -> int:
    try:
        return _PAIRS[tuple(axes)]  # type: ignore[index]
    except KeyError:
        raise ValueError(f"axes must be an interpolation pair, one of {sorted(_PAIRS)}; not {tuple(axes)}") from None


def _maybe(kind: Type[_CodeT], value: int) -> Union[_CodeT, int]:
    """A read-back code as its enum member; a value the enum does not name (a configuration
    file may hold one) as the plain int."""
    try:
        return kind(value)
    except ValueError:
        return value


class Library:
    """The card library, from finding the cards to releasing them; best used as a context
    manager:

        with ktr4.Library() as ktr:
            axis = ktr.card(0).axis(0)
            axis.move_to(8000, speed=20000)
            axis.wait_until_stopped(timeout=5)

    The C library is one per process, and Library objects share it: the first open() finds
    the cards (KTR4_initial), the last close() releases them (KTR4_close). So a Library opened
    inside another (a helper function with its own `with ktr4.Library()`) uses the same
    cards, and closing it leaves the outer one working. A closed Library and every Card and
    Axis it gave raise LibraryClosedError; close() twice does nothing."""

    _users = 0  # Library objects open in this process
    _lock = threading.Lock()

    def __init__(self) -> None:
        self._open = False

    def open(self) -> "Library":
        """Opens the library (the first open in the process finds the cards) and returns it.

        Raises:
            DriverError: the driver library could not be loaded (its `reason` says why).
        """
        with Library._lock:
            if self._open:
                return self
            if Library._users == 0 or not api.is_open():
                api.initial()
                Library._users = 0
                _home_settings.clear()
            Library._users += 1
            self._open = True
        return self

    def close(self) -> None:
        """Closes this Library; the last one open releases the cards (KTR4_close), after which no
        interrupt callback runs. Axes keep moving to the end of their moves: stop them first if
        the machine must stand still."""
        with Library._lock:
            if not self._open:
                return
            self._open = False
            Library._users -= 1
            if Library._users == 0 and api.is_open():
                api.close()

    @property
    def closed(self) -> bool:
        """Whether this Library is closed (never opened, or closed)."""
        return not self._open

    def __enter__(self) -> "Library":
        return self.open()

    def __exit__(self, *exc: object) -> None:
        self.close()

    def require_open(self, what: str) -> None:
        """Raises LibraryClosedError naming `what` unless this Library is open."""
        if not self._open:
            raise LibraryClosedError(what)

    @property
    def cards(self) -> List[int]:
        """Card numbers (number switch settings) of the cards found, in increasing order."""
        self.require_open("Library.cards")
        found = []
        for number in range(16):
            try:
                api.info(number)
            except CardNotFoundError:
                continue
            found.append(number)
        return found

    def card(self, number: int) -> "Card":
        """The card whose number switch is set to `number` (0..15).

        Raises:
            TypeError, ValueError: `number` is not an integer 0..15.
            CardNotFoundError: no card with this number was found (the message lists those found).
        """
        self.require_open(f"Library.card({number!r})")
        number = _args.integer(number, "card", 0, 15, " (the card's number switch)")
        try:
            api.info(number)
        except CardNotFoundError as error:
            raise CardNotFoundError(error.code, "", f"no card {number}: the cards found are {self.cards}") from None
        return Card(self, number)


class Card:
    """One card, by its card number switch setting (0..15); made by Library.card."""

    def __init__(self, library: Library, number: int) -> None:
        self.library, self.number = library, number

    def __repr__(self) -> str:
        return f"ktr4.Card({self.number})"

    def _open(self, what: str) -> int:
        self.library.require_open(f"{self!r}.{what}")
        return self.number

    def axis(self, number: int) -> "Axis":
        """Axis `number` (0..3) of this card.

        Raises:
            TypeError, ValueError: `number` is not an integer 0..3.
        """
        return Axis(self, _args.integer(number, "axis", 0, 3, " (a card has axes 0..3)"))

    @property
    def axes(self) -> Tuple["Axis", ...]:
        """The card's four axes."""
        return tuple(Axis(self, n) for n in range(4))

    @property
    def info(self) -> int:
        """The card's 16-bit information word, as the driver reports it (KTR4_info)."""
        return int(api.info(self._open("info")))

    def _profile(self, speed: object, start_speed: object, accel: object,
                 decel: object) -> Tuple[int, int, float, float]:
        accel_s = _args.seconds(accel, "accel")
        return (_args.speed(start_speed, "start_speed", 0), _args.speed(speed, "speed", 1),
                accel_s, accel_s if decel is None else _args.seconds(decel, "decel"))

    def line(self, axes: Sequence[int], distances: Sequence[float], speed: float, *, start_speed: float = 0,
             accel: float = 0.1, decel: Optional[float] = None, absolute: bool = False, s_curve: bool = False,
             sv_acc: float = 0, sv_dec: float = 0) -> None:
        """Starts a straight line of 2, 3 or all 4 axes together.

        Args:
            axes: the axes, in increasing order: a pair such as (0, 2), a triple such as
                (0, 1, 3), or (0, 1, 2, 3).
            distances: one per axis, pulses; where each axis goes, from the commanded end of
                its previous move (or to these positions, absolute=True).
            speed: path speed along the line, 1..6 553 500 pps.
            start_speed: speed the path starts and ends with, 0..6 553 500 pps.
            accel, decel: acceleration and deceleration times, seconds (decel: as accel).
            s_curve: S-curve ramps, with linear sections sv_acc and sv_dec (pps, 0: pure S).

        Returns when the line has started; wait_until_stopped waits for its end.

        Raises:
            TypeError, ValueError: an argument of the wrong type or outside its range.
            AxisMovingError: an axis of the group is still moving.
        C functions: KTR4_T_curve_move_LINE2/3/4, KTR4_S_curve_move_LINE2/3/4.
        """
        number = self._open("line")
        axes, distances = tuple(axes), tuple(distances)
        if len(axes) != len(distances):
            raise ValueError(f"distances must have one value per axis: {len(axes)} axes, {len(distances)} distances")
        moves = tuple(_args.pulses(d, f"distances[{i}]") for i, d in enumerate(distances))
        start, top, up, down = self._profile(speed, start_speed, accel, decel)
        profile: Tuple[Union[int, float], ...] = (int(bool(absolute)), start, top, up, down)
        if s_curve:
            profile += (_args.speed(sv_acc, "sv_acc", 0), _args.speed(sv_dec, "sv_dec", 0))
        curve = "s" if s_curve else "t"
        if len(axes) == 2:
            getattr(api, f"{curve}_curve_move_line2")(number, _pair(axes), *moves, *profile)
        elif len(axes) == 3 and axes in _TRIPLES:
            getattr(api, f"{curve}_curve_move_line3")(number, _TRIPLES[axes], *moves, *profile)  # type: ignore[index]
        elif axes == (0, 1, 2, 3):
            getattr(api, f"{curve}_curve_move_line4")(number, *moves, *profile)
        else:
            raise ValueError(f"axes must be a pair {sorted(_PAIRS)}, a triple {sorted(_TRIPLES)} or (0, 1, 2, 3); "
                             f"not {axes}")

    def arc(self, axes: Sequence[int], center: Tuple[float, float], end: Tuple[float, float], speed: float, *,
            clockwise: bool = True, absolute: bool = False) -> None:
        """Starts a circular arc of a pair of axes around `center` to `end`.

        Args:
            axes: the pair, first axis = x, e.g. (0, 1).
            center, end: (x, y) in pulses, relative to where the axes' previous moves were
                commanded to end (or positions, absolute=True).
            speed: constant path speed, 1..6 553 500 pps.
            clockwise: direction seen with x to the right and y up.

        Raises:
            TypeError, ValueError: an argument of the wrong type or outside its range.
            ktr4.Error: code KTR4_ERR_ARC_GEOMETRY (308): `end` is not on the circle; the axes
                move nonetheless, on a straight line to `end`, so wait for them.
        C function: KTR4_ARC2_center_move.
        """
        number = self._open("arc")
        cx, cy = (_args.pulses(v, f"center[{i}]") for i, v in enumerate(center))
        ex, ey = (_args.pulses(v, f"end[{i}]") for i, v in enumerate(end))
        api.arc2_center_move(number, _pair(axes), cx, cy, ex, ey, int(bool(absolute)),
                             _args.speed(speed, "speed", 1), 0 if clockwise else 1)

    def circle(self, axes: Sequence[int], first: Tuple[float, float], second: Tuple[float, float], speed: float, *,
               absolute: bool = False) -> None:
        """Starts a full circle of a pair of axes through the start and two further points
        `first` and `second` ((x, y) in pulses, relative unless absolute=True), at path speed
        `speed` (1..6 553 500 pps).

        Raises:
            TypeError, ValueError: an argument of the wrong type or outside its range.
            ktr4.Error: code KTR4_ERR_CIRCLE_GEOMETRY (311): the three points lie on one line.
        C function: KTR4_CIR2_3P_move.
        """
        number = self._open("circle")
        x1, y1 = (_args.pulses(v, f"first[{i}]") for i, v in enumerate(first))
        x2, y2 = (_args.pulses(v, f"second[{i}]") for i, v in enumerate(second))
        api.cir2_3p_move(number, _pair(axes), x1, y1, x2, y2, int(bool(absolute)), _args.speed(speed, "speed", 1))

    def wait_until_stopped(self, axes: Iterable[int] = (0, 1, 2, 3), timeout: Optional[float] = 10.0) -> None:
        """Waits until every axis of `axes` stands still.

        Args:
            axes: axis numbers 0..3.
            timeout: seconds for each axis (of the simulated card's virtual clock when it is
                on); None or math.inf: no limit.

        Raises:
            TimeoutError: an axis still moves after `timeout`.
            ValueError: `timeout` is NaN or negative.
        """
        limit = _args.timeout(timeout)
        for number in axes:
            self.axis(number).wait_until_stopped(timeout=limit)

    def emergency_stop(self) -> None:
        """Stops every axis of the card at once (KTR4_emg_stop)."""
        api.emg_stop(self._open("emergency_stop"))

    def on_interrupt(self, callback: Optional[Callable[["Card"], object]]) -> None:
        """Enables the card's interrupt and calls `callback(card)` for each interrupt; None
        switches interrupts off. Which events interrupt is chosen per axis (Axis.interrupt_on).

        The callback runs on a thread of the library, not the caller's: it takes the GIL to
        run, so a main thread busy in Python delays it (one blocked in a library call or in
        sleep does not), and it should return soon, since the card's next interrupts wait for
        it. It may call the library, but must not wait for the main thread while the main
        thread waits in Library.close, which joins the service thread. An exception it raises
        is reported through sys.unraisablehook and otherwise ignored. The binding keeps the
        callback alive until the library is closed.
        C functions: KTR4_enable_IRQ, KTR4_link_IRQ_process, KTR4_disable_IRQ.
        """
        number = self._open("on_interrupt")
        if callback is None:
            api.link_irq_process(number, None)
            api.disable_irq(number)
            return
        api.enable_irq(number)
        library, target = self.library, callback
        api.link_irq_process(number, lambda which: target(Card(library, which)))

    @property
    def ttl_mode(self) -> TtlMode:
        """Which of the TTL lines of axes 1 and 2 are outputs, as a TtlMode
        (KTR4_config_TTL_IO_MODE, KTR4_readback_TTL_IO_MODE)."""
        return _maybe(TtlMode, api.readback_ttl_io_mode(self._open("ttl_mode")))  # type: ignore[return-value]

    @ttl_mode.setter
    def ttl_mode(self, mode: TtlMode) -> None:
        api.config_ttl_io_mode(self._open("ttl_mode"), int(_args.code(mode, TtlMode, "ttl_mode")))

    def save_config(self, path: PathArg) -> None:
        """Saves the card's configuration (every axis) to the file `path` (str or os.PathLike).

        Raises:
            ValueError: `path` contains a null character.
            ConfigFileError: the file cannot be written; an OSError carrying `filename`, and a
                FileNotFoundError (no such folder), IsADirectoryError or PermissionError where
                that is the cause.
        C function: KTR4_save_config2_file.
        """
        encoded = _args.path(path)
        number = self._open("save_config")
        try:
            api.save_config2_file(number, encoded)
        except Error as error:
            raise file_error(error, encoded, writing=True) from None

    def load_config(self, path: PathArg) -> None:
        """Loads the card's configuration from the file `path`, as save_config wrote it.

        Raises:
            ValueError: `path` contains a null character.
            ConfigFileError: the file cannot be read or is too short; an OSError carrying
                `filename`, and a FileNotFoundError, IsADirectoryError or PermissionError where
                that is the cause.
        C function: KTR4_load_config_from_file.
        """
        encoded = _args.path(path)
        number = self._open("load_config")
        try:
            api.load_config_from_file(number, encoded)
        except Error as error:
            raise file_error(error, encoded, writing=False) from None
        for axis in range(4):
            _home_settings.pop((number, axis), None)


# The home setting each axis was last given through the binding: the card cannot be asked.
_home_settings: Dict[Tuple[int, int], HomeSetting] = {}


class Axis:
    """Axis 0..3 of a card; made by Card.axis."""

    def __init__(self, card: Card, number: int) -> None:
        self.card, self.number = card, number

    def __repr__(self) -> str:
        return f"ktr4.Card({self.card.number}).axis({self.number})"

    def _at(self, what: str) -> Tuple[int, int]:
        self.card.library.require_open(f"{self!r}.{what}")
        return self.card.number, self.number

    def _move(self, what: str, target: object, mode: int, speed: object, start_speed: object, accel: object,
              decel: object, s_curve: bool, sv_acc: object, sv_dec: object) -> None:
        card, axis = self._at(what)
        pulses = _args.pulses(target, "distance" if mode == 0 else "position")
        start, top, up, down = self.card._profile(speed, start_speed, accel, decel)
        if s_curve:
            api.s_curve_position_move(card, axis, pulses, mode, start, top, up, down,
                                      _args.speed(sv_acc, "sv_acc", 0), _args.speed(sv_dec, "sv_dec", 0))
        else:
            api.t_curve_position_move(card, axis, pulses, mode, start, top, up, down)

    def move_by(self, distance: float, speed: float, *, start_speed: float = 0, accel: float = 0.1,
                decel: Optional[float] = None, s_curve: bool = False, sv_acc: float = 0, sv_dec: float = 0) -> None:
        """Starts a move of `distance` pulses from the commanded end of the axis's previous move.

        Args:
            distance: pulses, whole, -2 147 483 648..2 147 483 647; negative moves the other way.
            speed: highest speed, 1..6 553 500 pps (rounded to a whole pps).
            start_speed: speed the move starts and ends with, 0..6 553 500 pps.
            accel: acceleration time from start_speed to speed, seconds (0: the card's fastest).
            decel: deceleration time, seconds; None: as accel.
            s_curve: S-curve ramps instead of straight ones, with linear sections sv_acc and
                sv_dec (pps, 0..6 553 500; 0 for a pure S-curve).

        Returns when the move has started; wait_until_stopped waits for its end.

        Raises:
            TypeError, ValueError: an argument of the wrong type or outside its range.
            AxisMovingError: the axis is still moving.
            LibraryClosedError: the library was closed.
        C functions: KTR4_T_curve_position_move, KTR4_S_curve_position_move (mode 0).
        """
        self._move("move_by", distance, 0, speed, start_speed, accel, decel, s_curve, sv_acc, sv_dec)

    def move_to(self, position: float, speed: float, *, start_speed: float = 0, accel: float = 0.1,
                decel: Optional[float] = None, s_curve: bool = False, sv_acc: float = 0, sv_dec: float = 0) -> None:
        """Starts a move to the absolute `position` (pulses, whole); otherwise as move_by.

        Raises:
            TypeError, ValueError: an argument of the wrong type or outside its range.
            AxisMovingError: the axis is still moving.
        C functions: KTR4_T_curve_position_move, KTR4_S_curve_position_move (mode 1).
        """
        self._move("move_to", position, 1, speed, start_speed, accel, decel, s_curve, sv_acc, sv_dec)

    def jog(self, speed: float, *, start_speed: float = 0, accel: float = 0.1, s_curve: bool = False,
            sv: float = 0) -> None:
        """Runs the axis at `speed` until it is stopped.

        Args:
            speed: -6 553 500..6 553 500 pps; the sign gives the direction.
            start_speed: 0..6 553 500 pps; accel: seconds to reach `speed`.
            s_curve: an S-curve acceleration with linear section `sv` (pps).

        Raises:
            TypeError, ValueError: an argument of the wrong type or outside its range.
            AxisMovingError: the axis is still moving.
        C functions: KTR4_T_velocity_move, KTR4_S_velocity_move.
        """
        card, axis = self._at("jog")
        top = _args.speed(speed, "speed", -MAX_SPEED)
        start, up = _args.speed(start_speed, "start_speed", 0), _args.seconds(accel, "accel")
        if s_curve:
            api.s_velocity_move(card, axis, start, top, up, _args.speed(sv, "sv", 0))
        else:
            api.t_velocity_move(card, axis, start, top, up)

    def change_speed(self, speed: float, time: float = 0.1) -> None:
        """Changes the speed of the running jog to `speed` (-6 553 500..6 553 500 pps) within
        `time` seconds.

        Raises:
            TypeError, ValueError: an argument of the wrong type or outside its range.
        C function: KTR4_velocity_change.
        """
        card, axis = self._at("change_speed")
        api.velocity_change(card, axis, _args.speed(speed, "speed", -MAX_SPEED), _args.seconds(time, "time"))

    def stop(self, mode: StopMode = StopMode.DECELERATE, time: float = 0.1) -> None:
        """Stops the axis: decelerating within `time` seconds (StopMode.DECELERATE), at once
        (StopMode.IMMEDIATE), or with every axis of the card at once (StopMode.EMERGENCY).

        Raises:
            TypeError, ValueError: `mode` is not a StopMode, or `time` is negative or not finite.
        C functions: KTR4_dec_stop, KTR4_imd_stop, KTR4_emg_stop.
        """
        card, axis = self._at("stop")
        mode = _args.code(mode, StopMode, "mode")
        if mode is StopMode.DECELERATE:
            api.dec_stop(card, axis, _args.seconds(time, "time"))
        elif mode is StopMode.IMMEDIATE:
            api.imd_stop(card, axis)
        else:
            api.emg_stop(card)

    def home(self, speed: float, *, start_speed: float = 0, accel: float = 0.1,
             direction: HomeDirection = HomeDirection.MINUS, mode: HomeMode = HomeMode.ORG, ez_count: int = 0) -> None:
        """Starts an origin return: sets the home mode (as home_mode does) and runs.

        Args:
            speed: search speed, 1..6 553 500 pps; start_speed 0..6 553 500 pps; accel seconds.
            direction: HomeDirection.PLUS or MINUS, where the search starts.
            mode: a HomeMode (which signals, where it stops; man 7 ktr4-card).
            ez_count: EZ pulses, 0..15: modes that count the index stop on the (ez_count+1)-th.

        Raises:
            TypeError, ValueError: an argument of the wrong type or outside its range.
            AxisMovingError: the axis is still moving.
        C functions: KTR4_config_home_mode, KTR4_start_homing.
        """
        card, axis = self._at("home")
        top, start = _args.speed(speed, "speed", 1), _args.speed(start_speed, "start_speed", 0)
        up, way = _args.seconds(accel, "accel"), _args.code(direction, HomeDirection, "direction")
        self.home_mode = HomeSetting(_args.code(mode, HomeMode, "mode"), ez_count)
        api.start_homing(card, axis, start, top, up, int(way))

    @property
    def home_mode(self) -> Optional[HomeSetting]:
        """The home mode and EZ count as last set through the binding (home or this property);
        None when not set since the library was opened, or after Card.load_config (the card
        has no readback of it). Set it to a HomeSetting (or a bare HomeMode, count 0).
        C function: KTR4_config_home_mode."""
        return _home_settings.get(self._at("home_mode"))

    @home_mode.setter
    def home_mode(self, setting: Optional[HomeSetting]) -> None:
        where = self._at("home_mode")
        given: object = setting
        if not isinstance(given, HomeSetting):
            given = HomeSetting(given, 0)  # type: ignore[arg-type] # a bare mode, checked below
        chosen = HomeSetting(_args.code(given.mode, HomeMode, "mode"),
                             _args.integer(given.ez_count, "ez_count", 0, 15, " EZ pulses"))
        api.config_home_mode(*where, int(chosen.mode), chosen.ez_count)
        _home_settings[where] = chosen

    @property
    def soft_limits(self) -> SoftLimits:
        """The axis's soft limits, as SoftLimits(minus=..., plus=..., source, action, enabled).

        Set it to a SoftLimits made with the names, e.g.
        `axis.soft_limits = ktr4.SoftLimits(minus=-5000, plus=70000)`: a plain tuple is
        refused (TypeError), and minus must be below plus (ValueError), so the two cannot be
        swapped unnoticed. Setting enabled=False switches both off and keeps the positions.
        C functions: KTR4_set_softlimit_data (plus first), KTR4_config_softlimit,
        KTR4_enable_softlimit and their readbacks."""
        card, axis = self._at("soft_limits")
        plus, minus = api.readback_softlimit_data(card, axis)
        source, action = api.readback_config_softlimit(card, axis)
        enabled = api.readback_enable_softlimit(card, axis)
        return SoftLimits(minus, plus, _maybe(SoftLimitSource, source),  # type: ignore[arg-type]
                          _maybe(SoftLimitAction, action), bool(enabled))  # type: ignore[arg-type]

    @soft_limits.setter
    def soft_limits(self, limits: SoftLimits) -> None:
        card, axis = self._at("soft_limits")
        if not isinstance(limits, SoftLimits):
            raise TypeError("soft_limits must be a ktr4.SoftLimits(minus=..., plus=...), so that the two limits "
                            f"cannot be swapped; not {type(limits).__name__} ({limits!r})")
        minus, plus = _args.pulses(limits.minus, "minus"), _args.pulses(limits.plus, "plus")
        if not minus < plus:
            raise ValueError(f"soft_limits: minus ({minus}) must be below plus ({plus})")
        source = _args.code(limits.source, SoftLimitSource, "source")
        action = _args.code(limits.action, SoftLimitAction, "action")
        api.set_softlimit_data(card, axis, plus, minus)  # the + limit is the card's first
        api.config_softlimit(card, axis, int(source), int(action))  # also switches them on
        if not limits.enabled:
            api.enable_softlimit(card, axis, 0)

    @property
    def comparator(self) -> Comparator:
        """The comparator as Comparator(source, condition, action, data); set it to one
        (fields by name: ktr4.Comparator(condition=ktr4.CompareCondition.EQUAL, data=5000)).
        Setting it clears the compare flag.
        C functions: KTR4_config_comparator_out, KTR4_set_comparator_data and their readbacks."""
        card, axis = self._at("comparator")
        source, condition, action = api.readback_comparator_out(card, axis)
        data = api.readback_comparator_data(card, axis)
        return Comparator(_maybe(CompareSource, source), _maybe(CompareCondition, condition),  # type: ignore[arg-type]
                          _maybe(CompareAction, action), data)  # type: ignore[arg-type]

    @comparator.setter
    def comparator(self, setting: Comparator) -> None:
        card, axis = self._at("comparator")
        if not isinstance(setting, Comparator):
            raise TypeError(f"comparator must be a ktr4.Comparator, not {type(setting).__name__} ({setting!r})")
        source = _args.code(setting.source, CompareSource, "source")
        condition = _args.code(setting.condition, CompareCondition, "condition")
        action = _args.code(setting.action, CompareAction, "action")
        api.set_comparator_data(card, axis, _args.pulses(setting.data, "data"))
        api.config_comparator_out(card, axis, int(source), int(condition), int(action))

    @property
    def compare_flag(self) -> bool:
        """Whether the comparator's condition became true since it was last set
        (KTR4_read_compare_flag)."""
        return bool(api.read_compare_flag(*self._at("compare_flag")))

    @property
    def el_mode(self) -> ElMode:
        """How the end-limit switches stop the axis: ElMode.STOP or DECEL_STOP
        (KTR4_config_EL_MODE, KTR4_readback_EL_MODE)."""
        return _maybe(ElMode, api.readback_el_mode(*self._at("el_mode")))  # type: ignore[return-value]

    @el_mode.setter
    def el_mode(self, mode: ElMode) -> None:
        api.config_el_mode(*self._at("el_mode"), int(_args.code(mode, ElMode, "el_mode")))

    @property
    def home_logic(self) -> Logic:
        """Logic of the HOME input: Logic.NORMAL or INVERTED (KTR4_set_HOME_pin_logic)."""
        return _maybe(Logic, api.readback_home_pin_logic(*self._at("home_logic")))  # type: ignore[return-value]

    @home_logic.setter
    def home_logic(self, logic: Logic) -> None:
        api.set_home_pin_logic(*self._at("home_logic"), int(_args.code(logic, Logic, "home_logic")))

    @property
    def ez_logic(self) -> Logic:
        """Logic of the index input EZ: Logic.NORMAL or INVERTED (KTR4_set_EZ_pin_logic)."""
        return _maybe(Logic, api.readback_ez_pin_logic(*self._at("ez_logic")))  # type: ignore[return-value]

    @ez_logic.setter
    def ez_logic(self, logic: Logic) -> None:
        api.set_ez_pin_logic(*self._at("ez_logic"), int(_args.code(logic, Logic, "ez_logic")))

    @property
    def slow_down(self) -> SlowDown:
        """The slow-down input's settings, as a SlowDown; set it to one (fields by name)
        (KTR4_config_SD_PIN, KTR4_readback_SD_PIN)."""
        enable, logic, stop, latch, _ = api.readback_sd_pin(*self._at("slow_down"))
        return SlowDown(bool(enable), _maybe(Logic, logic), _maybe(SdStop, stop),  # type: ignore[arg-type]
                        _maybe(SdLatch, latch))  # type: ignore[arg-type]

    @slow_down.setter
    def slow_down(self, setting: SlowDown) -> None:
        where = self._at("slow_down")
        _setting(setting, SlowDown, "slow_down")
        logic = _args.code(setting.logic, Logic, "logic")
        stop, latch = _args.code(setting.stop, SdStop, "stop"), _args.code(setting.latch, SdLatch, "latch")
        api.config_sd_pin(*where, int(bool(setting.enabled)), int(logic), int(stop), int(latch))

    @property
    def alarm(self) -> Alarm:
        """The alarm input's settings, as an Alarm; set it to one (fields by name)
        (KTR4_config_ALM_PIN, KTR4_readback_ALM_PIN)."""
        stop, logic, _ = api.readback_alm_pin(*self._at("alarm"))
        return Alarm(_maybe(Logic, logic), _maybe(AlarmStop, stop))  # type: ignore[arg-type]

    @alarm.setter
    def alarm(self, setting: Alarm) -> None:
        where = self._at("alarm")
        _setting(setting, Alarm, "alarm")
        api.config_alm_pin(*where, int(_args.code(setting.stop, AlarmStop, "stop")),
                           int(_args.code(setting.logic, Logic, "logic")))

    @property
    def latch(self) -> Latch:
        """The latch input's settings, as a Latch; set it to one (fields by name)
        (KTR4_config_LTC_PIN, KTR4_readback_LTC_PIN). The latched count:
        ktr4.api.read_fbcounter_latch_value."""
        source, logic, _ = api.readback_ltc_pin(*self._at("latch"))
        return Latch(_maybe(LatchSource, source), _maybe(Logic, logic))  # type: ignore[arg-type]

    @latch.setter
    def latch(self, setting: Latch) -> None:
        where = self._at("latch")
        _setting(setting, Latch, "latch")
        api.config_ltc_pin(*where, int(_args.code(setting.source, LatchSource, "source")),
                           int(_args.code(setting.logic, Logic, "logic")))

    def read_point(self, point: int) -> bool:
        """Whether input point `point` (a ktr4.Point, or 0..24: 17..24 are the TTL inputs) is on
        (KTR4_read_point_status)."""
        card, axis = self._at("read_point")
        return bool(api.read_point_status(card, axis, _args.integer(point, "point", 0, 24, " (ktr4.Point)")))

    def write_output(self, point: int, on: bool) -> None:
        """Switches output point `point` (a ktr4.Output, or 0..11: 4..11 are the TTL outputs)
        on or off (KTR4_write_output_point)."""
        card, axis = self._at("write_output")
        api.write_output_point(card, axis, _args.integer(point, "point", 0, 11, " (ktr4.Output)"), int(bool(on)))

    @property
    def error_flags(self) -> ErrorFlag:
        """Why the axis last stopped, as ErrorFlag bits (none: ErrorFlag(0)); cleared when it
        next starts a move (KTR4_read_error_flag)."""
        return ErrorFlag(api.read_error_flag(*self._at("error_flags")))

    def read_events(self) -> Event:
        """The events recorded since the last read (only those interrupt_on chose), as Event
        bits; reading clears them (KTR4_read_event_flag)."""
        return Event(api.read_event_flag(*self._at("read_events")))

    def interrupt_on(self, events: Event = Event.END) -> None:
        """Makes the card record `events` (Event bits, e.g. Event.END | Event.COMPARE) for this
        axis and interrupt on them; Card.on_interrupt receives the interrupts. Event(0)
        switches this axis's interrupts off.
        C functions: KTR4_set_INT_mask, KTR4_set_INT_source."""
        card, axis = self._at("interrupt_on")
        chosen = Event(_args.integer(events, "events", 0, int(Event.ALL), " (ktr4.Event bits)"))
        api.set_int_mask(card, axis, 1 if chosen else 0)
        if chosen:
            api.set_int_source(card, axis, int(chosen), int(chosen))

    @property
    def position(self) -> int:
        """The command position in pulses (KTR4_read_current_position); setting it (whole
        pulses, KTR4_set_current_position) renames where the axis stands, nothing moves."""
        return int(api.read_current_position(*self._at("position")))

    @position.setter
    def position(self, value: int) -> None:
        api.set_current_position(*self._at("position"), _args.pulses(value, "position"))

    @property
    def feedback(self) -> int:
        """The feedback (encoder) counter in pulses (KTR4_read_FB_counter)."""
        return int(api.read_fb_counter(*self._at("feedback")))

    @property
    def speed(self) -> float:
        """The present speed in pps, 0.0 when standing (KTR4_read_speed)."""
        return float(api.read_speed(*self._at("speed")))

    @property
    def stopped(self) -> bool:
        """Whether the axis stands still (KTR4_read_motion_status, kind 0)."""
        return api.read_motion_status(*self._at("stopped"), 0) != 0

    def wait_until_stopped(self, timeout: Optional[float] = 10.0) -> int:
        """Waits until the axis stands still and returns its position in pulses.

        Args:
            timeout: seconds (of the simulated card's virtual clock when it is on); None or
                math.inf: no limit.

        Raises:
            TimeoutError: still moving after `timeout`.
            ValueError: `timeout` is NaN or negative (as time.sleep refuses them).
        """
        limit = _args.timeout(timeout)
        self._at("wait_until_stopped")
        if not _clock.wait_for(lambda: self.stopped, limit):
            raise TimeoutError(f"{self!r} still moving after {timeout} s")
        return self.position


__all__ = ["Library", "Card", "Axis", "StopMode", "SoftLimits", "Comparator", "HomeSetting", "SlowDown", "Alarm",
           "Latch"]
