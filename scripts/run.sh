#!/usr/bin/env bash
# Installs what is missing, builds Quibo and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build -DQUIBO_BUILD_TESTS=OFF -DQUIBO_BUILD_BENCH=OFF
exec build/bin/quibo "$@"
