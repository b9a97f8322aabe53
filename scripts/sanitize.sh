#!/usr/bin/env bash
# Sanitizer builds: "thread" runs the capture and processor tests under
# ThreadSanitizer, "address" the whole suite under AddressSanitizer + UBSan.
source "$(dirname "$0")/common.sh"
kind="${1:?usage: sanitize.sh thread|address}"
build="$SONDERLITH_ROOT/build-$kind"
sonderlith_configure "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSONDERLITH_SANITIZER="$kind" \
  -DSONDERLITH_BUILD_BENCHMARKS=OFF
if [ "$kind" = thread ]; then
  cmake --build "$build" --target sonderlith_tests sonderlith_realtime_tests sonderlith_dsp_tests sonderlith_ui_tests
else
  cmake --build "$build"
fi

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
export ASAN_OPTIONS="detect_leaks=1 abort_on_error=1 strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1"
if [ "$kind" = thread ]; then
  sonderlith_with_display ctest --test-dir "$build" --output-on-failure -j2 -R '^(CaptureRing|PluginAudioProcessor|ProcessBlockRealtime|Refit|OdrEstimator|MeanEstimator|Estimator\.(fallbacks|nonFinite|scaleInvariance)|Displays\.parameterChanges|InlineComboBoxAttachment)'
else
  sonderlith_with_display ctest --test-dir "$build" --output-on-failure -j2
fi
