#!/usr/bin/env bash
# Installs what is missing, builds the whole project twice (debug with warnings as errors, then
# with AddressSanitizer and UndefinedBehaviorSanitizer) and runs the full test suite on both; in
# between, scripts/package.sh checks the install and the Debian package of the debug build.
# Each build has a folder of its own (build/dev-strict, build/asan), so nothing set here reaches
# the dev build that scripts/run.sh uses.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

for preset in dev-strict asan; do
    echo "=== ${preset}: configure and build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    echo "=== ${preset}: test"
    ctest --preset "$preset" -j "$jobs"
    if [ "$preset" = dev-strict ]; then
        echo "=== ${preset}: install and package"
        scripts/package.sh build/dev-strict
    fi
done
