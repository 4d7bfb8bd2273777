#!/usr/bin/env python3
"""Generates the ktr4 reference from the headers' reference comments.

  ktr4_docgen.py man  OUTDIR VERSION HEADER...   man3/<function>.3 for every function, man7/ktr4.7,
                                                 man7/ktr4-card.7 (from ktr4_card.txt)
  ktr4_docgen.py html OUTDIR VERSION HEADER...   index.html: every function, type and constant;
                                                 ktr4-card.html
  ktr4_docgen.py examples OUTDIR HEADER...       <function>.c: each @code example as a program
  ktr4_docgen.py path-man OUTDIR VERSION HEADER  the part-program library ktr4path.h: man3 pages,
                                                 man7/ktr4path.7

Why a generator of our own and not Doxygen: Doxygen's man output is one page per group or
file, and its per-function pages are only links to that page, while a C reference wants one
page per function (man 3 KTR4_T_curve_position_move). The comments stay Doxygen-style, so
Doxygen can still read them. Standard library only.
"""

import gzip
import html
import os
import re
import sys

# No __pycache__ in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ktr4_reference as ref  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))

# How an @code example becomes a program: the example is the body of a function that returns
# 0 when it behaved as shown; it runs after KTR4_initial and KTR4_init_card(0) succeeded, on
# the simulated card (card 0, switch 0).
EXAMPLE_NOTE = ("The example is the body of a function returning int: 0 when the outcome is as shown. "
                "It runs after KTR4_initial() and KTR4_init_card(0) succeeded, with <ktr4.h>, <ktr4sim.h>, "
                "<stdio.h>, <string.h> and <unistd.h> included; the reference's build compiles and runs "
                "every example this way on the simulated card and checks that it returns 0.")

EXAMPLE_PROGRAM = """\
/* {name}: the example of its reference page, as a program. */
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <ktr4.h>
#include <ktr4sim.h>

static int example(void) {{
{body}}}

int main(void) {{
  if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK) return 2;
  int rc = example();
  KTR4_emg_stop(0);
  KTR4_close();
  return rc;
}}
"""

HEADERS_OF = {"ktr4.h": "ktr4", "ktr4io.h": "ktr4io", "ktr4sim.h": "ktr4sim", "ktr4path.h": "ktr4path"}
# The overview page (section 7) of each header's functions.
OVERVIEW_OF = {"ktr4path.h": "ktr4path"}
# ktr4path's examples are fragments of one program: they are shown, not run.
PATH_EXAMPLE_NOTE = ("The example is a fragment: machine, program, plan and run are the objects that "
                     "ktr4path_load_machine, ktr4path_read_program, ktr4path_plan_program and "
                     "ktr4path_run_start make, as their pages show; <stdio.h> is included.")
LINK_OF = {"ktr4.h": "Link with -lktr4 (pkg-config ktr4, or find_package(ktr4) and ktr4::ktr4).",
           "ktr4io.h": "Implemented by a driver library, not by ktr4; ktr4 loads it (see ktr4(7), DRIVER LOADING).",
           "ktr4path.h": "Link with -lktr4path (pkg-config ktr4path); it uses libktr4's public API.",
           "ktr4sim.h": "Link with -lktr4sim (pkg-config ktr4sim, or find_package(ktr4) and ktr4::sim)."}


# ---------------------------------------------------------------------------- man

def man_escape(text):
    text = text.replace("\\", "\\e")
    text = text.replace("-", "\\-")
    # Digit groups ("6 553 500") stay on one line.
    return re.sub(r"(?<=\d) (?=\d{3}\b)", "\\\\~", text)


def man_lines(text):
    """Escaped text, one output line per input line, safe from control characters."""
    out = []
    for line in man_escape(text).split("\n"):
        if line.startswith((".", "'")):
            line = "\\&" + line
        out.append(line)
    return out


