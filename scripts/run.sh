#!/usr/bin/env bash
# Installs what is missing, builds Kivora and starts it against the built-in sample platform.
# Extra arguments go to the application (for example: scripts/run.sh without --demo flags the
# real platform: scripts/run.sh --real).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev

if [ "${1:-}" = "--real" ]; then
    shift
    exec build/dev/src/app/kivora "$@"
fi
exec build/dev/src/app/kivora --demo "$@"
