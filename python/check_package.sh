#!/usr/bin/env bash
# Checks python3-ktr4 as a user meets it: lintian (no errors), install and purge into a private
# root (nothing left behind), py3compile over its modules, then with the runtime packages and
# python3-ktr4 unpacked into a staging folder (no -dev): `import ktr4`, a move on the simulated
# card read back, card 20 raising a ValueError that names the card range, and every example of
# its doc folder, through the package and through the wheel in a fresh venv (check_installed.sh).
# Usage: python/check_package.sh [build-dir] [output-dir]
# The simulated card comes from its runtime package libktr4sim1 when the build makes one, else
# from the build tree (said in the output).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
work=${2:-"$here/build-python-pkg"}
out="$work/packages"
stage="$work/stage"
fail() { echo "check_package: $*" >&2; exit 1; }

cmake --build "$build" -j2 >/dev/null
rm -rf "$out" "$stage" && mkdir -p "$work"
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$out"/python3-ktr4_*_all.deb) || fail "no python3-ktr4 package"
printf '%s %s bytes, installed %s KiB, Depends: %s\n' "${deb##*/}" "$(stat -c %s "$deb")" \
  "$(dpkg-deb -f "$deb" Installed-Size)" "$(dpkg-deb -f "$deb" Depends)"

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

echo "== install and purge into a private root"
root="$work/dpkg-root"
rm -rf "$root" && mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status"
dpkg_root=(dpkg --root="$root" --force-depends --force-script-chrootless --log=/dev/null)
log=$("${dpkg_root[@]}" -i "$deb" 2>&1) || fail "dpkg -i failed: $log"
while read -r file; do
  [ -e "$root$file" ] || fail "$file listed but not installed"
done < <("${dpkg_root[@]}" -L python3-ktr4)
log=$("${dpkg_root[@]}" --purge python3-ktr4 2>&1) || fail "dpkg --purge failed: $log"
left=$(cd "$root" && find . -mindepth 1 -not -path './var*' | sort)
[ -z "$left" ] || fail "removing the package left behind: $left"

echo "== unpacked runtime packages, no -dev"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
libdir="$stage/usr/lib/$multiarch"
for package in libktr4-1 libktr4sim1 python3-ktr4; do
  for file in "$out/${package}"_*.deb; do
    [ -e "$file" ] && dpkg-deb -x "$file" "$stage"
  done
done
if [ ! -e "$libdir/libktr4sim.so" ]; then
  echo "(no libktr4sim1 package: the simulated card comes from $build/lib)"
  cp "$build/lib/libktr4sim.so" "$libdir/"
fi
modules="$stage/usr/lib/python3/dist-packages"
py3compile "$modules/ktr4" || fail "py3compile fails on the modules"
rm -rf "$modules/ktr4/__pycache__"

run() {  # a Python program with nothing but the staged files
  env -i PATH=/usr/bin:/bin HOME="$work" LANG=C.UTF-8 LD_LIBRARY_PATH="$libdir" PYTHONPATH="$modules" \
    PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 "$@"
}
cd "$work"  # nothing of the source tree on Python's path
run -c "import ktr4, sys; sys.exit(not (ktr4.__file__.startswith('$modules/') and
         ktr4._library.library_path().startswith('$libdir/')))" \
  || fail "import ktr4 does not take the staged package and libktr4.so.1"
run - <<'PYTHON' || fail "the move or the card-20 error is wrong"
import ktr4
ktr4.sim.use_virtual_clock(True)
with ktr4.Library() as ktr:
    axis = ktr.card(0).axis(0)
    axis.move_to(12345, 20000, start_speed=500, accel=0.1)
    end = axis.wait_until_stopped(timeout=5)
    print(f"move to 12345: ended at {end}, reads back {axis.position}")
    assert end == axis.position == 12345
    try:
        ktr.card(20)
    except ValueError as error:
        print(f"card 20: {type(error).__name__}: {error}")
        assert "0..15" in str(error)
    else:
        raise SystemExit("card 20 raised nothing")
PYTHON
"$here/python/check_installed.sh" "$stage" "$libdir" "$build" "$work"
echo "check_package: python3-ktr4 passes"
