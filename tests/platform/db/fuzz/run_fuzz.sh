#!/usr/bin/env bash
# Builds the dBASE fuzz target with clang and libFuzzer (with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it: tests/platform/db/fuzz/run_fuzz.sh [seconds] [jobs]
set -euo pipefail
cd "$(dirname "$0")/../../../.."
seconds=${1:-600}
jobs=${2:-1}
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DQUIBO_SANITIZE=ON -DQUIBO_FUZZ=ON \
  -DQUIBO_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_dbf fuzz_dbf_smoke -j4
corpus=build-fuzz/fuzz-corpus/dbf
build-fuzz/tests/fuzz_dbf_smoke --write-seeds "$corpus"
mkdir -p build-fuzz/fuzz-artifacts
cd build-fuzz # libFuzzer writes its job logs into the current folder
tests/fuzz_dbf -max_total_time="$seconds" -jobs="$jobs" -workers="$jobs" -max_len=16384 \
  -artifact_prefix=fuzz-artifacts/ fuzz-corpus/dbf
