"""The binding on the simulated card: moves, readbacks, interrupts, errors."""

import gc
import os
import subprocess
import sys
import threading

import pytest

import ktr4
from ktr4 import api, sim


@pytest.mark.parametrize("start, call, kwargs, end", [
    (0, "move_by", {}, 8000),
    (500, "move_by", {"s_curve": True, "sv_acc": 1000, "sv_dec": 1000}, 8500),
    (-300, "move_to", {"decel": 0.3}, 8000),
])
def test_a_move_ends_at_its_target(card, start, call, kwargs, end):
    axis = card.axis(2)
    axis.position = start
    getattr(axis, call)(8000, 20000, start_speed=500, accel=0.1, **kwargs)
    assert not axis.stopped
    assert axis.wait_until_stopped(timeout=5) == end
    assert axis.speed == 0 and card.axis(0).position == 0


def test_a_jog_runs_until_stopped(card):
    axis = card.axis(1)
    axis.jog(-5000, start_speed=100)
    sim.advance(sim.TICKS_PER_SECOND)
    assert axis.speed == pytest.approx(5000, rel=0.01) and axis.position < -4000
    with pytest.raises(TimeoutError):
        axis.wait_until_stopped(timeout=0.2)
    axis.stop(ktr4.StopMode.IMMEDIATE)
    assert axis.stopped


def test_multi_axis_line_and_arc(card):
    card.line((0, 1, 3), (1000, -2000, 3000), 10000)
    card.wait_until_stopped()
    card.arc((0, 1), center=(0, 1000), end=(0, 2000), speed=5000)
    card.wait_until_stopped()
    assert [a.position for a in card.axes] == [1000, 0, 0, 3000]


@pytest.mark.parametrize("write, args, read, expected", [
    ("config_sd_pin", (1, 0, 1, 1), "readback_sd_pin", (1, 0, 1, 1, 0)),
    ("set_softlimit_data", (-5000, 70000), "readback_softlimit_data", (-5000, 70000)),
    ("backlash_comp", (300, 1, 4000), "readback_backlash_comp", (300, 1, 4000)),
    ("set_pulse_outmode", (5,), "readback_pulse_outmode", 5),
])
def test_readbacks_return_what_was_written(card, write, args, read, expected):
    getattr(api, write)(card.number, 3, *args)
    result = getattr(api, read)(card.number, 3)
    assert result == expected
    if isinstance(expected, tuple):  # a named tuple: fields by their C names
        assert result._fields == getattr(api, read).readback._fields


def test_an_interrupt_reaches_a_python_callable_which_may_call_back(card):
    seen, done = [], threading.Event()

    def on_interrupt(which):
        # On the library's service thread; reading the position calls back into the library.
        seen.append((which.number, threading.current_thread() is threading.main_thread(), which.axis(0).position))
        done.set()

    card.on_interrupt(on_interrupt)
    del on_interrupt
    gc.collect()  # the binding, not this test, keeps the callback alive
    card.axis(0).interrupt_on(ktr4.Event.END)
    card.axis(0).move_by(1200, 6000)
    card.axis(0).wait_until_stopped()
    assert done.wait(10)
    assert seen == [(0, False, 1200)]


def test_a_close_inside_a_callback_keeps_the_running_callback_alive(card):
    closed = threading.Event()
    card.on_interrupt(lambda _: (api.close(), closed.set()))
    card.axis(0).interrupt_on(ktr4.Event.END)
    sim.raise_interrupt(0, 0, 0x20, 0)
    assert closed.wait(10)
    assert api._callbacks  # the running callback's object outlives its own close
    api.initial()  # for the fixture's close, from this thread, which releases them
    api.close()
    assert not api._callbacks
    api.initial()


@pytest.mark.parametrize("family, code, cause", [
    (ktr4.CardNotFoundError, 300, lambda card: api.info(20)),
    (ktr4.CardNotFoundError, 100, lambda card: api.read_current_position(7, 0)),
    (ktr4.OutOfRangeError, 301, lambda card: api.read_current_position(0, 4)),
    (ktr4.OutOfRangeError, 302, lambda card: api.t_curve_position_move(0, 0, 100, 0, 0, 7_000_000, 0.1, 0.1)),
    (ktr4.AxisMovingError, 303, lambda card: (card.axis(0).jog(1000), card.axis(0).move_by(100, 1000))),
    (ktr4.DriverError, 4242, lambda card: (sim.fail(50, 4242, 0, 1), card.axis(0).position)),
])
def test_a_failure_raises_its_family_with_the_librarys_text(card, family, code, cause):
    with pytest.raises(family) as raised:
        cause(card)
    error = raised.value
    assert isinstance(error, ktr4.Error) and error.code == code
    assert error.text == ktr4.error_text(code) and error.text in str(error)


def test_a_driver_that_does_not_load_raises_with_the_file_and_the_reason(tmp_path):
    # The driver is bound once per process: a fresh interpreter tries a file that is not there.
    missing = tmp_path / "libnothere.so"
    program = ("import ktr4\ntry:\n    ktr4.Library().open()\nexcept ktr4.DriverError as e:\n"
               "    print(int(e.code), e.text, e.reason, sep='\\n')\n")
    run = subprocess.run([sys.executable, "-c", program], env={**os.environ, "KTR4IO_LIBRARY": str(missing)},
                         capture_output=True, text=True, timeout=60, check=True)
    code, text, reason = run.stdout.splitlines()
    assert code == "900" and text == ktr4.error_text(900) and str(missing) in reason


def test_integers_keep_the_c_slot_rules_and_never_wrap(card):
    with pytest.raises(ktr4.CardNotFoundError):
        api.info(0x105)  # only the low byte counts: card 5, which is not there
    with pytest.raises(ValueError):
        api.t_curve_position_move(0, 0, 2**32 + 100, 0, 0, 1000, 0.1, 0.1)  # would otherwise be a move of 100
    with pytest.raises(ValueError):
        api.info(-1)
    assert card.axis(0).stopped
