"""The clock the binding waits by: wall-clock time, or the simulated card's virtual clock once
ktr4.sim.use_virtual_clock(True) switched it on (then waiting moves the card's time on, so a
program runs at virtual-clock speed)."""

import time
from typing import Callable, Optional, Union


class WallClock:
    step = 0.005  # seconds between two looks at a card while waiting

    def now(self) -> float:
        return time.monotonic()

    def sleep(self, seconds: float) -> None:
        time.sleep(seconds)


class VirtualClock:
    step = 0.001

    def __init__(self, sim_now: Callable[[], int], sim_advance: Callable[[int], None], ticks_per_second: int) -> None:
        self._now, self._advance, self._rate = sim_now, sim_advance, ticks_per_second

    def now(self) -> float:
        return self._now() / self._rate

    def sleep(self, seconds: float) -> None:
        self._advance(max(1, round(seconds * self._rate)))


current: Union[WallClock, VirtualClock] = WallClock()


def wait_for(condition: Callable[[], bool], timeout: Optional[float]) -> bool:
    """Looks at condition() until it holds or `timeout` seconds of the clock passed (None: no
    limit); its last answer. A NaN would never compare as passed: it is refused."""
    if timeout is not None and not timeout >= 0:
        raise ValueError(f"timeout must be 0 or more seconds, not {timeout!r}")
    deadline = None if timeout is None else current.now() + timeout
    while True:
        if condition():
            return True
        if deadline is not None and current.now() >= deadline:
            return False
        current.sleep(current.step)
