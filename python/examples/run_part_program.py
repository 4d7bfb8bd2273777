#!/usr/bin/python3
"""Run a small part program (G-code) on the simulated card with ktr4.path: a machine file for
an X-Y table, a square with rounded corners, a feed hold on the way and the end checked.

It runs on the simulated card (ktr4's default driver) on the wall clock, in about two seconds.
Exit status 0 when the program ended where it ends, after the hold and resume."""

import os
import sys
import tempfile
import time

import ktr4
import ktr4.path as path

MACHINE = """
[axis.X]
card = 0
axis = 0
pulses_per_unit = 1000
max_feed = 6000
max_accel = 500
start_speed = 120
soft_limit_min = -1
soft_limit_max = 100

[axis.Y]
card = 0
axis = 1
pulses_per_unit = 1000
max_feed = 6000
max_accel = 500
start_speed = 120
soft_limit_min = -1
soft_limit_max = 100
"""

PROGRAM = """G21 G90 (a 20 mm square with 3 mm corners)
G1 X17 F1800
G3 X20 Y3 R3
G1 Y17
G3 X17 Y20 R3
G1 X3
G3 X0 Y17 R3
G1 Y3
G3 X3 Y0 R3
G1 X0
M2
"""

with tempfile.TemporaryDirectory() as folder:
    machine_file = os.path.join(folder, "table.toml")
    with open(machine_file, "w", encoding="utf-8") as out:
        out.write(MACHINE)
    with ktr4.Library(), path.Machine.load(machine_file) as machine, \
            path.Program.read(machine, PROGRAM) as program:
        print(f"{len(program)} moves, planned {path.plan_seconds(program):.2f} s")
        with path.Run.start(machine, program) as run:
            time.sleep(0.3)
            run.hold()
            while run.progress().state != path.RunState.HELD:
                time.sleep(0.01)
            held = run.progress()
            print(f"held at line {held.line}, X{held.position[0]:.3f} Y{held.position[1]:.3f}")
            run.resume()
            state = run.wait(timeout=30)
            end = run.progress()
            print(f"{state.name.lower()} at line {end.line}, X{end.position[0]:.3f} Y{end.position[1]:.3f}")
            if state != path.RunState.FINISHED or end.position[:2] != (0.0, 0.0):
                sys.exit("the program did not end at X0 Y0")
