#!/usr/bin/env bash
# host-check on bundles that cannot be opened: every run must fail (its exit
# code was read before the helper had exited), with the reason on standard
# error and nothing of it on standard output.
set -u
sonderlith="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Empty.vst3" "$work/Junk.lv2/Contents/x86_64-linux"
echo "not a plug-in" > "$work/Junk.lv2/manifest.ttl"
echo "not a library" > "$work/Junk.lv2/Contents/x86_64-linux/Junk.so"
failures=0
for bundle in "$work/Empty.vst3" "$work/Junk.lv2" "$work/Missing.vst3"; do
  for run in 1 2 3 4 5; do
    HOME="$work" "$sonderlith" host-check "$bundle" >"$work/out" 2>"$work/err"
    code=$?
    if [ "$code" -eq 0 ]; then echo "run $run on $bundle: exit 0"; failures=$((failures + 1)); fi
    if ! grep -q "host-check: " "$work/err"; then echo "run $run on $bundle: no reason on stderr:"; cat "$work/err"; failures=$((failures + 1)); fi
    if grep -q "host-check: " "$work/out"; then echo "run $run on $bundle: the reason went to stdout"; failures=$((failures + 1)); fi
  done
done
[ "$failures" -eq 0 ] && echo "every refusal failed with its reason on stderr"
exit $(( failures > 0 ))