def table_rows(paragraph):
    """The rows of a table paragraph (its first line starts with "|"), each a list of cells, or
    None. A row starts with "|" and ends with "|"; it may go on over several lines, so a long row
    keeps within the header's line length."""
    lines = paragraph.split("\n")
    if not lines[0].lstrip().startswith("|"):
        return None
    rows, pending = [], ""
    for line in lines:
        pending = (pending + " " + line.strip()).strip()
        if pending.endswith("|") and len(pending) > 1:
            rows.append([c.strip() for c in pending[1:-1].split("|")])
            pending = ""
    if pending:
        rows.append([c.strip() for c in pending.strip("|").split("|")])
    width = max(len(r) for r in rows)
    return [r + [""] * (width - len(r)) for r in rows]


def man_table(rows):
    """A tbl table: the first row is the header; the first two columns (a code and its name) stay
    on one line, the others wrap."""
    width = len(rows[0])
    wraps = [j >= 2 or (width == 2 and j == 1) for j in range(width)]
    layout = " ".join("lx" if w else "l" for w in wraps)
    # Left-adjusted: narrow wrapped columns cannot be justified.
    out = [".ad l", ".TS", "tab(@);", layout.replace("l", "lb"), layout + "."]

    def cell(text, wrap):
        escaped = "\n".join(man_lines(text)) if text else "\\&"
        return "T{\n%s\nT}" % escaped if wrap else escaped.replace("@", "\\(at")

    for i, row in enumerate(rows):
        out.append("@".join(cell(c, wraps[j]) for j, c in enumerate(row)))
        if i == 0:
            out.append("_")
    out += [".TE", ".ad"]
    return out


def man_paragraph(paragraph):
    """A paragraph: its "- " lines (continued by indented lines) become a bulleted list, a
    paragraph of "|" rows a table."""
    rows = table_rows(paragraph)
    if rows:
        return [".PP"] + man_table(rows)
    out, prose, item = [], [], None

    def flush():
        nonlocal prose, item
        if prose:
            out.extend([".PP"] + man_lines(" ".join(prose)))
        if item is not None:
            out.extend([".IP \\(bu 2"] + man_lines(item))
        prose, item = [], None

    for line in paragraph.split("\n"):
        if line.startswith("- "):
            flush()
            item = line[2:].strip()
        elif item is not None and line.startswith("  "):
            item += " " + line.strip()
        else:
            if item is not None:
                flush()
            prose.append(line.strip())
    flush()
    return out


def synopsis(f):
    """The declaration, one parameter per line when it would not fit in 78 columns."""
    head = "%s%s%s(" % (f.return_type, "" if f.return_type.endswith("*") else " ", f.name)
    params = ["%s%s%s" % (p.ctype, "" if p.ctype.endswith("*") else " ", p.name) for p in f.params] or ["void"]
    if len(head) + len(", ".join(params)) + 2 <= 78:
        chunks = [head + ", ".join(params) + ");"]
    else:
        pad = " " * len(head)
        chunks = [head + params[0] + ","] + [pad + q + "," for q in params[1:-1]] + [pad + params[-1] + ");"]
    out = []
    for chunk in chunks:
        line = man_escape(chunk).replace("\\-", "-")
        line = line.replace(f.name + "(", "\\fB%s\\fP(" % f.name, 1)
        for p in f.params:
            line = re.sub(r"([ *])%s([,)])" % re.escape(p.name), r"\1\\fI%s\\fP\2" % p.name, line)
        out.append(line)
    return "\n".join(out)


def see_also(names, exclude):
    out = []
    for n in names:
        if n != exclude and n not in out:
            out.append(n)
    return out


def card_codes(reference):
    return {d.name for d in reference.defines if d.group == "cardcodes"}


def names_card_code(f, reference):
    """Whether a function's text names one of the card's codes (group "cardcodes")."""
    text = " ".join(f.details + [p.doc for p in f.params] + [f.brief])
    return any(re.search(r"\b%s\b" % n, text) for n in card_codes(reference))


