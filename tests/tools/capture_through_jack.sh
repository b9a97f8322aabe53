#!/usr/bin/env bash
# sonderlith capture against a JACK server with the dummy backend, started
# and stopped by this test under a name of its own. The device in the loop is
# Debian's swh Wave shaper hosted by jalv, followed by a software device of
# ours that delays by 37 samples; the capture must agree with the same
# plug-in measured offline, find the round trip (the period plus 37) with and
# without a reference, report a stalling client's dropouts, refuse what is not
# there, and leave no port of its own behind, however it ends.
# usage: capture_through_jack.sh SONDERLITH TEST_DEVICE SCHEMA OUTPUT_FOLDER
set -euo pipefail
sonderlith="$1" test_device="$2" schema="$3" out="$4"
for tool in jackd jalv jack_lsp jack_connect lv2ls; do command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }; done
bundle=/usr/lib/lv2/shaper-swh.lv2
[ -d "$bundle" ] || { echo "skipped: Debian's swh-lv2 is not installed"; exit 77; }
rm -rf "$out" && mkdir -p "$out/lv2"
ln -s "$bundle" "$out/lv2/"
export LV2_PATH="$out/lv2"
uri="$(lv2ls)" # the one plug-in of that bundle

export JACK_DEFAULT_SERVER="sonderlith-capture-$(printf '%s' "$out" | md5sum | cut -c1-8)"
export JACK_NO_AUDIO_RESERVATION=1
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  [ -n "${jackd_pid:-}" ] && { kill "$jackd_pid" 2>/dev/null || true; wait "$jackd_pid" 2>/dev/null || true; }
}
trap cleanup EXIT
fail() { echo "FAILED: $1"; [ -f "$out/last.err" ] && cat "$out/last.err"; exit 1; }

start_server() { # name, then jackd's own options; sets server_pid
  jackd --no-realtime "${@:2}" -n "$1" -d dummy -r 48000 -p 256 >"$out/jackd-$1.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 100); do JACK_DEFAULT_SERVER="$1" jack_lsp >/dev/null 2>&1 && break; sleep 0.1; done
  JACK_DEFAULT_SERVER="$1" jack_lsp >/dev/null 2>&1 || { echo "the JACK server $1 did not start"; cat "$out/jackd-$1.log"; exit 1; }
}
# Synchronous: each cycle waits for every client, so a busy machine (this
# server runs without real-time scheduling) slows the graph instead of
# dropping cycles, and the measurements stay exact.
start_server "$JACK_DEFAULT_SERVER" --sync
jackd_pid=$server_pid

# jalv reads commands from its standard input and ends at its end: kept open.
mkfifo "$out/jalv.stdin"
sleep 600 >"$out/jalv.stdin" & pids+=($!)
jalv -x -n shaper -c shapep=5 "$uri" <"$out/jalv.stdin" >"$out/jalv.log" 2>&1 & pids+=($!)
"$test_device" late 37 0 & pids+=($!)
ports_up() { jack_lsp | grep -q '^shaper:output$' && jack_lsp | grep -q '^late:out$'; }
for _ in $(seq 100); do ports_up && break; sleep 0.1; done
ports_up || { echo "the devices did not come up"; cat "$out/jalv.log"; exit 1; }
jack_connect shaper:output late:in

