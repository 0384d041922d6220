#!/bin/bash
# Start-up and idle costs of wlanutil on the simulated adapter, beside a bare window of the same size that
# decodes one 800x480 JPEG picture (bench/floor.cpp), all under one Xvfb display.
#
#   bash bench/startup.sh [build folder] [runs]      (defaults: build-bench, 5 runs; IDLE_SECONDS=60)
#
# Reported: time from exec to the main window mapped ("/UI"), time to the first status report (its debug log
# line), resident memory 3 s after the window is mapped (and peak from /usr/bin/time), and CPU time used while
# idling connected with Link Info shown, per 30 s, summed over all threads from /proc/<pid>/task/*/schedstat and
# broken down by thread name, beside the floor with its labels changing as Link Info's values do (bench/idle.sh).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(realpath -m "${1:-$ROOT/build-bench}")
RUNS=${2:-5}
IDLE=${IDLE_SECONDS:-60}
# shellcheck source=bench/benchlib.sh
source "$ROOT/bench/benchlib.sh"
bench_in_xvfb "$0" "$BUILD" "$RUNS"
bench_prepare
PICTURE=$ROOT/resources/skin/ImgMainInfo.jpg

declare -a win status rss floor_win floor_rss
for ((i = 0; i < RUNS; i++)); do
    fresh_adapter
    : >"$APP/wlanutil.Log"
    t0=$(now_ms)
    "$APP/wlanutil" /UI &
    pid=$!
    wait_until mapped "$TITLE"
    win+=($(($(now_ms) - t0)))
    wait_until logged "CAdapterSession: first status report"
    status+=($(($(now_ms) - t0)))
    sleep 3
    rss+=($(rss_kb $pid))
    close_app $pid

    t0=$(now_ms)
    "$BUILD/bin/floor" "$PICTURE" &
    pid=$!
    wait_until mapped Floor
    floor_win+=($(($(now_ms) - t0)))
    sleep 3
    floor_rss+=($(rss_kb $pid))
    kill $pid
    wait $pid 2>/dev/null || true
done

# Idle: connected, Link Info shown, nothing touched; without the debug log, as users run it.
fresh_adapter
rm -f "$APP/wlanutil.Log"
/usr/bin/time -f "%M" -o "$WORK/peak" "$APP/wlanutil" /UI &
timepid=$!
wait_until pgrep -x -P $timepid wlanutil
pid=$(pgrep -x -P $timepid wlanutil)
wait_until linked
sleep 5
c0=$(cpu_ns $pid)
thread_ns $pid >"$WORK/threads0"
sleep "$IDLE"
c1=$(cpu_ns $pid)
thread_ns $pid >"$WORK/threads1"
close_app $timepid
threads=$(by_thread "$WORK/threads0" "$WORK/threads1" "$IDLE")
idle_ms=$(per_30s "$c0" "$c1" "$IDLE")

start_floor_values
pid=$FLOOR_PID
wait_until mapped Floor
sleep 5
c0=$(cpu_ns $pid)
sleep "$IDLE"
c1=$(cpu_ns $pid)
kill $pid
wait $pid 2>/dev/null || true
floor_idle_ms=$(per_30s "$c0" "$c1" "$IDLE")

W=$(printf '%s\n' "${win[@]}" | median)
FW=$(printf '%s\n' "${floor_win[@]}" | median)
R=$(printf '%s\n' "${rss[@]}" | median)
FR=$(printf '%s\n' "${floor_rss[@]}" | median)
S=$(printf '%s\n' "${status[@]}" | median)
echo "runs: $RUNS (medians), idle: ${IDLE} s"
echo "exec to window mapped:   wlanutil ${W} ms   floor ${FW} ms   ratio $(awk -v a="$W" -v b="$FW" 'BEGIN {printf "%.2f", a / b}')"
echo "exec to first status:    wlanutil ${S} ms"
echo "resident memory:         wlanutil ${R} kB   floor ${FR} kB   ratio $(awk -v a="$R" -v b="$FR" 'BEGIN {printf "%.2f", a / b}')   (wlanutil peak $(cat "$WORK/peak") kB)"
echo "CPU idling per 30 s:     wlanutil ${idle_ms} ms   floor (${FLOOR_VALUES} values changing) ${floor_idle_ms} ms   ratio $(awk -v a="$idle_ms" -v b="$floor_idle_ms" 'BEGIN {printf "%.2f", a / b}')"
echo "  by thread:             $threads"
echo "all runs: window ${win[*]} / floor ${floor_win[*]} / status ${status[*]} / rss ${rss[*]} / floor rss ${floor_rss[*]}"
