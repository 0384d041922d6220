#!/usr/bin/env bash
# Runs the installed program on the real adapter library against the network manager stand-in of the tests (a
# private bus, python3-dbusmock, one Wi-Fi device with six networks), without wireless hardware.
#   bash tools/netadapter-demo/run.sh            run it (under Xvfb when there is no display); Ctrl+C ends it
#   bash tools/netadapter-demo/run.sh --shots D  take pictures of Link Info and Site Survey into folder D, then end
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
shots=""
[ "${1:-}" = --shots ] && shots=$(mkdir -p "$2" && cd "$2" && pwd)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
cmake --install "$repo/build" --prefix "$repo/build/installed" >/dev/null
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
# A USB adapter in a stand-in sysfs, with the hardware id the shipped settings name and some traffic.
mkdir -p "$work/sys/usb/if" "$work/sys/class/net/wlan0/statistics"
echo f5e1 >"$work/sys/usb/idVendor"
echo 0301 >"$work/sys/usb/idProduct"
ln -s ../../../usb/if "$work/sys/class/net/wlan0/device"
for counter in rx_bytes:48213377 tx_bytes:5123456 rx_packets:40211 tx_packets:21077; do
    echo "${counter#*:}" >"$work/sys/class/net/wlan0/statistics/${counter%%:*}"
done
cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>session</type><listen>unix:path=$work/bus</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*"/><allow receive_sender="*"/><allow user="*"/><allow own="*"/>
</policy></busconfig>
CONF
dbus-daemon --nofork --config-file="$work/bus.conf" 2>/dev/null &
pids+=($!)
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/bus"
until /usr/bin/python3 -c "import dbus; dbus.bus.BusConnection('$DBUS_SYSTEM_BUS_ADDRESS')" 2>/dev/null; do sleep 0.2; done
/usr/bin/python3 -m dbusmock --system --template "$repo/tests/netadapter/nm_standin.py" >/dev/null 2>&1 &
pids+=($!)
until /usr/bin/python3 "$(dirname "$0")/world.py" "$DBUS_SYSTEM_BUS_ADDRESS" >/dev/null 2>&1; do sleep 0.5; done
export TSRWL_NET_SYSFS="$work/sys" TSRWL_NET_PROFILES="$work/profiles" XDG_CONFIG_HOME="$work/config"
# A copy of the installed program whose settings say that the user has let it run the adapter: without that
# choice it leaves the device to the network manager and shows nothing but its question.
cp -r "$repo/build/installed/lib/wlanutil" "$work/program"
sed -i 's/^\[Setting\]$/[Setting]\nEnableZeroCfg=0/' "$work/program/wlanutil.bin"
if [ -z "$shots" ]; then
    "$work/program/wlanutil" /UI
    exit
fi
"$work/program/wlanutil" /UI &
pids+=($!)
sleep 8
import -window root -crop 800x480+0+0 "$shots/linkinfo.png"
xdotool mousemove 437 80 click 1
sleep 5
import -window root -crop 800x480+0+0 "$shots/sitesurvey.png"
