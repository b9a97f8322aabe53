#!/usr/bin/env bash
# The LV2 in jalv, headless, against a JACK server with the dummy backend
# that this test starts and stops; a small JACK client of ours plays into
# the plug-in's main and sidechain inputs and records its outputs.
# usage: jalv_pass_through.sh PATH/Sonderlith.lv2 PLUGIN_URI PATH/sonderlith_jack_passthrough
set -euo pipefail
bundle="$1" uri="$2" client="$3"
for tool in jackd jalv; do command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }; done

# One server name per bundle (per build folder): JACK keeps a few registry
# slots, and reclaims a dead server's slot only for a server of the same name.
export JACK_DEFAULT_SERVER="sonderlith-test-$(printf '%s' "$bundle" | md5sum | cut -c1-8)"
export JACK_NO_AUDIO_RESERVATION=1
export LV2_PATH="$(cd "$(dirname "$bundle")" && pwd)"
log="$(mktemp -d)"
# The clients leave first, then the server, so it can release its registry slot.
cleanup() {
  for pid in ${feeder:-} ${jalv_pid:-}; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  [ -n "${jackd_pid:-}" ] && { kill "$jackd_pid" 2>/dev/null || true; wait "$jackd_pid" 2>/dev/null || true; }
  rm -rf "$log"
}
trap cleanup EXIT

# Synchronous: each cycle waits for every client, so a busy machine cannot
# hand the recorder a block from the cycle before.
jackd --no-realtime --sync -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$log/jackd.log" 2>&1 &
jackd_pid=$!
for _ in $(seq 100); do jack_lsp >/dev/null 2>&1 && break; sleep 0.1; done
jack_lsp >/dev/null 2>&1 || { echo "the JACK server did not start"; cat "$log/jackd.log"; exit 1; }

# jalv reads commands from its standard input and ends at its end: kept open.
mkfifo "$log/stdin"
sleep 600 >"$log/stdin" &
feeder=$!
jalv -n sonderlith -x "$uri" <"$log/stdin" >"$log/jalv.log" 2>&1 &
jalv_pid=$!
for _ in $(seq 100); do jack_lsp 2>/dev/null | grep -q '^sonderlith:audio_out_2$' && break; sleep 0.1; done
jack_lsp 2>/dev/null | grep -q '^sonderlith:audio_in_4$' || { echo "jalv did not come up"; cat "$log/jalv.log"; exit 1; }
echo "jalv ports:"; jack_lsp | grep '^sonderlith:' | sed 's/^/  /'

"$client" sonderlith 2
