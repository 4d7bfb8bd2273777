"""Every export of ktr4.h as a Python function of the same name without its KTR4_ prefix, in
lower case: KTR4_T_curve_position_move is api.t_curve_position_move. Arguments keep their C
names and order; output pointers become the return value (one value, or a named tuple of
several, e.g. api.readback_sd_pin(0, 0).state); a non-zero result raises ktr4.Error.

Integer arguments are passed as the C slots take them: the library looks only at the low byte
(cards, axes, modes) or low 16 bits of a slot, so card 0x105 is card 5, as in C. They take any
real number whose value is whole (5000.0); another value raises ValueError or TypeError naming
the C parameter. Calls while the library is closed raise LibraryClosedError."""

import threading

from . import _header
from ._library import IRQ_CALLBACK, lib
from ._wrap import make_function
from .errors import LibraryClosedError, check

# Callback objects the library may still call. A replaced callback can be running on its
# service thread; only KTR4_close joins those threads, so every object lives until then.
_callbacks = []
_callbacks_lock = threading.Lock()
_service = threading.local()  # `running` while a callback runs on this thread


def _make_callback(target):
    callback = IRQ_CALLBACK(_serving(target)) if target is not None else IRQ_CALLBACK()
    with _callbacks_lock:
        _callbacks.append(callback)
    return callback


def _release_callbacks():
    # KTR4_close called from a callback returns with that callback still running: its object
    # must outlive it, so the objects are released by a later close from another thread.
    if getattr(_service, "running", False):
        return
    with _callbacks_lock:
        _callbacks.clear()


def _serving(target):
    """`target` as run on a service thread, marked so that a close inside it keeps its object."""
    def serve(card):
        _service.running = True
        try:
            target(card)
        finally:
            _service.running = False
    return serve


class _State:
    open = False  # between a successful KTR4_initial and KTR4_close


def is_open():
    """Whether the library is open: initial() succeeded and close() was not called since."""
    return _State.open


def _require_open(label):
    if not _State.open:
        raise LibraryClosedError(label)


# Calls that need no open library (or open and close it).
_UNGUARDED = {"KTR4_initial", "KTR4_close", "KTR4_error_text", "KTR4_driver_load_error"}

__all__ = ["is_open"]
for _c_name, _result, _params in _header.FUNCTIONS:
    _name = _c_name[len("KTR4_"):].lower()
    globals()[_name] = make_function(getattr(lib, _c_name), _c_name, _name, _result, _params,
                                     _header.DOCS.get(_c_name, ""),
                                     check=check if _result == "int32_t" else None, make_callback=_make_callback,
                                     module=__name__, guard=None if _c_name in _UNGUARDED else _require_open)
    __all__.append(_name)

_initial, _close = initial, close  # noqa: F821 (made above)


def initial():  # noqa: F811
    _initial()
    _State.open = True


def close():  # noqa: F811
    _State.open = False
    _close()
    _release_callbacks()  # KTR4_close has joined every service thread


for _made, _c in ((initial, _initial), (close, _close)):
    _made.__doc__, _made.__signature__ = _c.__doc__, _c.__signature__
