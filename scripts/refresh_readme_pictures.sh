#!/usr/bin/env bash
# Redraws the pictures the README shows, into docs/: the plug-in's window
# frozen on a curve (our demo host on a virtual display, as the end-to-end
# test drives it), a report picture, a comparison picture and a family of
# curves across a plug-in's parameter (Debian's swh Foldover). The main job
# and the tests draw theirs under build/; only this script writes docs/.
source "$(dirname "$0")/common.sh"
build="${SONDERLITH_BUILD_DIR:-$SONDERLITH_ROOT/build}"
sonderlith_configure "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target sonderlith sonderlith-demo-host sonderlith-plugin-host
docs="$SONDERLITH_ROOT/docs"
work="$build/readme-pictures"
mkdir -p "$work"
sonderlith_with_display bash "$SONDERLITH_ROOT/tests/e2e/freeze_in_a_real_window.sh" \
  "$build/tools/sonderlith-demo-host" "$build/tools/sonderlith" "$work/window"
cp "$work/window/window.png" "$docs/plugin-window.png"
"$build/tools/sonderlith" measure --demo tanh --algorithm mean --length 64k -o "$work/tanh.tfunc"
"$build/tools/sonderlith" measure --demo tanh --noise-db -50 -o "$work/tanh-recording.tfunc" --png "$docs/report.png"
"$build/tools/sonderlith" compare "$work/tanh.tfunc" "$work/tanh-recording.tfunc" --tolerance 0.02 --png "$docs/compare.png"
"$build/tools/sonderlith" measure --plugin foldover_1213.so:foldover --sweep Drive=0:1:6 --png "$docs/family.png"
echo "refreshed docs/plugin-window.png, docs/report.png, docs/compare.png and docs/family.png"
