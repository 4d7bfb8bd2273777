"""Cards and axes as objects: the library's calls with Python arguments, units and defaults.

Units are the library's: positions and distances in pulses, speeds in pulses per second
(pps), times in seconds. Each method says which C function it calls; that function's
reference follows the method's own text."""

import enum
import inspect

from . import _clock, api
from .errors import CardNotFoundError

_PAIRS = {(0, 1): 0, (0, 2): 1, (0, 3): 2, (1, 2): 3, (1, 3): 4, (2, 3): 5}
_TRIPLES = {(0, 1, 2): 0, (0, 1, 3): 1, (0, 2, 3): 2, (1, 2, 3): 3}


class StopMode(enum.IntEnum):
    """How Axis.stop stops: decelerating over a time, at once, or every axis of the card at once."""
    DECELERATE = 0  # KTR4_dec_stop
    IMMEDIATE = 1  # KTR4_imd_stop
    EMERGENCY = 2  # KTR4_emg_stop: the whole card


class HomeDirection(enum.IntEnum):
    """Direction of an origin return (KTR4_start_homing's direction)."""
    POSITIVE = 0
    NEGATIVE = 1


def _documented_by(c_name):
    """Appends the reference of the C function a method calls to the method's docstring."""
    def attach(method):
        reference = getattr(api, c_name[len("KTR4_"):].lower()).__doc__
        method.__doc__ = f"{inspect.cleandoc(method.__doc__)}\n\nCalls {reference}"
        return method
    return attach


def _pair(axes):
    try:
        return _PAIRS[tuple(axes)]
    except KeyError:
        raise ValueError(f"no interpolation pair of axes {tuple(axes)}; pairs are {sorted(_PAIRS)}") from None


class Library:
    """The library from KTR4_initial to KTR4_close; as a context manager, for a `with` block:

        with ktr4.Library() as ktr:
            axis = ktr.card(0).axis(0)
            axis.move_to(8000, speed=20000)
            axis.wait_until_stopped(timeout=5)

    The library is one per process: KTR4_initial finds the cards, KTR4_close stops the
    follower and the interrupt service threads and releases the cards."""

    def open(self):
        """Finds the cards (KTR4_initial); returns the library."""
        api.initial()
        return self

    def close(self):
        """Releases the cards (KTR4_close); interrupt callbacks have ended when it returns."""
        api.close()

    def __enter__(self):
        return self.open()

    def __exit__(self, *exc):
        self.close()

    @property
    def cards(self):
        """Numbers of the cards KTR4_initial found, in increasing order."""
        found = []
        for number in range(16):
            try:
                api.info(number)
            except CardNotFoundError:
                continue
            found.append(number)
        return found

    def card(self, number):
        """The card with this card number switch setting; CardNotFoundError when there is none."""
        api.info(number)
        return Card(number)


