#!/usr/bin/python3
"""Configuration save and load: configure a card's pins and soft limits, save the
configuration to a file, change it, load the file and check that the saved settings are back.

Runs on the simulated card; exit status 0 when the loaded configuration is the saved one."""

import os
import sys
import tempfile

import ktr4
from ktr4 import api


def settings(card):
    return [(api.readback_sd_pin(card.number, axis), api.readback_softlimit_data(card.number, axis),
             api.readback_el_mode(card.number, axis)) for axis in range(4)]


with ktr4.Library() as ktr, tempfile.TemporaryDirectory() as folder:
    card = ktr.card(ktr.cards[0])
    for axis in range(4):
        api.config_sd_pin(card.number, axis, 1, 0, 1, axis % 2)
        api.set_softlimit_data(card.number, axis, -10000 * (axis + 1), 10000 * (axis + 1))
        api.config_el_mode(card.number, axis, 1)
    saved = settings(card)
    path = os.path.join(folder, "machine.ktr4")
    card.save_config(path)
    print(f"saved to {path} ({os.path.getsize(path)} bytes)")

    for axis in range(4):  # the machine is set up differently ...
        api.set_softlimit_data(card.number, axis, 0, 0)
        api.config_el_mode(card.number, axis, 0)
    card.load_config(path)  # ... and the file brings the saved setup back
    loaded = settings(card)
    print(f"axis 3 after loading: {loaded[3]}")
    if loaded != saved:
        sys.exit(f"loaded {loaded}, saved {saved}")
print("done")
