#!/usr/bin/env bash
# Builds a fuzz target with clang and libFuzzer (with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it:
#   tests/platform/db/fuzz/run_fuzz.sh [seconds] [jobs] [dbf|px]
set -euo pipefail
cd "$(dirname "$0")/../../../.."
seconds=${1:-600}
jobs=${2:-1}
target=${3:-dbf}
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DQUIBO_SANITIZE=ON -DQUIBO_FUZZ=ON \
  -DQUIBO_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target "fuzz_$target" "fuzz_${target}_smoke" -j4
corpus=build-fuzz/fuzz-corpus/$target
build-fuzz/tests/fuzz_${target}_smoke --write-seeds "$corpus"
mkdir -p build-fuzz/fuzz-artifacts
cd build-fuzz # libFuzzer writes its job logs into the current folder
# A run that takes 10 s on one input is a hang.
tests/fuzz_$target -max_total_time="$seconds" -jobs="$jobs" -workers="$jobs" -max_len=65536 -timeout=10 \
  -artifact_prefix="fuzz-artifacts/$target-" "fuzz-corpus/$target"
