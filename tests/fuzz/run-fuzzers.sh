#!/usr/bin/env bash
# Runs each libFuzzer harness in BUILD_DIR/fuzz: first every committed
# regression case once, then fuzzing for a bounded time from the committed
# seeds. New inputs go to BUILD_DIR/fuzz-corpus, never into the repository;
# a crash is saved under BUILD_DIR/fuzz-artifacts and fails the run (commit it
# to tests/fuzz/regressions/<harness>/ once it is mended).
#
#   usage: run-fuzzers.sh BUILD_DIR            FUZZ_SECONDS (default 60) per harness
set -euo pipefail

build=${1:?usage: run-fuzzers.sh BUILD_DIR}
seconds=${FUZZ_SECONDS:-60}
here=$(cd "$(dirname "$0")" && pwd)
limits=(-timeout=10 -rss_limit_mb=2048 -max_len=16384)
# Leaks inside system libraries that are not ours to mend (each one named
# and explained in the file).
export LSAN_OPTIONS="suppressions=$here/../lsan-suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

for name in input_audio midi_file engine; do
    exe="$build/fuzz/${name}_fuzzer"
    work="$build/fuzz-corpus/$name"
    artifacts="$build/fuzz-artifacts/$name/"
    mkdir -p "$work" "$artifacts"

    regressions=()
    if [ -d "$here/regressions/$name" ]; then
        while IFS= read -r -d '' file; do regressions+=("$file"); done \
            < <(find "$here/regressions/$name" -type f ! -name '*.md' -print0 | sort -z)
    fi

    if [ ${#regressions[@]} -gt 0 ]; then
        "$exe" "${limits[@]}" "${regressions[@]}" >"$build/fuzz-$name-regressions.log" 2>&1 \
            || { cat "$build/fuzz-$name-regressions.log"; echo "fuzz: $name: a regression case fails"; exit 1; }
    fi

    log="$build/fuzz-$name.log"
    if ! "$exe" "${limits[@]}" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts" \
        "$work" "$here/corpus/$name" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz: $name: failed; the input is in $artifacts"
        exit 1
    fi

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    echo "fuzz: $name: ${#regressions[@]} regression case(s) pass; ${runs:-?} executions in ${seconds} s, nothing found"
done
