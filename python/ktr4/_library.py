"""Loads libktr4.so.1 and declares every export's ctypes types from the header's declarations."""

import ctypes
import os

from . import _header

# Interrupt callback: void (*)(uint8_t card). KTR4_CALL is empty on the platforms this runs on.
IRQ_CALLBACK = ctypes.CFUNCTYPE(None, ctypes.c_uint8)


def ctype_of(name, structs=None):
    """The ctypes type of a C type name of the headers."""
    if name == "KTR4_IRQ_CALLBACK":
        return IRQ_CALLBACK
    if structs and name in structs:
        return structs[name]
    if name == "char":
        return ctypes.c_char
    mapped = _TYPES[name]
    return None if mapped is None else getattr(ctypes, mapped)


_TYPES = {
    "void": None, "int32_t": "c_int32", "uint32_t": "c_uint32", "int64_t": "c_int64",
    "uint64_t": "c_uint64", "uint16_t": "c_uint16", "uint8_t": "c_uint8", "double": "c_double",
    # 8- and 16-bit arguments travel in 32-bit slots; the library looks at their low bits only.
    "ktr4_u8": "c_uint32", "ktr4_u16": "c_uint32", "KTR4_EVENT": "c_int",
}


def declare(library, table, structs=None):
    """Sets restype and argtypes of every function of a generated table on `library`."""
    for name, result, params in table:
        fn = getattr(library, name)
        if result == "constchar*":
            fn.restype = ctypes.c_char_p
        else:
            fn.restype = ctype_of(result)
        argtypes = []
        for ctype, _, pointer, _ in params:
            base = ctype_of(ctype, structs)
            argtypes.append(ctypes.c_char_p if ctype == "char" else ctypes.POINTER(base) if pointer else base)
        fn.argtypes = argtypes


def _load():
    try:
        library = ctypes.CDLL("libktr4.so.1")
    except OSError as error:
        raise ImportError(f"ktr4: the card library libktr4.so.1 cannot be loaded ({error}); "
                          "it comes with the package libktr4-1") from error
    declare(library, _header.FUNCTIONS)
    return library


lib = _load()


class _DlInfo(ctypes.Structure):
    _fields_ = [("dli_fname", ctypes.c_char_p), ("dli_fbase", ctypes.c_void_p),
                ("dli_sname", ctypes.c_char_p), ("dli_saddr", ctypes.c_void_p)]


def library_path():
    """The file libktr4.so.1 was loaded from."""
    info = _DlInfo()
    dladdr = ctypes.CDLL(None).dladdr
    dladdr.argtypes = [ctypes.c_void_p, ctypes.POINTER(_DlInfo)]
    if dladdr(ctypes.cast(lib.KTR4_initial, ctypes.c_void_p), ctypes.byref(info)) == 0 or not info.dli_fname:
        raise OSError("ktr4: cannot tell where libktr4.so.1 was loaded from")
    return os.fsdecode(info.dli_fname)
