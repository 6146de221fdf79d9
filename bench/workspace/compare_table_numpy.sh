#!/usr/bin/env bash
# Times the read of a table of 100,000 records x 20 Rf fields into items and their ordering, by
# Quibo's main window (without the LOG-transformation, as the Python side does none) and by
# dbfread + numpy on the same file, in one run: both sides the best wall-clock time of the same
# number of single runs. Prints the ratio and the machine's load.
#   bench/workspace/compare_table_numpy.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-3}
table=$(mktemp -d)/big.dbf
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
ours=$(QT_QPA_PLATFORM=offscreen QUIBO_BENCH_TABLE="$table" build/bench/bench_workspace \
        --benchmark_filter='BM_ReadTableIntoItems/log:0' --benchmark_repetitions="$runs" \
        --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null \
      | awk -F, '/BM_ReadTable/ && /_min"/ {print $3; exit}')
read -r python values < <(/usr/bin/python3 bench/workspace/table_numpy.py "$table" "$runs")
rm -rf "$(dirname "$table")"
echo "best of $runs, wall clock: Quibo ${ours} ms   dbfread+numpy ${python} ms (${values} values)   ratio Quibo/Python: $(echo "scale=3; $ours / $python" | bc)"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
