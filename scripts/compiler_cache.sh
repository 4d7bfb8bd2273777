# Sourced by the build scripts: when ccache is installed, build trees they configure compile
# through it. Paths are taken relative to the source tree and the build folder is not hashed,
# so a fresh clone elsewhere hits what an earlier clone compiled. Settings already in the
# environment win.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
  export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi
