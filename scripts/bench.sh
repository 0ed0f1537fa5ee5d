#!/usr/bin/env bash
# Builds the release preset and runs every benchmark on the offscreen platform, one after the
# other (they measure time and memory, so nothing else of ours should run beside them).
# Arguments name benchmarks to run (default: all), e.g. scripts/bench.sh bench_parser.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
command -v curl >/dev/null || echo "note: curl is missing; bench_download and bench_parse_latency then run without their curl baselines"

all=(bench_parser bench_parser_big_pages bench_parse_latency bench_cli_batch bench_hud_layout bench_hud_blocks bench_hud_core bench_download
     bench_app_start bench_event_loop_stalls)
selected=("$@")
[ ${#selected[@]} -gt 0 ] || selected=("${all[@]}")

cmake --preset release >/dev/null
cmake --build --preset release --target "${selected[@]}"

export QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="kivora.info=false"
for b in "${selected[@]}"; do
    echo "=== $b"
    build/release/bench/"$b"
done
