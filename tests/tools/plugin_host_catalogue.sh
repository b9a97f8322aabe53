#!/usr/bin/env bash
# The plug-in host lists what is installed (LV2 bundles in LV2_PATH beside
# the standard folders, LADSPA libraries by library:label) and finds a
# plug-in by identifier, path or name, refusing names that match none or
# several with the candidates.
# `sonderlith plugins` shows the same as text and JSON.
# usage: plugin_host_catalogue.sh PLUGIN_HOST LV2_FOLDER SONDERLITH
set -euo pipefail
host="$1" lv2="$2" command="$3"
[ -f /usr/lib/ladspa/foldover_1213.so ] && [ -d /usr/lib/lv2/foldover-swh.lv2 ] \
  || { echo "skipped: Debian's swh-plugins and swh-lv2 are not installed (scripts/bootstrap.sh installs them)"; exit 77; }
export LV2_PATH="$lv2"
fail() { echo "$1"; exit 1; }

listed="$("$host" list 2>/dev/null)"
for expected in $'LV2\tTest false latency\turn:sonderlith:test:false-latency' \
                $'LADSPA\tFoldover distortion\tfoldover_1213.so:foldover' \
                $'LV2\tTest generator\turn:sonderlith:test:generator\tSonderlith tests\t0\t1'; do
  grep -qF "$expected" <<< "$listed" || fail "not listed: $expected"
done
# An LV2 plug-in is listed by its URI, and the same plug-in is found by its bundle's path.
grep -qP '^LV2\tWave shaper\t\S+/shaper\tSteve Harris\t1\t1$' <<< "$listed" || fail "not listed: the LV2 Wave shaper by its URI"
[ -z "$("$host" list ladspa 2>/dev/null | grep -v '^LADSPA')" ] || fail "list ladspa lists other formats"

for id in urn:sonderlith:test:false-latency "Test false latency" /usr/lib/ladspa/foldover_1213.so:foldover foldover_1213.so:foldover; do
  "$host" parameters "$id" 2>/dev/null | grep -q '^plugin' || fail "not found by '$id'"
done
"$host" parameters /usr/lib/lv2/shaper-swh.lv2 2>/dev/null | grep -qP '^parameter\tWaveshape\t\S+\t-10\t10\t0\t0$' \
  || fail "the Wave shaper's parameter is not listed with its range"

status=0
err="$("$host" parameters "no such plug-in" 2>&1 >/dev/null)" || status=$?
[ "$status" = 1 ] && grep -q '^refused: no installed plug-in matches "no such plug-in"' <<< "$err" || fail "an unknown name is not refused: $err"
status=0
err="$("$host" parameters "$lv2/sonderlith-test-devices.lv2" 2>&1 >/dev/null)" || status=$?
[ "$status" = 1 ] && grep -q '^refused: 6 plug-ins match' <<< "$err" || fail "a bundle of several plug-ins is not refused with them: $err"
status=0
err="$("$host" parameters "Test " 2>&1 >/dev/null)" || status=$?
[ "$status" = 1 ] && grep -q '^refused: 6 plug-ins match "Test "; name one of them:' <<< "$err" && grep -q 'urn:sonderlith:test:hangs' <<< "$err" \
  || fail "an ambiguous name does not list the candidates: $err"
# The command's view of it.
"$command" plugins --format ladspa --json 2>/dev/null | /usr/bin/python3 -c '
import json, sys
plugins = json.load(sys.stdin)
assert all(p["format"] == "LADSPA" for p in plugins), "other formats listed"
fold = [p for p in plugins if p["identifier"] == "foldover_1213.so:foldover"]
assert fold and fold[0]["name"] == "Foldover distortion" and fold[0]["audioInputs"] == 1, fold' || fail "plugins --format ladspa --json"
"$command" plugins foldover_1213.so:foldover --parameters --json 2>/dev/null | /usr/bin/python3 -c '
import json, sys
p = json.load(sys.stdin)
assert [(q["name"], q["minimum"], q["maximum"]) for q in p["parameters"]] == [("Drive", "0", "1"), ("Skew", "0", "1")], p' \
  || fail "plugins ID --parameters --json"
text="$("$command" plugins /usr/lib/lv2/shaper-swh.lv2 --parameters 2>/dev/null)"
grep -qE '^Waveshape +sym:shapep +-10 \.\. 10 +0 +0$' <<< "$text" || fail "plugins ID --parameters as text: $text"
status=0
"$command" plugins --parameters > /dev/null 2>&1 || status=$?
[ "$status" = 2 ] || fail "plugins --parameters without a plug-in is not a usage error"

echo "plug-in host: every format listed, found by identifier, path and name, unknown and ambiguous names refused"
