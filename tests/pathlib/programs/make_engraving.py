#!/usr/bin/env python3
"""Writes engraving.ngc: text engraved as line and arc strokes with Z lifts between them.

A single-stroke font of capitals in a 4 x 6 mm cell, lines of text 9 mm apart, engraved at
F1200 and 0.1 mm deep, lifted to Z0.5 between strokes. The text is repeated until the program
has LINES lines (default 2000). Deterministic: the same arguments give the same file.
Usage: make_engraving.py [LINES] > engraving.ngc
"""
import math
import sys

# A stroke is a start point and a list of pieces: ("L", x, y) a line to (x, y); ("CW"|"CCW", x,
# y, cx, cy) an arc to (x, y) around the centre (cx, cy). Coordinates in the 4 x 6 cell.


def on_circle(cx, cy, r, degrees):
    a = math.radians(degrees)
    return (round(cx + r * math.cos(a), 4), round(cy + r * math.sin(a), 4))


C_TOP = on_circle(2, 3, 2, 45)
C_BOTTOM = on_circle(2, 3, 2, -45)

FONT = {
    "A": [((0, 0), [("L", 2, 6), ("L", 4, 0)]), ((2 / 3, 2), [("L", 10 / 3, 2)])],
    "B": [((0, 0), [("L", 0, 6), ("L", 2.5, 6), ("CW", 2.5, 3, 2.5, 4.5), ("CW", 2.5, 0, 2.5, 1.5),
                    ("L", 0, 0)]),
          ((0, 3), [("L", 2.5, 3)])],
    "C": [(C_TOP, [("CCW", C_BOTTOM[0], C_BOTTOM[1], 2, 3)])],
    "D": [((0, 0), [("L", 0, 6), ("L", 1, 6), ("CW", 1, 0, 1, 3), ("L", 0, 0)])],
    "E": [((4, 6), [("L", 0, 6), ("L", 0, 0), ("L", 4, 0)]), ((0, 3), [("L", 3, 3)])],
    "G": [(C_TOP, [("CCW", C_BOTTOM[0], C_BOTTOM[1], 2, 3), ("L", C_BOTTOM[0], 3), ("L", 2, 3)])],
    "H": [((0, 0), [("L", 0, 6)]), ((4, 0), [("L", 4, 6)]), ((0, 3), [("L", 4, 3)])],
    "I": [((2, 0), [("L", 2, 6)])],
    "K": [((0, 0), [("L", 0, 6)]), ((4, 6), [("L", 0, 2.5)]), ((1.4, 3.55), [("L", 4, 0)])],
    "L": [((0, 6), [("L", 0, 0), ("L", 4, 0)])],
    "M": [((0, 0), [("L", 0, 6), ("L", 2, 3), ("L", 4, 6), ("L", 4, 0)])],
    "N": [((0, 0), [("L", 0, 6), ("L", 4, 0), ("L", 4, 6)])],
    "O": [((2, 1), [("CCW", 2, 1, 2, 3)])],
    "P": [((0, 0), [("L", 0, 6), ("L", 2.5, 6), ("CW", 2.5, 3, 2.5, 4.5), ("L", 0, 3)])],
    "R": [((0, 0), [("L", 0, 6), ("L", 2.5, 6), ("CW", 2.5, 3, 2.5, 4.5), ("L", 0, 3)]),
          ((2, 3), [("L", 4, 0)])],
    "S": [((4, 6), [("L", 1.5, 6), ("CCW", 1.5, 3, 1.5, 4.5), ("L", 2.5, 3), ("CW", 2.5, 0, 2.5, 1.5),
                    ("L", 0, 0)])],
    "T": [((0, 6), [("L", 4, 6)]), ((2, 6), [("L", 2, 0)])],
    "U": [((0, 6), [("L", 0, 2), ("CCW", 4, 2, 2, 2), ("L", 4, 6)])],
    "V": [((0, 6), [("L", 2, 0), ("L", 4, 6)])],
}

TEXT = ["ENGRAVE TEXT", "ON A SIMULATED CARD", "STROKES LINES ARCS", "HOLD BRAKE RUN",
        "PLANNED PATH", "KNOB DIAL GAUGE"]
ADVANCE = 5.0  # mm from one letter to the next
LINE_PITCH = 9.0  # mm between lines of text
TOP = -10.0  # Y of the first line's baseline
LEFT = 2.0
ROWS_PER_PAGE = 16  # then the text starts again further right
PAGE_WIDTH = 97.0


def fmt(v):
    text = f"{v:.4f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def strokes():
    """Every stroke of the repeated text, in absolute mm, forever."""
    row = 0
    while True:
        for line in TEXT:
            page, within = divmod(row, ROWS_PER_PAGE)
            x0 = LEFT + (page % 2) * PAGE_WIDTH
            y0 = TOP - within * LINE_PITCH
            for k, ch in enumerate(line):
                for (sx, sy), pieces in FONT.get(ch, []):
                    ox = x0 + k * ADVANCE
                    yield (ox + sx, y0 + sy), [(p[0], ox + p[1], y0 + p[2], *(
                        (ox + p[3], y0 + p[4]) if p[0] != "L" else ())) for p in pieces]
            row += 1


def main():
    limit = int(sys.argv[1]) if len(sys.argv) > 1 else 2000
    head = ["(Text engraved as line and arc strokes: written by make_engraving.py, do not edit)",
            "G21 G90 G17 G90.1",
            "G0 Z0.5",
            "M3"]
    tail = ["G0 X5 Y-3", "G0 Z1", "M2"]
    out = list(head)
    for (sx, sy), pieces in strokes():
        block = [f"G0 X{fmt(sx)} Y{fmt(sy)}", "G1 Z-0.1 F300"]
        feed = " F1200"
        for p in pieces:
            if p[0] == "L":
                block.append(f"G1 X{fmt(p[1])} Y{fmt(p[2])}{feed}")
            else:
                code = "G2" if p[0] == "CW" else "G3"
                block.append(f"{code} X{fmt(p[1])} Y{fmt(p[2])} I{fmt(p[3])} J{fmt(p[4])}{feed}")
            feed = ""
        block.append("G0 Z0.5")
        if len(out) + len(block) + len(tail) > limit:
            break
        out += block
    out += tail
    # Line numbers every tenth line, as a post-processor would write them.
    for n in range(len(out)):
        if n > 0 and n % 10 == 0:
            out[n] = f"N{n} {out[n]}"
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
