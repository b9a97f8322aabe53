# Sourced by the real-window scripts: the demo host started on the display
# with its log in "$out/host.log", and waiting on it.
# usage: start_demo_host HOST_ARGUMENTS...   (sets pid; kills the host on exit)
start_demo_host() {
  "$host" "$@" > "$out/host.log" 2>&1 &
  pid=$!
  trap 'kill "$pid" 2>/dev/null || true' EXIT
}

# Waits with time-outs, not fixed sleeps: poll until the condition holds.
wait_for() { # seconds command...
  local until=$((SECONDS + $1)); shift
  until "$@"; do
    [ "$SECONDS" -lt "$until" ] || return 1
    sleep 0.2
  done
}
