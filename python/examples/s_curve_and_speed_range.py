#!/usr/bin/python3
"""S-curve moves and speed ranges: a pure S-curve and one with linear sections, then moves in
continuous mode with the speed range fixed for the highest speed the machine will use (so
that queued moves of different speeds share one range). Each must end where asked.

Runs on the simulated card on its virtual clock; exit status 0 when every move ended right."""

import sys

import ktr4
from ktr4 import api, sim

sim.use_virtual_clock(True)

with ktr4.Library() as ktr:
    card = ktr.card(ktr.cards[0])
    axis = card.axis(1)

    # Pure S-curve (no linear section), then 2000 pps linear sections in both ramps.
    for distance, sv in ((12000, 0), (-4000, 2000)):
        axis.move_by(distance, 30000, start_speed=100, accel=0.2, s_curve=True, sv_acc=sv, sv_dec=sv)
        print(f"S-curve move of {distance} (sections {sv} pps) ends at {axis.wait_until_stopped(timeout=10)}")
    if axis.position != 8000:
        sys.exit(f"S-curve moves ended at {axis.position}, not 8000")

    # Continuous mode: a second move waits in the card's buffer while the first runs.
    api.fix_speed_range(card.number, axis.number, 40000)
    api.set_continuous_flag(card.number, axis.number, 1)
    axis.move_to(20000, 40000, start_speed=100, accel=0.1, s_curve=True)
    axis.move_to(0, 10000, start_speed=100, accel=0.1, s_curve=True)  # queued
    end = axis.wait_until_stopped(timeout=10)
    api.set_continuous_flag(card.number, axis.number, 0)
    api.unfix_speed_range(card.number, axis.number)
    print(f"two queued moves in a fixed speed range end at {end}")
    if end != 0:
        sys.exit(f"the queued moves ended at {end}, not 0")
print("done")
