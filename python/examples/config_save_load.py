#!/usr/bin/python3
"""Configuration save and load: configure a card's pins and soft limits, save the
configuration to a file, change it, load the file and check that the saved settings are back.

Runs on the simulated card; exit status 0 when the loaded configuration is the saved one."""

import os
import sys
import tempfile
from typing import List, Tuple

import ktr4


def settings(card: ktr4.Card) -> List[Tuple[ktr4.SlowDown, ktr4.SoftLimits, ktr4.ElMode]]:
    return [(axis.slow_down, axis.soft_limits, axis.el_mode) for axis in card.axes]


with ktr4.Library() as ktr, tempfile.TemporaryDirectory() as folder:
    card = ktr.card(ktr.cards[0])
    for axis in card.axes:
        # SD on: normal logic, a decelerating stop, slowed only while on (axes 0, 2) or latched.
        latch = ktr4.SdLatch.LATCHED if axis.number % 2 else ktr4.SdLatch.WHILE_ON
        axis.slow_down = ktr4.SlowDown(enabled=True, stop=ktr4.SdStop.STOP, latch=latch)
        # By name: the - limit below the + limit (the card's first soft-limit register is +).
        reach = 10000 * (axis.number + 1)
        axis.soft_limits = ktr4.SoftLimits(minus=-reach, plus=reach)
        axis.el_mode = ktr4.ElMode.DECEL_STOP
    saved = settings(card)
    path = os.path.join(folder, "machine.ktr4")
    card.save_config(path)
    print(f"saved to {path} ({os.path.getsize(path)} bytes)")

    for axis in card.axes:  # the machine is set up differently ...
        axis.soft_limits = ktr4.SoftLimits(minus=-1, plus=1, enabled=False)
        axis.el_mode = ktr4.ElMode.STOP
    card.load_config(path)  # ... and the file brings the saved setup back
    loaded = settings(card)
    print(f"axis 3 after loading: {loaded[3]}")
    if loaded != saved:
        sys.exit(f"loaded {loaded}, saved {saved}")
print("done")
