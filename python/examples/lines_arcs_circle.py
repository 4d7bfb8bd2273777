#!/usr/bin/python3
"""Multi-axis moves: 2-, 3- and 4-axis lines, two lines queued in the continuous buffer, a
clockwise arc and a full circle through two points. Checks where the axes end each time.

Runs on the simulated card on its virtual clock; exit status 0 when every path ended right."""

import sys
from typing import List

import ktr4
from ktr4 import api, sim

sim.use_virtual_clock(True)


def expect(card: ktr4.Card, positions: List[int], what: str) -> None:
    card.wait_until_stopped(timeout=20)
    where = [axis.position for axis in card.axes]
    print(f"{what}: axes at {where}")
    if where != positions:
        sys.exit(f"{what} ended at {where}, not {positions}")


with ktr4.Library() as ktr:
    card = ktr.card(ktr.cards[0])

    card.line((0, 1), (3000, 4000), 10000, start_speed=100, accel=0.1)
    expect(card, [3000, 4000, 0, 0], "line of axes 0 and 1")
    card.line((0, 2, 3), (-3000, 1000, 2000), 10000, start_speed=100, accel=0.1)
    expect(card, [0, 4000, 1000, 2000], "line of axes 0, 2 and 3")
    card.line((0, 1, 2, 3), (0, 0, 0, 0), 10000, start_speed=100, accel=0.1, absolute=True)
    expect(card, [0, 0, 0, 0], "line of all four axes back to 0")

    # Continuous mode: the second line waits in the card's buffer and follows the first.
    for axis in (0, 1):
        api.set_continuous_flag(card.number, axis, 1)
    card.line((0, 1), (1000, 0), 5000, start_speed=100, accel=0.05)
    card.line((0, 1), (0, 1000), 5000, start_speed=100, accel=0.05)
    full = api.check_continuous_buffer(card.number, 0)
    print(f"second line queued, buffer full: {bool(full)}")
    expect(card, [1000, 1000, 0, 0], "two queued lines")
    for axis in (0, 1):
        api.set_continuous_flag(card.number, axis, 0)

    # Half a circle clockwise around a centre 500 pulses along axis 0, then a full circle.
    card.arc((0, 1), center=(500, 0), end=(1000, 0), speed=5000, clockwise=True)
    expect(card, [2000, 1000, 0, 0], "clockwise arc")
    card.circle((0, 1), (1000, 1000), (2000, 0), 5000)
    expect(card, [2000, 1000, 0, 0], "circle back to its start")
print("done")