def man_page(f, version, reference):
    group = {g.id: g for g in reference.groups}.get(f.group)
    lines = ['.TH %s 3 "" "ktr4 %s" "ktr4 reference"' % (f.name, version),
             ".SH NAME", "%s \\- %s" % (f.name, man_escape(f.brief.rstrip("."))),
             ".SH SYNOPSIS", ".nf", ".B #include <%s>" % f.header, ".PP", synopsis(f), ".fi", ".PP"]
    lines += man_lines(LINK_OF.get(f.header, ""))
    lines += [".SH DESCRIPTION"] + man_lines(f.brief)
    for para in f.details:
        lines += man_paragraph(para)
    if f.params:
        lines += [".SH ARGUMENTS"]
        for p in f.params:
            lines += [".TP", ".I %s" % p.name] + man_lines(p.doc or "(see the description)")
    lines += [".SH RETURN VALUE"]
    if f.retvals:
        for code, when in f.retvals:
            lines += [".TP", ".B %s" % code] + man_lines(when)
    else:
        lines += man_lines("None." if f.return_type == "void" else "As described above.")
    if f.notes:
        lines += [".SH NOTES"]
        for n in f.notes:
            lines += [".PP"] + man_lines(n)
    overview = OVERVIEW_OF.get(f.header, "ktr4")
    if f.example:
        note = PATH_EXAMPLE_NOTE if overview == "ktr4path" else EXAMPLE_NOTE
        lines += [".SH EXAMPLE"] + man_lines(note) + [".PP", ".in +4n", ".EX"]
        lines += man_lines(f.example.rstrip("\n"))
        lines += [".EE", ".in"]
    if group is not None:
        lines += [".SH TOPIC"] + man_lines("%s: see %s(7)." % (group.title, overview))
    extra = ["ktr4-card"] if group is not None and names_card_code(f, reference) else []
    names = see_also(f.see + [overview] + extra, f.name)
    lines += [".SH SEE ALSO"]
    refs = ["%s (%d)" % (n, 7 if n in ("ktr4", "ktr4-card", "ktr4path") else 3) for n in names]
    lines += [".BR %s%s" % (r, "," if i < len(refs) - 1 else "") for i, r in enumerate(refs)]
    return "\n".join(lines) + "\n"


def codes_table(reference):
    lines = [".TS", "tab(|);", "lb lb l", "l l lx.", "Name|Code|Meaning"]
    for d in reference.codes():
        lines.append("%s|%s|T{\n%s\nT}" % (d.name, d.value, "\n".join(man_lines(" ".join([d.brief] + d.details)))))
    lines.append(".TE")
    return lines


