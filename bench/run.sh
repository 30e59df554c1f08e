#!/usr/bin/env bash
# Builds the optimised `release` preset and runs the benchmarks. Arguments go to
# every benchmark program, e.g. --benchmark_filter=CheckCall; by default each
# benchmark runs three times and its mean, median and spread are shown.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target stats_bench adjudicate_bench robot_bench
if [ $# -eq 0 ]; then
  set -- --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
fi
build/release/bin/stats_bench --benchmark_counters_tabular=true "$@"
build/release/bin/adjudicate_bench --benchmark_counters_tabular=true "$@"
exec build/release/bin/robot_bench --benchmark_counters_tabular=true "$@"
