#!/usr/bin/python3
"""A velocity move: run at 5000 pps, change to 12000 pps while running, then a decelerating
stop. Checks the speed after each step and that the stop came to rest.

Runs on the simulated card on its virtual clock; exit status 0 when the speeds were right."""

import sys

import ktr4
from ktr4 import sim

sim.use_virtual_clock(True)


def run_for(seconds: float) -> None:
    sim.advance(round(seconds * sim.TICKS_PER_SECOND))


with ktr4.Library() as ktr:
    axis = ktr.card(ktr.cards[0]).axis(0)

    axis.jog(-5000, start_speed=100, accel=0.2)  # the sign gives the direction
    run_for(1)
    print(f"jogging at {axis.speed:.0f} pps, at {axis.position}")
    if abs(axis.speed - 5000) > 50:
        sys.exit(f"the jog runs at {axis.speed} pps, not 5000")

    axis.change_speed(-12000, 0.3)
    run_for(1)
    print(f"changed to {axis.speed:.0f} pps, at {axis.position}")
    if abs(axis.speed - 12000) > 120:
        sys.exit(f"after the change the axis runs at {axis.speed} pps, not 12000")

    before = axis.position
    axis.stop(ktr4.StopMode.DECELERATE, time=0.2)
    end = axis.wait_until_stopped(timeout=5)
    print(f"stopped at {end}, {before - end} pulses after the stop")
    if axis.speed != 0 or end >= before:
        sys.exit("the decelerating stop did not come to rest beyond where it began")
print("done")
