#!/usr/bin/env bash
# As a person would, on a recording: the demo host loops noise through a
# saturator with Y 37 samples late; "Detect latency" from the plot's context
# menu sets X LAG to 37, freeze, "Auto" from the Algo combo, the verdict line
# reads good, and Ctrl+S saves a preset within 0.005 of the true curve (the
# command's fit of the same saturator on an aligned, noise-free sine).
# usage: detect_latency_in_a_real_window.sh DEMO_HOST SONDERLITH_COMMAND OUTPUT_FOLDER
set -euo pipefail
host="$1" command="$2" out="$3"
command -v xdotool >/dev/null || { echo "skipped: xdotool is not installed (scripts/bootstrap.sh installs it)"; exit 77; }
[ -n "${DISPLAY:-}" ] || { echo "skipped: no display"; exit 77; }
rm -rf "$out" && mkdir -p "$out"
export XDG_CONFIG_HOME="$out/config"

/usr/bin/python3 - "$out" <<'PY'
import sys, numpy as np
from scipy.io import wavfile
out, rate = sys.argv[1], 48000
x = np.random.default_rng(7).uniform(-1, 1, 4 * rate)
y = np.tanh(3 * np.roll(x, 37)) # delayed round the loop, so the host's loop has no seam
wavfile.write(f"{out}/noise.wav", rate, np.stack([x, y], axis=1).astype(np.float32))
sine = np.sin(2 * np.pi * 50 * np.arange(rate) / rate)
wavfile.write(f"{out}/truth.wav", rate, np.stack([sine, np.tanh(3 * sine)], axis=1).astype(np.float32))
PY
"$command" measure --xy "$out/truth.wav" -o "$out/truth.tfunc" > "$out/truth.txt" || { cat "$out/truth.txt"; exit 1; }

source "$(dirname "$0")/demo_host_window.sh"
start_demo_host --xy "$out/noise.wav" --save-to "$out/saved.tfunc" --artist "Window Test" 90 "$out/stop"
logged() { grep -qF -- "$1" "$out/host.log"; }
fail() { echo "$1"; cat "$out/host.log"; import -window root "$out/failed.png" 2>/dev/null || true; exit 1; }

wait_for 20 logged "editor at " || fail "the editor never appeared"
read -r x y < <(sed -n 's/^editor at \([0-9-]*\) \([0-9-]*\)$/\1 \2/p' "$out/host.log")
xdotool mousemove --sync $((x + 350)) $((y + 240))
wait_for 20 logged "editor has the keyboard" || fail "the editor never got the keyboard"
sleep 3 # a full capture of the default 128k pairs: 2.7 s at 48 kHz

# The context menu opens at the pointer (on the right press); its third entry,
# after the two submenus, is two and a half rows (21 pixels each) below it.
# The pointer highlights it and a press held a moment takes it: the menu
# polls the button, and a click from a script can come and go between polls.
detection_answered() { grep -qE "^strip: (Detecting latency|Y lags|Y leads|No clear|Delays|The delay)" "$out/host.log"; }
menu_lines() { grep -c '^menu: ' "$out/host.log" || true; }
menu_is() { [ "$(grep '^menu: ' "$out/host.log" | tail -1)" = "menu: $1" ]; }
# A slow build (the sanitizers') may take the pointer's moves late: the menu
# is waited for, and a person would simply try again.
for attempt in 1 2 3; do
  before="$(menu_lines)"
  xdotool mousemove --sync $((x + 350)) $((y + 240)) click 3
  wait_for 20 eval '[ "$(menu_lines)" -gt "$before" ] && menu_is open' || continue
  xdotool mousemove --sync $((x + 360)) $((y + 240 + 52)) # straight down: not towards the open submenu
  sleep 1 # the menu highlights the entry on a later poll of the pointer
  xdotool mousedown 1 && sleep 0.6 && xdotool mouseup 1
  wait_for 10 detection_answered && break
  menu_is open && xdotool key Escape
  wait_for 5 menu_is closed || true
done
detection_answered || fail "choosing Detect latency got no answer in the strip"
wait_for 20 logged "strip: Y lags X by 37.00 samples: X LAG set to 37.00" || fail "Detect latency did not set X LAG to 37"

xdotool mousemove --sync $((x + 160)) $((y + 506)) click 1 # freeze
wait_for 20 logged "verdict: " || fail "no verdict after the freeze"
wait_for 20 logged "algo combo at " || fail "no Algo combo while frozen"
read -r cx cy < <(sed -n 's/^algo combo at \([0-9-]*\) \([0-9-]*\)$/\1 \2/p' "$out/host.log" | tail -1)
xdotool mousemove --sync $((x + cx)) $((y + cy)) click 1
sleep 0.5
xdotool key Down Down Down Return # "Auto", the third choice
wait_for 30 logged "verdict: good" || fail "the verdict with Auto is not good"
echo "$(grep '^verdict: ' "$out/host.log" | tail -1)"

xdotool mousemove --sync $((x + 350)) $((y + 240))
xdotool key ctrl+s
wait_for 20 test -s "$out/saved.tfunc" || fail "Ctrl+S wrote no preset"
"$command" compare "$out/truth.tfunc" "$out/saved.tfunc" --tolerance 0.005 > "$out/compare.txt" || fail "the saved preset is not within 0.005 of the true curve: $(cat "$out/compare.txt")"
cat "$out/compare.txt"

touch "$out/stop"
status=0
wait "$pid" || status=$?
trap - EXIT
logged "closed cleanly" || fail "the host did not close cleanly"
exit "$status"