class Card:
    """One card, by its card number switch setting (0..15)."""

    def __init__(self, number):
        self.number = number

    def __repr__(self):
        return f"ktr4.Card({self.number})"

    def axis(self, number):
        """Axis 0..3 of this card."""
        if not 0 <= number <= 3:
            raise ValueError(f"axis {number}: a card has axes 0..3")
        return Axis(self, number)

    @property
    def axes(self):
        return tuple(Axis(self, n) for n in range(4))

    @property
    @_documented_by("KTR4_info")
    def info(self):
        """The card's 16-bit information word."""
        return api.info(self.number)

    @_documented_by("KTR4_T_curve_move_LINE2")
    def line(self, axes, distances, speed, *, start_speed=0, accel=0.1, decel=None, absolute=False,
             s_curve=False, sv_acc=0, sv_dec=0):
        """Linear interpolation of 2, 3 or 4 axes: `axes` (increasing, e.g. (0, 2)) move by
        `distances` (or to them, absolute=True) together, `speed` the path speed in pps.
        Calls the LINE2, LINE3 or LINE4 function for the number of axes, T- or S-curve."""
        axes, distances = tuple(axes), tuple(distances)
        if len(axes) != len(distances):
            raise ValueError("one distance per axis")
        decel = accel if decel is None else decel
        profile = (int(absolute), start_speed, speed, accel, decel) + ((sv_acc, sv_dec) if s_curve else ())
        curve = "s" if s_curve else "t"
        if len(axes) == 2:
            getattr(api, f"{curve}_curve_move_line2")(self.number, _pair(axes), *distances, *profile)
        elif len(axes) == 3:
            if axes not in _TRIPLES:
                raise ValueError(f"no interpolation group of axes {axes}; groups are {sorted(_TRIPLES)}")
            getattr(api, f"{curve}_curve_move_line3")(self.number, _TRIPLES[axes], *distances, *profile)
        elif axes == (0, 1, 2, 3):
            getattr(api, f"{curve}_curve_move_line4")(self.number, *distances, *profile)
        else:
            raise ValueError(f"a line runs on 2, 3 or all 4 axes in increasing order, not {axes}")

    @_documented_by("KTR4_ARC2_center_move")
    def arc(self, axes, center, end, speed, *, clockwise=True, absolute=False):
        """Circular interpolation of a pair of axes around `center` to `end` ((x, y) each, relative
        to where the axes' last moves were commanded to end unless absolute=True), at path speed `speed` in pps.
        ktr4.Error with KTR4_ERR_ARC_GEOMETRY (308) says the axes are moving nonetheless, on
        a straight line to `end`: wait for them before the next move."""
        api.arc2_center_move(self.number, _pair(axes), *center, *end, int(absolute), speed, 0 if clockwise else 1)

    @_documented_by("KTR4_CIR2_3P_move")
    def circle(self, axes, first, second, speed, *, absolute=False):
        """A full circle of a pair of axes through two further points `first` and `second` ((x, y))."""
        api.cir2_3p_move(self.number, _pair(axes), *first, *second, int(absolute), speed)

    def wait_until_stopped(self, axes=(0, 1, 2, 3), timeout=10.0):
        """Waits until every axis of `axes` has stopped; TimeoutError after `timeout` seconds."""
        for number in axes:
            self.axis(number).wait_until_stopped(timeout=timeout)

    @_documented_by("KTR4_emg_stop")
    def emergency_stop(self):
        """Stops every axis of the card at once."""
        api.emg_stop(self.number)

    @_documented_by("KTR4_link_IRQ_process")
    def on_interrupt(self, callback):
        """Enables the card's interrupt and calls `callback(card)` on the library's service thread
        for each interrupt (callback None: interrupts off). Which events interrupt is set per
        axis, e.g. Axis.interrupt_when_stopped.

        The callback runs on a thread of the library, not the caller's: it takes the GIL to run,
        so a main thread busy in Python delays it (a main thread blocked in a library call or in
        sleep does not), and it should return soon, since the card's next interrupts wait for
        it. It may call the library (the library's lock is not held while it runs), but it must
        not wait for the main thread while the main thread waits in Library.close, which joins
        the service thread. An exception it raises is reported through sys.unraisablehook and
        otherwise ignored. The binding keeps the callback object alive until KTR4_close."""
        if callback is None:
            api.link_irq_process(self.number, None)
            api.disable_irq(self.number)
            return
        api.enable_irq(self.number)
        api.link_irq_process(self.number, lambda number: callback(Card(number)))

    @_documented_by("KTR4_save_config2_file")
    def save_config(self, path):
        """Saves the card's configuration (every axis) to the file `path`."""
        api.save_config2_file(self.number, path)

    @_documented_by("KTR4_load_config_from_file")
    def load_config(self, path):
        """Loads the card's configuration from the file `path`, as save_config wrote it."""
        api.load_config_from_file(self.number, path)


