#!/usr/bin/env bash
# Times the simulation of ordered differences (normal samples, all gaps sorted, the readout at
# 0.95) of Quibo on every core and on one, and of numpy, on the same sizes in one run; both sides
# report the best of the same number of single runs. Prints the ratios and the machine's load.
#   bench/statistics/compare_numpy.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-15}
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
csv=$(build/bench/bench_critical --benchmark_filter=BM_SimulateGaps --benchmark_repetitions="$runs" \
        --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null)
best() { echo "$csv" | awk -F, -v name="\"BM_SimulateGaps/$1/$2/$3/iterations:1_min\"" '$1 == name {print $3; exit}'; }
printf "%-22s %12s %12s %12s %10s %10s\n" "cases, gaps" "Quibo ms" "1 thread ms" "numpy ms" "ratio" "1 thr/np"
for sizes in "2 100000" "5 100000" "100 100000" "10000 100000" "100000 100000" "5 10000000"; do
  set -- $sizes
  n=$runs; [ "$2" -ge 10000000 ] && n=$(( runs < 5 ? runs : 5 ))
  ours=$(best "$1" "$2" 0); single=$(best "$1" "$2" 1)
  numpy=$(/usr/bin/python3 bench/statistics/critical_numpy.py "$1" "$2" "$n")
  printf "%-22s %12s %12s %12s %10s %10s\n" "$1, $2" "$ours" "$single" "$numpy" \
    "$(echo "scale=3; $ours / $numpy" | bc)" "$(echo "scale=3; $single / $numpy" | bc)"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
