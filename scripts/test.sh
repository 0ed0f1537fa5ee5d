#!/usr/bin/env bash
# Installs what is missing, builds the whole project twice (debug with warnings as errors, then
# with AddressSanitizer and UndefinedBehaviorSanitizer) and runs the full test suite on both.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

for preset in dev asan; do
    echo "=== ${preset}: configure and build"
    extra=()
    [ "$preset" = dev ] && extra=(-DKIVORA_WARNINGS_AS_ERRORS=ON)
    cmake --preset "$preset" "${extra[@]}" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    echo "=== ${preset}: test"
    ctest --preset "$preset" -j "$jobs"
done
