#!/usr/bin/env bash
# Installs the Debian packages the project needs (idempotent, quiet when all is there),
# then configures and builds. Usage: scripts/setup.sh [build-dir] [extra cmake args...]
#   scripts/setup.sh --packages-only   installs the packages and stops.
# ORVANE_TARGETS="a b" builds only those targets (and what they need).
# ORVANE_PACKAGES_READY=1 skips the package step (CI checks the packages once per run).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-serialport-dev libqt6serialport6 qt6-qpa-plugins qt6-charts-dev libqt6opengl6-dev
  qt6-l10n-tools qt6-tools-dev qt6-tools-dev-tools
  socat xvfb xauth fonts-noto-cjk
  g++-mingw-w64-i686
  clang libclang-rt-14-dev clang-format clang-tidy lld
  ccache
  libmodbus-dev libtomlplusplus-dev liblua5.4-dev
  lintian desktop-file-utils file zip unzip
  python3 python3-pytest python3-mypy python3-build python3-venv python3-pip python3-setuptools python3-wheel
  man-db groff-base
)

if [ "${ORVANE_PACKAGES_READY:-0}" != 1 ]; then
  missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi
if [ "${1:-}" = "--packages-only" ]; then exit 0; fi

# Compiler cache for the trees configured from here on (see compiler_cache.sh).
# shellcheck source=scripts/compiler_cache.sh
. "$here/scripts/compiler_cache.sh"

build=${1:-"$here/build"}
shift || true
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
if [ -n "${ORVANE_TARGETS:-}" ]; then
  # shellcheck disable=SC2086 # a list of target names
  cmake --build "$build" -j"$(nproc)" --target $ORVANE_TARGETS
else
  cmake --build "$build" -j"$(nproc)"
fi