def overview_page(version, reference):
    with open(os.path.join(HERE, "getting_started.c"), encoding="utf-8") as f:
        program = f.read()
    L = ['.TH ktr4 7 "" "ktr4 %s" "ktr4 reference"' % version, ".SH NAME",
         "ktr4 \\- function library of the KTR4 four\\-axis pulse\\-train motion\\-control card",
         ".SH SYNOPSIS", ".nf", ".B #include <ktr4.h>", ".fi", ".PP"]
    L += man_lines("cc prog.c $(pkg-config --cflags --libs ktr4)   or, in CMake, find_package(ktr4) and ktr4::ktr4.")
    L += [".SH DESCRIPTION"]
    L += man_lines("ktr4 drives up to 16 cards of four axes each through a plain C interface. Each function has a "
                   "page of its own in section 3 (man 3 KTR4_T_curve_position_move); this page is the overview. "
                   "The same reference, every function and constant on one page, is installed as HTML in "
                   "/usr/share/doc/libktr4-dev/html/index.html.")
    for g in reference.groups:
        if g.header != "ktr4.h" or g.id in ("codes",):
            continue
        L += [".SS %s" % man_escape(g.title)]
        for para in g.details:
            L += man_paragraph(para)
    L += [".SH GETTING STARTED"]
    L += man_lines("Call KTR4_initial once, KTR4_init_card for each card, then configure and move; every function "
                   "returns a result code, KTR4_error_text gives it as text. Moves return at once: wait for the end "
                   "with KTR4_read_motion_status. This program runs as it is on the simulated card "
                   "(the reference's build runs it):")
    L += [".PP", ".in +4n", ".EX"] + man_lines(program.rstrip("\n")) + [".EE", ".in"]
    L += [".SH RESULT CODES"]
    L += man_lines("Every function returns one of these, or a failure code of the card driver passed through "
                   "unchanged. When a driver call fails, the code of the first failure is returned, and a read "
                   "whose driver call failed leaves your variable untouched.")
    L += codes_table(reference)
    L += [".SH THREADS"]
    L += man_lines("Every function takes one process-wide lock, so calls from several threads are serialised by "
                   "the library. Interrupt callbacks run on a service thread per card, without the lock held. "
                   "The pulser follower runs on a thread of its own from KTR4_initial until KTR4_close. "
                   "KTR4_error_text takes no lock.")
    L += [".SH DRIVER LOADING"]
    L += man_lines("ktr4 reaches the card only through a driver library (ktr4io.h describes its operations), "
                   "loaded at the first KTR4_initial: on POSIX the file named by KTR4IO_LIBRARY, by default the "
                   "simulated card libktr4sim.so installed beside libktr4; on Windows KTR4IO.dll. If it cannot "
                   "be loaded KTR4_initial returns KTR4_ERR_DRIVER_LOAD (900), if it lacks an operation "
                   "KTR4_ERR_DRIVER_OPERATION (901); KTR4_driver_load_error then gives the file tried and the "
                   "system's reason.")
    L += [".SH THE SIMULATED CARD"]
    L += man_lines("libktr4sim is a driver whose cards really move: a move runs for the time it would take on the "
                   "card, the positions, speeds and status flags follow it. Programs use it unchanged; "
                   "ktr4sim.h adds functions for tests (ktr4sim_set_home, ktr4sim_use_virtual_clock, "
                   "ktr4sim_fail, ...). Its axes have no HOME sensor until ktr4sim_set_home gives them one, so "
                   "an origin return without one runs until it is stopped. Its own failure codes are 1001..1004 "
                   "(see RESULT CODES).")
    L += [".SH PYTHON"]
    L += man_lines("The package python3-ktr4 gives Python programs the same library (import ktr4; help(ktr4)), "
                   "for Debian's interpreter /usr/bin/python3 only. Another interpreter (a virtual environment, "
                   "pyenv, a Python built by hand) does not look in Debian's dist-packages, so there import ktr4 "
                   "fails with ModuleNotFoundError. Give it the binding as a pure-Python wheel, built offline "
                   "from a build tree with Debian's python3-build: python3 -m build --no-isolation --wheel "
                   "build/python, then python -m pip install --no-index ktr4-*.whl. The wheel finds "
                   "libktr4.so.1 through the system's loader like any library. "
                   "/usr/share/doc/python3-ktr4/README.md says more; examples are in "
                   "/usr/share/doc/python3-ktr4/examples.")
    L += [".SH ENVIRONMENT"]
    env = [("KTR4IO_LIBRARY", "The driver library to load (POSIX); default libktr4sim.so beside libktr4."),
           ("KTR4SIM_CARDS", "Simulated card: the cards present, a comma-separated list of card number switch "
                             "settings (\"0,3\"; \"\" or \"none\" for no card); default one card, number 0."),
           ("KTR4SIM_SCOPE", "Simulated card: when set, the live state is published for ktr4-scope(1) to show."),
           ("KTR4SIM_RECORD", "Simulated card: KTR4SIM_RECORD=file records the run to that file; ktr4-plot FILE "
                              "draws it, so you can plot your own program's motion."),
           ("KTR4SIM_MACHINE", "Simulated card: KTR4SIM_MACHINE=file gives its axes a machine (HOME, index, EL, SD, "
                               "ALM, INP, LTC, encoder) described in that file; see ktr4sim(7).")]
    for name, text in env:
        L += [".TP", ".B %s" % name] + man_lines(text)
    L += [".SH FUNCTIONS"]
    for g in reference.groups:
        fs = [f for f in reference.functions if f.group == g.id]
        if not fs:
            continue
        L += [".SS %s" % man_escape(g.title)]
        for f in fs:
            L += [".TP", ".BR %s (3)" % f.name] + man_lines(f.brief)
    L += [".SH EXAMPLES"] + man_lines(EXAMPLE_NOTE)
    L += man_lines("More complete programs are installed in /usr/share/doc/libktr4-dev/examples.")
    L += [".SH THE CARD'S CODES"]
    L += man_lines("The modes, pin settings, point numbers and the bits of the event, error and status words that "
                   "the card takes and reports have names in <ktr4.h> (KTR4_HOME_ORG_EZ, KTR4_CMP_EQUAL, "
                   "KTR4_ERROR_EL_PLUS, ...). Each function's page has the table of its codes; ktr4-card(7) has "
                   "them all, with when each bit is set and how it is cleared.")
    L += [".SH SEE ALSO", ".BR ktr4-card (7),", ".BR KTR4_initial (3),", ".BR KTR4_error_text (3),",
          ".BR ktr4-plot (1)"]
    return "\n".join(L) + "\n"


