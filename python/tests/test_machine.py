"""The simulated machine through the binding: signal controls and machine files."""

import pytest

import ktr4
from ktr4 import api, sim


def test_homing_on_a_home_sensor_and_the_index(card):
    sim.set_home_sensor(0, 1, 1, 4000, 150)
    sim.set_index(0, 1, 1, 25, 500)
    axis = card.axis(1)
    # Mode 2: HOME, then the second index pulse after it.
    axis.home(8000, start_speed=500, direction=ktr4.HomeDirection.PLUS, mode=ktr4.HomeMode.ORG_EZ, ez_count=1)
    assert axis.wait_until_stopped(timeout=30) == 4525


def test_an_el_stop_shows_in_the_error_flag(card):
    sim.set_limits(0, 0, sim.BOTH, -3000, 3000)
    api.t_velocity_move(0, 0, 500, 5000, 0.1)
    assert card.axis(0).wait_until_stopped(timeout=30) == 3000
    assert api.read_error_flag(0, 0) == 0x4  # EL+


def test_a_refused_machine_file_names_line_and_key_and_changes_nothing(card, tmp_path):
    good = tmp_path / "good.toml"
    good.write_text("[card.0.axis.2]\nalarm = true\n")
    sim.load_machine(str(good))
    assert api.read_point_status(0, 2, 3) == 1  # ALM
    bad = tmp_path / "bad.toml"
    bad.write_text("[card.0.axis.2]\nalarm = false\nel_plus = 'x'\n")
    with pytest.raises(sim.MachineFileError) as refused:
        sim.load_machine(str(bad))
    assert f"{bad}:3: card.0.axis.2.el_plus" in refused.value.message
    assert refused.value.code == sim.ErrorCode.MACHINE
    assert api.read_point_status(0, 2, 3) == 1
    sim.unload_machine()
    assert api.read_point_status(0, 2, 3) == 0
