#!/usr/bin/env bash
# Instrumented builds, each compiling JUCE once, without full debug info (line
# tables are enough for the reports' stack traces):
#   thread   gcc + ThreadSanitizer: the capture, processor, refit, estimator,
#            cross-thread UI tests and the command's audio callback
#   address  clang + AddressSanitizer + UBSan: the whole suite; the same build
#            also carries libFuzzer's hooks, so scripts/fuzz.sh reuses it
# The VST3-hosting tests and Ardour run in the plain build only: a host made
# without the sanitizer runtime cannot load an instrumented plug-in.
source "$(dirname "$0")/common.sh"
kind="${1:?usage: sanitize.sh thread|address}"
build="$(sonderlith_sanitizer_build "$kind")"
programs=(sonderlith_tests sonderlith_realtime_tests sonderlith_dsp_tests sonderlith_ui_tests sonderlith_capture_tests)
[ "$kind" = address ] && programs+=(sonderlith_engine_tests sonderlith_command_tests)
cmake --build "$build" --target "${programs[@]}"

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
export ASAN_OPTIONS="detect_leaks=1 abort_on_error=1 strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1"
if [ "$kind" = thread ]; then
  sonderlith_with_display ctest --test-dir "$build" --output-on-failure -j2 -R '^(Auto|CaptureTake|Editor\.detectLatency|CaptureRing|PluginAudioProcessor|ProcessBlockRealtime|Refit|OdrEstimator|MeanEstimator|Estimator\.(fallbacks|nonFinite|scaleInvariance|aRefused)|Displays\.parameterChanges|InlineComboBoxAttachment)'
else
  sonderlith_with_display ctest --test-dir "$build" --output-on-failure -j2
fi
