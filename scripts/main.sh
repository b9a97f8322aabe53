#!/usr/bin/env bash
# The main job: builds the plug-in, installs Sonderlith.vst3 into ~/.vst3 and
# shows what a VST3 host sees of it.
source "$(dirname "$0")/common.sh"
build="${SONDERLITH_BUILD_DIR:-$SONDERLITH_ROOT/build}"
sonderlith_configure "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target Sonderlith_VST3 vst3-host-info
cmake --install "$build" --component plugin
bundle="$(grep -m1 '^SONDERLITH_VST3_INSTALL_DIR:' "$build/CMakeCache.txt" | cut -d= -f2-)/Sonderlith.vst3"
echo "installed $bundle"
"$build/tools/vst3-host-info" "$bundle"
