#!/usr/bin/env bash
# The demo host loops a recording of a device's input and output (two files,
# or one stereo file X left and Y right) into the plug-in, and refuses what
# it cannot loop with the reason.
# usage: demo_host_recordings.sh DEMO_HOST OUTPUT_FOLDER
set -euo pipefail
host="$1" out="$2"
[ -n "${DISPLAY:-}" ] || { echo "skipped: no display"; exit 77; }
rm -rf "$out" && mkdir -p "$out"
export XDG_CONFIG_HOME="$out/config"

/usr/bin/python3 - "$out" <<'PY'
import sys, numpy as np
from scipy.io import wavfile
out = sys.argv[1]
x = np.clip(np.random.default_rng(1).normal(0, 0.3, 44100), -1, 1)
y = np.tanh(3 * np.concatenate([np.zeros(37), x[:-37]]))
wavfile.write(f"{out}/xy.wav", 44100, np.stack([x, y], axis=1).astype(np.float32))
wavfile.write(f"{out}/x.wav", 44100, x.astype(np.float32))
wavfile.write(f"{out}/y.wav", 44100, y[:40000].astype(np.float32))
wavfile.write(f"{out}/y48k.wav", 48000, y.astype(np.float32))
PY
printf 'not audio' > "$out/broken.wav"

failures=0
expect() { # description expected-exit expected-text arguments...
  local what="$1" code="$2" text="$3"; shift 3
  local got=0
  "$host" "$@" > "$out/run.log" 2>&1 || got=$?
  if [ "$got" -ne "$code" ] || ! grep -qF -- "$text" "$out/run.log"; then
    echo "FAIL: $what: exit $got, wanted $code and \"$text\" in:"; cat "$out/run.log"
    failures=$((failures + 1))
  fi
}

expect "one stereo file" 0 "looping 44100 pairs at 44100 Hz" --xy "$out/xy.wav" 1
expect "two files, cut to the shorter" 0 "looping 40000 pairs at 44100 Hz" --x "$out/x.wav" --y "$out/y.wav" 1
expect "a mono file as --xy" 2 "has one channel" --xy "$out/x.wav" 1
expect "rates that differ" 2 "X is at 44100 Hz, Y at 48000 Hz" --x "$out/x.wav" --y "$out/y48k.wav" 1
expect "a file that is not audio" 2 "broken.wav:" --xy "$out/broken.wav" 1
expect "a missing file" 2 "missing.wav:" --x "$out/missing.wav" --y "$out/y.wav" 1
expect "--x alone" 2 "--x and --y go together" --x "$out/x.wav" 1
expect "both ways at once" 2 "not both" --x "$out/x.wav" --y "$out/y.wav" --xy "$out/xy.wav" 1
[ "$failures" -eq 0 ]
