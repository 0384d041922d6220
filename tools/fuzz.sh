#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang under the address and undefined-behaviour sanitizers and
# runs each on its seed corpus, one after the other at low priority, then reports executions, executions per
# second, coverage, corpus size and findings per harness.
#   bash tools/fuzz.sh [-jobs N] [-runs N | -time SECONDS] [harness...]   run (default: 10 million executions
#                                                                         each, one harness at a time)
#   bash tools/fuzz.sh -merge [harness...]                                fold what the runs found into fuzz/corpus/
#   bash tools/fuzz.sh -build [harness...]                                only build
# -jobs N runs up to N harnesses at once (one a core); the table keeps the harnesses' order.
# A run stops at whichever limit comes first: -time also keeps the 10 million executions, -runs has no time
# limit. Found inputs land in build-fuzz/findings/<harness>/, crashing ones as crash-*/leak-*/timeout-* files
# in build-fuzz/findings/ with the harness's name in front; the committed seed corpus is only read. -merge
# keeps the named seeds and those found inputs that add coverage, so the committed corpus stays small. Exit
# status 1 when any harness found something.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=(-runs=10000000)
merge=0
build_only=0
jobs=1
if [ "${1:-}" = -jobs ]; then
    jobs=$2
    shift 2
fi
case "${1:-}" in
-runs) limit=(-runs="$2"); shift 2 ;;
-time) limit=(-runs=10000000 -max_total_time="$2"); shift 2 ;;
-merge) merge=1; shift ;;
-build) build_only=1; shift ;;
esac
all=(fuzz_inifile fuzz_profileini fuzz_simscenario fuzz_simstate fuzz_deviceevent fuzz_instance fuzz_skin
     fuzz_nl80211 fuzz_dbusvalue)
harnesses=("${@:-${all[@]}}")
[ $# -eq 0 ] && harnesses=("${all[@]}")

# Options of one harness beyond the common ones.
options() {
    case "$1" in
    # The socket servers free what a client leaves in the next turn of their event loop, so an input
    # allocates more than it frees, and the per-input leak check (a scan of the whole heap) would run on
    # almost every one. Leaks are still reported when the run ends.
    fuzz_deviceevent | fuzz_instance) echo -detect_leaks=0 ;;
    esac
}

dir=build-fuzz
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
    # As in tools/build.sh: the precompiled headers, made during the build, are taken by content.
    export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
fi
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DWLANUTIL_FUZZ=ON -DWLANUTIL_TESTS=OFF -DWLANUTIL_SANITIZE=address,undefined "${launcher[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target "${harnesses[@]}"
[ $build_only -eq 1 ] && exit 0

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen

if [ $merge -eq 1 ]; then
    for h in "${harnesses[@]}"; do
        seeds=fuzz/corpus/${h#fuzz_}
        merged=$dir/merged/$h
        rm -rf "$merged"
        mkdir -p "$merged" "$dir/findings/$h"
        # Named seeds (real files, and inputs that once found a fault) stay whatever their coverage; found
        # inputs, named by their hash, are kept only when they add to it.
        find "$seeds" -type f ! -regex '.*/[0-9a-f]\{40\}' -exec cp {} "$merged" \;
        # shellcheck disable=SC2046
        nice -n 10 "$dir/fuzz/$h" -merge=1 -use_counters=0 $(options "$h") "$merged" "$seeds" "$dir/findings/$h" \
            >"$dir/merged/$h.log" 2>&1
        rm -rf "$seeds"
        mv "$merged" "$seeds"
        printf '%-18s %5d files %6s\n' "$h" "$(find "$seeds" -type f | wc -l)" "$(du -sh "$seeds" | cut -f1)"
    done
    exit 0
fi

# Runs one harness and leaves its line of the table in build-fuzz/findings/<harness>.result.
run() {
    local h=$1 findings=$dir/findings/$1 log=$dir/findings/$1.log status result
    mkdir -p "$findings"
    set +e
    # shellcheck disable=SC2046
    nice -n 10 "$dir/fuzz/$h" "${limit[@]}" $(options "$h") -rss_limit_mb=2048 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$dir/findings/$h-" "$findings" "fuzz/corpus/${h#fuzz_}" >"$log" 2>&1
    status=$?
    set -e
    local runs speed cov ft corpus
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    corpus=$(grep -o 'corp: [0-9]*/[0-9]*[a-zA-Z]*' "$log" | tail -1 | cut -d' ' -f2)
    result=ok
    [ $status -ne 0 ] && result="FOUND (see $log)"
    printf '%-18s %11s %8s %6s %6s %14s %s\n' "$h" "${runs:-?}" "${speed:-?}" "${cov:-?}" "${ft:-?}" \
        "${corpus:-?}" "$result" >"$dir/findings/$h.result"
}

running=0
for h in "${harnesses[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
    run "$h" &
    running=$((running + 1))
done
wait

failed=0
printf '%-18s %11s %8s %6s %6s %14s %s\n' harness executions exec/s cov ft corpus result
for h in "${harnesses[@]}"; do
    cat "$dir/findings/$h.result"
    grep -q FOUND "$dir/findings/$h.result" && failed=1
done
exit $failed
