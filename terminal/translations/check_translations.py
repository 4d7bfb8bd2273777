#!/usr/bin/env python3
"""Fails when a user-visible string of tessa has no finished English translation.

Runs lupdate over the sources into a copy of the committed .ts (so the committed translations
are kept and every string the sources hold now is listed), then names each string whose
translation is missing or unfinished, with its file and line. Fix: run
scripts/update_translations.sh and translate what it lists in terminal/translations/tessa_en.ts.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET


def unfinished_messages(ts_path):
    """(context, source, [locations]) of each current message without a finished translation."""
    missing = []
    for context in ET.parse(ts_path).getroot().iter("context"):
        name = context.findtext("name", "")
        for message in context.iter("message"):
            translation = message.find("translation")
            kind = translation.get("type", "") if translation is not None else "unfinished"
            if kind in ("obsolete", "vanished"):
                continue
            text = "".join(translation.itertext()) if translation is not None else ""
            if kind == "unfinished" or not text:
                places = ["%s:%s" % (loc.get("filename"), loc.get("line")) for loc in message.iter("location")]
                missing.append((name, message.findtext("source", ""), places))
    return missing


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lupdate", required=True)
    parser.add_argument("--sources", required=True, help="the terminal/ folder")
    parser.add_argument("--ts", required=True, help="the committed tessa_en.ts")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as scratch:
        current = os.path.join(scratch, os.path.basename(args.ts))
        shutil.copyfile(args.ts, current)
        run = subprocess.run([args.lupdate, "-silent", "-recursive", "-extensions", "cpp,h", "-no-obsolete",
                              "-locations", "absolute", "-target-language", "en", args.sources, "-ts", current],
                             capture_output=True, text=True)
        if run.returncode != 0:
            print(run.stdout + run.stderr, file=sys.stderr)
            return 2
        # Locations are written relative to the .ts: said here relative to the sources.
        missing = [(context, source, [os.path.relpath(os.path.join(scratch, place), args.sources) for place in places])
                   for context, source, places in unfinished_messages(current)]

    for context, source, places in missing:
        where = ", ".join(places)
        print("no English translation: %r (context %s) in %s" % (source, context, where or "?"))
    if missing:
        print("%d string(s) untranslated: run scripts/update_translations.sh and translate them in %s"
              % (len(missing), args.ts))
        return 1
    print("every string has a finished English translation")
    return 0


if __name__ == "__main__":
    sys.exit(main())
