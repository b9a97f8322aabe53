# Sourced by the build scripts: bootstraps the machine and sets up ccache so a
# fresh clone in any folder reuses earlier objects.
set -euo pipefail
SONDERLITH_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SONDERLITH_JUCE_DIR="$("$SONDERLITH_ROOT/scripts/bootstrap.sh" | tail -n1)"
export SONDERLITH_JUCE_DIR
export CCACHE_BASEDIR="$SONDERLITH_ROOT" CCACHE_NOHASHDIR=1
export CCACHE_SLOPPINESS="time_macros"

# configure BUILD_DIR [cmake args...]
sonderlith_configure() {
  local dir="$1"; shift
  cmake -S "$SONDERLITH_ROOT" -B "$dir" -G Ninja -DSONDERLITH_JUCE_DIR="$SONDERLITH_JUCE_DIR" "$@" >/dev/null
}

# A virtual display when there is none. -noreset: Xvfb would otherwise forget
# every atom whenever its last client leaves, and a test program starting in
# that moment would miss the window-manager atoms the others created.
sonderlith_with_display() {
  if [ -n "${DISPLAY:-}" ] || ! command -v xvfb-run >/dev/null; then "$@"
  else xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"; fi
}

# Configures the instrumented build of a kind ("thread" or "address") and
# prints its folder. Optimised lightly and with line tables only: these builds
# exist to run the tests under the sanitizers, and compile time dominates.
sonderlith_sanitizer_build() {
  local kind="$1" dir="$SONDERLITH_ROOT/build-$1"
  local common=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DSONDERLITH_SANITIZER="$kind"
    -DSONDERLITH_BUILD_BENCHMARKS=OFF -DSONDERLITH_BUILD_HOSTING=OFF)
  if [ "$kind" = address ]; then
    CC=clang CXX=clang++ sonderlith_configure "$dir" "${common[@]}" -DSONDERLITH_FUZZ=ON \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG"
  else
    sonderlith_configure "$dir" "${common[@]}" \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
  fi
  echo "$dir"
}