CARD_PAGE = os.path.join(HERE, "ktr4_card.txt")


def read_card_page(path=CARD_PAGE):
    """ktr4_card.txt: (name, brief, [(level, title, [paragraph, ...]), ...]); level 1 is a
    section ("== "), 2 a subsection ("=== ")."""
    name = brief = ""
    sections = []
    paragraph = []

    def flush():
        if paragraph and sections:
            sections[-1][2].append("\n".join(paragraph))
        paragraph.clear()

    with open(path, encoding="utf-8") as f:
        for line in f.read().split("\n"):
            if line.startswith("#"):
                continue
            if line.startswith("NAME "):
                name = line[5:].strip()
            elif line.startswith("BRIEF "):
                brief = line[6:].strip()
            elif line.startswith("=== ") or line.startswith("== "):
                flush()
                level = 2 if line.startswith("=== ") else 1
                sections.append((level, line.split(" ", 1)[1].strip(), []))
            elif not line.strip():
                flush()
            else:
                paragraph.append(line.rstrip())
    flush()
    return name, brief, sections


def card_man_page(version):
    name, brief, sections = read_card_page()
    L = ['.TH %s 7 "" "ktr4 %s" "ktr4 reference"' % (name, version), ".SH NAME",
         "%s \\- %s" % (man_escape(name), man_escape(brief)), ".SH SYNOPSIS", ".nf", ".B #include <ktr4.h>", ".fi"]
    for level, title, paragraphs in sections:
        if title == "See also":
            continue
        L.append(".SH %s" % man_escape(title.upper()) if level == 1 else ".SS %s" % man_escape(title))
        for para in paragraphs:
            L += man_paragraph(para)
    see = ["ktr4 (7)", "ktr4sim (7)", "KTR4_config_home_mode (3)", "KTR4_config_comparator_out (3)",
           "KTR4_read_error_flag (3)"]
    L += [".SH SEE ALSO"] + [".BR %s%s" % (r, "," if i < len(see) - 1 else "") for i, r in enumerate(see)]
    return "\n".join(L) + "\n"


