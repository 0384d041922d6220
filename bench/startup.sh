#!/bin/bash
# Start-up and idle costs of wlanutil on the simulated adapter, beside a bare window of the same size that
# decodes one 800x480 JPEG picture (bench/floor.cpp), all under one Xvfb display.
#
#   bash bench/startup.sh [build folder] [runs]      (defaults: build-bench, 5 runs; IDLE_SECONDS=60)
#
# Reported: time from exec to the main window mapped ("/UI"), time to the first status report (its debug log
# line), resident memory 3 s after the window is mapped (and peak from /usr/bin/time), and CPU time used while
# idling connected with Link Info shown, per 30 s, summed over all threads from /proc/<pid>/task/*/schedstat and
# broken down by thread name.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(realpath -m "${1:-$ROOT/build-bench}")
RUNS=${2:-5}
IDLE=${IDLE_SECONDS:-60}
TITLE="Wireless LAN Utility"

if [ -z "${BENCH_IN_XVFB:-}" ]; then
    for tool in xvfb-run xdotool /usr/bin/time; do
        command -v "$tool" >/dev/null || { echo "startup.sh: $tool is missing (bash tools/build.sh deps)"; exit 1; }
    done
    # A folder already configured keeps its build type; a new one is an optimised build.
    type=()
    [ -f "$BUILD/CMakeCache.txt" ] || type=(-DCMAKE_BUILD_TYPE=Release)
    cmake -S "$ROOT" -B "$BUILD" "${type[@]}" -DWLANUTIL_BENCH=ON >/dev/null
    cmake --build "$BUILD" -j2 --target wlanutil floor tsrwl tsrwl-simctl wlanutil_files >/dev/null
    BENCH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$BUILD" "$RUNS"
fi

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
APP=$WORK/app
mkdir -p "$APP" "$WORK/run"
chmod 700 "$WORK/run"
cp "$BUILD"/bin/{wlanutil,wlanutil.bin,wlanutil.ini,libtsrwl.so,tsrwl-sim.ini,tsrwl-simctl} "$APP"/
cp "$BUILD"/bin/*.html "$APP"/ 2>/dev/null || true
PICTURE=$ROOT/resources/skin/ImgMainInfo.jpg
export XDG_RUNTIME_DIR=$WORK/run XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data
unset QT_QPA_PLATFORM

now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
wait_until() { # command..., polled every 5 ms for at most 30 s
    local end=$(($(now_ms) + 30000))
    until "$@" >/dev/null 2>&1; do
        [ "$(now_ms)" -lt "$end" ] || { echo "startup.sh: timed out waiting for: $*" >&2; return 1; }
        sleep 0.005
    done
}
mapped() { xdotool search --onlyvisible --name "^$1\$"; }
logged() { grep -q "$1" "$APP/wlanutil.Log"; }
linked() { "$APP/tsrwl-simctl" status | grep -q "^link .*, up$"; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%.0f\n", s}'; }
thread_ns() { # one line per thread: id, name (the main thread: GUI), CPU ns so far
    for t in /proc/"$1"/task/*; do
        local name
        name=$(tr ' ' _ <"$t/comm")
        [ "$(basename "$t")" = "$1" ] && name=GUI
        echo "$(basename "$t") $name $(cut -d' ' -f1 "$t/schedstat")"
    done 2>/dev/null | sort
}
fresh_adapter() {
    rm -rf "$WORK/run"/* "$WORK/config" "$WORK/data"
    "$APP/tsrwl-simctl" --prof-root Tessaro plug >/dev/null
}
close_app() { "$APP/wlanutil" /Close; wait "$1" 2>/dev/null || true; }

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
by_thread=$(join "$WORK/threads0" "$WORK/threads1" |
    awk -v s="$IDLE" '{v = ($5 - $3) / 1e6 * 30 / s; if (v >= 0.05) printf "%s %.2f ms, ", $2, v}')
idle_ms=$(awk -v a="$c0" -v b="$c1" -v s="$IDLE" 'BEGIN {v = (b - a) / 1e6 * 30 / s; printf "%.2f", v < 0 ? 0 : v}')

"$BUILD/bin/floor" "$PICTURE" &
pid=$!
wait_until mapped Floor
sleep 2
c0=$(cpu_ns $pid)
sleep "$IDLE"
c1=$(cpu_ns $pid)
kill $pid
wait $pid 2>/dev/null || true
floor_idle_ms=$(awk -v a="$c0" -v b="$c1" -v s="$IDLE" 'BEGIN {v = (b - a) / 1e6 * 30 / s; printf "%.2f", v < 0 ? 0 : v}')

W=$(printf '%s\n' "${win[@]}" | median)
FW=$(printf '%s\n' "${floor_win[@]}" | median)
R=$(printf '%s\n' "${rss[@]}" | median)
FR=$(printf '%s\n' "${floor_rss[@]}" | median)
S=$(printf '%s\n' "${status[@]}" | median)
echo "runs: $RUNS (medians), idle: ${IDLE} s"
echo "exec to window mapped:   wlanutil ${W} ms   floor ${FW} ms   ratio $(awk -v a="$W" -v b="$FW" 'BEGIN {printf "%.2f", a / b}')"
echo "exec to first status:    wlanutil ${S} ms"
echo "resident memory:         wlanutil ${R} kB   floor ${FR} kB   ratio $(awk -v a="$R" -v b="$FR" 'BEGIN {printf "%.2f", a / b}')   (wlanutil peak $(cat "$WORK/peak") kB)"
echo "CPU idling per 30 s:     wlanutil ${idle_ms} ms   floor ${floor_idle_ms} ms"
echo "  by thread:             ${by_thread%, }"
echo "all runs: window ${win[*]} / floor ${floor_win[*]} / status ${status[*]} / rss ${rss[*]} / floor rss ${floor_rss[*]}"
