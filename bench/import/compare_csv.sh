#!/usr/bin/env bash
# Reads one delimited file of a million lines of five fields into the import grid and, in the
# same run, with Python's csv module into a list of rows and, where Debian's python3-pandas is
# installed, with pandas' read_csv into a frame (the four value columns as numbers); every side
# the best of the same number of single reads. Prints the times, the ratios and Quibo's peak
# resident size.
#   bench/import/compare_csv.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-3}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
file="$dir/delimited.csv"
/usr/bin/python3 bench/import/read_csv.py write "$file" 1000000
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
result=$(QUIBO_BENCH_DELIMITED_FILE="$file" build/bench/bench_import --benchmark_filter=BM_ReadDelimitedFile \
           --benchmark_repetitions="$runs" --benchmark_format=csv 2>/dev/null)
ours=$(echo "$result" | awk -F, '/_min"/ {print $3; exit}')
peak=$(echo "$result" | awk -F, '/_min"/ {print $NF; exit}')
python=$(/usr/bin/python3 bench/import/read_csv.py read "$file" "$runs")
echo "read 10^6 lines x 5 fields: Quibo ${ours} ms (peak ${peak} MB resident)   Python csv ${python} ms   ratio Quibo/Python $(echo "scale=3; $ours / $python" | bc)"
if /usr/bin/python3 -c 'import pandas' 2>/dev/null; then
  pandas=$(/usr/bin/python3 bench/import/read_csv.py pandas "$file" "$runs")
  echo "                            pandas read_csv ${pandas} ms   ratio Quibo/pandas $(echo "scale=3; $ours / $pandas" | bc)"
else
  echo "pandas is not installed (Debian: python3-pandas): no comparison with it"
fi
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
