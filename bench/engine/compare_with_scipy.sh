#!/usr/bin/env bash
# The measurement's speed beside a NumPy/SciPy script of the same job. Run
# after ./scripts/test.sh (the benchmarks are built with the tests).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
"$root/build/bench/sonderlith_engine_benchmarks" --benchmark_filter='measure128k|autoLatency10s'
/usr/bin/python3 "$root/bench/engine/scipy_reference.py"
# The recording estimator on 128k pairs beside NumPy's 257-bin conditional mean.
"$root/build/bench/sonderlith_dsp_benchmarks" --benchmark_filter='recordingEstimator128k'
/usr/bin/python3 "$root/bench/engine/binned_mean_reference.py"
