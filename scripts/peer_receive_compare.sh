#!/usr/bin/env bash
# Compares what tessa's receive display costs with other serial terminals, side by side.
#
#   scripts/peer_receive_compare.sh [build-dir] [window-seconds] [runs]
#
# Run by hand (not in CI): it installs the peers from Debian itself (cutecom, gtkterm, picocom,
# and the X tools it drives them with). Each terminal gets its own socat pty pair under one Xvfb
# and is connected to it; bench/peers/line_feeder.py then feeds all of them the same numbered
# text lines at 115200 baud. CPU time is taken from /proc/<pid>/stat (user + system, all
# threads) over fixed windows, several runs; the table gives each terminal's share of one core
# (min/median/max). TESSA_BEFORE=/path/to/older/tessa adds an older tessa build as a further
# column; TESSA_EXTRAS (below) chooses what tessa shows besides the text. Then tessa alone is
# fed at 921600 baud and 25 screenshots (xwd) of its receive view are checked for text in its
# bottom rows and for changing between shots.
#
# The peers need a little help to run on a pseudo-terminal, given by preloaded shims that act
# for ptys only (major 136..143) and pass everything else through:
# - CuteCom reads the modem lines (TIOCMGET) after opening and closes the port when that fails,
#   as it always does on a pty: bench/peers/tiocm_pty_shim.c answers the modem-line ioctls.
# - GTKTerm reads the modem lines too, and looks its port up in udev, which has no record of a
#   pty: bench/peers/udev_pty_shim.c answers with the record of /dev/ptmx named as the pty.
#   GTKTerm also stops at a message box when it has no configuration file, so it gets one.
# picocom runs on a pty of its own (through script), its screen output thrown away.
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
WINDOW="${2:-30}"
RUNS="${3:-3}"
TESSA="$BUILD/bin/tessa"
[ -x "$TESSA" ] || { echo "no $TESSA: build the target tessa first" >&2; exit 1; }

# shellcheck source=bench/peers/xvfb_session.sh
source "$ROOT/bench/peers/xvfb_session.sh"
need_tools cutecom:cutecom gtkterm:gtkterm picocom:picocom Xvfb:xvfb socat:socat xdotool:xdotool \
           xwd:x11-apps xwdtopnm:netpbm gcc:gcc python3:python3 script:bsdutils
bench_session peer-compare
# picocom runs under script, which is what PIDS holds; picocom itself is ended too.
bench_extra_cleanup() { [ -n "${PID_OF[picocom]:-}" ] && kill "${PID_OF[picocom]}" 2>/dev/null || true; }

gcc -shared -fPIC -O2 -o "$WORK/tiocm_pty_shim.so" "$ROOT/bench/peers/tiocm_pty_shim.c" -ldl
gcc -shared -fPIC -O2 -o "$WORK/udev_pty_shim.so" "$ROOT/bench/peers/udev_pty_shim.c" -ldl

# tessa runs with its byte counters shown in the status bar (they count in any case);
# TESSA_EXTRAS=none hides them, TESSA_EXTRAS=timestamps also shows on-screen timestamps.
mkdir -p "$XDG_CONFIG_HOME/Orvane"
case "${TESSA_EXTRAS:-counters}" in
  none) printf '[Record]\nBYTE%%20COUNTERS%%20SHOWN=0\n' ;;
  counters) printf '[Record]\nBYTE%%20COUNTERS%%20SHOWN=1\n' ;;
  timestamps) printf '[Record]\nBYTE%%20COUNTERS%%20SHOWN=1\nRECEIVE%%20TIMESTAMPS=1\n' ;;
  *) echo "TESSA_EXTRAS: none, counters or timestamps" >&2; exit 2 ;;
esac >"$XDG_CONFIG_HOME/Orvane/Orvane_COM_TEST.conf"

# The first window process $1 shows, moved to x $2, y $3 so that no two windows overlap.
place_window() {
  local win; win="$(first_window "$1")"
  xdotool windowmove "$win" "$2" "$3"; sleep 0.5
  echo "$win"
}

