#!/usr/bin/env bash
# Builds the Debian packages and the Windows zip and checks them as a user would meet them:
# lintian (no errors), desktop-file-validate, install and purge into a private root (nothing
# left behind), the example machine programs shipped in libktr4-dev built against the
# packages unpacked into a staging folder (once through find_package(ktr4), once through
# pkg-config) and run, a part program planned through libktr4path-dev (pkg-config ktr4path) on
# the machine file it ships, the Python examples through python3-ktr4 and through the wheel in a
# fresh venv, a program run with only libktr4-1 and libktr4sim1 unpacked (no -dev), and the
# zip's contents, ordinals and import library.
# Usage: scripts/check_packages.sh [build-dir] [output-dir]
# The packages come from the test build (default build/, built here if it is not yet): they
# install under /usr whatever prefix the tree has. Packages, staging folder and example
# builds go to the output folder (default build-pkg/).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# Absolute: dpkg --root and the example builds below run from other folders.
build=$(realpath -m -- "${1:-"$here/build"}")
work=$(realpath -m -- "${2:-"$here/build-pkg"}")
out="$work/packages"
stage="$work/stage"
fail() { echo "check_packages: $*" >&2; exit 1; }

# ---- the packages, from the build tree brought up to date
if [ -f "$build/CMakeCache.txt" ]; then
  cmake --build "$build" -j"$(nproc)" >/dev/null
else
  "$here/scripts/setup.sh" "$build" >/dev/null
fi
rm -rf "$out" "$stage"
cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
debs=("$out"/*.deb)
names=$(for deb in "${debs[@]}"; do dpkg-deb -f "$deb" Package; done | sort | tr '\n' ' ')
[ "$names" = "ktr4-tools libktr4-1 libktr4-dev libktr4path-dev libktr4path1 libktr4sim1 python3-ktr4 tessa " ] || fail "packages made: $names"
deb_of() { echo "$out/$1"_*.deb; }
# A tree configured with another library folder would make packages outside Debian's layout.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
grep -q " ./usr/lib/$multiarch/libktr4.so.1 " <<<"$(dpkg-deb -c "$(deb_of libktr4-1)")" \
  || fail "libktr4-1 does not hold /usr/lib/$multiarch/libktr4.so.1 (CMAKE_INSTALL_LIBDIR of $build?)"
# The driver sits beside the library, where libktr4 looks for it, in the runtime package.
grep -q " ./usr/lib/$multiarch/libktr4sim.so$" <<<"$(dpkg-deb -c "$(deb_of libktr4sim1)")" \
  || fail "libktr4sim1 does not hold /usr/lib/$multiarch/libktr4sim.so"
for deb in "${debs[@]}"; do
  printf '%-40s %8s bytes  Depends: %s\n' "${deb##*/}" "$(stat -c %s "$deb")" \
    "$(dpkg-deb -f "$deb" Depends)"
  for field in Recommends Suggests; do
    value=$(dpkg-deb -f "$deb" $field)
    [ -z "$value" ] || printf '%-40s %14s  %s: %s\n' "" "" $field "$value"
  done
done

# ---- lintian: warnings are shown, errors fail
echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "${debs[@]}" || fail "lintian reports errors"

mkdir -p "$stage"
for deb in "${debs[@]}"; do dpkg-deb -x "$deb" "$stage"; done
echo "== desktop-file-validate"
desktop-file-validate "$stage/usr/share/applications/tessa.desktop" || fail "tessa.desktop is not valid"
[ -f "$stage/usr/share/icons/hicolor/scalable/apps/tessa.svg" ] || fail "no tessa icon"

# Every program has a manual page that man formats without a warning.
for program in "$stage"/usr/bin/*; do
  page="$stage/usr/share/man/man1/${program##*/}.1.gz"
  [ -f "$page" ] || fail "no manual page for ${program##*/}"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "${page##*/}: $warnings"
done

# Nothing installed may point back into the source or build tree.
if grep -rlI -e "$here" "$stage" >/dev/null; then
  grep -rlI -e "$here" "$stage" >&2
  fail "installed files refer to the source tree"
fi

# ---- install and purge into a private root: dpkg's own list of files, then nothing left
echo "== install and remove"
root="$work/dpkg-root"
rm -rf "$root"
mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status"
dpkg_root=(dpkg --root="$root" --force-depends --force-script-chrootless --log=/dev/null)
# Only the packages' own files are checked here: their dependencies are not in this root.
log=$("${dpkg_root[@]}" -i "${debs[@]}" 2>&1) || fail "dpkg -i failed: $log"
packages=()
for deb in "${debs[@]}"; do packages+=("$(dpkg-deb -f "$deb" Package)"); done
for package in "${packages[@]}"; do
  while read -r file; do
    [ -e "$root$file" ] || fail "$package: $file listed but not installed"
  done < <("${dpkg_root[@]}" -L "$package")
