#!/usr/bin/env bash
# ktr4-run as a user calls it: dry runs in both units agree, JSON parses, errors are placed and
# give status 1, a wrong command line status 2, the plot is written.
# Usage: ktr4_run_test.sh KTR4_RUN MACHINE PROGRAMS_DIR
set -u
run=$1 machine=$2 programs=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$run" "$programs/bracket_mm.ngc" --machine "$machine" --dry-run >"$work/mm.txt" 2>"$work/mm.err" || fail "mm dry run: $?"
"$run" "$programs/bracket_inch.ngc" --machine "$machine" --dry-run >"$work/inch.txt" 2>/dev/null || fail "inch dry run"
diff "$work/mm.txt" "$work/inch.txt" || fail "the same part in mm and in inches gives other moves"
tail -n 1 "$work/mm.txt" | grep -qx "line 41 N360: PROGRAM_END" || fail "last move: $(tail -n 1 "$work/mm.txt")"
grep -q "planned blocks" "$work/mm.err" || fail "no plan summary: $(cat "$work/mm.err")"

"$run" "$programs/bracket_mm.ngc" --machine "$machine" --dry-run --json >"$work/mm.json" 2>/dev/null || fail "json"
python3 -c 'import json,sys; m=json.load(open(sys.argv[1])); assert m[-1]["kind"]=="PROGRAM_END", m[-1]' "$work/mm.json" ||
  fail "JSON does not parse"

printf 'G0 X1\nG1 Y2\n' >"$work/bad.ngc"
"$run" "$work/bad.ngc" --machine "$machine" --dry-run >/dev/null 2>"$work/bad.err"
[ $? -eq 1 ] || fail "program error status"
grep -q "bad.ngc:2:1: G1 with no feed rate" "$work/bad.err" || fail "program error text: $(cat "$work/bad.err")"

printf 'G0 X500\n' >"$work/far.ngc"
"$run" "$work/far.ngc" --machine "$machine" --dry-run >"$work/far.txt" 2>"$work/far.err"
[ $? -eq 1 ] || fail "soft limit status"
grep -q "line 1: X reaches 500.0000, above axis.X.soft_limit_max 400.0000" "$work/far.err" || fail "soft limit text"
[ ! -s "$work/far.txt" ] || fail "moves printed for a program that leaves a soft limit"

"$run" "$programs/bracket_mm.ngc" --machine "$work/missing.toml" --dry-run >/dev/null 2>&1
[ $? -eq 1 ] || fail "missing machine status"
"$run" "$programs/bracket_mm.ngc" --dry-run >/dev/null 2>&1
[ $? -eq 2 ] || fail "usage status"
"$run" "$programs/bracket_mm.ngc" --machine "$machine" --json >/dev/null 2>&1
[ $? -eq 2 ] || fail "--json without --dry-run"

"$run" "$programs/bracket_mm.ngc" --machine "$machine" --plot "$work/plot.svg" >/dev/null 2>&1 || fail "plot"
grep -q "<polyline" "$work/plot.svg" || fail "plot has no speed line"
echo "ktr4-run: all checks passed"
