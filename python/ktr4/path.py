"""ktr4.path: part programs (RS274/NGC G-code) on KTR4 cards, over libktr4path.so.1.

    import ktr4, ktr4.path

    with ktr4.Library(), ktr4.path.Machine.load("table.toml") as machine:
        program = ktr4.path.Program.read(machine, "G21 G90\\nG1 X10 F600\\nM2\\n")
        with ktr4.path.Run.start(machine, program) as run:
            run.wait(timeout=30)
            print(run.progress())

Lengths are millimetres (A: degrees), feeds units per minute, times seconds. A failure of the
library raises PathError with its result code, and for machine files and programs the line and
column of the fault. The card library must be open (ktr4.Library) before a Run starts."""

import ctypes
import dataclasses
import enum
from types import TracebackType
from typing import Optional, Sequence, Tuple, Type

__all__ = ["PathError", "Machine", "Program", "Run", "RunState", "Progress", "plan_seconds"]


class _Error(ctypes.Structure):
    _fields_ = [("line", ctypes.c_int32), ("column", ctypes.c_int32), ("text", ctypes.c_char * 512)]


class _Progress(ctypes.Structure):
    _fields_ = [("state", ctypes.c_int32), ("line", ctypes.c_int32), ("position", ctypes.c_double * 4),
                ("feed", ctypes.c_double), ("override_percent", ctypes.c_double), ("moves_sent", ctypes.c_uint64),
                ("underruns", ctypes.c_uint64), ("error", ctypes.c_int32)]


def _load() -> ctypes.CDLL:
    try:
        library = ctypes.CDLL("libktr4path.so.1")
    except OSError as error:
        raise ImportError(f"ktr4.path: libktr4path.so.1 cannot be loaded ({error}); "
                          "it comes with the package libktr4path1") from error
    p, i32, u32, dbl = ctypes.c_void_p, ctypes.c_int32, ctypes.c_uint32, ctypes.c_double
    pp, err = ctypes.POINTER(ctypes.c_void_p), ctypes.POINTER(_Error)
    table = {
        "ktr4path_load_machine": (i32, [ctypes.c_char_p, pp, err]),
        "ktr4path_free_machine": (None, [p]),
        "ktr4path_read_program": (i32, [p, ctypes.c_char_p, ctypes.POINTER(dbl), pp, err]),
        "ktr4path_free_program": (None, [p]),
        "ktr4path_program_move_count": (i32, [p, ctypes.POINTER(u32)]),
        "ktr4path_check_soft_limits": (i32, [p, p, err]),
        "ktr4path_plan_program": (i32, [p, p, u32, pp]),
        "ktr4path_plan_seconds": (i32, [p, ctypes.POINTER(dbl)]),
        "ktr4path_free_plan": (None, [p]),
        "ktr4path_run_start": (i32, [p, p, pp]),
        "ktr4path_run_progress": (i32, [p, ctypes.POINTER(_Progress)]),
        "ktr4path_run_hold": (i32, [p]),
        "ktr4path_run_resume": (i32, [p]),
        "ktr4path_run_set_override": (i32, [p, dbl]),
        "ktr4path_run_single_block": (i32, [p, i32]),
        "ktr4path_run_emergency_stop": (i32, [p]),
        "ktr4path_run_wait": (i32, [p, u32, ctypes.POINTER(i32)]),
        "ktr4path_run_free": (None, [p]),
        "ktr4path_error_text": (ctypes.c_char_p, [i32]),
    }
    for name, (result, args) in table.items():
        fn = getattr(library, name)
        fn.restype = result
        fn.argtypes = args
    return library


_lib = _load()


class PathError(Exception):
    """A ktr4path call failed.

    Attributes:
        code: the result code (2001.. for ktr4path's own, else the card library's).
        line: line of the machine file or program (from 1), 0 when the fault has no place.
        column: column (from 1), 0 when it has none.
        text: what went wrong.
    """

    def __init__(self, code: int, text: str = "", line: int = 0, column: int = 0) -> None:
        self.code = code
        self.line = line
        self.column = column
        self.text = text or _lib.ktr4path_error_text(code).decode()
        where = f" (line {line}, column {column})" if line else ""
        super().__init__(f"{self.text}{where} [{code}]")


