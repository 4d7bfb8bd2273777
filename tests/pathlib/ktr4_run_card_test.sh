#!/usr/bin/env bash
# ktr4-run running programs on the simulated card as a user calls it: a whole program to its end
# with plain progress lines (no terminal here), Ctrl-C holding and ending cleanly, a machine on
# two cards refused.
# Usage: ktr4_run_card_test.sh KTR4_RUN MACHINE TWO_CARD_MACHINE PROGRAMS_DIR
set -u
run=$1 machine=$2 two_cards=$3 programs=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$run" "$programs/rounded_rectangle.ngc" --machine "$machine" >"$work/out" 2>"$work/err" || fail "run: $? $(cat "$work/err")"
grep -q "finished at line 18, X0.0000 Y0.0000 Z0.0000" "$work/err" || fail "end: $(tail -n 1 "$work/err")"
grep -q "^ktr4-run: .*% line [0-9]* X" "$work/err" || fail "no progress lines: $(cat "$work/err")"
! grep -q $'\r' "$work/err" || fail "a progress bar where no terminal is"

printf 'G21 G90\nG1 X150 F600\nM2\n' >"$work/slow.ngc"
"$run" "$work/slow.ngc" --machine "$machine" >/dev/null 2>"$work/hold.err" &
pid=$!
sleep 1
kill -INT "$pid"
wait "$pid"
status=$?
[ "$status" -eq 3 ] || fail "Ctrl-C status $status: $(cat "$work/hold.err")"
grep -q "holding" "$work/hold.err" || fail "no hold said: $(cat "$work/hold.err")"
grep -q "held at line 2" "$work/hold.err" || fail "not held on the line: $(tail -n 1 "$work/hold.err")"

KTR4SIM_CARDS=0,1 "$run" "$programs/rounded_rectangle.ngc" --machine "$two_cards" >/dev/null 2>"$work/two.err"
[ $? -eq 1 ] || fail "two cards status"
grep -q "the run cannot start: 2002 (a run drives one card; the machine has X on card 0, Y on card 0, Z on card 0, A on card 1)" \
  "$work/two.err" || fail "two cards text: $(cat "$work/two.err")"
echo "ktr4-run on the card: all checks passed"
