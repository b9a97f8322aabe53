#!/usr/bin/env bash
# The main job: builds the plug-in and the `sonderlith` command, installs
# Sonderlith.vst3 into ~/.vst3 and Sonderlith.lv2 into ~/.lv2, measures the
# built-in tanh device the way the plug-in does (writing a preset, a picture
# and the report), measures it again with the recording estimator and compares
# the two (pictures under build/demo; scripts/refresh_readme_pictures.sh
# redraws the README's), then loads each installed bundle as a host does and
# streams the device through it.
source "$(dirname "$0")/common.sh"
build="${SONDERLITH_BUILD_DIR:-$SONDERLITH_ROOT/build}"
sonderlith_configure "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target Sonderlith_VST3 Sonderlith_LV2 sonderlith sonderlith-host-check
cmake --install "$build" --component plugin
bundle="$(grep -m1 '^SONDERLITH_VST3_INSTALL_DIR:' "$build/CMakeCache.txt" | cut -d= -f2-)/Sonderlith.vst3"
lv2_bundle="$(grep -m1 '^SONDERLITH_LV2_INSTALL_DIR:' "$build/CMakeCache.txt" | cut -d= -f2-)/Sonderlith.lv2"
echo "installed $bundle"
echo "installed $lv2_bundle"

out="$build/demo"
mkdir -p "$out"
echo
echo "measuring the built-in tanh device (0 dB sine through tanh(3x)/tanh(3)):"
"$build/tools/sonderlith" measure --demo tanh --algorithm mean --length 64k --artist "Sonderlith demo" \
  -o "$out/tanh.tfunc" --png "$out/tanh.png" --json "$out/tanh.json"
echo
"$build/tools/sonderlith" inspect "$out/tanh.tfunc"
echo
# A report of the recording estimator on a noisy capture, and the plug-in's
# freeze against it.
echo "measuring the tanh device again with noise at -50 dBFS, every pair, the recording estimator:"
"$build/tools/sonderlith" measure --demo tanh --noise-db -50 -o "$out/tanh-recording.tfunc" --png "$out/report.png"
echo
"$build/tools/sonderlith" compare "$out/tanh.tfunc" "$out/tanh-recording.tfunc" --tolerance 0.02 --png "$out/compare.png"
echo
echo "loading the installed plug-in as a VST3 host does and streaming the device through it:"
"$build/tools/sonderlith" host-check "$bundle"
echo
echo "the same for the installed LV2:"
# lilv, inside the toolkit's LV2 hosting, says it cannot map the bundle path as a URI before it looks it up as a file.
"$build/tools/sonderlith" host-check "$lv2_bundle" 2> >(grep -v "attempt to map invalid URI" >&2)
