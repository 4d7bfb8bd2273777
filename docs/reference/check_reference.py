#!/usr/bin/env python3
"""Checks of the generated reference (run by ctest).

  check_reference.py pages MANDIR HTML ORDINALS HEADER...
      every export (the Windows ordinal table, an independent list) and every function of the
      headers has a man 3 page that names each of its parameters and each of its result codes,
      and an entry in the HTML reference, as has every constant; ktr4-card(7) and its HTML page
      name every card code, and each function that takes or returns card codes has their table
  check_reference.py warnings MANDIR
      man's formatter prints no warning for any page
  check_reference.py examples WORKDIR CC CFLAGS LIBS HEADER...
      every @code example and the overview's program compile and return 0 on the simulated card
"""

import concurrent.futures
import os
import re
import subprocess
import sys

# No __pycache__ in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ktr4_docgen  # noqa: E402
import ktr4_reference  # noqa: E402


# The functions that take or return the card's codes, and the constants (name patterns of group
# "cardcodes") whose table each one's page must carry.
CARD_CODE_TABLES = {
    "KTR4_set_pulse_outmode": [r"KTR4_PULSE_OUT_"], "KTR4_readback_pulse_outmode": [r"KTR4_PULSE_OUT_"],
    "KTR4_set_pulse_inmode": [r"KTR4_PULSE_IN_"], "KTR4_readback_pulse_inmode": [r"KTR4_PULSE_IN_"],
    "KTR4_config_SD_PIN": [r"KTR4_SD_", r"KTR4_LOGIC_"], "KTR4_readback_SD_PIN": [r"KTR4_SD_", r"KTR4_LOGIC_"],
    "KTR4_config_PCS_PIN": [r"KTR4_LOGIC_"], "KTR4_readback_PCS_PIN": [r"KTR4_LOGIC_"],
    "KTR4_config_INP_PIN": [r"KTR4_LOGIC_"], "KTR4_readback_INP_PIN": [r"KTR4_LOGIC_"],
    "KTR4_config_ERC_PIN": [r"KTR4_ERC_"], "KTR4_readback_ERC_PIN": [r"KTR4_ERC_"],
    "KTR4_config_ALM_PIN": [r"KTR4_ALM_", r"KTR4_LOGIC_"], "KTR4_readback_ALM_PIN": [r"KTR4_ALM_", r"KTR4_LOGIC_"],
    "KTR4_config_LTC_PIN": [r"KTR4_LTC_", r"KTR4_LOGIC_"], "KTR4_readback_LTC_PIN": [r"KTR4_LTC_", r"KTR4_LOGIC_"],
    "KTR4_config_CMP_OUT": [r"KTR4_CMP_OUT_"], "KTR4_readback_CMP_OUT": [r"KTR4_CMP_OUT_"],
    "KTR4_config_EL_MODE": [r"KTR4_EL_"], "KTR4_readback_EL_MODE": [r"KTR4_EL_"],
    "KTR4_set_HOME_pin_logic": [r"KTR4_LOGIC_"], "KTR4_readback_HOME_pin_logic": [r"KTR4_LOGIC_"],
    "KTR4_set_EZ_pin_logic": [r"KTR4_LOGIC_"], "KTR4_readback_EZ_pin_logic": [r"KTR4_LOGIC_"],
    "KTR4_config_TTL_IO_MODE": [r"KTR4_TTL_"], "KTR4_readback_TTL_IO_MODE": [r"KTR4_TTL_"],
    "KTR4_config_comparator_out": [r"KTR4_CMP_(?!OUT_)"], "KTR4_readback_comparator_out": [r"KTR4_CMP_(?!OUT_)"],
    "KTR4_config_softlimit": [r"KTR4_SOFTLIMIT_"], "KTR4_readback_config_softlimit": [r"KTR4_SOFTLIMIT_"],
    "KTR4_read_softlimit_flag": [r"KTR4_STATUS_SOFT_"], "KTR4_read_compare_flag": [r"KTR4_STATUS_COMPARE"],
    "KTR4_read_motion_status": [r"KTR4_STATUS_"],
    "KTR4_read_point_status": [r"KTR4_POINT_"], "KTR4_write_output_point": [r"KTR4_OUT_"],
    "KTR4_config_home_mode": [r"KTR4_HOME_(?!DIR_)"],
    "KTR4_start_homing": [r"KTR4_HOME_DIR_"], "KTR4_start_origin_search_homing": [r"KTR4_HOME_DIR_"],
    "KTR4_set_event_factor": [r"KTR4_EVENT_"], "KTR4_read_event_flag": [r"KTR4_EVENT_(?!ALL)"],
    "KTR4_set_INT_source": [r"KTR4_EVENT_(?!ALL)"], "KTR4_read_error_flag": [r"KTR4_ERROR_"],
    "KTR4_read_INT_status": [r"KTR4_INT_"],
}

# Words a page must not use: the card's codes are defined, not left to the card.
BANNED_PHRASES = ["as numbered by the card", "in its own numbering"]


def section(text, name):
    return text.partition(".SH %s" % name)[2].partition("\n.SH ")[0]


