#!/usr/bin/env bash
# Starts the simulated device (tessa-device) on a pseudo-terminal, maps it to a COM number and
# runs the tessa terminal on it; the device stops when the terminal closes.
# Usage: scripts/run_with_device.sh BIN_DIR [tessa arguments...]
#   TESSA_DEVICE_COM        number the device answers on (1..21, default 1)
#   TESSA_DEVICE_LOG        the device's log of what it heard and said (default tessa-device.log beside BIN_DIR)
#   TESSA_DEVICE_DOWNLOADS  where downloaded files are kept (default device-downloads beside BIN_DIR)
set -euo pipefail
bin=$(cd "${1:?usage: run_with_device.sh BIN_DIR [tessa arguments...]}" && pwd)
shift
com=${TESSA_DEVICE_COM:-1}
if ! [[ "$com" =~ ^[0-9]+$ ]] || (( com < 1 || com > 21 )); then
  echo "run: TESSA_DEVICE_COM must be a number from 1 to 21, not '$com'" >&2
  exit 2
fi
log=${TESSA_DEVICE_LOG:-"$(dirname "$bin")/tessa-device.log"}
downloads=${TESSA_DEVICE_DOWNLOADS:-"$(dirname "$bin")/device-downloads"}
mkdir -p "$downloads"

line_dir=$(mktemp -d "${TMPDIR:-/tmp}/tessa-line.XXXXXX")
device=
cleanup() {
  if [ -n "$device" ]; then
    kill "$device" 2>/dev/null || true
    wait "$device" 2>/dev/null || true
  fi
  rm -rf "$line_dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# --exit-with-parent: should this script be killed outright, the device still goes with it.
"$bin/tessa-device" --link "$line_dir/COM$com" --downloads "$downloads" --exit-with-parent \
  >"$line_dir/path" 2>"$log" &
device=$!
for _ in $(seq 100); do
  [ -s "$line_dir/path" ] && break
  kill -0 "$device" 2>/dev/null || break
  sleep 0.05
done
if ! [ -s "$line_dir/path" ]; then
  echo "run: the simulated device did not start; its log ($log) says:" >&2
  cat "$log" >&2
  exit 1
fi
path=$(head -n 1 "$line_dir/path")
echo "run: simulated device (pid $device) answers on COM$com ($path)"
echo "run: connect to port $com; the device's log is $log, downloaded files go to $downloads"

export "TESSA_COM$com=$path"
status=0
"$bin/tessa" "$@" || status=$?
exit "$status"
