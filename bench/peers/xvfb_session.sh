# Shared by the by-hand receive benches (scripts/peer_receive_compare.sh,
# scripts/history_receive_bench.sh): sourced, not run. It gives them one way to
# - install the Debian packages a bench needs (need_tools command:package ...),
# - keep a scratch folder and the processes they start, all gone at exit (bench_session NAME),
# - run an Xvfb screen with a home of its own,
# - make socat pty pairs, find a process's window, and measure CPU shares over fixed windows.
# A bench may define bench_extra_cleanup to be called at exit before the processes are ended.

need_tools() {  # command:package ...
  local need=() tool
  for tool in "$@"; do
    command -v "${tool%%:*}" >/dev/null || need+=("${tool##*:}")
  done
  if [ ${#need[@]} -gt 0 ]; then
    local sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get install -y "${need[@]}"
  fi
}

PIDS=()
declare -A PID_OF
bench_cleanup() {
  if declare -F bench_extra_cleanup >/dev/null; then bench_extra_cleanup; fi
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait "${PIDS[@]}" 2>/dev/null || true
  rm -rf "$WORK"
}

bench_session() {  # name: a scratch folder, an Xvfb screen and a home in it
  WORK="$(mktemp -d "/tmp/$1.XXXXXX")"
  trap bench_cleanup EXIT
  DISPLAY_NUMBER=$(( 60 + RANDOM % 30 ))
  export DISPLAY=":$DISPLAY_NUMBER"
  Xvfb "$DISPLAY" -screen 0 2560x1600x24 -nolisten tcp >/dev/null 2>&1 & PIDS+=($!)
  sleep 1.5
  export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" XDG_RUNTIME_DIR="$WORK/run"
  mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
  HZ=$(getconf CLK_TCK)
}

# A socat pty pair: <name>.dev is fed, <name>.tty is the terminal's port.
pty_pair() {
  socat "pty,raw,echo=0,link=$WORK/$1.dev" "pty,raw,echo=0,link=$WORK/$1.tty" >/dev/null 2>&1 & PIDS+=($!)
  for _ in $(seq 50); do [ -e "$WORK/$1.tty" ] && [ -e "$WORK/$1.dev" ] && return; sleep 0.1; done
  echo "no pty pair for $1" >&2; exit 1
}

# Whether process $1 has the pty $2 open.
holds_port() {
  local target; target="$(readlink -f "$2")"
  for fd in /proc/"$1"/fd/*; do [ "$(readlink "$fd" 2>/dev/null)" = "$target" ] && return 0; done
  return 1
}

# The first visible window of process $1 (named $2 when given).
first_window() {
  local win=""
  for _ in $(seq 100); do
    if [ -n "${2:-}" ]; then
      win="$(xdotool search --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -1 || true)"
    else
      win="$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -1 || true)"
    fi
    [ -n "$win" ] && break; sleep 0.2
  done
  [ -n "$win" ] || { echo "no window from process $1" >&2; exit 1; }
  echo "$win"
}

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# The CPU share of one core of every process named in the array TERMINALS (by PID_OF), over
# $1 runs of $2 seconds each: SHARES[name] gets one figure per run.
declare -A SHARES
measure_shares() {
  local run t start end
  for run in $(seq "$1"); do
    declare -A before=()
    for t in "${TERMINALS[@]}"; do before[$t]=$(cpu_ticks "${PID_OF[$t]}"); done
    start=$(date +%s.%N); sleep "$2"; end=$(date +%s.%N)
    for t in "${TERMINALS[@]}"; do
      SHARES[$t]+="$(awk -v a="${before[$t]}" -v b="$(cpu_ticks "${PID_OF[$t]}")" -v s="$start" -v e="$end" -v hz="$HZ" \
        'BEGIN { printf "%.2f ", 100 * (b - a) / hz / (e - s) }')"
    done
  done
}

summary() {  # label values... -> label min median max values
  local label="$1"; shift
  printf '%s\n' "$@" | sort -g | awk -v t="$label" -v all="$*" \
    '{ v[NR] = $1 } END { printf "%-16s %9.2f %9.2f %9.2f   %s\n", t, v[1], v[int((NR + 1) / 2)], v[NR], all }'
}
