#!/usr/bin/env python3
"""Gives every unfinished message whose source text has no Han character itself as its
finished English translation: those texts were written in English. The .ts is edited as text,
so that lupdate's layout (and the merges of branches) stays as it is."""
import html
import re
import sys

HAN = re.compile("[\u3400-\u9fff\uf900-\ufaff]")
UNFINISHED = re.compile(r'(<source>([^<]*)</source>\s*)<translation type="unfinished">[^<]*</translation>', re.S)


def fill(match):
    if HAN.search(html.unescape(match.group(2))):
        return match.group(0)
    return "%s<translation>%s</translation>" % (match.group(1), match.group(2))


path = sys.argv[1]
with open(path, encoding="utf-8") as f:
    text = f.read()
with open(path, "w", encoding="utf-8") as f:
    f.write(UNFINISHED.sub(fill, text))
