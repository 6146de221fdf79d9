#!/usr/bin/env bash
# Times the ordering core of Quibo and of numpy on one million values in one run and prints the ratio.
set -euo pipefail
cd "$(dirname "$0")/../.."
ours=$(build/bench/bench_workspace --benchmark_filter=BM_OrderValuesAndDifferences --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null \
      | awk -F, '/_min|_mean/ && /BM_Order/ {print $4; exit}')
numpy=$(/usr/bin/python3 bench/workspace/order_numpy.py 1000000)
echo "Quibo: ${ours} ms   numpy: ${numpy} ms   ratio Quibo/numpy: $(echo "scale=2; $ours / $numpy" | bc)"
