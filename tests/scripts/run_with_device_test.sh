#!/usr/bin/env bash
# The run script: the device answers on the mapped number while the terminal runs, and no
# process is left behind when the terminal closes or the script itself is killed.
# Usage: run_with_device_test.sh SCRIPT BIN_DIR
set -uo pipefail
script=$1
bin=$2
work=$(mktemp -d)
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" TMPDIR="$work"
export TESSA_DEVICE_LOG="$work/device.log" TESSA_DEVICE_DOWNLOADS="$work/downloads"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
alive() { kill -0 "$1" 2>/dev/null; }
wait_gone() {  # pid, seconds
  for _ in $(seq $(($2 * 20))); do alive "$1" || return 0; sleep 0.05; done
  return 1
}

# Starts the script in the background; sets script_pid, device_pid, line_path.
start() {
  "$script" "$bin" >"$work/out" 2>&1 &
  script_pid=$!
  for _ in $(seq 200); do
    grep -q "answers on COM" "$work/out" && break
    sleep 0.05
  done
  device_pid=$(sed -n 's/.*(pid \([0-9]*\)) answers on COM.*/\1/p' "$work/out")
  line_path=$(sed -n 's/.*answers on COM[0-9]* (\(.*\))$/\1/p' "$work/out")
  [ -n "$device_pid" ] && [ -n "$line_path" ] || { fail "no start line:"; cat "$work/out"; return 1; }
}

terminal_of() {
  for _ in $(seq 100); do
    pid=$(pgrep -P "$1" -x tessa) && { echo "$pid"; return 0; }
    sleep 0.05
  done
  return 1
}

cleanup() {
  pkill -KILL -P "${script_pid:-0}" 2>/dev/null
  kill -KILL "${script_pid:-0}" "${device_pid:-0}" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# 1. The device answers on the number while the terminal runs; closing the terminal ends it.
export TESSA_DEVICE_COM=7
if start; then
  grep -q "answers on COM7" "$work/out" || fail "not mapped to COM7"
  exec 3<>"$line_path"
  printf 'ver\r\n' >&3
  IFS= read -r -t 5 reply <&3
  [ "$reply" = $'VER tessa-device 1.00\r' ] || fail "ver answered with '$reply'"
  exec 3<&-
  terminal=$(terminal_of "$script_pid") || fail "the terminal did not start"
  alive "$device_pid" || fail "the device ended early"
  kill -TERM "$terminal"
  wait_gone "$script_pid" 10 || fail "the script did not end after the terminal"
  wait_gone "$device_pid" 5 || fail "the device outlived the terminal"
  [ -z "$(ls -A "$work" | grep tessa-line)" ] || fail "the pseudo-terminal folder was left behind"
  grep -q 'line   <- "ver"' "$work/device.log" || fail "the device log lacks the command"
fi

# 2. The script killed outright: the device goes with it.
if start; then
  terminal=$(terminal_of "$script_pid")
  kill -KILL "$script_pid"
  wait_gone "$device_pid" 5 || fail "the device outlived a killed script"
  [ -n "$terminal" ] && kill -TERM "$terminal" 2>/dev/null
fi

# 3. A number the terminal cannot use is refused before anything starts.
TESSA_DEVICE_COM=22 "$script" "$bin" >"$work/bad" 2>&1
status=$?
[ "$status" -eq 2 ] || fail "TESSA_DEVICE_COM=22 gave status $status"
grep -q "from 1 to 21" "$work/bad" || fail "no message for TESSA_DEVICE_COM=22"

[ "$failures" -eq 0 ] && echo "run script: all checks passed"
exit "$failures"
