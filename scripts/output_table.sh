#!/usr/bin/env bash
# Runs the command over a fixed table of inputs and keeps what each run leaves
# (exit code, standard output and error, JSON without its date and version,
# CSV, preset bytes) in OUT, so two builds can be compared with `diff -r`.
# Usage: scripts/output_table.sh path/to/sonderlith OUT
set -u
command="$(realpath "$1")"
out="$2"
rm -rf "$out" && mkdir -p "$out/inputs"
cd "$out"

python3 - inputs <<'PY'
import math, random, struct, sys, wave
folder = sys.argv[1]
rate, seconds = 48000, 4
random.seed(7)
def write(path, channels):
    with wave.open(path, "wb") as w:
        w.setnchannels(len(channels)); w.setsampwidth(3); w.setframerate(rate)
        frames = bytearray()
        for i in range(len(channels[0])):
            for c in channels:
                v = max(-8388608, min(8388607, int(round(c[i] * 8388607))))
                frames += struct.pack("<i", v)[:3]
        w.writeframes(bytes(frames))
n = rate * seconds
x = [0.9 * math.sin(2 * math.pi * 220 * i / rate) * (0.3 + 0.7 * i / n) + 0.05 * random.uniform(-1, 1) for i in range(n)]
delay = 37
y = [math.tanh(2.5 * (x[i - delay] if i >= delay else 0.0)) / math.tanh(2.5) for i in range(n)]
write(f"{folder}/x.wav", [x]); write(f"{folder}/y.wav", [y]); write(f"{folder}/xy.wav", [x, y])
PY

# What differs between runs of the same build: where the table lives, and when.
normalise() {
    local root="$1"
    grep -rlI --exclude-dir=inputs . "$root" | while read -r file; do
        sed -i -E -e "s#$root#TABLE#g" -e 's/^(measured +)[0-9T:.-]+Z/\1DATE/' "$file"
    done
}

run() {
    local name="$1"; shift
    mkdir -p "$name" && (cd "$name" && "$command" "$@" >stdout 2>stderr; echo $? >exit)
    for json in "$name"/*.json; do
        [ -e "$json" ] && sed -i -E '/"(date|version|release)"/d' "$json"
    done
    rm -f "$name"/*.png
}

for device in tanh hardclip asym hysteresis; do
    for algorithm in auto mean odr; do
        run "demo-$device-$algorithm" measure --demo "$device" --algorithm "$algorithm" -o out.tfunc --csv out.csv --json out.json
    done
done
run demo-noise-delay measure --demo tanh --noise-db -60 --demo-delay 12 --auto-latency -o out.tfunc --json out.json
run demo-length measure --demo asym --length 32k --smoothing 40 --json out.json --csv out.csv
run files measure --x ../inputs/x.wav --y ../inputs/y.wav --delay 37 -o out.tfunc --csv out.csv --json out.json
run files-auto measure --x ../inputs/x.wav --y ../inputs/y.wav --auto-latency --json out.json
run xy-window measure --xy ../inputs/xy.wav --start 0.5 --duration 2 --latency-x 37 --algorithm mean --json out.json -o out.tfunc
run xy-failed measure --xy ../inputs/xy.wav --json out.json -o out.tfunc
run xy-forced measure --xy ../inputs/xy.wav --force --artist "A. Person" -o out.tfunc --csv out.csv
run inspect inspect ../demo-tanh-auto/out.tfunc
run compare compare ../demo-tanh-auto/out.tfunc ../demo-tanh-mean/out.tfunc ../demo-tanh-odr/out.tfunc --json out.json
run compare-gain compare ../demo-tanh-auto/out.csv ../demo-hardclip-auto/out.csv --match-gain --tolerance 0.05
run stimulus stimulus out.wav --seconds 12 --rate 44100
run stimulus-float stimulus out.wav --seconds 10 --bits 32f
run help --help
run version --version
run no-command
run unknown-command frobnicate
run bad-algorithm measure --demo tanh --algorithm fast
run bad-length measure --demo tanh --length 10k
run twice measure --demo tanh --demo asym
run delay-and-auto measure --demo tanh --delay 3 --auto-latency
run bad-extension measure --demo tanh -o out.wav
run missing-file measure --x nothing.wav --y nothing.wav
run extra-positional inspect a.tfunc b.tfunc
run demo-unknown measure --demo fuzz

normalise "$(pwd)"
