#!/usr/bin/env bash
# Builds the libFuzzer targets in the instrumented clang build (the one
# scripts/sanitize.sh address uses, so its objects serve both) and runs each
# one for a bounded time, starting from the committed seed corpora.
#   scripts/fuzz.sh [seconds per target, default 30] [target name...]
source "$(dirname "$0")/common.sh"
seconds="${1:-30}"; shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(FuzzPresetBytes FuzzPresetTree FuzzStateBytes FuzzOverridesXml)

build="$(sonderlith_sanitizer_build address)"
cmake --build "$build" --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1 allocator_may_return_null=0"
export UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1"
for target in "${targets[@]}"; do
  work="$build/corpus/$target"
  mkdir -p "$work"
  cp -n "$SONDERLITH_ROOT/tests/fuzz/corpus/$target/"* "$work/" 2>/dev/null || true
  case "$target" in FuzzPreset*) cp -n "$SONDERLITH_ROOT/tests/data/"*.tfunc "$work/" ;; esac
  echo "fuzzing $target for ${seconds}s"
  log="$build/$target.log"
  status=0
  "$build/tests/fuzz/$target" "$work" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -malloc_limit_mb=512 -max_len=300000 -print_final_stats=1 -artifact_prefix="$build/$target-" >"$log" 2>&1 || status=$?
  grep -E "^stat::number_of_executed_units|SUMMARY|runtime error" "$log" || true
  if [ "$status" -ne 0 ] || grep -q "runtime error" "$log"; then
    echo "$target found a problem (exit $status); see $log and $build/$target-*"
    exit 1
  fi
done
echo "fuzzing: all targets clean"
