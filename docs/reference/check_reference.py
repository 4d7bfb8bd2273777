#!/usr/bin/env python3
"""Checks of the generated reference (run by ctest).

  check_reference.py pages MANDIR HTML ORDINALS HEADER...
      every export (the Windows ordinal table, an independent list) and every function of the
      headers has a man 3 page that names each of its parameters and each of its result codes,
      and an entry in the HTML reference, as has every constant
  check_reference.py warnings MANDIR
      man's formatter prints no warning for any page
  check_reference.py examples WORKDIR CC CFLAGS LIBS HEADER...
      every @code example and the overview's program compile and return 0 on the simulated card
"""

import os
import re
import subprocess
import sys

# No __pycache__ in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ktr4_docgen  # noqa: E402
import ktr4_reference  # noqa: E402


def pages(mandir, html_file, ordinals, headers):
    reference = ktr4_reference.parse_headers(headers)
    problems = []
    with open(ordinals, encoding="utf-8") as f:
        exports = [line.split()[1] for line in f if line.strip() and not line.startswith("#")]
    declared = [n for h in headers for n in ktr4_reference.undocumented_functions(h, ktr4_reference.Reference())]
    for name in sorted(set(exports) | set(declared)):
        if not os.path.exists(os.path.join(mandir, "man3", name + ".3")):
            problems.append("%s: no man 3 page" % name)
    for f in reference.functions:
        path = os.path.join(mandir, "man3", f.name + ".3")
        if not os.path.exists(path):
            continue
        text = open(path, encoding="utf-8").read()
        arguments = text.partition(".SH ARGUMENTS")[2].partition(".SH ")[0]
        results = text.partition(".SH RETURN VALUE")[2].partition(".SH ")[0]
        for p in f.params:
            if not p.doc:
                problems.append("%s: parameter %s is not documented" % (f.name, p.name))
            if not re.search(r"^\.I %s$" % re.escape(p.name), arguments, re.M):
                problems.append("%s: the page does not name parameter %s" % (f.name, p.name))
        if f.return_type == "int32_t" and f.header == "ktr4.h" and not f.retvals:
            problems.append("%s: no result codes documented" % f.name)
        for code, _ in f.retvals:
            if not re.search(r"^\.B %s$" % re.escape(code), results, re.M):
                problems.append("%s: the page does not name result %s" % (f.name, code))
        if f.header == "ktr4.h" and f.return_type == "int32_t":
            codes = {c for c, _ in f.retvals}
            for needed in ["KTR4_OK"] + (["KTR4_ERR_CARD", "KTR4_ERR_NOT_INITIALISED"] if f.params and f.params[0].name == "card" else []):
                if needed not in codes:
                    problems.append("%s: result %s not documented" % (f.name, needed))
    with open(html_file, encoding="utf-8") as f:
        anchors = set(re.findall(r'id="([^"]+)"', f.read()))
    for name in [f.name for f in reference.functions] + [d.name for d in reference.defines] + exports:
        if name not in anchors:
            problems.append("%s: not in the HTML reference" % name)
    if not os.path.exists(os.path.join(mandir, "man7", "ktr4.7")):
        problems.append("ktr4(7): no overview page")
    if not os.path.exists(os.path.join(mandir, "man7", "ktr4sim.7")):
        problems.append("ktr4sim(7): no page of the simulated machine")
    return problems


def warnings(mandir):
    """groff with man's own settings (-k preconv, -t tbl, -man, -ww all warnings) over every page
    in one run, which names the file of each warning; then `man --warnings -l` itself on the
    overview and one function page (one man run per page would take minutes)."""
    problems = []
    env = dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8")
    paths = [os.path.join(mandir, s, n) for s in ("man3", "man7") for n in sorted(os.listdir(os.path.join(mandir, s)))]
    run = subprocess.run(["groff", "-k", "-t", "-man", "-ww", "-z", "-Tutf8"] + paths, env=env,
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if run.returncode != 0 or run.stderr.strip():
        problems.append("groff: %s" % (run.stderr.strip() or "failed"))
    for path in (os.path.join(mandir, "man7", "ktr4.7"), os.path.join(mandir, "man3", "KTR4_T_curve_position_move.3")):
        run = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", path], env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if run.returncode != 0 or run.stderr.strip():
            problems.append("man %s: %s" % (path, run.stderr.strip() or "failed"))
    print("%d pages checked" % len(paths))
    return problems


def examples(workdir, cc, cflags, libs, headers):
    reference = ktr4_reference.parse_headers(headers)
    sources = ktr4_docgen.write_examples(workdir, reference)
    sources.append(os.path.join(ktr4_docgen.HERE, "getting_started.c"))
    if len(sources) < 2:
        return ["no examples found"]
    problems = []
    for source in sources:
        name = os.path.splitext(os.path.basename(source))[0]
        program = os.path.join(workdir, name)
        build = subprocess.run([cc, "-std=c11", "-D_DEFAULT_SOURCE", "-Wall", "-Wextra", "-Werror"] + cflags.split()
                               + [source, "-o", program] + libs.split(), stderr=subprocess.PIPE, text=True)
        if build.returncode != 0:
            problems.append("%s: does not compile:\n%s" % (name, build.stderr))
            continue
        try:
            run = subprocess.run([program], cwd=workdir, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                 text=True, timeout=60)
            if run.returncode != 0:
                problems.append("%s: returned %d\n%s" % (name, run.returncode, run.stdout))
        except subprocess.TimeoutExpired:
            problems.append("%s: did not end within 60 s" % name)
    print("%d examples compiled and run" % len(sources))
    return problems


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    if argv[1] == "pages":
        problems = pages(argv[2], argv[3], argv[4], argv[5:])
    elif argv[1] == "warnings":
        problems = warnings(argv[2])
    elif argv[1] == "examples":
        problems = examples(argv[2], argv[3], argv[4], argv[5], argv[6:])
    else:
        sys.exit(__doc__)
    for p in problems:
        print(p)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main(sys.argv)
