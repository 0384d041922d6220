# Shared by the whole-process benchmarks (startup.sh, idle.sh); sourced, not run. Expects ROOT and BUILD set.

TITLE="Wireless LAN Utility"

# Configures and builds what the benchmarks run, then runs the calling script again under one Xvfb display with
# a D-Bus session bus of its own, as every desktop session has. Without a bus the toolkit's accessibility bridge
# has the D-Bus library start dbus-launch to look for one, about 6 ms at each start that no desktop user waits
# for; the floor meets that cost only after its window is mapped, the program while building its window, so the
# comparison would weigh a missing bus rather than the program.
# Arguments: the calling script and its arguments.
bench_in_xvfb() {
    if [ -n "${BENCH_IN_XVFB:-}" ]; then
        return 0
    fi
    for tool in xvfb-run dbus-run-session xdotool /usr/bin/time; do
        command -v "$tool" >/dev/null || { echo "$(basename "$1"): $tool is missing (bash tools/build.sh deps)"; exit 1; }
    done
    # A folder already configured keeps its build type; a new one is an optimised build.
    local type=()
    [ -f "$BUILD/CMakeCache.txt" ] || type=(-DCMAKE_BUILD_TYPE=Release)
    cmake -S "$ROOT" -B "$BUILD" "${type[@]}" -DWLANUTIL_BENCH=ON >/dev/null
    cmake --build "$BUILD" -j2 --target wlanutil floor tsrwl tsrwl-simctl wlanutil_files >/dev/null
    BENCH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" dbus-run-session -- bash "$@"
}

# A private copy of the program beside the simulated adapter, with its own runtime and settings folders.
bench_prepare() {
    WORK=$(mktemp -d)
    trap 'rm -rf "$WORK"' EXIT
    APP=$WORK/app
    mkdir -p "$APP" "$WORK/run"
    chmod 700 "$WORK/run"
    cp "$BUILD"/bin/{wlanutil,wlanutil.bin,wlanutil.ini,libtsrwl.so,tsrwl-sim.ini,tsrwl-simctl} "$APP"/
    cp "$BUILD"/bin/*.html "$APP"/ 2>/dev/null || true
    export XDG_RUNTIME_DIR=$WORK/run XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data
    unset QT_QPA_PLATFORM
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
wait_until() { # command..., polled every 5 ms for at most 30 s
    local end=$(($(now_ms) + 30000))
    until "$@" >/dev/null 2>&1; do
        [ "$(now_ms)" -lt "$end" ] || { echo "benchmark: timed out waiting for: $*" >&2; return 1; }
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
# The floor for idling shown: the bare window with as many plain labels changing every two seconds as Link Info
# has values that follow the link at each report (the two rates, the two totals and the link quality).
FLOOR_VALUES=5
start_floor_values() { # sets FLOOR_PID
    "$BUILD/bin/floor" "$ROOT/resources/skin/ImgMainInfo.jpg" --values "$FLOOR_VALUES" &
    FLOOR_PID=$!
}
# CPU ms per 30 s between two readings of cpu_ns taken `seconds` apart.
per_30s() { awk -v a="$1" -v b="$2" -v s="$3" 'BEGIN {v = (b - a) / 1e6 * 30 / s; printf "%.2f", v < 0 ? 0 : v}'; }
# Per-thread CPU ms per 30 s from two thread_ns listings taken `seconds` apart; threads under 0.05 ms left out.
by_thread() {
    join "$1" "$2" | awk -v s="$3" '{v = ($5 - $3) / 1e6 * 30 / s; if (v >= 0.05) printf "%s %.2f ms, ", $2, v}' |
        sed 's/, $//'
}
# CPU ms per 30 s of the threads in both thread_ns listings, taken `seconds` apart.
thread_sum() { join "$1" "$2" | awk -v s="$3" '{t += $5 - $3} END {printf "%.2f", t / 1e6 * 30 / s}'; }
