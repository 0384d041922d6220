#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang under the address and undefined-behaviour sanitizers and
# runs each on its seed corpus, then reports executions, coverage and crashes per harness.
#   bash tools/fuzz.sh [-runs N | -time SECONDS] [harness...]
# Default: 10 million executions each (-runs), or the given time each (-time). Found inputs land in
# build-fuzz/findings/<harness>/, crashing ones as crash-*/leak-*/timeout-* files there; the committed seed
# corpus under fuzz/corpus/ is only read. Exit status 1 when any harness crashed.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=(-runs=10000000)
case "${1:-}" in
-runs) limit=(-runs="$2"); shift 2 ;;
-time) limit=(-max_total_time="$2"); shift 2 ;;
esac
all=(fuzz_inifile fuzz_profileini fuzz_simscenario fuzz_simstate fuzz_deviceevent fuzz_instance fuzz_skin
     fuzz_nl80211 fuzz_dbusvalue)
harnesses=("${@:-${all[@]}}")
[ $# -eq 0 ] && harnesses=("${all[@]}")

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

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen
failed=0
printf '%-18s %12s %8s %8s %s\n' harness executions cov ft result
for h in "${harnesses[@]}"; do
    findings=$dir/findings/$h
    mkdir -p "$findings"
    log=$dir/findings/$h.log
    set +e
    "$dir/fuzz/$h" "${limit[@]}" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$findings" "fuzz/corpus/${h#fuzz_}" >"$log" 2>&1
    status=$?
    set -e
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    result=ok
    if [ $status -ne 0 ]; then
        result="CRASH (see $log)"
        failed=1
    fi
    printf '%-18s %12s %8s %8s %s\n' "$h" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$result"
done
exit $failed
