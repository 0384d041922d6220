#!/usr/bin/env bash
# Boots the real-stack guest once and runs the real-stack tests in it (or a command given after --).
#   bash tests/realstack/run.sh [--build DIR] [--filter PATTERN] [--shell] [--timeout SECONDS] [-- COMMAND...]
#     --build DIR      the build folder (default build): its tests/tst_realstack runs, its realstack/ holds
#                      the kernel, the console log and the results
#     --filter PATTERN only these tests (a GoogleTest filter, e.g. 'RealScan*')
#     --shell          no tests: a shell on this terminal once the test bed is up (exit it to power off)
#     --timeout S      the guest is stopped after S seconds (default 1500)
# REALSTACK_KVM=1 boots under KVM (a host with VMX/SVM); the default is QEMU's TCG.
# The exit status is the command's; the guest's console is in DIR/realstack/console.log, the daemons' logs and
# the test output in DIR/realstack/results/.
set -euo pipefail
here=$(realpath "$(dirname "$0")")
build=build filter="" shell=0 limit=1500 command=()
while [ $# -gt 0 ]; do
    case $1 in
    --build) build=$2 && shift ;;
    --filter) filter=$2 && shift ;;
    --shell) shell=1 ;;
    --timeout) limit=$2 && shift ;;
    --) shift && command=("$@") && break ;;
    *) sed -n '2,11p' "$0" >&2 && exit 2 ;;
    esac
    shift
done
build=$(realpath "$build")
dir=$build/realstack
bash "$here/prepare.sh" "$dir"
kernel=$(realpath "$dir/kernel")
version=${kernel##*/kernel-}
results=$dir/results
console=$dir/console.log

if [ ${#command[@]} -eq 0 ]; then
    command=("$build/tests/tst_realstack" "--gtest_output=xml:/results/tst_realstack.xml")
    [ -n "$filter" ] && command+=("--gtest_filter=$filter")
    [ -x "${command[0]}" ] || { echo "run.sh: ${command[0]} is not built" >&2 && exit 1; }
fi

# One guest per build folder at a time: the results folder is shared.
exec 9>"$dir/lock"
flock -n 9 || { echo "run.sh: another real-stack guest runs on $dir" >&2 && exit 1; }
rm -rf "$results"
mkdir -p "$results"
{
    printf 'RS_KERNEL=%q\nRS_VERSION=%q\nRS_SHELL=%q\nRS_CWD=%q\nRS_COMMAND=(' "$kernel" "$version" "$shell" "$PWD"
    printf '%q ' "${command[@]}"
    echo ')'
} >"$results/job.env"

accel=(-accel tcg,thread=multi,tb-size=256 -cpu max)
[ "${REALSTACK_KVM:-0}" = 1 ] && accel=(-accel kvm -cpu host,-arch-capabilities)
serial=(-serial "file:$console")
[ $shell = 1 ] && serial=(-serial mon:stdio)
qemu=(qemu-system-x86_64 -nodefaults -no-user-config -no-reboot -machine pc "${accel[@]}" -smp 2 -m 1536
    -kernel "$kernel/vmlinux" -initrd "$kernel/initramfs.cpio.gz"
    -append "console=ttyS0 panic=-1 loglevel=4 rs.init=$here/guest.sh"
    -fsdev local,id=root,path=/,security_model=none,readonly=on,multidevs=remap
    -device virtio-9p-pci,fsdev=root,mount_tag=root
    -fsdev "local,id=results,path=$results,security_model=none"
    -device virtio-9p-pci,fsdev=results,mount_tag=results
    -nic none -display none "${serial[@]}")

echo "Real-stack guest: kernel $version, console in $console"
[ $shell = 1 ] && exec "${qemu[@]}"
start=$SECONDS
status=0
# timeout leads a process group of its own: a stopped run.sh stops it (and so the guest) by its id.
timeout -k 10 "$limit" "${qemu[@]}" </dev/null &
guest=$!
trap 'kill $guest 2>/dev/null || true' EXIT
trap 'exit 143' INT TERM
wait $guest || status=$?
echo "Real-stack guest: $((SECONDS - start)) s"
[ -f "$results/test-output.log" ] && cat "$results/test-output.log"
if [ -f "$results/setup-failed" ]; then
    echo "run.sh: the test bed did not come up: $(cat "$results/setup-failed"); see $console" >&2
    exit 1
fi
if [ ! -f "$results/exit-status" ]; then
    [ $status = 124 ] && echo "run.sh: the guest was stopped after $limit s" >&2
    echo "run.sh: the guest ended without a result (QEMU exit status $status); the end of $console:" >&2
    tail -n 30 "$console" >&2
    exit 1
fi
exit "$(cat "$results/exit-status")"
