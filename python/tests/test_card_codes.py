"""The card's codes by name: every constant of ktr4.h's card-code group is an enum member of the
same name and value, taken wherever a code is, and the Axis properties that use them."""

import os

import codes as code_groups
import header
import pytest

import ktr4
from ktr4 import api, sim
from conftest import SOURCE

PLUS_LIMIT, MINUS_LIMIT = 0xA7 + 0x40, 0xA8 + 0x40  # read codes of the + and - soft-limit registers
HOME_WORD = 0x9E + 0x40  # configuration word 3: home mode (bits 0-3) and count (bits 4-7)


def test_every_card_code_of_the_header_is_an_enum_member_of_its_name():
    with open(os.path.join(SOURCE, "cardlib", "include", "ktr4.h"), encoding="utf-8") as f:
        _, defines, _ = header.parse(f.read())
    card_codes = [d for d in defines if d.name != "KTR4_OK" and not d.name.startswith("KTR4_ERR_")]
    assert len(card_codes) >= 100
    for define in card_codes:
        found = code_groups.group_of(define.name)
        assert found, f"{define.name} has no enum (python/tools/codes.py GROUPS)"
        member = getattr(getattr(ktr4, found[0]), found[1])
        assert int(member) == define.value and define.name.endswith(member.name)
    assert ktr4.HomeMode.ORG_BACK_EZ == 5 and ktr4.Event.END | ktr4.Event.COMPARE == 0x41


def test_soft_limits_are_set_by_name_plus_into_the_plus_register(card):
    axis = card.axis(3)
    axis.soft_limits = ktr4.SoftLimits(minus=-5000, plus=70000, action=ktr4.SoftLimitAction.DECEL_STOP)
    assert sim.get_register(0, 3, PLUS_LIMIT) == 70000
    assert sim.get_register(0, 3, MINUS_LIMIT) == (-5000) & 0xFFFFFFFF
    limits = axis.soft_limits
    assert limits == (-5000, 70000, ktr4.SoftLimitSource.COMMAND, ktr4.SoftLimitAction.DECEL_STOP, True)
    assert isinstance(limits.action, ktr4.SoftLimitAction)
    axis.soft_limits = limits._replace(enabled=False)
    assert not axis.soft_limits.enabled and axis.soft_limits.plus == 70000


@pytest.mark.parametrize("value, error, words", [
    ((-5000, 70000), TypeError, ["SoftLimits(minus=", "swapped"]),
    (ktr4.SoftLimits(70000, -5000), ValueError, ["minus (70000) must be below plus (-5000)"]),
    (ktr4.SoftLimits(0, 10, action=7), ValueError, ["action", "SoftLimitAction", "FLAG"]),
])
def test_soft_limits_that_could_be_swapped_or_wrong_are_refused(card, value, error, words):
    with pytest.raises(error) as raised:
        card.axis(0).soft_limits = value
    for word in words:
        assert word in str(raised.value)
    assert api.readback_softlimit_data(0, 0) == (0, 0)  # nothing written


def test_comparator_and_el_mode_and_home_logic_read_back_as_enums(card):
    axis = card.axis(1)
    setting = ktr4.Comparator(ktr4.CompareSource.FEEDBACK, ktr4.CompareCondition.EQUAL_DOWN,
                              ktr4.CompareAction.DECEL_STOP, data=5000)
    axis.comparator = setting
    assert axis.comparator == setting and isinstance(axis.comparator.condition, ktr4.CompareCondition)
    assert api.readback_comparator_out(0, 1) == (1, 3, 2)  # the same codes through the C names
    axis.el_mode = ktr4.ElMode.DECEL_STOP
    axis.home_logic = ktr4.Logic.INVERTED
    assert axis.el_mode is ktr4.ElMode.DECEL_STOP and axis.home_logic is ktr4.Logic.INVERTED
    with pytest.raises(TypeError, match="Comparator"):
        axis.comparator = (0, 1, 0, 5000)


def test_home_mode_is_what_the_program_set(card):
    axis = card.axis(0)
    assert axis.home_mode is None  # the card has no readback
    axis.home_mode = ktr4.HomeSetting(ktr4.HomeMode.ORG_EZ, ez_count=3)
    assert axis.home_mode == (ktr4.HomeMode.ORG_EZ, 3)
    assert sim.get_register(0, 0, HOME_WORD) & 0xFF == 3 * 16 + ktr4.HomeMode.ORG_EZ
    sim.set_home(0, 0, 1, -2500)
    axis.home(5000, direction=ktr4.HomeDirection.MINUS, mode=ktr4.HomeMode.ORG)
    assert axis.wait_until_stopped(timeout=5) == -2500 and axis.home_mode == (ktr4.HomeMode.ORG, 0)
    with pytest.raises(ValueError, match="ez_count"):
        axis.home_mode = ktr4.HomeSetting(ktr4.HomeMode.ORG_EZ, ez_count=16)


def test_points_flags_and_events_are_named(card):
    axis = card.axis(2)
    axis.write_output(ktr4.Output.OUT2, True)
    assert isinstance(axis.read_point(ktr4.Point.EL_PLUS), bool)
    assert axis.error_flags == ktr4.ErrorFlag(0) and isinstance(axis.error_flags, ktr4.ErrorFlag)
    axis.interrupt_on(ktr4.Event.END)
    axis.move_by(100, 1000)
    axis.wait_until_stopped()
    assert ktr4.Event.END in axis.read_events()
    with pytest.raises(ValueError, match="point"):
        axis.read_point(25)
    with pytest.raises(ValueError, match="point"):
        axis.write_output(12, True)


def test_pin_settings_go_to_the_c_options_the_datasheet_names(card):
    axis = card.axis(2)
    axis.slow_down = ktr4.SlowDown(enabled=True, logic=ktr4.Logic.INVERTED, stop=ktr4.SdStop.STOP,
                                   latch=ktr4.SdLatch.WHILE_ON)
    assert api.readback_sd_pin(0, 2)[:4] == (1, 1, 1, 0)  # enable, opt6 logic, opt5 stop, opt4 latch
    assert axis.slow_down == (True, ktr4.Logic.INVERTED, ktr4.SdStop.STOP, ktr4.SdLatch.WHILE_ON)
    axis.alarm = ktr4.Alarm(logic=ktr4.Logic.NORMAL, stop=ktr4.AlarmStop.DECEL_STOP)
    assert api.readback_alm_pin(0, 2)[:2] == (1, 0)  # option9 stop, option8 logic
    assert axis.alarm == (ktr4.Logic.NORMAL, ktr4.AlarmStop.DECEL_STOP)
    axis.latch = ktr4.Latch(source=ktr4.LatchSource.FEEDBACK, logic=ktr4.Logic.INVERTED)
    assert api.readback_ltc_pin(0, 2)[:2] == (1, 1)  # option15 source, option23 logic
    assert axis.latch == (ktr4.LatchSource.FEEDBACK, ktr4.Logic.INVERTED)
    axis.ez_logic = ktr4.Logic.INVERTED
    card.ttl_mode = ktr4.TtlMode.TTL_2_OUT
    assert axis.ez_logic is ktr4.Logic.INVERTED and card.ttl_mode is ktr4.TtlMode.TTL_2_OUT
    with pytest.raises(TypeError, match="SlowDown"):
        axis.slow_down = (True, 1, 1, 0)
