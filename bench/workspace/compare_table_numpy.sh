#!/usr/bin/env bash
# Times the read of a table of 100,000 records x 20 Rf fields into items and their ordering, by
# Quibo's main window and by dbfread + numpy on the same file, in one run, and prints the ratio.
set -euo pipefail
cd "$(dirname "$0")/../.."
table=$(mktemp -d)/big.dbf
ours=$(QT_QPA_PLATFORM=offscreen QUIBO_BENCH_TABLE="$table" build/bench/bench_workspace \
        --benchmark_filter=BM_ReadTableIntoItems --benchmark_format=csv 2>/dev/null \
      | awk -F, '/BM_ReadTable/ {print $4; exit}')
read -r python values < <(/usr/bin/python3 bench/workspace/table_numpy.py "$table" 3)
rm -rf "$(dirname "$table")"
echo "Quibo: ${ours} ms   dbfread+numpy: ${python} ms (${values} values)   ratio Quibo/Python: $(echo "scale=3; $ours / $python" | bc)"