no_ports_left() { ! jack_lsp | grep -q '^sonderlith'; }
capture() { # expected exit code, then the arguments
  local expected="$1"; shift
  local status=0
  timeout 120 "$sonderlith" capture "$@" >"$out/last.out" 2>"$out/last.err" || status=$?
  [ "$status" = "$expected" ] || fail "capture $* exited $status, not $expected: $(cat "$out/last.out")"
  no_ports_left || fail "capture $* left ports behind: $(jack_lsp | grep '^sonderlith')"
}
json() { /usr/bin/python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print(eval(sys.argv[2]))" "$@"; }
seconds_in() { /usr/bin/python3 -c "import sys; from scipy.io import wavfile; r, d = wavfile.read(sys.argv[1]); print(len(d) / r)" "$1"; }
near() { /usr/bin/python3 -c "import sys; sys.exit(0 if abs(float(sys.argv[1]) - float(sys.argv[2])) <= float(sys.argv[3]) else 1)" "$@"; }

echo "--list shows the dummy server's ports"
capture 0 --list
for port in system:playback_1 system:playback_2 system:capture_1 system:capture_2 shaper:input late:out; do
  grep -qF "$port" "$out/last.out" || fail "--list lacks $port: $(cat "$out/last.out")"
done

echo "the curve through JACK agrees with the plug-in measured offline"
"$sonderlith" measure --plugin "$bundle" --set Waveshape=5 --level -1 --seconds 10 -o "$out/offline.tfunc" >"$out/offline.txt" \
  || { cat "$out/offline.txt"; exit 1; }
capture 0 --out shaper:input --in late:out --level -1 --seconds 10 -o "$out/jack.tfunc" --json "$out/jack.json" --png "$out/jack.png" --save-recording "$out/take.wav"
"$sonderlith" compare "$out/offline.tfunc" "$out/jack.tfunc" --tolerance 0.005 || fail "the capture does not agree with the offline measurement"
# A server without real-time scheduling on a busy machine may drop a cycle:
# the capture must then say so, and nothing else may spoil the verdict.
good_but_for_dropouts() { [ "$(json "$1" "all('dropout' in r for r in d['verdictReasons'])")" = True ]; }
good_but_for_dropouts "$out/jack.json" || fail "the verdict is not good: $(cat "$out/last.out")"
near "$(json "$out/jack.json" "d['estimatedDelaySamples']")" 293 0.05 || fail "the round trip without a reference is not the period plus 37: $(grep 'round trip' "$out/last.out")"
grep -q "^round trip .*293.00 samples out to the return" "$out/last.out" || fail "the report does not give the round trip"
/usr/bin/python3 -c "import json,sys,jsonschema; jsonschema.validate(json.load(open(sys.argv[2])), json.load(open(sys.argv[1])))" "$schema" "$out/jack.json"

echo "--buffer sets the server's period for the take and gives it back"
capture 0 --out shaper:input --in late:out --buffer 512 --signal noise --level -1 --seconds 2
grep -q "^round trip .*549.00 samples out to the return" "$out/last.out" || fail "the round trip at a period of 512 is not 549: $(grep 'round trip' "$out/last.out")"
capture 0 --list
grep -q "48000 Hz, period 256" "$out/last.out" || fail "the server's period was not given back: $(head -2 "$out/last.out")"

echo "the kept recording measures as the capture did"
"$sonderlith" measure --xy "$out/take.wav" --auto-latency -o "$out/kept.tfunc" >"$out/kept.txt" || { cat "$out/kept.txt"; exit 1; }
"$sonderlith" compare "$out/jack.tfunc" "$out/kept.tfunc" --tolerance 0.005 || fail "the kept recording measures differently"

echo "with the output's loopback as the reference"
capture 0 --out shaper:input --in late:out --ref sonderlith:out --level -1 --seconds 10 -o "$out/ref.tfunc" --json "$out/ref.json"
"$sonderlith" compare "$out/offline.tfunc" "$out/ref.tfunc" --tolerance 0.005 || fail "the capture with a reference does not agree"
near "$(json "$out/ref.json" "d['device']['capture']['referenceDelaySamples']")" 256 0.05 || fail "the reference is not a period behind"
near "$(json "$out/ref.json" "d['estimatedDelaySamples']")" 37 0.05 || fail "the device's own delay behind the reference is not 37"
good_but_for_dropouts "$out/ref.json" || fail "the verdict with a reference is not good: $(cat "$out/last.out")"

echo "a stalling client's dropouts are reported"
# On a server of its own, asynchronous as most are: a client late for its
# cycle is an xrun there, not a slower graph.
stalling_server="$JACK_DEFAULT_SERVER-async"
start_server "$stalling_server"
pids+=($server_pid)
JACK_DEFAULT_SERVER="$stalling_server" "$test_device" stalling 0 40 & stalling_pid=$!; pids+=($stalling_pid)
for _ in $(seq 100); do JACK_DEFAULT_SERVER="$stalling_server" jack_lsp | grep -q '^stalling:out$' && break; sleep 0.1; done
capture 0 --type jack --device "$stalling_server" --out stalling:in --in stalling:out --signal noise --level -1 --seconds 4 --json "$out/stall.json"
[ "$(json "$out/stall.json" "d['device']['capture']['dropouts'] > 0")" = True ] || fail "no dropouts counted: $(cat "$out/last.out")"
[ "$(json "$out/stall.json" "d['verdict']")" != good ] || fail "a capture with dropouts is judged good"
grep -q "dropout" "$out/last.out" || fail "the report does not name the dropouts"
grep -qF "server \"$stalling_server\"" "$out/last.out" || fail "the report does not name the server given by --device"
kill "$stalling_pid"; wait "$stalling_pid" 2>/dev/null || true

echo "refusals"
capture 1 --out shaper:input --in system:capture_1 --signal noise --seconds 2
grep -q "The return is near silent (peak -240.0 dBFS): is the device's output connected to input system:capture_1" "$out/last.err" \
  || fail "a disconnected return is not named"
capture 1 --out 9 --in 1 --signal noise --seconds 2
grep -q "has 2 playback channels (system:playback_1, system:playback_2)" "$out/last.err" || fail "a missing channel does not list the existing ones"
capture 1 --out shaper:input --in nowhere:out --signal noise --seconds 2
grep -q "no such output port" "$out/last.err" || fail "a missing port is not named"
capture 1 --type jack --device no-such-server --out 1 --in 1 --signal noise --seconds 2
grep -q "No JACK server is running .*device types here: jack" "$out/last.err" || fail "no server: the types found are not listed"

# ALSA, through JUCE's devices: ALSA's JACK plug-in (Debian's
# libasound2-plugins) makes a device of two ports of this server, here a
# wire of ours. ALSA's bridge to JACK may slip a block as it starts, so the
# take is only checked to run, be reported as ALSA and close.
alsa_jack=$(find /usr/lib -name libasound_module_pcm_jack.so -print -quit 2>/dev/null || true)
if [ -n "$alsa_jack" ]; then
  echo "ALSA through JUCE's devices"
  mkdir -p "$out/alsa-home"
  printf '%s\n' 'pcm.sonderlithloop {' '  type jack' '  playback_ports { 0 wire:in }' '  capture_ports { 0 wire:out }' \
    '  hint { show on description "Sonderlith loop" }' '}' > "$out/alsa-home/.asoundrc"
  "$test_device" wire 0 0 & pids+=($!)
  for _ in $(seq 100); do jack_lsp | grep -q '^wire:out$' && break; sleep 0.1; done
  export HOME="$out/alsa-home"
  capture 0 --list
  grep -A2 "^  Sonderlith loop$" "$out/last.out" | grep -q "outputs (--out): 1 " || fail "--list lacks the ALSA device and its channels"
  capture 1 --type alsa --device "no such device" --out 1 --in 1 --signal noise --seconds 2
  grep -q 'No ALSA device "no such device" that plays and records; the devices that do: .*Sonderlith loop' "$out/last.err" || fail "a missing ALSA device does not list the others"
  capture 1 --type alsa --device "Sonderlith loop" --out 3 --in 1 --signal noise --seconds 2
  grep -q "the device has 1 outputs" "$out/last.err" || fail "a missing ALSA channel does not list the existing ones"
  capture 1 --type alsa --device "Sonderlith loop" --out wire:in --in 1 --signal noise --seconds 2
  grep -q "ports are named only with --type jack" "$out/last.err" || fail "a port's name for ALSA is not refused"
  status=0
  timeout 120 "$sonderlith" capture --type alsa --device "Sonderlith loop" --out 1 --in 1 --signal noise --level -1 --seconds 3 --json "$out/alsa.json" \
    >"$out/last.out" 2>"$out/last.err" || status=$?
  [ "$status" = 0 ] || [ "$status" = 3 ] || fail "the take through ALSA exited $status"
  [ "$(json "$out/alsa.json" "d['device']['format']")" = ALSA ] || fail "the report does not name ALSA"
  for _ in $(seq 50); do jack_lsp | grep -q alsa-jack || break; sleep 0.1; done
  ! jack_lsp | grep -q alsa-jack || fail "the ALSA device was left open"
  unset HOME
fi

echo "Ctrl+C stops cleanly and keeps the recording"
"$sonderlith" capture --out shaper:input --in late:out --signal noise --seconds 20 --save-recording "$out/stopped-x.wav" "$out/stopped-y.wav" \
  >"$out/last.out" 2>"$out/last.err" &
capture_pid=$!
sleep 3
kill -INT "$capture_pid"
status=0; wait "$capture_pid" || status=$?
[ "$status" = 1 ] || fail "Ctrl+C exited $status, not 1"
grep -q "^Stopped (Ctrl+C) after .*the recording is in" "$out/last.err" || fail "Ctrl+C is not reported"
no_ports_left || fail "Ctrl+C left ports behind"
# Stopped 3 s in (1 s of it silence before the signal): what was recorded, not the whole 22 s take.
near "$(seconds_in "$out/stopped-y.wav")" 3 1 || fail "the recording kept at Ctrl+C is $(seconds_in "$out/stopped-y.wav") s long, not about 3"
"$sonderlith" measure --x "$out/stopped-x.wav" --y "$out/stopped-y.wav" --auto-latency >/dev/null || fail "the recording kept at Ctrl+C does not measure"

echo "the server vanishing mid-capture"
"$sonderlith" capture --out shaper:input --in late:out --signal noise --seconds 20 --save-recording "$out/vanished.wav" \
  >"$out/last.out" 2>"$out/last.err" &
capture_pid=$!
sleep 3
kill -KILL "$jackd_pid"; wait "$jackd_pid" 2>/dev/null || true; jackd_pid=
status=0
for _ in $(seq 150); do kill -0 "$capture_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$capture_pid" 2>/dev/null && { kill -KILL "$capture_pid"; fail "the capture hangs once the server is gone"; }
wait "$capture_pid" || status=$?
[ "$status" = 1 ] || fail "a vanished server exited $status, not 1"
grep -qE "stopped after .*the recording is in|stopped delivering audio after .*the recording is in" "$out/last.err" || fail "the vanished server is not reported"
near "$(seconds_in "$out/vanished.wav")" 3 1 || fail "the recording kept when the server vanished is $(seconds_in "$out/vanished.wav") s long, not about 3"
echo "capture through JACK: all checks passed"
