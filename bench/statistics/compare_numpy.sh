#!/usr/bin/env bash
# Times the simulation of ordered differences of Quibo and of numpy on the same sizes in one run
# and prints the ratios.
set -euo pipefail
cd "$(dirname "$0")/../.."
csv=$(build/bench/bench_critical --benchmark_filter=BM_SimulateGaps --benchmark_repetitions=3 \
        --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null)
for sizes in "5 100000" "10000 100000" "5 10000000"; do
  set -- $sizes
  ours=$(echo "$csv" | awk -F, -v name="BM_SimulateGaps/$1/$2" 'index($1, name) && /_min|_mean/ {print $4; exit}')
  runs=5; [ "$2" -ge 10000000 ] && runs=3
  numpy=$(/usr/bin/python3 bench/statistics/critical_numpy.py "$1" "$2" "$runs")
  echo "Cases $1, $2 gaps: Quibo ${ours} ms   numpy ${numpy} ms   ratio Quibo/numpy $(echo "scale=2; $ours / $numpy" | bc)"
done
