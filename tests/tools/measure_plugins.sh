#!/usr/bin/env bash
# `sonderlith measure --plugin` on real third-party plug-ins that Debian
# packages (swh, tap and mda; LV2 and LADSPA), on the project's own VST3 as a
# wire, and on test devices that misbehave. A static device's curve must
# agree with a DC staircase rendered through the same plug-in within 0.005 of
# full scale; a device with memory must not be judged good; every failure
# is refused with its reason and never takes the command down.
# usage: measure_plugins.sh SONDERLITH PLUGIN_HOST TEST_LV2_FOLDER OWN_VST3 SCHEMA OUTPUT_FOLDER
set -euo pipefail
command="$1" host="$2" lv2="$3" own="$4" schema="$5" out="$6"
for p in /usr/lib/ladspa/foldover_1213.so /usr/lib/ladspa/tap_tubewarmth.so /usr/lib/lv2/shaper-swh.lv2 /usr/lib/lv2/mda.lv2; do
  [ -e "$p" ] || { echo "skipped: $p is not installed (scripts/bootstrap.sh installs swh-plugins, tap-plugins, swh-lv2 and mda-lv2)"; exit 77; }
done
rm -rf "$out" && mkdir -p "$out"
export LV2_PATH="$lv2"
python=/usr/bin/python3
failures=0
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }

# The curve at held DC levels, each level's last sample once the device has settled.
staircase() { # id truth.csv NAME=VALUE...
  local id="$1" truth="$2"; shift 2
  "$python" - "$host" "$id" "$truth" "$@" <<'PY'
import subprocess, sys, numpy as np
host, pid, truth, sets = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
levels, hold = np.linspace(-1, 1, 401), 512
np.repeat(levels, hold).astype(np.float32).tofile(truth + ".in")
subprocess.run([host, "render", pid, truth + ".in", truth + ".out", "48000", "512", "0", "24000", "0", *sets],
               check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
y = np.fromfile(truth + ".out", dtype=np.float32).reshape(len(levels), hold)[:, -1]
np.savetxt(truth, np.stack([levels, y], axis=1), delimiter=",")
PY
}

# The largest difference between the measured curve and the truth within
# 95 % of the range X was played over (the report's xMinimum and xMaximum).
largest_error() { # truth.csv measured.csv report.json
  "$python" - "$1" "$2" "$3" <<'PY'
import json, sys, numpy as np
truth = np.loadtxt(sys.argv[1], delimiter=",")
m = np.genfromtxt(sys.argv[2], delimiter=",", names=True)
report = json.load(open(sys.argv[3]))
x = truth[:, 0]
inside = (x >= 0.95 * report["xMinimum"]) & (x <= 0.95 * report["xMaximum"])
print("%.6f" % np.max(np.abs(np.interp(x[inside], m["x_input"], m["y_output"]) - truth[inside, 1])))
PY
}

valid_json() { "$python" -c 'import json, sys, jsonschema; jsonschema.validate(json.load(open(sys.argv[1])), json.load(open(sys.argv[2])))' "$1" "$schema"; }

# Static devices: id, the options that set it up, the staircase's settings.
static_cases=(
  "foldover_1213.so:foldover|--set Drive=0.5|Drive=0.5"
  "foverdrive_1196.so:foverdrive||"
  "/usr/lib/lv2/shaper-swh.lv2|--set Waveshape=5|Waveshape=5"
  "/usr/lib/lv2/shaper-swh.lv2|--normalised --set Waveshape=0.75|Waveshape=5"
  "/usr/lib/lv2/foldover-swh.lv2|--set drive_p=0.5 --signal noise --seconds 5|drive_p=0.5"
  "/usr/lib/lv2/crossover_dist-swh.lv2|--signal sine --level -1 --seconds 5|"
)
n=0
for c in "${static_cases[@]}"; do
  IFS='|' read -r id options truth_settings <<< "$c"
  n=$((n + 1))
  # shellcheck disable=SC2086
  staircase "$id" "$out/truth$n.csv" $truth_settings || { fail "$id: the staircase could not be rendered"; continue; }
  status=0
  # shellcheck disable=SC2086
  "$command" measure --plugin "$id" $options --csv "$out/curve$n.csv" --json "$out/report$n.json" > "$out/measure$n.txt" 2>&1 || status=$?
  [ "$status" = 0 ] || { fail "$id $options: exit $status"; cat "$out/measure$n.txt"; continue; }
  grep -q '^verdict *good' "$out/measure$n.txt" || fail "$id $options: not good: $(grep -A3 '^verdict' "$out/measure$n.txt")"
  error="$(largest_error "$out/truth$n.csv" "$out/curve$n.csv" "$out/report$n.json")"
  "$python" -c "import sys; sys.exit(0 if float('$error') <= 0.005 else 1)" || fail "$id $options: $error from the staircase's curve"
  valid_json "$out/report$n.json" || fail "$id: the JSON report does not match the schema"
  echo "static: $id $options: within $error of the staircase"
done

# Devices with memory: one static curve does not model them, and the verdict says so.
for c in "MDA Overdrive|--set Drive=0.5 --set Muffle=0.8" "tap_tubewarmth.so:tap_tubewarmth|"; do
  IFS='|' read -r id options <<< "$c"
  status=0
  # shellcheck disable=SC2086
  "$command" measure --plugin "$id" $options > "$out/memory.txt" 2>&1 || status=$?
  [ "$status" = 0 ] || [ "$status" = 3 ] || { fail "$id: exit $status"; cat "$out/memory.txt"; }
  grep -q '^verdict *good' "$out/memory.txt" && fail "$id has memory but was judged good"
  grep -q 'does not model\|memory' "$out/memory.txt" || fail "$id: the verdict does not name the memory"
  echo "memory: $id $options: $(grep '^verdict' "$out/memory.txt")"
done

# The project's own plug-in as a device: a wire, with no delay.
"$command" measure --plugin "$own" --json "$out/own.json" > "$out/own.txt" 2>&1 || fail "own VST3: exit $?"
"$python" - "$out/own.json" <<'PY' || fail "own VST3: not a wire without delay"
import json, sys
r = json.load(open(sys.argv[1]))
assert r["verdict"] == "good", r["verdictReasons"]
assert abs(r["estimatedDelaySamples"]) < 0.01, r["estimatedDelaySamples"]
assert r["device"]["format"] == "VST3" and r["device"]["reportedLatencySamples"] == 0
assert abs(r["smallSignalGain"] - 1) < 1e-3, r["smallSignalGain"]
PY
echo "own VST3: a wire, delay 0"

# A plug-in that reports a latency it does not have: the curve at the delay found, and the verdict says so.
"$command" measure --plugin urn:sonderlith:test:false-latency --json "$out/false.json" > "$out/false.txt" 2>&1 || fail "false latency: exit $?"
grep -q '^verdict *doubtful' "$out/false.txt" && grep -q 'reports a latency of 100 samples, but its output lags X by 0.00' "$out/false.txt" \
  || fail "a false latency is not reported: $(cat "$out/false.txt")"
valid_json "$out/false.json" || fail "false latency: the JSON report does not match the schema"

# A sweep: a preset, a row, a CSV column and a JSON point a value, and a family picture.
status=0
"$command" measure --plugin foldover_1213.so:foldover --sweep Drive=0:1:5 -o "$out/fold-{Drive}.tfunc" --json "$out/sweep.json" \
  --csv "$out/sweep.csv" --png "$out/family.png" > "$out/sweep.txt" 2>&1 || status=$?
[ "$status" = 0 ] || fail "sweep: exit $status: $(cat "$out/sweep.txt")"
for v in 0 0.25 0.5 0.75 1; do [ -s "$out/fold-$v.tfunc" ] || fail "sweep: no preset for Drive $v"; done
[ "$(grep -c '^[0-9] .*good' "$out/sweep.txt")" = 5 ] || fail "sweep: not five good rows: $(cat "$out/sweep.txt")"
# The family picture at its size, holding the five curves' ramp of colours
# (axes and text alone come to about 400 colours, the curves to over 2000).
read -r width height colours < <(identify -format '%w %h %k\n' "$out/family.png" 2>/dev/null || echo "0 0 0")
[ "$width $height" = "1600 1000" ] && [ "$colours" -gt 1500 ] || fail "sweep: the family picture is ${width}x${height} with $colours colours"
valid_json "$out/sweep.json" || fail "sweep: the JSON does not match the schema"
"$python" - "$out/sweep.json" "$out/sweep.csv" "$out/truth1.csv" <<'PY' || fail "sweep: its figures or its curves are wrong"
import json, sys, numpy as np
sweep = json.load(open(sys.argv[1]))
assert [p["values"]["Drive"] for p in sweep["points"]] == [0, 0.25, 0.5, 0.75, 1], sweep["points"]
assert all(p["exitCode"] == 0 and p["error"] is None and p["report"]["verdict"] == "good" for p in sweep["points"])
gains = [p["report"]["smallSignalGain"] for p in sweep["points"]]
assert gains == sorted(gains), "the fold's gain rises with its drive: %s" % gains
csv = np.genfromtxt(sys.argv[2], delimiter=",", names=True)
assert len(csv.dtype.names) == 6, csv.dtype.names
truth = np.loadtxt(sys.argv[3], delimiter=",")  # Drive 0.5, the first static case
inside = np.abs(truth[:, 0]) <= 0.95
column = csv[csv.dtype.names[3]]
error = np.max(np.abs(np.interp(truth[inside, 0], csv["x"], column) - truth[inside, 1]))
assert error <= 0.005, "the Drive 0.5 column is %f from its staircase" % error
PY
echo "sweep: five points, their presets, figures, curves and picture"

# A grid of two swept names, and a point that cannot be measured among them.
status=0
"$command" measure --plugin foldover_1213.so:foldover --sweep Drive=0.5:1.5:3 --sweep level=-12:0:2 --signal noise --seconds 2 \
  -o "$out/grid-{index}.tfunc" --json "$out/grid.json" > "$out/grid.txt" 2>&1 || status=$?
[ "$status" = 1 ] || fail "grid with an unmeasurable point: exit $status, not 1"
"$python" - "$out/grid.json" <<'PY' || fail "grid: the points are not as swept"
import json, sys
points = json.load(open(sys.argv[1]))["points"]
assert [(p["values"]["Drive"], p["values"]["level"]) for p in points] == [(0.5, -12), (0.5, 0), (1, -12), (1, 0), (1.5, -12), (1.5, 0)]
assert [p["exitCode"] for p in points] == [0, 0, 0, 0, 1, 1], [p["exitCode"] for p in points]
assert all("out of range" in p["error"] and p["report"] is None for p in points[4:])
assert abs(points[0]["report"]["xPeakDbfs"] + 12) < 0.01, points[0]["report"]["xPeakDbfs"]
PY
for i in 1 2 3 4; do [ -s "$out/grid-$i.tfunc" ] || fail "grid: no preset for point $i"; done
[ -e "$out/grid-5.tfunc" ] && fail "grid: a preset for a point that was not measured"
echo "grid: six points, the unmeasurable two reported and the rest measured"

# Refusals: exit code and reason, and the command always returns.
refusals=(
  "1|--plugin urn:sonderlith:test:crashes|The plug-in crashed while the signal played through it (signal 11"
  "1|--plugin urn:sonderlith:test:hangs --timeout 3|The plug-in did not finish while the signal played through it within 3 s and was stopped"
  "1|--plugin urn:sonderlith:test:not-a-number|The plug-in's output is not a number (NaN or infinite) in every sample"
  "1|--plugin urn:sonderlith:test:generator|the plug-in has no audio input"
  "1|--plugin urn:sonderlith:test:refuses-to-load|the plug-in urn:sonderlith:test:refuses-to-load could not be loaded: "
  "1|--plugin foldover_1213.so:foldover --set Loudness=3|the plug-in has no parameter \"Loudness\"; its parameters: \"Drive\", \"Skew\""
  "1|--plugin foldover_1213.so:foldover --set Drive=2|\"Drive\" ranges from 0 to 1: 2 is out of range"
  "1|--plugin foldover_1213.so:foldover --normalised --set Drive=1.5|\"Drive\" takes a normalised value from 0 to 1"
  "1|--plugin foldover_1213.so:foldover --channel 2|there is no channel 2"
  "1|--plugin no-such-plug-in|no installed plug-in matches \"no-such-plug-in\""
  "1|--plugin sonderlith:test:|6 plug-ins match \"sonderlith:test:\"; name one of them:"
  "2|--plugin foldover_1213.so:foldover --delay 3|--delay does not go with --plugin"
  "2|--demo tanh --level -6|--level goes with --plugin"
  "2|--plugin foldover_1213.so:foldover --set Drive|--set takes NAME=VALUE"
  "2|--plugin foldover_1213.so:foldover --sweep Drive=0:1|--sweep takes NAME=FROM:TO:STEPS"
  "2|--plugin foldover_1213.so:foldover --sweep Drive=0:1:3 --set Drive=0.5|--set and --sweep both set Drive"
  "2|--plugin foldover_1213.so:foldover --sweep Drive=0:1:3 -o fold.tfunc|put {index} or {Drive} in it"
  "2|--plugin foldover_1213.so:foldover --sweep Drive=0:1:40 --sweep Skew=0:1:40|more than 1000"
)
for c in "${refusals[@]}"; do
  IFS='|' read -r expected arguments reason <<< "$c"
  status=0
  # shellcheck disable=SC2086
  timeout 60 "$command" measure $arguments > "$out/refusal.txt" 2>&1 || status=$?
  [ "$status" = "$expected" ] || fail "measure $arguments: exit $status, not $expected: $(cat "$out/refusal.txt")"
  grep -qF -- "$reason" "$out/refusal.txt" || fail "measure $arguments: no '$reason' in: $(cat "$out/refusal.txt")"
done
pgrep -f "sonderlith-plugin-host render urn:sonderlith:test:hangs" >/dev/null && fail "the hanging plug-in's host was left running"

[ "$failures" = 0 ] || { echo "$failures failures"; exit 1; }
echo "measure --plugin: static devices match their staircases, memory is named, failures refused with their reasons"