done
log=$("${dpkg_root[@]}" --purge "${packages[@]}" 2>&1) || fail "dpkg --purge failed: $log"
left=$(cd "$root" && find . -mindepth 1 -not -path './var/lib/dpkg*' -not -path './var' -not -path './var/lib' | sort)
[ -z "$left" ] || fail "removing the packages left behind: $left"

# ---- the examples shipped in libktr4-dev, built against the staged packages, twice
libdir="$stage/usr/lib/$multiarch"
examples="$stage/usr/share/doc/libktr4-dev/examples"
mapfile -t programs < <(cd "$examples" && ls -- *.c | sed 's/\.c$//')
[ ${#programs[@]} -ge 7 ] || fail "libktr4-dev ships ${#programs[@]} examples: ${programs[*]}"
run_program() {  # lib-dir program: run it on the libraries in lib-dir, check it used them
  local dir=$1 program=$2
  ldd_out=$(LD_LIBRARY_PATH="$dir" ldd "$program")
  grep -q "libktr4.so.1 => $dir/" <<<"$ldd_out" || fail "$program does not use libktr4 of $dir: $ldd_out"
  (cd "$work" && env -u KTR4IO_LIBRARY -u KTR4SIM_RECORD -u KTR4SIM_SCOPE LD_LIBRARY_PATH="$dir" "$program" >/dev/null) \
    || fail "${program##*/} failed on the staged packages"
}
run_examples() {  # build-dir: run every example built there
  for program in "${programs[@]}"; do run_program "$libdir" "$1/$program"; done
  echo "${#programs[@]} examples pass: ${programs[*]}"
}
echo "== examples through find_package(ktr4)"
rm -rf "$work/example-cmake"
cmake -S "$examples" -B "$work/example-cmake" -DCMAKE_PREFIX_PATH="$stage/usr" \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >/dev/null
cmake --build "$work/example-cmake" >/dev/null
run_examples "$work/example-cmake"

# Merged /usr: found under the prefix / through /lib -> /usr/lib, ktr4 still names /usr's files.
echo "== example through find_package(ktr4) and a /lib -> /usr/lib link"
ln -sfn usr/lib "$stage/lib"
rm -rf "$work/example-link"
cmake -S "$examples" -B "$work/example-link" -DCMAKE_PREFIX_PATH="$stage" \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >/dev/null
grep -q "^ktr4_DIR:PATH=$stage/lib/" "$work/example-link/CMakeCache.txt" || fail "ktr4 not found through $stage/lib"
cmake --build "$work/example-link" --target home_and_move >/dev/null
run_program "$libdir" "$work/example-link/home_and_move"
rm "$stage/lib"

# As the examples' README says: a copy of the folder, make and pkg-config.
echo "== examples through pkg-config"
rm -rf "$work/example-pc" && cp -r "$examples" "$work/example-pc"
PKG_CONFIG_SYSROOT_DIR="$stage" PKG_CONFIG_LIBDIR="$libdir/pkgconfig" make -s -C "$work/example-pc" >/dev/null
run_examples "$work/example-pc"

# ---- libktr4path-dev: a program built through `pkg-config ktr4path` plans a part program on
# the example machine file the package ships, with the staged libraries alone (the staged
# libktr4.so.1 is found through -rpath-link, as the system finds it in /usr/lib).
echo "== a part program through pkg-config ktr4path"
cat >"$work/path_check.c" <<'C'
#include <stdio.h>
#include "ktr4path.h"
int main(int argc, char** argv)
{
    ktr4path_machine* machine = NULL;
    ktr4path_program* program = NULL;
    ktr4path_plan* plan = NULL;
    ktr4path_error error;
    uint32_t blocks = 0;
    double seconds = 0;
    if (argc != 2 || ktr4path_load_machine(argv[1], &machine, &error) != KTR4PATH_OK
        || ktr4path_read_program(machine, "G21 G90\nG1 X10 Y10 F600\nG2 X20 Y0 R10\nM2\n", NULL, &program, &error)
               != KTR4PATH_OK
        || ktr4path_plan_program(machine, program, 256, &plan) != KTR4PATH_OK
        || ktr4path_plan_block_count(plan, &blocks) != KTR4PATH_OK || ktr4path_plan_seconds(plan, &seconds) != KTR4PATH_OK)
        return 1;
    printf("%u blocks, %.3f s\n", blocks, seconds);
    ktr4path_free_plan(plan);
    ktr4path_free_program(program);
    ktr4path_free_machine(machine);
    return blocks > 2 && seconds > 2 ? 0 : 1;
}
C
# shellcheck disable=SC2046 # pkg-config prints several words
cc "$work/path_check.c" -o "$work/path_check" -Wl,-rpath-link,"$libdir" \
  $(PKG_CONFIG_SYSROOT_DIR="$stage" PKG_CONFIG_LIBDIR="$libdir/pkgconfig" pkg-config --cflags --libs ktr4path) || fail "a program does not build through pkg-config ktr4path"
path_out=$(LD_LIBRARY_PATH="$libdir" "$work/path_check" "$stage/usr/share/doc/libktr4path-dev/examples/router.toml") \
  || fail "path_check failed on the staged packages: $path_out"
ldd_out=$(LD_LIBRARY_PATH="$libdir" ldd "$work/path_check")
grep -q "libktr4path.so.1 => $libdir/" <<<"$ldd_out" || fail "path_check does not use the staged libktr4path: $ldd_out"
echo "libktr4path-dev: path_check plans $path_out"
[ -f "$stage/usr/share/man/man3/ktr4path_run_start.3.gz" ] && [ -f "$stage/usr/share/man/man7/ktr4path.7.gz" ] \
  || fail "libktr4path-dev lacks its manual pages"

# ---- the Python examples through python3-ktr4 and through the wheel in a fresh venv
"$here/python/check_installed.sh" "$stage" "$libdir" "$build" "$work"

# ---- a program on the runtime packages alone: libktr4-1 and libktr4sim1, no -dev
echo "== a program with only libktr4-1 and libktr4sim1"
runtime="$work/runtime-root"
rm -rf "$runtime" && mkdir -p "$runtime"
dpkg-deb -x "$(deb_of libktr4-1)" "$runtime"
dpkg-deb -x "$(deb_of libktr4sim1)" "$runtime"
runtime_lib="$runtime/usr/lib/$multiarch"
# Linked against libktr4 alone: the library must find the simulated card beside itself.
printf '%s\n' '#include "ktr4.h"' \
  'int main(void) { return KTR4_initial() || KTR4_init_card(0) || KTR4_close(); }' >"$work/runtime_check.c"
cc -I"$stage/usr/include" "$work/runtime_check.c" -L"$libdir" -lktr4 -o "$work/runtime_check"
run_program "$runtime_lib" "$work/runtime_check"
opened=$(cd "$work" && LD_DEBUG=files LD_LIBRARY_PATH="$runtime_lib" "$work/runtime_check" 2>&1 | grep 'file=.*libktr4sim.so' || true)
grep -q "$runtime_lib/libktr4sim.so" <<<"$opened" || fail "libktr4 did not load the driver of libktr4sim1: $opened"
# A machine program that also sets up the simulated card (ktr4sim.h) runs there too.
run_program "$runtime_lib" "$work/example-pc/home_and_move"
echo "runtime packages alone: runtime_check and home_and_move pass"

# ---- the Windows zip
echo "== Windows zip"
zip=$("$here/scripts/package_windows.sh")
contents=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$contents" = "README.txt ktr4.def ktr4.dll ktr4.h ktr4io.h libktr4.dll.a reference/ reference/index.html reference/ktr4-card.html " ] || fail "zip holds: $contents"
unpacked="$work/windows-zip"
rm -rf "$unpacked" && mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked"
"$here/scripts/check_windows_exports.sh" --dll "$unpacked/ktr4.dll"
# A program linked with the zip's header and import library imports ktr4.dll by name.
printf '#include "ktr4.h"\nint main(void) { return KTR4_initial() == KTR4_OK ? KTR4_close() : 1; }\n' \
  >"$unpacked/link_check.c"
i686-w64-mingw32-gcc -I"$unpacked" "$unpacked/link_check.c" "$unpacked/libktr4.dll.a" -o "$unpacked/link_check.exe"
imports=$(i686-w64-mingw32-objdump -p "$unpacked/link_check.exe")
grep -q 'DLL Name: ktr4.dll' <<<"$imports" || fail "the import library does not name ktr4.dll"
for f in KTR4_initial KTR4_close; do
  grep -qE "[0-9]+ +$f\$" <<<"$imports" || fail "the import library does not import $f undecorated"
done
echo "check_packages: ${#debs[@]} packages and $(basename "$zip") pass"
