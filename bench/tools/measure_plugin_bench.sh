#!/usr/bin/env bash
# Whole-command timings of measuring a plug-in directly (hyperfine, wall
# clock, median of the runs): a 30 s stimulus through a light plug-in, and a
# ten-point sweep of it, on Debian's swh Foldover (LADSPA) and Wave shaper (LV2).
# usage: bench/tools/measure_plugin_bench.sh [BUILD_FOLDER]
set -euo pipefail
build="${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}"
command="$build/tools/sonderlith"
command -v hyperfine >/dev/null || { echo "hyperfine is not installed (scripts/bootstrap.sh installs it)"; exit 1; }
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
hyperfine --runs 5 --warmup 1 --export-json "$out/timings.json" \
  -n "30 s stimulus, LADSPA Foldover" "$command measure --plugin foldover_1213.so:foldover --set Drive=0.5 -o $out/one.tfunc" \
  -n "30 s stimulus, LV2 Wave shaper" "$command measure --plugin /usr/lib/lv2/shaper-swh.lv2 --set Waveshape=5 -o $out/two.tfunc" \
  -n "10-point sweep, LADSPA Foldover" "$command measure --plugin foldover_1213.so:foldover --sweep Drive=0:1:10 -o $out/sweep-{index}.tfunc"
/usr/bin/python3 -c '
import json, sys
for r in json.load(open(sys.argv[1]))["results"]:
    print("%-34s median %6.2f s  (min %.2f, max %.2f)" % (r["command"], r["median"], r["min"], r["max"]))' "$out/timings.json"