declare -A WINDOW_OF
start_tessa() {  # name binary y
  pty_pair "$1"
  TESSA_COM1="$(readlink -f "$WORK/$1.tty")" QT_QPA_PLATFORM=xcb "$2" >"$WORK/$1.log" 2>&1 & PIDS+=($!); PID_OF[$1]=$!
  local win; win="$(place_window "${PID_OF[$1]}" 0 "$3")"; WINDOW_OF[$1]=$win
  # "連線" (Command1) with port 1 in Text1: the window stands at the screen's top left.
  xdotool mousemove --window "$win" 327 38 click 1
}
start_cutecom() {
  pty_pair cutecom
  # Its session names the port; "Open" then opens it.
  mkdir -p "$XDG_CONFIG_HOME/CuteCom"
  printf '[sessions]\n1\\BaudRate=115200\n1\\DataBits=8\n1\\Device=%s\n1\\FlowControl=0\n1\\OpenMode=3\n1\\Parity=0\n1\\StopBits=1\n1\\name=Default\nsize=1\n' \
    "$(readlink -f "$WORK/cutecom.tty")" >"$XDG_CONFIG_HOME/CuteCom/CuteCom5.conf"
  LD_PRELOAD="$WORK/tiocm_pty_shim.so" QT_QPA_PLATFORM=xcb cutecom >"$WORK/cutecom.log" 2>&1 & PIDS+=($!); PID_OF[cutecom]=$!
  local win; win="$(place_window "${PID_OF[cutecom]}" 1200 0)"
  xdotool mousemove --window "$win" 50 43 click 1
}
start_gtkterm() {
  pty_pair gtkterm
  local port; port="$(readlink -f "$WORK/gtkterm.tty")"
  printf '[default]\nport = %s\nspeed = 115200\nbits = 8\nstopbits = 1\nparity = none\nflow = none\n' "$port" \
    >"$HOME/.gtktermrc"
  LD_PRELOAD="$WORK/udev_pty_shim.so:$WORK/tiocm_pty_shim.so" gtkterm -p "$port" -s 115200 >"$WORK/gtkterm.log" 2>&1 &
  PIDS+=($!); PID_OF[gtkterm]=$!
  place_window "${PID_OF[gtkterm]}" 1200 760 >/dev/null
}
start_picocom() {
  pty_pair picocom
  local port; port="$(readlink -f "$WORK/picocom.tty")"
  # Its keyboard is a fifo that this script holds open, so picocom waits for input for ever.
  mkfifo "$WORK/picocom.in"; exec 9<>"$WORK/picocom.in"
  script -qfc "exec picocom -q -b 115200 $port" /dev/null <&9 >/dev/null 2>&1 & PIDS+=($!)
  for _ in $(seq 50); do
    PID_OF[picocom]="$(pgrep -n -x picocom || true)"
    [ -n "${PID_OF[picocom]}" ] && return; sleep 0.1
  done
}

TERMINALS=(tessa cutecom gtkterm picocom)
start_tessa tessa "$TESSA" 0
if [ -n "${TESSA_BEFORE:-}" ]; then start_tessa tessa_before "$TESSA_BEFORE" 560; TERMINALS=(tessa tessa_before cutecom gtkterm picocom); fi
start_cutecom
start_gtkterm
start_picocom
sleep 3
for t in "${TERMINALS[@]}"; do
  [ -n "${PID_OF[$t]:-}" ] || { echo "$t did not start" >&2; exit 1; }
  if ! holds_port "${PID_OF[$t]}" "$WORK/$t.tty"; then echo "$t did not open its port" >&2; exit 1; fi
done

DEVS=(); for t in "${TERMINALS[@]}"; do DEVS+=("$WORK/$t.dev"); done
TOTAL=$(( RUNS * WINDOW + 10 ))
python3 "$ROOT/bench/peers/line_feeder.py" 115200 "$TOTAL" "${DEVS[@]}" & FEEDER=$!; PIDS+=($FEEDER)
sleep 3
measure_shares "$RUNS" "$WINDOW"
kill "$FEEDER" 2>/dev/null || true

echo
echo "CPU share of one core at 115200 baud of text lines ($RUNS runs of ${WINDOW} s, tessa extras: ${TESSA_EXTRAS:-counters}, load $(cut -d' ' -f1-3 /proc/loadavg))"
printf '%-14s %8s %8s %8s   %s\n' terminal min median max runs
for t in "${TERMINALS[@]}"; do
  # shellcheck disable=SC2086
  echo ${SHARES[$t]} | tr ' ' '\n' | sort -g | awk -v t="$t" -v all="${SHARES[$t]}" \
    '{ v[NR] = $1 } END { printf "%-14s %7.2f%% %7.2f%% %7.2f%%   %s\n", t, v[1], v[int((NR + 1) / 2)], v[NR], all }'
done

# tessa alone at 921600 baud: screenshots of its receive view.
python3 "$ROOT/bench/peers/line_feeder.py" 921600 600 "$WORK/tessa.dev" & FEEDER=$!; PIDS+=($FEEDER)
sleep 2
WIN="${WINDOW_OF[tessa]}"
inked=0; changed=0; previous=""
for shot in $(seq 25); do
  xwd -silent -id "$WIN" | xwdtopnm 2>/dev/null >"$WORK/shot.ppm"
  # The character view (wide mode) stands at x 605..1060, y 110..445 of the window. Shown is
  # whether it holds text at all (a log just started again holds a few rows at its top).
  verdict="$(python3 - "$WORK/shot.ppm" <<'PY'
import hashlib, sys
data = open(sys.argv[1], "rb").read()
parts = data.split(b"\n", 3)
width, height = map(int, parts[1].split())
pixels = parts[3]
def px(x, y):
    i = 3 * (y * width + x)
    return pixels[i:i + 3]
background = px(1000, 440)
area = [px(x, y) for y in range(115, 440, 2) for x in range(605, 1000, 2)]
ink = sum(1 for p in area if p != background)
view = b"".join(px(x, y) for y in range(115, 445) for x in range(605, 1000))
print(1 if ink > 50 else 0, hashlib.sha1(view).hexdigest())
PY
)"
  inked=$(( inked + ${verdict%% *} ))
  [ -n "$previous" ] && [ "${verdict#* }" != "$previous" ] && changed=$(( changed + 1 ))
  previous="${verdict#* }"
  sleep 0.4
done
kill "$FEEDER" 2>/dev/null || true
echo
echo "tessa at 921600 baud: $inked of 25 screenshots show text in the receive view;" \
     "$changed of 24 differ from the shot before"