def _check(code: int, error: Optional[_Error] = None) -> None:
    if code != 0:
        if error is not None:
            raise PathError(code, error.text.decode(errors="replace"), error.line, error.column)
        raise PathError(code)


class RunState(enum.IntEnum):
    """Where a run is (KTR4PATH_RUN_*)."""
    READY = 0
    RUNNING = 1
    HOLDING = 2
    HELD = 3
    PAUSED = 4
    DWELLING = 5
    FINISHED = 6
    STOPPED = 7
    FAILED = 8

    @property
    def over(self) -> bool:
        """Whether the run has ended (finished, stopped or failed)."""
        return self in (RunState.FINISHED, RunState.STOPPED, RunState.FAILED)


@dataclasses.dataclass(frozen=True)
class Progress:
    """A run's progress: state, program line, position (X, Y, Z mm, A degrees), feed (units per
    minute), override (%), card moves sent, underruns (times the card ran out of moves mid-path)
    and the failing card call's code when FAILED."""
    state: RunState
    line: int
    position: Tuple[float, float, float, float]
    feed: float
    override_percent: float
    moves_sent: int
    underruns: int
    error: int


class Machine:
    """A machine description (TOML, see man 7 ktr4path); use Machine.load, best as a context
    manager, or close() it."""

    def __init__(self, handle: ctypes.c_void_p) -> None:
        self._handle: Optional[ctypes.c_void_p] = handle

    @classmethod
    def load(cls, path: str) -> "Machine":
        """Reads and checks a machine file.

        Args:
            path: the TOML file.
        Raises:
            PathError: the file cannot be read or a value is missing, of the wrong type or out of
                range (line, column and a text naming the key, the value and the allowed range).
        """
        handle = ctypes.c_void_p()
        error = _Error()
        _check(_lib.ktr4path_load_machine(path.encode(), ctypes.byref(handle), ctypes.byref(error)), error)
        return cls(handle)

    @property
    def handle(self) -> ctypes.c_void_p:
        if self._handle is None:
            raise ValueError("the machine is closed")
        return self._handle

    def close(self) -> None:
        """Releases the machine (programs and runs made with it must be closed first)."""
        if self._handle is not None:
            _lib.ktr4path_free_machine(self._handle)
            self._handle = None

    def __enter__(self) -> "Machine":
        return self

    def __exit__(self, kind: Optional[Type[BaseException]], value: Optional[BaseException],
                 trace: Optional[TracebackType]) -> None:
        self.close()


class Program:
    """A part program read into canonical moves against a machine; use Program.read."""

    def __init__(self, handle: ctypes.c_void_p, machine: Machine) -> None:
        self._handle: Optional[ctypes.c_void_p] = handle
        self.machine = machine

    @classmethod
    def read(cls, machine: Machine, text: str, start: Optional[Sequence[float]] = None) -> "Program":
        """Reads a whole program; with any error nothing is kept.

        Args:
            machine: the machine it runs on.
            text: the program's lines.
            start: X, Y, Z (mm) and A (degrees) where the machine stands; None for all zero.
        Raises:
            ValueError: start does not hold four numbers.
            PathError: the program has an error (its line and column).
        """
        origin = None
        if start is not None:
            if len(start) != 4:
                raise ValueError("start: X, Y, Z and A, four numbers")
            origin = (ctypes.c_double * 4)(*start)
        handle = ctypes.c_void_p()
        error = _Error()
        _check(_lib.ktr4path_read_program(machine.handle, text.encode(), origin, ctypes.byref(handle),
                                          ctypes.byref(error)), error)
        return cls(handle, machine)

    @property
    def handle(self) -> ctypes.c_void_p:
        if self._handle is None:
            raise ValueError("the program is closed")
        return self._handle

    def __len__(self) -> int:
        count = ctypes.c_uint32()
        _check(_lib.ktr4path_program_move_count(self.handle, ctypes.byref(count)))
        return count.value

    def check_soft_limits(self) -> None:
        """Raises PathError (KTR4PATH_ERR_SOFT_LIMIT, with the line) when the program leaves a
        soft limit of its machine anywhere, arcs included."""
        error = _Error()
        _check(_lib.ktr4path_check_soft_limits(self.machine.handle, self.handle, ctypes.byref(error)), error)

    def close(self) -> None:
        """Releases the program."""
        if self._handle is not None:
            _lib.ktr4path_free_program(self._handle)
            self._handle = None

    def __enter__(self) -> "Program":
        return self

    def __exit__(self, kind: Optional[Type[BaseException]], value: Optional[BaseException],
                 trace: Optional[TracebackType]) -> None:
        self.close()


