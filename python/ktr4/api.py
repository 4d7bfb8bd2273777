"""Every export of ktr4.h as a Python function of the same name without its KTR4_ prefix, in
lower case: KTR4_T_curve_position_move is api.t_curve_position_move. Arguments keep their C
names and order; output pointers become the return value (one value, or a named tuple of
several, e.g. api.readback_sd_pin(0, 0).state); a non-zero result raises ktr4.Error.

Integer arguments are passed as the C slots take them: the library looks only at the low byte
(cards, axes, modes) or low 16 bits of a slot, so card 0x105 is card 5, as in C."""

import threading

from . import _header
from ._library import IRQ_CALLBACK, lib
from ._wrap import make_function
from .errors import check

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


__all__ = []
for _c_name, _result, _params in _header.FUNCTIONS:
    _name = _c_name[len("KTR4_"):].lower()
    globals()[_name] = make_function(getattr(lib, _c_name), _c_name, _name, _result, _params,
                                     _header.DOCS.get(_c_name, ""),
                                     check=check if _result == "int32_t" else None, make_callback=_make_callback,
                                     module=__name__)
    __all__.append(_name)

_close = close  # noqa: F821 (made above)


def close():  # noqa: F811
    _close()
    _release_callbacks()  # KTR4_close has joined every service thread


close.__doc__ = _close.__doc__
close.__signature__ = _close.__signature__
