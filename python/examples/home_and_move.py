#!/usr/bin/python3
"""Home axis 0 of the first card, make the home position the origin, then run a T-curve move
of 8000 pulses and check that the axis ends there.

It runs on the simulated card (ktr4's default driver) on its virtual clock, so the moves take
no real time. A real machine has a HOME sensor wired to the card; here ktr4.sim places one.
Exit status 0 when the axis homed and ended the move where asked."""

import sys

import ktr4
from ktr4 import sim

HOME_AT, MOVE = -3000, 8000

sim.use_virtual_clock(True)
sim.set_home(0, 0, 1, HOME_AT)  # card 0, axis 0: a HOME sensor 3000 pulses on the negative side

with ktr4.Library() as ktr:
    axis = ktr.card(ktr.cards[0]).axis(0)

    print("homing axis 0 (negative direction, 500 -> 5000 pps)")
    axis.home(5000, start_speed=500, accel=0.1, direction=ktr4.HomeDirection.MINUS)
    home = axis.wait_until_stopped(timeout=10)
    print(f"home found at {home}")
    if home != HOME_AT:
        sys.exit(f"homing stopped at {home}, not on the sensor at {HOME_AT}")
    axis.position = 0

    print(f"T-curve move of {MOVE} pulses (500 -> 20000 pps, 0.1 s ramps)")
    axis.move_by(MOVE, 20000, start_speed=500, accel=0.1)
    end = axis.wait_until_stopped(timeout=10)
    print(f"axis 0 at {end}")
    if end != MOVE:
        sys.exit(f"the move ended at {end}, not {MOVE}")
print("done")