def card_code_problems(mandir, reference):
    """Every card code named on ktr4-card(7); every function that takes or returns one carries the
    table of its codes; a page whose arguments name a card code has a table; no banned phrase."""
    problems = []
    codes = sorted(d.name for d in reference.defines if d.group == "cardcodes")
    if not codes:
        return ["no constants in group cardcodes"]
    card_path = os.path.join(mandir, "man7", "ktr4-card.7")
    if not os.path.exists(card_path):
        return ["ktr4-card(7): no page"]
    card = open(card_path, encoding="utf-8").read().replace("\\-", "-")
    for name in codes:
        if not re.search(r"\b%s\b" % name, card):
            problems.append("ktr4-card(7) does not name %s" % name)
    overview = open(os.path.join(mandir, "man7", "ktr4.7"), encoding="utf-8").read()
    if "ktr4\\-card (7)" not in overview and "ktr4-card (7)" not in overview:
        problems.append("ktr4(7) does not point to ktr4-card(7)")
    functions = {f.name for f in reference.functions}
    for name, patterns in sorted(CARD_CODE_TABLES.items()):
        if name not in functions:
            problems.append("%s: listed as taking card codes but not declared" % name)
            continue
        description = section(open(os.path.join(mandir, "man3", name + ".3"), encoding="utf-8").read(), "DESCRIPTION")
        if ".TS" not in description:
            problems.append("%s: no table in its description" % name)
        for pattern in patterns:
            wanted = [c for c in codes if re.match(pattern, c)]
            if not wanted:
                problems.append("%s: no constant matches %s" % (name, pattern))
            for c in wanted:
                if not re.search(r"\b%s\b" % c, description):
                    problems.append("%s: its table does not name %s" % (name, c))
    for f in reference.functions:
        path = os.path.join(mandir, "man3", f.name + ".3")
        if not os.path.exists(path):
            continue
        text = open(path, encoding="utf-8").read()
        arguments = section(text, "ARGUMENTS")
        if any(re.search(r"\b%s\b" % c, arguments) for c in codes) and ".TS" not in section(text, "DESCRIPTION"):
            problems.append("%s: its arguments take card codes but its page has no table" % f.name)
    for folder in ("man3", "man7"):
        for page in sorted(os.listdir(os.path.join(mandir, folder))):
            text = open(os.path.join(mandir, folder, page), encoding="utf-8").read().replace("\n", " ")
            for phrase in BANNED_PHRASES:
                if phrase in text:
                    problems.append("%s: says \"%s\"" % (page, phrase))
    return problems


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
        return problems
    if not os.path.exists(os.path.join(mandir, "man7", "ktr4sim.7")):
        problems.append("ktr4sim(7): no page of the simulated machine")
    problems += card_code_problems(mandir, reference)
    card_html = os.path.join(os.path.dirname(html_file), "ktr4-card.html")
    if not os.path.exists(card_html):
        problems.append("ktr4-card.html: missing")
    else:
        text = open(card_html, encoding="utf-8").read()
        for name in sorted(d.name for d in reference.defines if d.group == "cardcodes"):
            if 'href="index.html#%s"' % name not in text:
                problems.append("ktr4-card.html does not link %s" % name)
    return problems


def warnings(mandir):
    """groff with man's own settings (-k preconv, -t tbl, -man, -ww all warnings) on every page;
    then `man --warnings -l` itself on the overviews and two function pages with tables (one man
    run per page would take minutes)."""
    problems = []
    env = dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8")
    paths = [os.path.join(mandir, s, n) for s in ("man3", "man7") for n in sorted(os.listdir(os.path.join(mandir, s)))]
    # One groff per page, as man formats them: in a run of many files, continuous rendering
    # carries one page's trimmed length into the next file's tables.
    def groff(path):
        run = subprocess.run(["groff", "-k", "-t", "-man", "-ww", "-z", "-Tutf8", path], env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        return path, run.returncode, run.stderr.strip()

    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        for path, rc, err in pool.map(groff, paths):
            if rc != 0 or err:
                problems.append("groff %s: %s" % (path, err or "failed"))
    for path in (os.path.join(mandir, "man7", "ktr4.7"), os.path.join(mandir, "man7", "ktr4-card.7"),
                 os.path.join(mandir, "man3", "KTR4_T_curve_position_move.3"),
                 os.path.join(mandir, "man3", "KTR4_config_home_mode.3")):
        run = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", path], env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if run.returncode != 0 or run.stderr.strip():
            problems.append("man %s: %s" % (path, run.stderr.strip() or "failed"))
    print("%d pages checked" % len(paths))
    return problems


def path_pages(mandir, header, tool_page):
    """The part-program library's pages: every function of its header documented and on a page,
    the overview and the tool's page there, and groff and man without a warning on each."""
    reference = ktr4_reference.parse_headers([header])
    problems = ["%s: %s is not documented" % (header, n) for n in ktr4_reference.undocumented_functions(header, reference)]
    wanted = [os.path.join(mandir, "man3", f.name + ".3") for f in reference.functions]
    wanted += [os.path.join(mandir, "man7", "ktr4path.7"), tool_page]
    env = dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8")
    for path in wanted:
        if not os.path.exists(path):
            problems.append("%s: no such page" % path)
            continue
        run = subprocess.run(["groff", "-k", "-t", "-man", "-ww", "-z", "-Tutf8", path], env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if run.returncode != 0 or run.stderr.strip():
            problems.append("groff %s: %s" % (path, run.stderr.strip() or "failed"))
    for path in wanted[-2:]:
        run = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", path], env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if run.returncode != 0 or run.stderr.strip():
            problems.append("man %s: %s" % (path, run.stderr.strip() or "failed"))
    print("%d pages checked" % len(wanted))
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
    elif argv[1] == "path-pages":
        problems = path_pages(argv[2], argv[3], argv[4])
    elif argv[1] == "examples":
        problems = examples(argv[2], argv[3], argv[4], argv[5], argv[6:])
    else:
        sys.exit(__doc__)
    for p in problems:
        print(p)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main(sys.argv)
