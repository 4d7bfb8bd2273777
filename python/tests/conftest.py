import os
import sys

import pytest

import ktr4

# The generator's header reader, to hold the installed declarations against the headers.
SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(SOURCE, "python", "tools"))


@pytest.fixture
def card():
    """Card 0 of one simulated card in its power-on state, on the virtual clock."""
    ktr4.sim.reset()
    ktr4.sim.use_virtual_clock(True)
    with ktr4.Library() as ktr:
        yield ktr.card(0)
    ktr4.sim.reset()
