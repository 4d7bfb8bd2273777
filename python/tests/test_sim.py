"""ktr4.sim addresses cards by card number as the rest of ktr4 does, exports the simulator's
constants, and has nothing but its own names in its namespace."""

import inspect
import types

import pytest

import ktr4
from ktr4 import sim


@pytest.fixture
def two_cards():
    sim.reset()
    sim.use_virtual_clock(True)
    sim.set_cards([3, 9])  # slot 0: card 3, slot 1: card 9
    with ktr4.Library() as ktr:
        yield ktr
    sim.reset()


def test_controls_take_the_card_number_not_the_slot(two_cards):
    sim.set_home(9, 0, 1, -2500)
    axis = two_cards.card(9).axis(0)
    axis.home(5000, start_speed=500, direction=ktr4.HomeDirection.MINUS)
    assert sim.is_moving(9, 0) and not sim.is_moving(3, 0)
    assert axis.wait_until_stopped(timeout=5) == -2500
    assert sim.handle(3) != sim.handle(9)
    sim.set_status(3, 1, sim.MAIN_STATUS, 0x0100)
    assert sim.get_status(3, 1, sim.MAIN_STATUS) == 0x0100 and sim.get_status(9, 1, sim.MAIN_STATUS) != 0x0100


def test_a_card_number_not_simulated_says_which_are(two_cards):
    with pytest.raises(ktr4.CardNotFoundError) as raised:
        sim.set_home(1, 0, 1, 0)  # slot 1 exists, card 1 does not
    assert "card 1" in str(raised.value) and "[3, 9]" in str(raised.value)
    with pytest.raises(ValueError, match="card"):
        sim.is_moving(16, 0)


def test_every_control_that_takes_a_card_names_it_card():
    for name in sim.__all__:
        member = getattr(sim, name)
        if inspect.isfunction(member):
            parameters = list(inspect.signature(member).parameters)
            assert "slot" not in parameters, name


def test_the_simulators_constants_are_exported_and_nothing_else_leaks():
    assert (sim.MAIN_STATUS, sim.SUB_STATUS, sim.TICKS_PER_SECOND) == (0, 1, 19_660_800)
    assert sim.ErrorCode.HANDLE == 1001 and sim.MoveKind.HOME == 3
    public = {name for name in dir(sim) if not name.startswith("_")}
    assert public == set(sim.__all__)
    assert not [name for name in public if isinstance(getattr(sim, name), types.ModuleType)]
