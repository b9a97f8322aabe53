#!/usr/bin/env bash
# As a person would: our demo host shows the plug-in's editor in a real window
# while the demo device (tanh with noise) plays through it; Ctrl+S on the real
# keyboard while live saves nothing; the real pointer clicks "freeze";
# screenshots before and after must show the live cloud give way to the thin
# fitted curve; Ctrl+S then writes a preset (under the artist's name an
# earlier save stored) that the sonderlith command reads back; the host must
# close cleanly.
# usage: freeze_in_a_real_window.sh DEMO_HOST SONDERLITH_COMMAND OUTPUT_FOLDER
set -euo pipefail
host="$1" command="$2" out="$3"
convert=/usr/bin/convert
for tool in xdotool import "$convert"; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed (scripts/bootstrap.sh installs it)"; exit 77; }
done
[ -n "${DISPLAY:-}" ] || { echo "skipped: no display"; exit 77; }
mkdir -p "$out"

# A settings folder of its own, holding only the artist's name; the host's old
# log goes too (the host truncates it only once started, and a stale
# "editor at" line must not be read as this run's).
rm -rf "$out/stop" "$out/config" "$out/saved.tfunc" "$out/host.log"
export XDG_CONFIG_HOME="$out/config"
source "$(dirname "$0")/demo_host_window.sh"
start_demo_host --save-to "$out/saved.tfunc" --artist "Window Test" 60 "$out/stop"
editor_shown() { grep -q '^editor at ' "$out/host.log"; }
wait_for 20 editor_shown || { echo "the editor never appeared"; cat "$out/host.log"; exit 1; }
read -r x y < <(sed -n 's/^editor at \([0-9-]*\) \([0-9-]*\)$/\1 \2/p' "$out/host.log") \
  || { echo "the host did not say where the editor is"; cat "$out/host.log"; exit 1; }

# The share of bright pixels in the plot (the editor's top 700 x 482).
shoot() { import -window root -crop "700x482+$x+$y" +repage "$1"; }
bright() { "$convert" "$1" -colorspace gray -threshold 22% -format '%[fx:mean]' info:; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

live_cloud_shown() { shoot "$out/before.png" && above "$(bright "$out/before.png")" 0.02; }
wait_for 20 live_cloud_shown || { echo "no live cloud on the plot"; exit 1; }
before="$(bright "$out/before.png")"

# The pointer rests over the plot, as a person's would while typing, and the
# keys go to the editor once its window has the keyboard.
xdotool mousemove --sync $((x + 350)) $((y + 240))
has_keyboard() { grep -q '^editor has the keyboard' "$out/host.log"; }
wait_for 20 has_keyboard || { echo "the editor never got the keyboard"; cat "$out/host.log"; exit 1; }
xdotool key ctrl+s

# The freeze button's centre: (139 + 43 / 2, 485 + 43 / 2) in the editor.
xdotool mousemove --sync $((x + 160)) $((y + 506)) click 1

# The thin curve: still bright pixels (the window is there), far fewer.
curve_shown() {
  shoot "$out/after.png" || return 1
  local now; now="$(bright "$out/after.png")"
  above "$now" 0.002 && above "$(awk -v b="$before" 'BEGIN { print b * 0.6 }')" "$now"
}
wait_for 20 curve_shown || { echo "the plot did not change to the fitted curve (bright share $before -> $(bright "$out/after.png"))"; exit 1; }
echo "bright share of the plot: live $before, frozen $(bright "$out/after.png")"
# The whole window frozen on the curve, for a person (and the README) to look at.
import -window root -crop "700x550+$x+$y" +repage "$out/window.png"

# Frozen: Ctrl+S saves.
xdotool key ctrl+s
saved() { [ -s "$out/saved.tfunc" ]; }
wait_for 20 saved || { echo "Ctrl+S while frozen wrote no preset (screen: $out/no-save.png)"; import -window root "$out/no-save.png"; cat "$out/host.log"; exit 1; }
saves="$(grep -c '^saving to ' "$out/host.log" || true)"
[ "$saves" -eq 1 ] || { echo "expected one save (none while live), the host saved $saves times"; exit 1; }
"$command" inspect "$out/saved.tfunc" > "$out/inspect.txt" || { echo "the saved preset does not read back"; cat "$out/inspect.txt"; exit 1; }
grep -q "Window Test" "$out/inspect.txt" || { echo "the saved preset lacks the artist's name"; cat "$out/inspect.txt"; exit 1; }
echo "Ctrl+S saved $(wc -c < "$out/saved.tfunc") bytes"

touch "$out/stop"
status=0
wait "$pid" || status=$?
trap - EXIT
grep -q 'closed cleanly' "$out/host.log" || { echo "the host did not close cleanly"; cat "$out/host.log"; exit 1; }
exit "$status"