def write_man(outdir, version, reference):
    """OUTDIR/man3, OUTDIR/man7: the pages; OUTDIR/gz/man3, OUTDIR/gz/man7: gzipped as Debian
    installs them (no name or time stamp in the gzip header, so builds are reproducible)."""
    pages = [("man3", f.name + ".3", man_page(f, version, reference)) for f in reference.functions]
    pages.append(("man7", "ktr4.7", overview_page(version, reference)))
    pages.append(("man7", "ktr4-card.7", card_man_page(version)))
    # The simulated machine's page is written by hand; only the version is filled in.
    with open(os.path.join(HERE, "ktr4sim.7"), encoding="utf-8") as f:
        pages.append(("man7", "ktr4sim.7", f.read().replace("@VERSION@", version)))
    write_pages(outdir, pages)


def write_pages(outdir, pages):
    for section, name, text in pages:
        for folder in (os.path.join(outdir, section), os.path.join(outdir, "gz", section)):
            os.makedirs(folder, exist_ok=True)
        data = text.encode("utf-8")
        with open(os.path.join(outdir, section, name), "wb") as out:
            out.write(data)
        with open(os.path.join(outdir, "gz", section, name + ".gz"), "wb") as raw:
            with gzip.GzipFile(filename="", mode="wb", fileobj=raw, compresslevel=9, mtime=0) as out:
                out.write(data)


# ---------------------------------------------------------------------------- html

def h(text):
    return html.escape(text, quote=True)


def html_text(text, names):
    """Escaped text in which the names of functions and constants link to their entries."""
    escaped = h(text)
    return re.sub(r"\b(KTR4_\w+|ktr4io_\w+|ktr4sim_\w+|KTR4SIM_\w+|KTR4IO_\w+)\b",
                  lambda m: '<a href="#%s">%s</a>' % (m.group(1), m.group(1)) if m.group(1) in names else m.group(1),
                  escaped)


def html_paragraph(para, names):
    rows = table_rows(para)
    if rows:
        head = "".join("<th>%s</th>" % html_text(c, names) for c in rows[0])
        body = "".join("<tr>%s</tr>" % "".join("<td>%s</td>" % html_text(c, names) for c in r) for r in rows[1:])
        return "<table><tr>%s</tr>%s</table>" % (head, body)
    out, items = [], []
    for line in para.split("\n"):
        if line.startswith("- "):
            items.append(line[2:])
        elif items and line.startswith("  "):
            items[-1] += " " + line.strip()
        else:
            if items:
                out.append("<ul>" + "".join("<li>%s</li>" % html_text(i, names) for i in items) + "</ul>")
                items = []
            out.append("<p>%s</p>" % html_text(line, names))
    if items:
        out.append("<ul>" + "".join("<li>%s</li>" % html_text(i, names) for i in items) + "</ul>")
    # Consecutive prose lines of one paragraph belong together.
    return "\n".join(out).replace("</p>\n<p>", " ")


CSS = ('<style>body{font-family:sans-serif;max-width:60em;margin:auto;padding:1em;line-height:1.4}'
       'pre{background:#f4f4f4;padding:.6em;overflow-x:auto}code,pre{font-family:monospace}'
       'h3{border-top:1px solid #ccc;padding-top:.8em}dt{font-family:monospace;font-weight:bold}'
       'table{border-collapse:collapse;margin:.5em 0}td,th{border:1px solid #ccc;padding:.2em .5em;vertical-align:top}'
       '.decl{font-family:monospace;background:#eef;padding:.4em}</style>')


