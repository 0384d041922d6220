#!/usr/bin/env bash
# Installs what is missing, builds, and then runs the program ("run") or every test ("test").
#   bash tools/build.sh run [switches...]   build and start wlanutil on the simulated adapter
#   bash tools/build.sh real [switches...]  build, install under build/installed and start wlanutil there, on the
#                                           real wireless adapter (through the network manager)
#   bash tools/build.sh test                build and run the whole test suite
#   bash tools/build.sh sanitize KIND [build|test]
#                                           KIND = address,undefined or thread: build and test with sanitizers
#                                           (only build, or only test what was built)
#   bash tools/build.sh deps                only install what is missing
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(g++ cmake make pkg-config qt6-base-dev qt6-base-private-dev qt6-base-dev-tools qt6-translations-l10n libsimpleini-dev libudev-dev libsystemd-dev libjpeg-dev
          libfontconfig-dev libssl-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation2 fonts-dejavu-core xvfb xauth
          dbus-daemon xdotool time libnl-genl-3-dev python3-dbusmock python3-gi gir1.2-nm-1.0 ccache dpkg-dev lintian
          desktop-file-utils appstream clang libclang-rt-dev lld clang-format clang-tidy
          qemu-system-x86 busybox-static kmod cpio xz-utils iproute2 hostapd dnsmasq-base network-manager
          wpasupplicant iw openssl udev dbus wireless-regdb at-spi2-core gir1.2-atspi-2.0 imagemagick)

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    # The real-stack test bed's packages bring services (network manager, supplicant, hostapd) that run only
    # inside its guest: while they are installed, a policy refuses every service start on this machine.
    local guard=""
    if [ ! -e /usr/sbin/policy-rc.d ]; then
        guard=/usr/sbin/policy-rc.d
        printf '#!/bin/sh\nexit 101\n' | $sudo tee $guard >/dev/null
        $sudo chmod 755 $guard
    fi
    local status=0
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null ||
        status=$?
    [ -z "$guard" ] || $sudo rm -f $guard
    return $status
}

targets=() # what build() builds: everything unless set (cmake --build arguments)
build() { # dir, extra cmake arguments...
    local dir=$1
    shift
    local launcher=()
    # Rebuilds in several checkouts share one compiler cache: paths inside the checkout are hashed relative to
    # it, so a clone in another folder hits what this one compiled.
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
        export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
        # Precompiled headers are made during the build, just before the files that use them: the cache takes
        # them as they are (they are hashed by content) instead of refusing them as too new.
        export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
    fi
    # CI fails on warnings, and keeps line tables only (-g1): its reports name file and line, nobody steps
    # through its binaries, and the variables' locations cost a quarter of the optimised compile time.
    local ci=()
    [ -n "${CI:-}" ] && ci=(-DWLANUTIL_WERROR=ON "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
                           "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${ci[@]}" "${launcher[@]}" "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
}

run_tests() { # dir, extra ctest arguments...
    # A test that fails is run once more; its first failure stays in the output. GUI and process tests wait on
    # real timers on a busy machine: one slow moment must not fail the run, a fault that repeats still does.
    # Those tests spend almost all their time waiting for the simulated adapter (the whole suite takes about
    # 15 s of CPU in 400 s), so four run on each core.
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$1" --output-on-failure -j"$(($(nproc) * 4))" --repeat until-pass:2 \
        "${@:2}"
}

cmd=${1:-}
shift || true
install_missing
case "$cmd" in
deps) ;;
run)
    build build
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        echo "No display here: starting wlanutil under a virtual X display (xvfb-run); stop it with Ctrl+C."
        exec xvfb-run -a build/bin/wlanutil /UI "$@"
    fi
    exec build/bin/wlanutil /UI "$@"
    ;;
real)
    build build
    cmake --install build --prefix build/installed >/dev/null
    exec build/installed/bin/wlanutil /UI "$@"
    ;;
test)
    build build
    run_tests build
    ;;
sanitize)
    kind=${1:-address,undefined}
    step=${2:-}
    dir=build-${kind//,/-}
    # The thread sanitizer runs the threaded engine tests (label "engine"): only they are built.
    only=()
    # The real-stack test (label "realstack") runs the normal build's library in its guest: never here.
    [ "$kind" = thread ] && only=(-L engine) targets=(--target engine_tests)
    [ "$step" = test ] || build "$dir" -DCMAKE_BUILD_TYPE=Debug -DWLANUTIL_SANITIZE="$kind"
    [ "$step" = build ] && exit 0
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tools/tsan.supp" \
        run_tests "$dir" -LE realstack "${only[@]}"
    ;;
*)
    sed -n '2,11p' "$0"
    exit 2
    ;;
esac
