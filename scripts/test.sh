#!/usr/bin/env bash
# Everything from a fresh machine: bootstrap, configure, build, run the tests.
source "$(dirname "$0")/common.sh"
build="${SONDERLITH_BUILD_DIR:-$SONDERLITH_ROOT/build}"
sonderlith_configure "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build"
sonderlith_with_display ctest --test-dir "$build" --output-on-failure -j2 "$@"
