#!/usr/bin/env bash
# Times the ordering core of Quibo (order the values, the gaps, the gaps ordered) and of numpy
# on one million values in one run, both sides the best of the same number of single runs, and
# prints the ratio with the machine's load; then the open of a text file of a million values
# with the grid filled (and its peak resident size).
#   bench/workspace/compare_numpy.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-10}
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
ours=$(build/bench/bench_workspace --benchmark_filter=BM_OrderValuesAndDifferences --benchmark_repetitions="$runs" \
        --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null \
      | awk -F, '/BM_Order/ && /_min"/ {print $3; exit}')
numpy=$(/usr/bin/python3 bench/workspace/order_numpy.py 1000000 "$runs")
echo "analyse 10^6 values: Quibo ${ours} ms   numpy ${numpy} ms   ratio Quibo/numpy $(echo "scale=3; $ours / $numpy" | bc)"
QT_QPA_PLATFORM=offscreen build/bench/bench_workspace --benchmark_filter=BM_OpenAndAnalyse 2>/dev/null | grep BM_
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
