#!/usr/bin/env bash
# Runs the Python examples as users meet them: once through the files of python3-ktr4 under
# Debian's /usr/bin/python3, once through the wheel (built from the build tree offline with
# Debian's python3-build) installed with pip --no-index into a fresh virtual environment.
# Both find libktr4.so.1 through the loader, in LIB_DIR. Then Debian's mypy --strict checks the
# examples against the wheel as installed.
# Usage: python/check_installed.sh STAGE LIB_DIR BUILD_DIR WORK_DIR
#   STAGE: a folder python3-ktr4 (and the library packages) were unpacked into.
set -euo pipefail
stage=$1 libdir=$2 build=$3 work=$4
fail() { echo "check_installed: $*" >&2; exit 1; }
examples="$stage/usr/share/doc/python3-ktr4/examples"
[ -d "$examples" ] || fail "no examples in $examples"

run_examples() {  # how (text), python, extra environment...: every example, nothing of the tree on the path
  local how=$1 python=$2
  shift 2
  for example in "$examples"/*.py; do
    (cd "$work" && env -i PATH=/usr/bin:/bin HOME="$work" LANG=C.UTF-8 LD_LIBRARY_PATH="$libdir" \
      PYTHONDONTWRITEBYTECODE=1 "$@" "$python" "$example" >/dev/null) || fail "${example##*/} fails $how"
  done
  echo "$(ls "$examples"/*.py | wc -l) Python examples pass $how"
}

echo "== Python examples through python3-ktr4"
run_examples "through the Debian package" /usr/bin/python3 PYTHONPATH="$stage/usr/lib/python3/dist-packages"

echo "== Python examples through the wheel in a fresh virtual environment"
source_dir="$work/wheel-source"
rm -rf "$source_dir" "$work/wheel" "$work/venv" && mkdir -p "$source_dir"
cp -r "$build/python/pyproject.toml" "$build/python/README.md" "$build/python/ktr4" "$source_dir/"
rm -rf "$source_dir/ktr4/__pycache__"
/usr/bin/python3 -m build --no-isolation --wheel --outdir "$work/wheel" "$source_dir" >"$work/wheel.log" 2>&1 \
  || { cat "$work/wheel.log" >&2; fail "the wheel does not build"; }
wheel=$(ls "$work"/wheel/ktr4-*-py3-none-any.whl) || fail "no pure-Python wheel"
/usr/bin/python3 -m venv "$work/venv"
"$work/venv/bin/python" -m pip install --quiet --no-index --no-deps "$wheel" || fail "pip cannot install $wheel"
venv_python="$work/venv/bin/python"
(cd "$work" && env -i LD_LIBRARY_PATH="$libdir" "$venv_python" -c "import ktr4, sys; sys.exit(not (
   ktr4.__file__.startswith('$work/venv/') and ktr4._library.library_path().startswith('$libdir/')))") \
  || fail "the venv's ktr4 is not the wheel's, or not on $libdir/libktr4.so.1"
echo "${wheel##*/}: $(stat -c %s "$wheel") bytes, installed into $work/venv"
run_examples "through the wheel" "$venv_python"
# The wheel carries its types (py.typed, the stubs): the examples pass mypy --strict against it.
(cd "$work" && /usr/bin/python3 -m mypy --strict --no-incremental --python-executable "$venv_python" \
  "$examples"/*.py >"$work/mypy.log" 2>&1) || { cat "$work/mypy.log" >&2; fail "mypy --strict on the examples"; }
echo "the examples pass mypy --strict against the installed wheel"
