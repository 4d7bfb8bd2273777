#!/usr/bin/env bash
# What the receive history costs, measured by hand (not in CI) under Xvfb:
#
#   scripts/history_receive_bench.sh [build-dir] [window-seconds] [runs] [flood-seconds]
#
# 1. CPU at 115200 baud, side by side: this build with its receive history window closed
#    ("history"), this build with the window open and following ("history+window"), and, when
#    TESSA_BEFORE=/path/to/older/tessa is given, that build ("before"). Each tessa has its own
#    socat pty pair and is connected with a click on 連線; bench/peers/line_feeder.py feeds all
#    of them the same text lines. CPU (user + system, all threads, /proc/<pid>/stat) over
#    runs windows of window-seconds: the share of one core, min/median/max.
# 2. 921600 baud for flood-seconds (default 300) into this build with the window open: VmRSS
#    and VmHWM sampled every 5 s, printed as min/median/max, the curve once a minute, and the
#    CPU share over the flood. A pty has no baud rate: the feeder paces the bytes itself.
#    Then FLAT_OUT seconds (default 60) as fast as tessa reads, which passes the history's
#    64 MiB bound within the run, to show that memory stops growing there.
#
# The machine may be shared: the load average is printed with each table.
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
WINDOW="${2:-30}"
RUNS="${3:-3}"
FLOOD="${4:-300}"
FLAT_OUT="${FLAT_OUT:-60}"
TESSA="$BUILD/bin/tessa"
[ -x "$TESSA" ] || { echo "no $TESSA: build the target tessa first" >&2; exit 1; }

# shellcheck source=bench/peers/xvfb_session.sh
source "$ROOT/bench/peers/xvfb_session.sh"
need_tools Xvfb:xvfb socat:socat xdotool:xdotool python3:python3
bench_session history-bench

start_tessa() {  # name binary x y open-history
  pty_pair "$1"
  TESSA_COM1="$(readlink -f "$WORK/$1.tty")" QT_QPA_PLATFORM=xcb "$2" --lang en >"$WORK/$1.log" 2>&1 & PIDS+=($!)
  PID_OF[$1]=$!
  local win; win="$(first_window "${PID_OF[$1]}")"
  xdotool windowmove "$win" "$3" "$4"; sleep 0.5
  # Connect (Command1, port 1 in Text1) at the window's top left.
  xdotool mousemove --window "$win" 327 38 click 1
  sleep 1
  holds_port "${PID_OF[$1]}" "$WORK/$1.tty" || { echo "$1 did not open its port" >&2; exit 1; }
  if [ "$5" = 1 ]; then
    xdotool windowfocus --sync "$win" key ctrl+h
    local history; history="$(first_window "${PID_OF[$1]}" "Receive history")"
    xdotool windowmove "$history" $(( $3 + 1200 )) "$4"
  fi
}

# 1. CPU at 115200 baud, side by side.
TERMINALS=(history history_window)
start_tessa history "$TESSA" 0 0 0
start_tessa history_window "$TESSA" 0 560 1
if [ -n "${TESSA_BEFORE:-}" ]; then start_tessa before "$TESSA_BEFORE" 0 1100 0; TERMINALS+=(before); fi
DEVS=(); for t in "${TERMINALS[@]}"; do DEVS+=("$WORK/$t.dev"); done
python3 "$ROOT/bench/peers/line_feeder.py" 115200 $(( RUNS * WINDOW + 10 )) "${DEVS[@]}" & FEEDER=$!; PIDS+=($FEEDER)
sleep 3
measure_shares "$RUNS" "$WINDOW"
kill "$FEEDER" 2>/dev/null || true
echo
echo "CPU % of one core at 115200 baud ($RUNS runs of ${WINDOW} s, load $(cut -d' ' -f1-3 /proc/loadavg))"
printf '%-16s %9s %9s %9s   %s\n' tessa min median max runs
for t in "${TERMINALS[@]}"; do
  # shellcheck disable=SC2086
  summary "$t" ${SHARES[$t]}
done
for t in history before; do [ -n "${PID_OF[$t]:-}" ] && kill "${PID_OF[$t]}" 2>/dev/null || true; done

# 2. 921600 baud into the build with its window open, memory sampled.
PID="${PID_OF[history_window]}"
status_kib() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status"; }
# Text lines into the pty for $1 seconds with blocking writes: as fast as tessa reads them.
flat_out_feeder() {
  python3 - "$1" "$WORK/history_window.dev" "$WORK/flat_out.bytes" <<'PY'
import os, sys, termios, time, tty
seconds, path, report = float(sys.argv[1]), sys.argv[2], sys.argv[3]
fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
tty.setraw(fd, termios.TCSANOW)
chunk = b"".join(b"%08d the quick brown fox jumps over the lazy dog..\r\n" % n for n in range(1000))
sent, end = 0, time.monotonic() + seconds
while time.monotonic() < end:
    sent += os.write(fd, chunk)
open(report, "w").write("%d\n" % sent)
PY
}
flood() {  # seconds baud|flat label
  local rss=() hwm=() curve="" t0 ticks0
  if [ "$2" = flat ]; then
    flat_out_feeder "$1" & local feeder=$!
  else
    python3 "$ROOT/bench/peers/line_feeder.py" "$2" "$1" "$WORK/history_window.dev" & local feeder=$!
  fi
  PIDS+=($feeder)
  t0=$(date +%s); ticks0=$(cpu_ticks "$PID")
  while kill -0 "$feeder" 2>/dev/null; do
    sleep 5
    kill -0 "$PID" 2>/dev/null || { echo "tessa ended during the flood" >&2; exit 1; }
    local r h; r=$(status_kib "$PID" VmRSS); h=$(status_kib "$PID" VmHWM)
    rss+=("$(( r / 1024 ))"); hwm+=("$(( h / 1024 ))")
    local elapsed=$(( $(date +%s) - t0 ))
    (( ${#rss[@]} % 12 == 0 )) && curve+=" ${elapsed}s:${rss[-1]}"
  done
  local seconds=$(( $(date +%s) - t0 ))
  echo
  echo "$3: $1 s, load $(cut -d' ' -f1-3 /proc/loadavg); CPU $(awk -v a="$ticks0" -v b="$(cpu_ticks "$PID")" -v s="$seconds" -v hz="$HZ" \
    'BEGIN { printf "%.1f", 100 * (b - a) / hz / s }') % of one core"
  printf '%-16s %9s %9s %9s   (MiB, %d samples every 5 s)\n' "" min median max "${#rss[@]}"
  summary VmRSS "${rss[@]}" | cut -c1-46
  summary VmHWM "${hwm[@]}" | cut -c1-46
  echo "VmRSS curve (MiB):${curve} end:${rss[-1]}"
}
flood "$FLOOD" 921600 "921600 baud (paced) into tessa with the history window open"
flood "$FLAT_OUT" flat "flat out (as fast as tessa reads) into the same tessa"
echo "bytes sent flat out: $(cat "$WORK/flat_out.bytes") (the history keeps the last 64 MiB and at most one 1 MiB block more)"