def plan_seconds(program: Program, lookahead: int = 256) -> float:
    """Plans the program for its machine and gives the seconds it takes (moves and dwells).

    Args:
        program: the program.
        lookahead: blocks of look-ahead, at least 128 (fewer count as 128).
    """
    plan = ctypes.c_void_p()
    _check(_lib.ktr4path_plan_program(program.machine.handle, program.handle, lookahead, ctypes.byref(plan)))
    seconds = ctypes.c_double()
    try:
        _check(_lib.ktr4path_plan_seconds(plan, ctypes.byref(seconds)))
    finally:
        _lib.ktr4path_free_plan(plan)
    return seconds.value


class Run:
    """A program running on the card, served by a thread of the library; use Run.start, best as a
    context manager (leaving it stops a run still moving at once)."""

    def __init__(self, handle: ctypes.c_void_p) -> None:
        self._handle: Optional[ctypes.c_void_p] = handle

    @classmethod
    def start(cls, machine: Machine, program: Program) -> "Run":
        """Starts the program on the card the machine names (ktr4.Library must be open).

        Raises:
            PathError: the axes are on more than one card (KTR4PATH_ERR_MACHINE, 2002), do not stand
                where the program starts (KTR4PATH_ERR_POSITION, 2006), or a card call failed (its code).
        """
        handle = ctypes.c_void_p()
        _check(_lib.ktr4path_run_start(machine.handle, program.handle, ctypes.byref(handle)))
        return cls(handle)

    @property
    def _h(self) -> ctypes.c_void_p:
        if self._handle is None:
            raise ValueError("the run is closed")
        return self._handle

    def progress(self) -> Progress:
        """The run's state, line, position and feed now."""
        p = _Progress()
        _check(_lib.ktr4path_run_progress(self._h, ctypes.byref(p)))
        return Progress(RunState(p.state), p.line, (p.position[0], p.position[1], p.position[2], p.position[3]),
                        p.feed, p.override_percent, p.moves_sent, p.underruns, p.error)

    def hold(self) -> None:
        """Feed hold: brakes to a stop on the path (HOLDING, then HELD)."""
        _check(_lib.ktr4path_run_hold(self._h))

    def resume(self) -> None:
        """Goes on after a hold, M0 or a single block's line."""
        _check(_lib.ktr4path_run_resume(self._h))

    def set_override(self, percent: float) -> None:
        """Feed override of G1/G2/G3 feeds.

        Args:
            percent: 10..200.
        Raises:
            ValueError: percent outside 10..200.
        """
        if not 10 <= percent <= 200:
            raise ValueError(f"percent: {percent} is outside 10..200")
        _check(_lib.ktr4path_run_set_override(self._h, float(percent)))

    def single_block(self, on: bool) -> None:
        """When on, the run stops (PAUSED) at the end of each program line until resume()."""
        _check(_lib.ktr4path_run_single_block(self._h, 1 if on else 0))

    def emergency_stop(self) -> None:
        """Stops every axis of the card at once and ends the run (STOPPED)."""
        _check(_lib.ktr4path_run_emergency_stop(self._h))

    def wait(self, timeout: float) -> RunState:
        """Waits until the run is over or `timeout` seconds (>= 0) have passed; gives the state."""
        if timeout < 0:
            raise ValueError("timeout: seconds, at least 0")
        state = ctypes.c_int32()
        _check(_lib.ktr4path_run_wait(self._h, int(timeout * 1000), ctypes.byref(state)))
        return RunState(state.value)

    def close(self) -> None:
        """Ends the run (a run still moving is stopped at once) and releases it."""
        if self._handle is not None:
            _lib.ktr4path_run_free(self._handle)
            self._handle = None

    def __enter__(self) -> "Run":
        return self

    def __exit__(self, kind: Optional[Type[BaseException]], value: Optional[BaseException],
                 trace: Optional[TracebackType]) -> None:
        self.close()
