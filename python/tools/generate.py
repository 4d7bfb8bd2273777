"""Writes ktr4/_header.py: the declarations, constants and reference texts of ktr4.h and
ktr4sim.h as Python data, from which the package builds its ctypes functions and docstrings;
and beside it ktr4/codes.py, the card's codes as enum classes (tools/codes.py), and the type
stubs of the generated functions, api.pyi and _simapi.pyi (tools/stubs.py).

Usage: generate.py KTR4_H KTR4SIM_H OUTPUT REFERENCE_DIR
REFERENCE_DIR holds ktr4_reference.py, the parser the manual pages are made with: the
docstrings are the reference comments it reads, so help() and the manual pages say the same."""

import os
import pprint
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import codes  # noqa: E402
import header  # noqa: E402
import reference  # noqa: E402
import stubs  # noqa: E402


def function_table(functions):
    table = []
    for f in functions:
        if f.result.rstrip("*") not in header.SCALARS and f.result != "constchar*":
            raise ValueError(f"{f.name}: result type {f.result} is not known to the binding")
        for p in f.params:
            if p.ctype not in header.SCALARS and not p.ctype.startswith("ktr4sim_") and p.ctype != "char":
                raise ValueError(f"{f.name}: parameter type {p.ctype} is not known to the binding")
        table.append((f.name, f.result, tuple((p.ctype, p.name, p.pointer, p.const) for p in f.params)))
    return table


def main(argv):
    ktr4_h, sim_h, output, reference_dir = argv[1:5]
    with open(ktr4_h, encoding="utf-8") as f:
        ktr4_text = f.read()
    functions, defines, _ = header.parse(ktr4_text)
    with open(sim_h, encoding="utf-8") as f:
        sim_functions, sim_defines, sim_structs = header.parse(f.read())
    # The kinds of move live beside the scope's segment layout, in ktr4sim_scope.h.
    scope_h = os.path.join(os.path.dirname(sim_h), "ktr4sim_scope.h")
    with open(scope_h, encoding="utf-8") as f:
        sim_defines += [d for d in header.parse(f.read())[1] if d.name.startswith("KTR4SIM_MOVE_")]
    names = [header.python_name(f.name) for f in functions]
    clashes = {n for n in names if names.count(n) > 1}
    if clashes:
        raise ValueError(f"exports with the same Python name: {sorted(clashes)}")

    docs = reference.texts(ktr4_h, functions, reference_dir)
    sim_docs = reference.texts(sim_h, sim_functions, reference_dir)
    data = {
        "FUNCTIONS": function_table(functions),
        "DEFINES": [(d.name, d.value) for d in defines],
        "DOCS": docs,
        "SIM_FUNCTIONS": function_table(sim_functions),
        "SIM_DEFINES": [(d.name, d.value) for d in sim_defines],
        "SIM_STRUCTS": [(s.name, tuple(s.fields)) for s in sim_structs],
        "SIM_DOCS": sim_docs,
        "SIM_ANSWERS": sorted(stubs.SIM_ANSWERS),
        "SIM_FLAGS": sorted(stubs.SIM_FLAGS),
        "SIM_BY_HAND": sorted(stubs.SIM_BY_HAND),
    }
    text = ['"""Generated from ktr4.h and ktr4sim.h when the package was built; do not edit."""\n']
    for name, value in data.items():
        text.append(f"{name} = {pprint.pformat(value, width=110, sort_dicts=False)}\n")
    folder = os.path.dirname(os.path.abspath(output))
    os.makedirs(folder, exist_ok=True)
    _write(output, "\n".join(text))
    _write(os.path.join(folder, "codes.py"),
           codes.source([(d.name, d.value) for d in defines], header.define_docs(ktr4_text)))
    _write(os.path.join(folder, "api.pyi"), stubs.api_stub(data["FUNCTIONS"]))
    _write(os.path.join(folder, "_simapi.pyi"),
           stubs.sim_stub(data["SIM_FUNCTIONS"], data["SIM_STRUCTS"], data["SIM_DEFINES"]))


def _write(path, text):
    with open(path + ".tmp", "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(path + ".tmp", path)


if __name__ == "__main__":
    main(sys.argv)
