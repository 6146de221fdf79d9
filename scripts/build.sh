#!/usr/bin/env bash
# Configures and builds one build tree.
#   scripts/build.sh <dir> [--target <name>] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1; shift
target=()
if [ "${1:-}" = "--target" ]; then
  target=(--target "$2"); shift 2
fi
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)" "${target[@]}"
