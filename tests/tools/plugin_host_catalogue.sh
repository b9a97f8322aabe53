#!/usr/bin/env bash
# The plug-in host lists what is installed (LV2 bundles in LV2_PATH beside
# the standard folders, LADSPA libraries by library:label) and finds a
# plug-in by identifier, path or name, refusing names that match none or
# several with the candidates.
# usage: plugin_host_catalogue.sh PLUGIN_HOST LV2_FOLDER
set -euo pipefail
host="$1" lv2="$2"
[ -f /usr/lib/ladspa/foldover_1213.so ] && [ -d /usr/lib/lv2/foldover-swh.lv2 ] \
  || { echo "skipped: Debian's swh-plugins and swh-lv2 are not installed (scripts/bootstrap.sh installs them)"; exit 77; }
export LV2_PATH="$lv2"
fail() { echo "$1"; exit 1; }

listed="$("$host" list 2>/dev/null)"
for expected in $'LV2\tTest false latency\turn:sonderlith:test:false-latency' \
                $'LV2\tWave shaper\thttp://plugin.org.uk/swh-plugins/shaper' \
                $'LADSPA\tFoldover distortion\tfoldover_1213.so:foldover' \
                $'LV2\tTest generator\turn:sonderlith:test:generator\tSonderlith tests\t0\t1'; do
  grep -qF "$expected" <<< "$listed" || fail "not listed: $expected"
done
[ -z "$("$host" list ladspa 2>/dev/null | grep -v '^LADSPA')" ] || fail "list ladspa lists other formats"

for id in urn:sonderlith:test:false-latency "Test false latency" /usr/lib/ladspa/foldover_1213.so:foldover foldover_1213.so:foldover; do
  "$host" parameters "$id" 2>/dev/null | grep -q '^plugin' || fail "not found by '$id'"
done
"$host" parameters http://plugin.org.uk/swh-plugins/shaper 2>/dev/null | grep -qP '^parameter\tWaveshape\t\S+\t-10\t10\t0\t0$' \
  || fail "the Wave shaper's parameter is not listed with its range"

status=0
err="$("$host" parameters "no such plug-in" 2>&1 >/dev/null)" || status=$?
[ "$status" = 1 ] && grep -q '^refused: no installed plug-in matches "no such plug-in"' <<< "$err" || fail "an unknown name is not refused: $err"
status=0
err="$("$host" parameters "$lv2/sonderlith-test-devices.lv2" 2>&1 >/dev/null)" || status=$?
[ "$status" = 1 ] && grep -q '^refused: 5 plug-ins match' <<< "$err" || fail "a bundle of several plug-ins is not refused with them: $err"
status=0
err="$("$host" parameters "Test " 2>&1 >/dev/null)" || status=$?
[ "$status" = 1 ] && grep -q '^refused: 5 plug-ins match "Test "; name one of them:' <<< "$err" && grep -q 'urn:sonderlith:test:hangs' <<< "$err" \
  || fail "an ambiguous name does not list the candidates: $err"
echo "plug-in host: every format listed, found by identifier, path and name, unknown and ambiguous names refused"
