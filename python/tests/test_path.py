"""ktr4.path: machine files and programs with their faults placed, planning, and runs on the
simulated card (the library's own thread on the wall clock: no durations asserted)."""
import os
import time

import pytest

import ktr4
import ktr4.path as path

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE = os.path.join(HERE, "..", "..", "tests", "pathlib", "machines", "xyz_table.toml")


@pytest.fixture
def library():
    ktr4.sim.reset()
    with ktr4.Library() as ktr:
        yield ktr
    ktr4.sim.reset()


def test_a_machine_file_fault_names_its_place(tmp_path):
    bad = tmp_path / "bad.toml"
    bad.write_text("[axis.X]\ncard = 0\naxis = 9\n")
    with pytest.raises(path.PathError) as caught:
        path.Machine.load(str(bad))
    assert caught.value.code == 2002
    assert caught.value.line == 3
    assert "axis" in caught.value.text


def test_a_program_fault_names_line_and_column_and_a_good_one_plans():
    with path.Machine.load(TABLE) as machine:
        with pytest.raises(path.PathError) as caught:
            path.Program.read(machine, "G21\nG1 X10\n")
        assert (caught.value.code, caught.value.line, caught.value.column) == (2003, 2, 1)
        with path.Program.read(machine, "G21 G90\nG1 X10 F600\nM2\n") as program:
            assert len(program) == 2
            assert 1.0 < path.plan_seconds(program) < 1.2  # 10 mm at 10 mm/s, and the ramps
        with path.Program.read(machine, "G0 X500\n") as far:
            with pytest.raises(path.PathError) as limit:
                far.check_soft_limits()
            assert limit.value.code == 2005 and limit.value.line == 1
        with pytest.raises(ValueError):
            path.Program.read(machine, "G0 X1\n", start=[0, 0])


def test_a_run_ends_exactly_where_the_program_ends(library):
    with path.Machine.load(TABLE) as machine, \
            path.Program.read(machine, "G21 G90\nG1 X3 Y1 F1200\nG2 X5 Y1 I1 J0\nG0 X0 Y0\nM2\n") as program:
        with path.Run.start(machine, program) as run:
            state = path.RunState.RUNNING
            for _ in range(600):
                state = run.wait(0.1)
                if state.over:
                    break
            progress = run.progress()
            assert state == path.RunState.FINISHED
            assert progress.position == (0.0, 0.0, 0.0, 0.0)
            assert progress.line == 5
            assert progress.moves_sent > 3
            with pytest.raises(ValueError):
                run.set_override(300)


def test_hold_then_resume_and_an_emergency_stop(library):
    with path.Machine.load(TABLE) as machine, \
            path.Program.read(machine, "G21 G90\nG1 X100 F600\nM2\n") as program:
        with path.Run.start(machine, program) as run:
            run.hold()
            for _ in range(600):
                if run.progress().state == path.RunState.HELD:
                    break
                time.sleep(0.01)
            held = run.progress()
            assert held.state == path.RunState.HELD
            time.sleep(0.05)
            assert run.progress().position == held.position  # standing
            run.resume()
            run.emergency_stop()
            assert run.wait(5) == path.RunState.STOPPED
            assert run.progress().position[0] < 100


def test_a_run_refuses_a_card_that_is_not_at_the_programs_start(library):
    library.card(0).axis(0).position = 5
    with path.Machine.load(TABLE) as machine, path.Program.read(machine, "G1 X1 F600\n") as program:
        with pytest.raises(path.PathError) as caught:
            path.Run.start(machine, program)
        assert caught.value.code == 2006