def write_card_html(outdir, version, reference):
    """ktr4-card.html: the card page; names link to their entries in index.html."""
    name, brief, sections = read_card_page()
    names = {d.name for d in reference.defines} | {f.name for f in reference.functions}
    P = ['<!DOCTYPE html>', '<html lang="en"><head><meta charset="utf-8">',
         '<title>%s: %s</title>' % (h(name), h(brief)), CSS + '</head><body>',
         '<h1>%s(7): %s</h1>' % (h(name), h(brief)),
         '<p>ktr4 %s. <a href="index.html">The C reference</a> has every function and constant.</p>' % h(version),
         '<h2>Contents</h2><ul>']
    for i, (level, title, _) in enumerate(sections):
        if level == 1:
            P.append('<li><a href="#s%d">%s</a></li>' % (i, h(title)))
    P.append("</ul>")
    for i, (level, title, paragraphs) in enumerate(sections):
        P.append('<h%d id="s%d">%s</h%d>' % (level + 1, i, h(title), level + 1))
        for para in paragraphs:
            P.append(html_paragraph(para, names).replace('href="#', 'href="index.html#'))
    P.append("</body></html>")
    os.makedirs(outdir, exist_ok=True)
    with open(os.path.join(outdir, "ktr4-card.html"), "w", encoding="utf-8") as out:
        out.write("\n".join(P) + "\n")


def write_html(outdir, version, reference):
    names = {f.name for f in reference.functions} | {d.name for d in reference.defines} | {t.name for t in reference.types}
    P = ['<!DOCTYPE html>', '<html lang="en"><head><meta charset="utf-8">',
         '<title>ktr4 %s C reference</title>' % h(version),
         CSS + '</head><body>',
         '<h1>ktr4 %s: C reference</h1>' % h(version),
         '<p>Every function, type and constant of <code>ktr4.h</code>, <code>ktr4io.h</code> (driver writers) and '
         '<code>ktr4sim.h</code> (the simulated card), generated from the headers. Each function also has a manual '
         'page (<code>man 3 NAME</code>); <code>man 7 ktr4</code> is the overview. <a href="ktr4-card.html">The '
         'card\'s codes</a> (<code>man 7 ktr4-card</code>) define every mode, pin setting, point number and flag '
         'bit in one place.</p>', '<h2>Contents</h2><ul>']
    for g in reference.groups:
        P.append('<li><a href="#group-%s">%s</a> <small>(%s)</small></li>' % (g.id, h(g.title), h(g.header)))
    P.append('<li><a href="#index">Alphabetical index</a></li></ul>')
    for g in reference.groups:
        P.append('<h2 id="group-%s">%s</h2>' % (g.id, h(g.title)))
        for para in g.details:
            P.append(html_paragraph(para, names))
        for t in [t for t in reference.types if t.group == g.id]:
            P.append('<h3 id="%s">%s</h3><pre>%s</pre>' % (t.name, t.name, h(t.declaration)))
            for para in ([t.brief] if t.brief else []) + t.details:
                P.append(html_paragraph(para, names))
        defs = [d for d in reference.defines if d.group == g.id]
        if defs:
            P.append("<table><tr><th>Constant</th><th>Value</th><th>Meaning</th></tr>")
            for d in defs:
                P.append('<tr id="%s"><td><code>%s</code></td><td><code>%s</code></td><td>%s</td></tr>'
                         % (d.name, d.name, h(d.value), html_text(" ".join([d.brief] + d.details), names)))
            P.append("</table>")
        for f in [f for f in reference.functions if f.group == g.id]:
            decl = "%s%s%s(%s);" % (f.return_type, "" if f.return_type.endswith("*") else " ", f.name, ", ".join("%s %s" % (p.ctype, p.name) for p in f.params) or "void")
            P.append('<h3 id="%s">%s</h3>' % (f.name, f.name))
            P.append('<div class="decl">%s <small>(%s)</small></div>' % (h(decl.replace("* ", "*")), h(f.header)))
            P.append("<p><b>%s</b></p>" % html_text(f.brief, names))
            for para in f.details:
                P.append(html_paragraph(para, names))
            if f.params:
                P.append("<dl>" + "".join("<dt>%s</dt><dd>%s</dd>" % (p.name, html_text(p.doc, names)) for p in f.params) + "</dl>")
            if f.retvals:
                P.append("<p>Returns:</p><dl>" + "".join("<dt>%s</dt><dd>%s</dd>" % (html_text(c, names), html_text(w, names))
                                                          for c, w in f.retvals) + "</dl>")
            for n in f.notes:
                P.append("<p><i>Note:</i> %s</p>" % html_text(n, names))
            if f.example:
                P.append("<p>Example (runs on the simulated card in the reference's build):</p><pre>%s</pre>" % h(f.example))
            if f.see:
                P.append("<p>See also: %s</p>" % ", ".join(html_text(s, names) for s in f.see))
    P.append('<h2 id="index">Alphabetical index</h2><p>')
    P.append(" &middot; ".join('<a href="#%s">%s</a>' % (n, n) for n in sorted(names, key=str.lower)))
    P.append("</p></body></html>")
    os.makedirs(outdir, exist_ok=True)
    with open(os.path.join(outdir, "index.html"), "w", encoding="utf-8") as out:
        out.write("\n".join(P) + "\n")
    write_card_html(outdir, version, reference)


