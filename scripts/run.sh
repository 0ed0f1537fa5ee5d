#!/usr/bin/env bash
# Installs what is missing, builds Kivora (the dev preset, build/dev) and starts it against the
# built-in sample platform. Extra arguments go to the application; --real as the first one starts
# it against the real platform instead (scripts/run.sh --real), --help prints its options.
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
