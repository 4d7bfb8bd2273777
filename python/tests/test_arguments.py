"""Python values in, Python errors out: numbers of any real type where the value is whole,
fractions of speeds rounded, and every refusal a TypeError or ValueError naming the Python
parameter, its unit and its range (never a ctypes or overflow error)."""

import ctypes
import fractions
import math

import pytest

import ktr4
from ktr4 import api, sim


def test_float_and_other_real_speeds_move_the_axis(card):
    axis = card.axis(0)
    axis.jog(5000.0, start_speed=100.0)
    sim.advance(sim.TICKS_PER_SECOND)
    running = axis.speed  # a float, as the card reads it
    assert isinstance(running, float)
    axis.change_speed(running * 2, time=0.1)
    axis.stop(ktr4.StopMode.IMMEDIATE)
    axis.move_by(fractions.Fraction(3000), running, start_speed=100.4, accel=fractions.Fraction(1, 10))
    assert axis.wait_until_stopped(timeout=5) == axis.position
    start = axis.position
    axis.move_by(1000.0, 4999.6)  # 4999.6 pps is rounded to 5000
    assert axis.wait_until_stopped(timeout=5) == start + 1000


@pytest.mark.parametrize("call, error, words", [
    (lambda a: a.move_by(100.5, 1000), ValueError, ["distance", "whole", "pulses"]),
    (lambda a: a.move_to("100", 1000), TypeError, ["position", "pulses", "str"]),
    (lambda a: a.move_by(100, float("nan")), ValueError, ["speed", "pps", "NaN"]),
    (lambda a: a.move_by(100, math.inf), ValueError, ["speed", "pps", "6553500"]),
    (lambda a: a.move_by(100, 1e12), ValueError, ["speed", "pps", "1..6553500"]),
    (lambda a: a.move_by(100, 0), ValueError, ["speed", "pps", "1..6553500"]),
    (lambda a: a.move_by(2**40, 1000), ValueError, ["distance", "pulses", "2147483647"]),
    (lambda a: a.move_by(100, 1000, start_speed=-5), ValueError, ["start_speed", "pps", "0..6553500"]),
    (lambda a: a.move_by(100, 1000, accel=-1), ValueError, ["accel", "seconds", "0"]),
    (lambda a: a.move_by(100, 1000, decel=float("nan")), ValueError, ["decel", "seconds", "NaN"]),
    (lambda a: a.jog(7_000_000), ValueError, ["speed", "pps", "-6553500..6553500"]),
    (lambda a: a.jog(1000j), TypeError, ["speed", "pps", "complex"]),
    (lambda a: a.stop(time=-1), ValueError, ["time", "seconds", "0"]),
    (lambda a: a.change_speed(1000, time=math.inf), ValueError, ["time", "seconds"]),
    (lambda a: a.home(5000, mode=13), ValueError, ["mode", "HomeMode", "ORG_SLOW"]),
    (lambda a: a.home(5000, ez_count=16), ValueError, ["ez_count", "0..15"]),
    (lambda a: a.card.line((0, 1), (1.5, 2), 1000), ValueError, ["distances", "whole", "pulses"]),
    (lambda a: a.card.arc((0, 1), center=(0, 10), end=(0, 20), speed=True), TypeError, ["speed", "bool"]),
])
def test_a_bad_argument_names_the_parameter_its_unit_and_range(card, call, error, words):
    with pytest.raises(error) as raised:
        call(card.axis(0))
    assert not isinstance(raised.value, ctypes.ArgumentError)
    for word in words:
        assert word in str(raised.value)
    assert card.axis(0).stopped  # nothing started


@pytest.mark.parametrize("number, error, words", [
    (-1, ValueError, ["card", "0..15"]),
    (16, ValueError, ["card", "0..15"]),
    (2.0, TypeError, ["card", "float"]),
    (5, ktr4.CardNotFoundError, ["card 5", "[0]"]),
])
def test_a_card_number_outside_the_cards_found_says_which_there_are(card, number, error, words):
    with pytest.raises(error) as raised:
        card.library.card(number)
    for word in words:
        assert word in str(raised.value)
    assert "KTR4_info" not in str(raised.value)


def test_axis_numbers_are_0_to_3(card):
    for bad, error in ((7, ValueError), (-1, ValueError), (1.0, TypeError)):
        with pytest.raises(error, match="axis"):
            card.axis(bad)


@pytest.mark.parametrize("call", [
    lambda: api.info(-1),
    lambda: api.info(2**40),
    lambda: api.t_curve_position_move(0, 0, 100, 0, 0, 5000.5, 0.1, 0.1),
    lambda: api.t_curve_position_move(0, 0, 100, 0, 0, "5000", 0.1, 0.1),
    lambda: api.dec_stop(0, 0, "0.1"),
])
def test_the_c_layer_refuses_with_python_errors_naming_the_c_parameter(card, call):
    with pytest.raises((TypeError, ValueError)) as raised:
        call()
    assert not isinstance(raised.value, (ctypes.ArgumentError, OverflowError))
    assert raised.value.args and ("card" in str(raised.value) or "max_speed" in str(raised.value)
                                  or "t_dec" in str(raised.value))


def test_the_c_layer_takes_whole_floats(card):
    api.t_curve_position_move(0, 1, 200.0, 0, 0, 5000.0, 0.1, 0.1)
    assert card.axis(1).wait_until_stopped(timeout=5) == 200


def test_a_nan_or_negative_timeout_is_refused_while_the_axis_moves(card):
    axis = card.axis(0)
    axis.jog(1000)
    for timeout in (float("nan"), -1):
        with pytest.raises(ValueError, match="timeout"):
            axis.wait_until_stopped(timeout=timeout)
    with pytest.raises(ValueError, match="timeout"):
        card.wait_until_stopped(timeout=float("nan"))
    sim.use_virtual_clock(False)  # the wall clock too
    with pytest.raises(ValueError, match="timeout"):
        axis.wait_until_stopped(timeout=float("nan"))
    axis.stop(ktr4.StopMode.IMMEDIATE)
    assert axis.wait_until_stopped(timeout=None) == axis.position  # None: no limit


@pytest.mark.parametrize("method", ["save_config", "load_config"])
def test_a_path_with_a_nul_is_refused_before_anything_is_written(card, tmp_path, method):
    good = tmp_path / "good.cfg"
    card.save_config(good)
    with pytest.raises(ValueError, match="null"):
        getattr(card, method)(f"{tmp_path / 'new.cfg'}\0.evil" if method == "save_config" else f"{good}\0/etc/passwd")
    assert sorted(p.name for p in tmp_path.iterdir()) == ["good.cfg"]
    with pytest.raises(ValueError, match="null"):
        api.load_config_from_file(0, f"{good}\0x")
