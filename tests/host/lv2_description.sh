#!/usr/bin/env bash
# What LV2 hosts read of the bundle, through lilv's own tools: listed by
# lv2ls, and in lv2info four audio inputs (two of them the sidechain, marked
# so hosts route a sidechain to them) and two outputs.
# usage: lv2_description.sh PATH/Sonderlith.lv2 PLUGIN_URI
set -euo pipefail
bundle="$1" uri="$2"
command -v lv2info >/dev/null || { echo "lv2info is not installed"; exit 77; }
export LV2_PATH="$(cd "$(dirname "$bundle")" && pwd)"

lv2ls | grep -qx "$uri" || { echo "lv2ls does not list $uri"; lv2ls; exit 1; }
info="$(lv2info "$uri")"

# One block per port: its type lines and properties, folded onto one line.
ports="$(awk '/^\tPort [0-9]+:/ { if (p) print p; p = $0; next } p && /^\t\t/ { p = p " " $0 } END { if (p) print p }' <<<"$info")"
audio="$(grep AudioPort <<<"$ports" || true)"
count() { grep -c -- "$1" || true; }
inputs=$(count InputPort <<<"$audio")
outputs=$(count OutputPort <<<"$audio")
sidechain=$(grep InputPort <<<"$audio" | count isSideChain)
echo "audio inputs: $inputs (sidechain: $sidechain), audio outputs: $outputs"
[ "$inputs" = 4 ] && [ "$sidechain" = 2 ] && [ "$outputs" = 2 ] || { echo "$info"; exit 1; }
grep -q "audio_in_3.*isSideChain\|isSideChain.*audio_in_3" <<<"$ports" || { echo "the sidechain is not the second input pair"; exit 1; }
# The algorithm's choices, in order, as hosts list them (a parameter, not a port).
choices="$(awk '/^plug:captureAlgorithm/,/\] \.$/' "$bundle/dsp.ttl" | sed -n 's/.*rdfs:label "\([^"]*\)".*/\1/p' | tail -n +2 | tr '\n' ' ')"
[ "$choices" = "ODR Mean Auto " ] || { echo "Capture Algorithm's choices are '$choices', not ODR, Mean and Auto"; exit 1; }
echo "LV2 description as hosts read it: ok"
