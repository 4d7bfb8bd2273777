#!/usr/bin/python3
"""Interrupts with a callback: the card interrupts when a move of axis 0 ends, and a Python
function counts the interrupts and reads the position where each move ended.

The callback runs on the library's service thread: it takes the GIL to run and may call the
library. Runs on the simulated card on its virtual clock; exit status 0 when every move's end
reached the callback."""

import queue
import sys

import ktr4
from ktr4 import sim

sim.use_virtual_clock(True)
ends: "queue.Queue[int]" = queue.Queue()

with ktr4.Library() as ktr:
    card = ktr.card(ktr.cards[0])
    axis = card.axis(0)
    card.on_interrupt(lambda interrupted: ends.put(interrupted.axis(0).position))
    axis.interrupt_on(ktr4.Event.END)

    for target in (1000, -500, 2500):
        axis.move_to(target, 8000, start_speed=100, accel=0.05)
        axis.wait_until_stopped(timeout=5)
        try:
            seen = ends.get(timeout=5)  # real seconds: the service thread runs on its own
        except queue.Empty:
            sys.exit(f"no interrupt for the move to {target}")
        print(f"interrupt: the move ended at {seen}")
        if seen != target:
            sys.exit(f"the callback saw {seen}, not {target}")
    card.on_interrupt(None)
print("done")
