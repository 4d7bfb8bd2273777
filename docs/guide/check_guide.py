#!/usr/bin/env python3
"""Checks the built user guide of tessa: every page named on the command line exists, and every
local link, anchor and picture it refers to is there. Exits 1 naming each broken one, so that the
guide's build fails instead of shipping a page with a missing screenshot or a dead link."""
import html.parser
import os
import sys
import urllib.parse


class Refs(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.refs = []  # (attribute, value)
        self.ids = set()

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name == "id" and value:
                self.ids.add(value)
            if (tag == "a" and name == "href") or (tag in ("img", "link", "script") and name in ("src", "href")):
                if value:
                    self.refs.append((tag, value))


def parse(path):
    refs = Refs()
    with open(path, encoding="utf-8") as f:
        refs.feed(f.read())
    return refs


def main(pages):
    broken = []
    parsed = {}
    for page in pages:
        if not os.path.isfile(page):
            broken.append("%s: the page is missing" % page)
            continue
        parsed[os.path.abspath(page)] = parse(page)
    for page, refs in parsed.items():
        for tag, value in refs.refs:
            url = urllib.parse.urlparse(value)
            if url.scheme in ("http", "https", "mailto"):
                continue  # outside the package: not checked here
            target = os.path.normpath(os.path.join(os.path.dirname(page), urllib.parse.unquote(url.path))) \
                if url.path else page
            if not os.path.exists(target):
                broken.append("%s: <%s> %s: %s is missing" % (os.path.relpath(page), tag, value, target))
                continue
            if url.fragment and target.endswith(".html"):
                ids = (parsed.get(target) or parse(target)).ids
                if url.fragment not in ids:
                    broken.append("%s: <%s> %s: no id \"%s\" in %s" % (os.path.relpath(page), tag, value,
                                                                      url.fragment, os.path.basename(target)))
    for line in broken:
        print("guide: " + line, file=sys.stderr)
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
