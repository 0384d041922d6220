#!/bin/bash
# Idle CPU cost of wlanutil on the simulated adapter, connected and left alone, in the two ways it idles:
# the window shown on Link Info ("/UI"), and hidden in the tray as the desktop's autostart leaves it
# ("--tray": the window never shown).
#
#   bash bench/idle.sh [build folder] [runs]      (defaults: build-bench, 3 runs; IDLE_SECONDS=30)
#
# Each run starts the program afresh, waits for the link, lets it settle, then reads the CPU time of every
# thread (/proc/<pid>/task/*/schedstat) over IDLE_SECONDS; the figures are per 30 s, the median of the runs,
# with the run's threads broken down by name (the main thread is GUI). The machine's load is printed too:
# other processes slow the program's wake-ups, not their count, but a busy machine still adds noise.
#
# Each shown run is followed by one of the floor (bench/floor.cpp --values): a bare window whose plain labels
# change as often as Link Info's values do. What a repaint every two seconds costs differs from machine to
# machine more than anything the program does, so the shown figure is read against the floor of the same run.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(realpath -m "${1:-$ROOT/build-bench}")
RUNS=${2:-3}
IDLE=${IDLE_SECONDS:-30}
SETTLE=${SETTLE_SECONDS:-5}
# shellcheck source=bench/benchlib.sh
source "$ROOT/bench/benchlib.sh"
bench_in_xvfb "$0" "$BUILD" "$RUNS"
bench_prepare
rm -f "$APP/wlanutil.Log"

# Lets the process `pid` settle, then reads its threads' CPU time over IDLE seconds; prints nothing.
sample_threads() {
    sleep "$SETTLE"
    thread_ns "$1" >"$WORK/threads0"
    sleep "$IDLE"
    thread_ns "$1" >"$WORK/threads1"
}

# The last sample as "<ms per 30 s> <threads>". Threads that ended in between took their time with them: the sum
# is of the threads seen at both ends.
sampled() {
    echo "$(thread_sum "$WORK/threads0" "$WORK/threads1" "$IDLE") $(by_thread "$WORK/threads0" "$WORK/threads1" "$IDLE")"
}

# One run: starts the program with `switch`, prints its sample.
idle_run() {
    fresh_adapter
    "$APP/wlanutil" "$1" &
    local pid=$!
    wait_until linked
    [ "$1" = /UI ] && wait_until mapped "$TITLE"
    sample_threads $pid
    close_app $pid
    sampled
}

# One run of the floor, printed as idle_run prints.
floor_run() {
    start_floor_values
    local pid=$FLOOR_PID
    wait_until mapped Floor
    sample_threads $pid
    kill $pid
    wait $pid 2>/dev/null || true
    sampled
}

# Prints the median of results given as idle_run prints them, then the runs; the median stays in MID.
report() { # label, results...
    MID=$(printf '%s\n' "${@:2}" | cut -d' ' -f1 | median)
    echo "$1 CPU per 30 s: median ${MID} ms"
    printf '  run: %s\n' "${@:2}"
}

echo "idle ${IDLE} s per run, ${RUNS} runs; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
shown=() floor=() tray=()
for ((i = 0; i < RUNS; i++)); do
    shown+=("$(idle_run /UI)")
    floor+=("$(floor_run)")
done
for ((i = 0; i < RUNS; i++)); do
    tray+=("$(idle_run --tray)")
done
report "window shown, Link Info:" "${shown[@]}"
shown_mid=$MID
report "floor, ${FLOOR_VALUES} values changing:" "${floor[@]}"
echo "  shown against the floor: $(awk -v a="$shown_mid" -v b="$MID" 'BEGIN {printf "%.2f", a / b}')"
report "hidden in the tray:      " "${tray[@]}"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
