#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for about a minute on a copy of
# its seed corpus; a crash, leak, timeout or memory blow-up fails the step.
set -eu
cd "$(dirname "$0")/.."
. .ci/sanitizer-env.sh
seconds=${LOOM_FUZZ_SECONDS:-60}
# target:corpus:seconds a single input may take before it counts as a hang (the reader
# also lays out and renders what it reads).
targets="fuzz_docreader:docreader:5 fuzz_customxml:customxml:5 fuzz_entrylist:entrylist:10 fuzz_entrytable:entrytable:10 fuzz_timelinexml:timelinexml:5 fuzz_pagetexts:pagetexts:5"
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DLOOM_FUZZ=ON \
    -DLOOM_BUILD_TESTS=OFF -DLOOM_BUILD_BENCH=OFF
cmake --build build-fuzz -j2 --target fuzz_docreader fuzz_customxml fuzz_entrylist fuzz_entrytable fuzz_timelinexml fuzz_pagetexts
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for pair in $targets; do
    target=${pair%%:*}
    rest=${pair#*:}
    corpus=${rest%%:*}
    timeout=${rest#*:}
    mkdir -p "$scratch/$target/corpus" "$scratch/$target/artifacts"
    cp fuzz/corpus/"$corpus"/* "$scratch/$target/corpus/"
    status=0
    build-fuzz/"$target" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$scratch/$target/artifacts/" \
        "$scratch/$target/corpus" >"$scratch/$target/log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$scratch/$target/log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$scratch/$target/log")
    peak=$(sed -n 's/^stat::peak_rss_mb: *//p' "$scratch/$target/log")
    echo "$target: ${runs:-?} executions, ${rate:-?} per second, peak ${peak:-?} MB, status $status"
    if [ "$status" -ne 0 ] || [ -n "$(ls "$scratch/$target/artifacts")" ]; then
        tail -n 60 "$scratch/$target/log"
        for artifact in "$scratch/$target/artifacts"/*; do
            [ -f "$artifact" ] || continue
            echo "$artifact:"
            od -A d -c "$artifact" | head -n 20
        done
        exit 1
    fi
done