# ---------------------------------------------------------------------------- examples

def write_examples(outdir, reference):
    os.makedirs(outdir, exist_ok=True)
    written = []
    for f in reference.functions:
        if not f.example:
            continue
        body = "".join("  " + line + "\n" if line else "\n" for line in f.example.rstrip("\n").split("\n"))
        path = os.path.join(outdir, f.name + ".c")
        with open(path, "w", encoding="utf-8") as out:
            out.write(EXAMPLE_PROGRAM.format(name=f.name, body=body))
        written.append(path)
    return written


def path_overview_page(version, reference):
    """ktr4path(7): the part-program library's groups, its result codes and its tool."""
    L = ['.TH ktr4path 7 "" "ktr4 %s" "ktr4 reference"' % version, ".SH NAME",
         "ktr4path \\- part programs (RS274/NGC G\\-code) on KTR4 cards: machine file, interpreter, planner, runs",
         ".SH SYNOPSIS", ".nf", ".B #include <ktr4path.h>", ".fi", ".PP"]
    L += man_lines("cc prog.c $(pkg-config --cflags --libs ktr4path)")
    L += [".SH DESCRIPTION"]
    L += man_lines("ktr4path reads a machine description and a part program, plans the program's path and runs "
                   "it on the card through libktr4's public API. Each function has a page of its own in section 3 "
                   "(man 3 ktr4path_run_start); the command-line tool is ktr4-run(1).")
    for g in reference.groups:
        if g.header != "ktr4path.h":
            continue
        L += [".SS %s" % man_escape(g.title)]
        for para in g.details:
            L += man_paragraph(para)
    L += [".SH RESULT CODES"]
    L += man_lines("Every function returns one of these, or a code of libktr4 (and of its driver) passed through "
                   "unchanged; ktr4path_error_text gives these as text, KTR4_error_text the card's.")
    L += codes_table(reference)
    see = ["ktr4-run (1)", "ktr4 (7)", "ktr4path_run_start (3)", "ktr4path_load_machine (3)"]
    L += [".SH SEE ALSO"] + [".BR %s%s" % (r, "," if i < len(see) - 1 else "") for i, r in enumerate(see)]
    return "\n".join(L) + "\n"


def write_path_man(outdir, version, reference):
    pages = [("man3", f.name + ".3", man_page(f, version, reference)) for f in reference.functions]
    pages.append(("man7", "ktr4path.7", path_overview_page(version, reference)))
    write_pages(outdir, pages)


def main(argv):
    if len(argv) < 4:
        sys.exit(__doc__)
    what, outdir = argv[1], argv[2]
    if what == "examples":
        write_examples(outdir, ref.parse_headers(argv[3:]))
        return
    version, headers = argv[3], argv[4:]
    reference = ref.parse_headers(headers)
    if what == "man":
        write_man(outdir, version, reference)
    elif what == "html":
        write_html(outdir, version, reference)
    elif what == "path-man":
        write_path_man(outdir, version, reference)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
