#!/usr/bin/env bash
# Installs what is missing, builds Quibo and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build --target quibo
exec build/bin/quibo "$@"
