#!/usr/bin/env bash
# Installs what is missing, builds Quibo with its tests and runs them headless: once in a
# normal build and once under AddressSanitizer and UndefinedBehaviorSanitizer; then every
# reader's fuzz target runs for a short time (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
jobs=$(nproc)

scripts/build.sh build -DQUIBO_BUILD_TESTS=ON -DQUIBO_BUILD_BENCH=ON
ctest --test-dir build --output-on-failure --parallel "$jobs" --timeout 600

scripts/build.sh build-asan -DQUIBO_SANITIZE=ON -DQUIBO_BUILD_TESTS=ON -DQUIBO_BUILD_BENCH=OFF
ctest --test-dir build-asan --output-on-failure --parallel "$jobs" --timeout 1200

scripts/fuzz.sh smoke 25