class Axis:
    """Axis 0..3 of a card."""

    def __init__(self, card, number):
        self.card, self.number = card, number

    def __repr__(self):
        return f"ktr4.Card({self.card.number}).axis({self.number})"

    def _move(self, distance, mode, speed, start_speed, accel, decel, s_curve, sv_acc, sv_dec):
        decel = accel if decel is None else decel
        if s_curve:
            api.s_curve_position_move(self.card.number, self.number, distance, mode, start_speed, speed, accel, decel,
                                      sv_acc, sv_dec)
        else:
            api.t_curve_position_move(self.card.number, self.number, distance, mode, start_speed, speed, accel, decel)

    @_documented_by("KTR4_T_curve_position_move")
    def move_by(self, distance, speed, *, start_speed=0, accel=0.1, decel=None, s_curve=False, sv_acc=0, sv_dec=0):
        """Starts a move of `distance` pulses (negative: the other way) from the commanded end of
        the axis's previous move, at up to `speed` pps, accelerating from `start_speed` pps in
        `accel` seconds and decelerating in `decel` seconds (default: `accel`). s_curve=True:
        an S-curve (KTR4_S_curve_position_move, with S-sections sv_acc and sv_dec in pps, 0
        for a pure S-curve). Returns when the move has started; wait_until_stopped waits for
        its end."""
        self._move(distance, 0, speed, start_speed, accel, decel, s_curve, sv_acc, sv_dec)

    @_documented_by("KTR4_T_curve_position_move")
    def move_to(self, position, speed, *, start_speed=0, accel=0.1, decel=None, s_curve=False, sv_acc=0, sv_dec=0):
        """Starts a move to the absolute `position` in pulses; otherwise as move_by."""
        self._move(position, 1, speed, start_speed, accel, decel, s_curve, sv_acc, sv_dec)

    @_documented_by("KTR4_T_velocity_move")
    def jog(self, speed, *, start_speed=0, accel=0.1, s_curve=False, sv=0):
        """Runs at `speed` pps until stopped; the sign of `speed` gives the direction."""
        if s_curve:
            api.s_velocity_move(self.card.number, self.number, start_speed, speed, accel, sv)
        else:
            api.t_velocity_move(self.card.number, self.number, start_speed, speed, accel)

    @_documented_by("KTR4_velocity_change")
    def change_speed(self, speed, time=0.1):
        """Changes the speed of the running jog to `speed` pps within `time` seconds."""
        api.velocity_change(self.card.number, self.number, speed, time)

    def stop(self, mode=StopMode.DECELERATE, time=0.1):
        """Stops the axis: decelerating in `time` seconds (KTR4_dec_stop), at once (KTR4_imd_stop),
        or with every axis of the card (StopMode.EMERGENCY, KTR4_emg_stop)."""
        mode = StopMode(mode)
        if mode is StopMode.DECELERATE:
            api.dec_stop(self.card.number, self.number, time)
        elif mode is StopMode.IMMEDIATE:
            api.imd_stop(self.card.number, self.number)
        else:
            api.emg_stop(self.card.number)

    @_documented_by("KTR4_start_homing")
    def home(self, speed, *, start_speed=0, accel=0.1, direction=HomeDirection.NEGATIVE, mode=0, count=0):
        """Starts an origin return at up to `speed` pps in `direction`, with home mode `mode`
        (0..12) and count `count` (0..15) (KTR4_config_home_mode first)."""
        api.config_home_mode(self.card.number, self.number, mode, count)
        api.start_homing(self.card.number, self.number, start_speed, speed, accel, int(direction))

    @property
    def position(self):
        """The command position in pulses (KTR4_read_current_position); setting it
        (KTR4_set_current_position) renames where the axis stands."""
        return api.read_current_position(self.card.number, self.number)

    @position.setter
    def position(self, value):
        api.set_current_position(self.card.number, self.number, value)

    @property
    def feedback(self):
        """The feedback counter (KTR4_read_FB_counter)."""
        return api.read_fb_counter(self.card.number, self.number)

    @property
    def speed(self):
        """The current speed in pps (KTR4_read_speed)."""
        return api.read_speed(self.card.number, self.number)

    @property
    def stopped(self):
        """Whether the axis stands still (KTR4_read_motion_status, kind 0)."""
        return api.read_motion_status(self.card.number, self.number, 0) != 0

    def wait_until_stopped(self, timeout=10.0):
        """Waits until the axis stands still and returns its position; TimeoutError after
        `timeout` seconds (of the simulated card's virtual clock when it is on)."""
        if not _clock.wait_for(lambda: self.stopped, timeout):
            raise TimeoutError(f"{self!r} still moving after {timeout} s")
        return self.position

    def interrupt_when_stopped(self, enabled=True):
        """Makes the card interrupt when a move of this axis ends (KTR4_set_INT_mask and
        KTR4_set_INT_source with the move-end event); Card.on_interrupt receives it."""
        api.set_int_mask(self.card.number, self.number, 1 if enabled else 0)
        if enabled:
            api.set_int_source(self.card.number, self.number, 0x1, 0x1)


__all__ = ["Library", "Card", "Axis", "StopMode", "HomeDirection"]
