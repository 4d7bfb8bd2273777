"""Turns a declaration of the generated table into a Python function: inputs as arguments,
output pointers as return values (one value, or a named tuple of several), a non-zero result
code as an exception."""

import collections
import ctypes
import inspect
import os

from ._library import IRQ_CALLBACK, ctype_of


def _camel(name):
    return "".join(part[:1].upper() + part[1:] for part in name.split("_"))


def make_function(fn, c_name, py_name, result, params, doc, *, module, check=None, structs=None,
                  keep_callback=None):
    """A Python function calling `fn`, the ctypes function of `c_name`.

    check(code, c_name) is applied to an int32_t result when given; otherwise the result is
    returned (before the outputs, if any). keep_callback(args, callback) keeps a ctypes
    callback object alive for as long as the library may call it."""
    inputs = [p for p in params if not (p[2] and not p[3])]
    outputs = [p for p in params if p[2] and not p[3]]
    signature = inspect.Signature([inspect.Parameter(p[1], inspect.Parameter.POSITIONAL_OR_KEYWORD) for p in inputs])
    readback = collections.namedtuple(_camel(py_name), [p[1] for p in outputs]) if len(outputs) > 1 else None

    def call(*args, **kwargs):
        bound = signature.bind(*args, **kwargs).arguments
        c_args, out_values = [], []
        for ctype, name, pointer, const in params:
            if pointer and not const:
                value = ctype_of(ctype, structs)()
                out_values.append(value)
                c_args.append(ctypes.byref(value))
            elif ctype == "char":
                c_args.append(os.fsencode(bound[name]))
            elif ctype == "KTR4_IRQ_CALLBACK":
                target = bound[name]
                callback = IRQ_CALLBACK(target) if target is not None else IRQ_CALLBACK()
                keep_callback(bound, callback)
                c_args.append(callback)
            else:
                c_args.append(bound[name])
        code = fn(*c_args)
        if check is not None:
            check(code, c_name)
            code = None
        elif isinstance(code, bytes):
            code = code.decode("utf-8", "replace")
        values = [v if isinstance(v, ctypes.Structure) else v.value for v in out_values]
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
