"""The reference text of each declaration, as the docstring of its Python function: its
reference comment (`/** ... */`, read by docs/reference/ktr4_reference.py, the parser the
manual pages are made with) as summary, description, parameters, result codes, notes, example."""

import importlib.util
import os
import textwrap

_WIDTH = 88

# The exception each result code raises (ktr4/errors.py).
_EXCEPTIONS = {"KTR4_ERR_NOT_INITIALISED": "ktr4.CardNotFoundError", "KTR4_ERR_CARD": "ktr4.CardNotFoundError",
               "KTR4_ERR_AXIS": "ktr4.OutOfRangeError", "KTR4_ERR_RANGE": "ktr4.OutOfRangeError",
               "KTR4_ERR_MOVING": "ktr4.AxisMovingError", "KTR4_ERR_DRIVER_LOAD": "ktr4.DriverError",
               "KTR4_ERR_DRIVER_OPERATION": "ktr4.DriverError"}


def _load_parser(reference_dir):
    path = os.path.join(reference_dir, "ktr4_reference.py")
    loader_spec = importlib.util.spec_from_file_location("ktr4_reference", path)
    module = importlib.util.module_from_spec(loader_spec)
    loader_spec.loader.exec_module(module)
    return module


def _wrap(text):
    return textwrap.fill(" ".join(text.split()), _WIDTH)


def _entry(label, text):
    return textwrap.fill(" ".join(text.split()), _WIDTH, initial_indent=f"    {label}: ", subsequent_indent="        ")


def render(function):
    """A docstring from a function of the reference parser."""
    parts = [_wrap(function.brief)] if function.brief else []
    for paragraph in function.details:
        items = [line[2:] for line in paragraph.splitlines() if line.startswith("- ")]
        if items and len(items) == len(paragraph.splitlines()):
            parts.append("\n".join(textwrap.fill(" ".join(item.split()), _WIDTH, initial_indent="- ",
                                                subsequent_indent="  ") for item in items))
        else:
            parts.append(_wrap(paragraph))
    documented = [p for p in function.params if p.doc]
    if documented:
        lines = ["Parameters:"]
        for p in documented:
            output = "*" in p.ctype and not p.ctype.startswith("const")
            lines.append(_entry(f"{p.name} (returned)" if output else p.name, p.doc))
        parts.append("\n".join(lines))
    raised = [(code, when) for code, when in function.retvals if code not in ("KTR4_OK", "0")]
    if raised and function.name.startswith("KTR4_"):
        parts.append("\n".join(["Raises (the result code is the exception's `code`):"] +
                               [_entry(f"{_EXCEPTIONS.get(code, 'ktr4.Error')} ({code})" if code != "other" else
                                       "ktr4.DriverError (a driver's own code)", when) for code, when in raised]))
    elif function.retvals:
        parts.append("\n".join(["Returns:"] + [_entry(code, when) for code, when in function.retvals]))
    parts.extend(_wrap(f"Note: {note}") for note in function.notes)
    if function.example:
        parts.append("Example (C):\n" + textwrap.indent(function.example.rstrip(), "    "))
    if function.see:
        parts.append("See also: " + ", ".join(function.see))
    return "\n\n".join(parts)


def texts(header_path, functions, reference_dir):
    """{C name: docstring text} for the functions header.parse read from `header_path`."""
    documented = {f.name: f for f in _load_parser(reference_dir).parse_header(header_path).functions}
    missing = [f.name for f in functions if f.name not in documented]
    if missing:
        raise ValueError(f"{header_path}: no reference comment for {', '.join(missing)}")
    return {f.name: render(documented[f.name]) for f in functions}
