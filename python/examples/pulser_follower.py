#!/usr/bin/python3
"""The manual pulser follower: axis 1 follows the pulser of axis 0 at ratio 2, so 500 pulses
turned on the pulser move it 1000 pulses. The library samples the pulser every 20 ms on a
thread of its own, so this example runs on wall-clock time (about a second).

Runs on the simulated card, whose pulser ktr4.sim turns; exit status 0 when the follower ends
1000 pulses on."""

import sys
import time

import ktr4
from ktr4 import api, sim

with ktr4.Library() as ktr:
    card = ktr.card(ktr.cards[0])
    follower = card.axis(1)
    api.set_pulser_map(card.number, follower.number, 0, 0)  # follow axis 0's pulser, same direction
    api.enable_pulser_motion(card.number, follower.number, 1, 2)
    for _ in range(5):
        sim.pulser_input(card.number, 0, 100)  # axis 0: 100 pulses turned on the pulser
    deadline = time.monotonic() + 5
    while follower.position != 1000 and time.monotonic() < deadline:
        time.sleep(0.05)  # the follower samples every 20 ms
    end = follower.wait_until_stopped(timeout=5)
    api.enable_pulser_motion(card.number, follower.number, 0, 1)
    print(f"pulser counter {api.read_pulser_counter(card.number, 0)}, follower at {end}")
    if end != 1000:
        sys.exit(f"the follower ended at {end}, not 1000")
print("done")
