"""Turns a declaration of the generated table into a Python function: inputs as arguments,
output pointers as return values (one value, or a named tuple of several), a non-zero result
code as an exception."""

import collections
import ctypes
import inspect
import math
import numbers

from . import _args
from ._library import ctype_of


# Range of each integer C type: ctypes would silently cut a larger Python int to the low bits,
# and a distance of 2**32 + 100 pulses must not become a move of 100.
_BOUNDS = {"int32_t": (-2**31, 2**31 - 1), "int64_t": (-2**63, 2**63 - 1), "uint64_t": (0, 2**64 - 1),
           "uint32_t": (0, 2**32 - 1), "uint16_t": (0, 2**16 - 1), "uint8_t": (0, 2**8 - 1),
           # 8- and 16-bit arguments are 32-bit slots: the library itself applies the low-bits rule.
           "ktr4_u8": (0, 2**32 - 1), "ktr4_u16": (0, 2**32 - 1), "KTR4_EVENT": (-2**31, 2**31 - 1)}
_SLOTS = {"ktr4_u8": "the library uses its low byte", "ktr4_u16": "the library uses its low 16 bits"}


def _checked_int(value, ctype, name, py_name):
    """An integer argument: any real number whose value is whole, within its C type."""
    low, high = _BOUNDS[ctype]
    if isinstance(value, numbers.Integral):
        number = int(value)
    elif isinstance(value, numbers.Real) and math.isfinite(value) and value == math.floor(value):
        number = int(value)
    elif isinstance(value, numbers.Real):
        raise ValueError(f"{py_name}: {name} must be a whole number ({ctype}, {low}..{high}), not {value!r}")
    else:
        raise TypeError(f"{py_name}: {name} must be an integer ({ctype}), not {type(value).__name__} ({value!r})")
    if not low <= number <= high:
        slot = f"; {_SLOTS[ctype]}" if ctype in _SLOTS else ""
        raise ValueError(f"{py_name}: {name} must be {low}..{high} ({ctype}{slot}), not {value!r}")
    return number


def _checked_real(value, name, py_name):
    if isinstance(value, numbers.Real):
        return float(value)
    raise TypeError(f"{py_name}: {name} must be a real number (double), not {type(value).__name__} ({value!r})")


def _camel(name):
    return "".join(part[:1].upper() + part[1:] for part in name.split("_"))


def make_function(fn, c_name, py_name, result, params, doc, *, module, check=None, structs=None,
                  make_callback=None, guard=None, convert=None):
    """A Python function calling `fn`, the ctypes function of `c_name`.

    check(code, c_name) is applied to an int32_t result when given; otherwise the result is
    returned (before the outputs, if any). make_callback(callable or None) gives the ctypes
    callback object for a callback argument and keeps it alive while the library may call it.
    guard(label), when given, runs before each call and may refuse it by raising. convert maps
    a parameter name to a function that turns its Python value into the C value first."""
    # A text the library writes into the caller's buffer: (char *text, uint32_t size).
    text_at = next((i for i, p in enumerate(params) if p[0] == "char" and p[2] and not p[3]), None)
    size_name = params[text_at + 1][1] if text_at is not None else None
    inputs = [p for p in params if not (p[2] and not p[3]) and p[1] != size_name]
    outputs = [p for p in params if p[2] and not p[3]]
    signature = inspect.Signature([inspect.Parameter(p[1], inspect.Parameter.POSITIONAL_OR_KEYWORD) for p in inputs])
    label = f"{module}.{py_name}"  # what argument errors name
    readback = collections.namedtuple(_camel(py_name), [p[1] for p in outputs]) if len(outputs) > 1 else None

    def call_once(bound, text_size):
        c_args, out_values = [], []
        for ctype, name, pointer, const in params:
            if name == size_name:
                c_args.append(text_size)
            elif ctype == "char" and pointer and not const:
                value = ctypes.create_string_buffer(text_size)
                out_values.append(value)
                c_args.append(value)
            elif pointer and not const:
                value = ctype_of(ctype, structs)()
                out_values.append(value)
                c_args.append(ctypes.byref(value))
            elif ctype == "char":
                c_args.append(_args.path(bound[name], f"{label}: {name}"))
            elif ctype == "KTR4_IRQ_CALLBACK":
                c_args.append(make_callback(bound[name]))
            elif ctype in _BOUNDS:
                c_args.append(_checked_int(bound[name], ctype, name, label))
            elif ctype == "double" and not pointer:
                c_args.append(_checked_real(bound[name], name, label))
            else:
                c_args.append(bound[name])
        return fn(*c_args), out_values

    def call(*args, **kwargs):
        bound = signature.bind(*args, **kwargs).arguments
        if guard is not None:
            guard(label)
        for name, to_c in (convert or {}).items():
            bound[name] = to_c(bound[name])
        text_size = 1024
        code, out_values = call_once(bound, text_size)
        # A text cut to the buffer (KTR4_ERR_RANGE with a full buffer): again with a larger one.
        while size_name and code == 302 and len(out_values[0].value) == text_size - 1 and text_size < 1 << 20:
            text_size *= 4
            code, out_values = call_once(bound, text_size)
        if check is not None:
            check(code, c_name)
            code = None
        elif isinstance(code, bytes):
            code = code.decode("utf-8", "replace")
        values = [v if isinstance(v, ctypes.Structure) else
                  v.value.decode("utf-8", "replace") if isinstance(v, ctypes.Array) else v.value for v in out_values]
        if readback is not None:
            values = [readback(*values)]
        if code is None:
            return values[0] if values else None
        return (code, *values) if values else code

    call.__name__ = call.__qualname__ = py_name
    call.__module__ = module
    call.__signature__ = signature
    call.__doc__ = f"{c_name}\n\n{doc}".rstrip()
    if readback is not None:
        call.readback = readback
    return call
