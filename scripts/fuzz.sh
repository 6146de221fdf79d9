#!/usr/bin/env bash
# The libFuzzer targets of the readers, built with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz:
#   scripts/fuzz.sh build                      build every target
#   scripts/fuzz.sh list                       the targets' names
#   scripts/fuzz.sh smoke [seconds]            every target for a short time (default 25 s),
#                                              several at once; fails when one finds a fault
#   scripts/fuzz.sh run <name> <seconds> [jobs]  one target for a given time (several runs may
#                                              be started side by side)
# A run starts from the target's seeds and the corpus kept in build-fuzz/corpus/<name>; a
# fault leaves its input in build-fuzz/artifacts/. Each run is limited to 2 GB of memory and
# 10 s per input, so a small file that takes the machine or hangs counts as a fault.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$PWD/build-fuzz
targets=(text_data delimited fixed_column mask talnex gsf sql history settings dbf px journal)

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen

build() {
  # Runs started side by side build one after the other; the later ones find nothing to do.
  mkdir -p "$dir"
  (
    flock 9
    cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
      -DQUIBO_SANITIZE=ON -DQUIBO_FUZZ=ON -DQUIBO_BUILD_TESTS=ON -DQUIBO_BUILD_BENCH=OFF >/dev/null
    cmake --build "$dir" --target quibo_fuzzers --parallel "$(nproc)"
  ) 9>"$dir/.build-lock"
}

binary() {
  case $1 in
    dbf | px | journal) echo "$dir/tests/fuzz_$1" ;;
    *) echo "$dir/fuzz/fuzz_$1" ;;
  esac
}

# The seeds: files in fuzz/corpus/<name>, or written by the smoke program of a database target.
seeds() {
  local name=$1 folder=$dir/seeds/$1
  case $name in
    dbf | px | journal) "$dir/tests/fuzz_${name}_smoke" --write-seeds "$folder" >/dev/null ;;
    *) mkdir -p "$folder" && cp -r fuzz/corpus/"$name"/. "$folder"/ ;;
  esac
  echo "$folder"
}

run() {
  local name=$1 seconds=$2 jobs=${3:-1}
  local exe corpus seedFolder
  exe=$(binary "$name")
  [ -x "$exe" ] || { echo "no fuzz target $name (scripts/fuzz.sh list)" >&2; return 2; }
  corpus=$dir/corpus/$name
  mkdir -p "$corpus" "$dir/artifacts" "$dir/logs"
  seedFolder=$(seeds "$name")
  local options=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=65536
    -artifact_prefix="$dir/artifacts/$name-" -print_final_stats=1)
  if [ "$jobs" -gt 1 ]; then
    # libFuzzer writes each job's log into the current folder.
    (cd "$dir/logs" && "$exe" "${options[@]}" -jobs="$jobs" -workers="$jobs" "$corpus" "$seedFolder")
  else
    "$exe" "${options[@]}" "$corpus" "$seedFolder"
  fi
}

smoke() {
  local seconds=${1:-25} parallel failed=()
  parallel=$(( $(nproc) > 1 ? $(nproc) : 1 ))
  mkdir -p "$dir/logs"
  local pids=() names=()
  for name in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do sleep 1; done
    run "$name" "$seconds" >"$dir/logs/smoke-$name.log" 2>&1 &
    pids+=($!) names+=("$name")
  done
  for i in "${!pids[@]}"; do
    if wait "${pids[$i]}"; then
      echo "fuzz ${names[$i]}: $(grep -ho 'stat::number_of_executed_units: *[0-9]*' "$dir/logs/smoke-${names[$i]}.log" | grep -o '[0-9]*$') inputs, no fault"
    else
      failed+=("${names[$i]}")
      echo "fuzz ${names[$i]}: FAULT, see $dir/logs/smoke-${names[$i]}.log" >&2
      tail -n 40 "$dir/logs/smoke-${names[$i]}.log" >&2
    fi
  done
  [ ${#failed[@]} -eq 0 ]
}

case ${1:-} in
  build) build ;;
  list) printf '%s\n' "${targets[@]}" ;;
  smoke) build && smoke "${2:-25}" ;;
  run) [ $# -ge 3 ] || { echo "usage: scripts/fuzz.sh run <name> <seconds> [jobs]" >&2; exit 2; }
       build && run "$2" "$3" "${4:-1}" ;;
  *) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
esac
