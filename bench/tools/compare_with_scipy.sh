#!/usr/bin/env bash
# The measurement's speed beside a NumPy/SciPy script of the same job. Run
# after ./scripts/test.sh (the benchmarks are built with the tests).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
"$root/build/bench/sonderlith_benchmarks" --benchmark_filter='measure128k|autoLatency10s'
/usr/bin/python3 "$root/bench/tools/scipy_reference.py"
