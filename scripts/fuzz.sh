#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz, build/fuzz) and runs each for SECONDS (default 600),
# one after the other, starting from a seed corpus made from the sample platform. Inputs that
# crash, break an invariant or take over 1 s are kept in build/fuzz/findings/ and listed at the
# end; turn each into a regression row of the ordinary tests.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# Two runs may go side by side for different targets (each target has its own corpus, log and
# findings), but each one rebuilds build/fuzz and rewrites the seeds: start the second only after
# the first has begun fuzzing.
# Needs clang (and its libFuzzer runtime); without it the script says so and exits 0.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
all=(fuzz_sharetext fuzz_routerdata fuzz_itemanswer fuzz_suggestedfilename fuzz_filenametemplate)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

if ! command -v clang++ >/dev/null; then
    echo "SKIP: clang++ is not installed; the fuzz targets need clang's libFuzzer"
    exit 0
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2 --target "${targets[@]}" make_seed_corpus

out=build/fuzz/runs
findings=build/fuzz/findings
mkdir -p "$out" "$findings"
export QT_LOGGING_RULES="kivora.debug=false" ASAN_OPTIONS=detect_leaks=1
build/fuzz/tests/fuzz/make_seed_corpus "$out/seeds"

status=0
for target in "${targets[@]}"; do
    corpus="$out/corpus/$target"
    mkdir -p "$corpus"
    log="$out/$target.log"
    echo "=== $target: ${seconds} s"
    set +e
    build/fuzz/tests/fuzz/"$target" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 \
        -max_len=65536 -report_slow_units=1 -print_final_stats=1 \
        -artifact_prefix="$findings/$target-" "$corpus" "$out/seeds/$target" >"$log" 2>&1
    code=$?
    set -e
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
    slowest=$(grep -o 'Slowest unit: [0-9]* s' "$log" | tail -1 || true)
    found=$(ls "$findings" | grep -c "^$target-" || true)
    echo "$target: exit $code, ${runs:-?} runs, ${slowest:-no unit over 1 s}, $found finding(s)"
    [ "$code" -eq 0 ] && [ "$found" -eq 0 ] || status=1
done
[ "$status" -eq 0 ] || { echo "findings:"; ls -1 "$findings"; }
exit $status
