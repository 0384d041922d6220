#!/bin/bash
# The real-stack guest's first process after the initramfs: brings up the simulated radios, the access points
# (hostapd in the network namespace "ap", dnsmasq for their addresses) and the station side (system bus, udev,
# wpa_supplicant, NetworkManager managing one radio), runs the job's command, leaves its exit status in
# /results/exit-status and powers off. Every wait is on a condition, with a bound; what did not come up is
# named in the console and in /results/setup-failed. Daemons' logs go to /results.
set -u
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
res=/results
here=$(dirname "$(readlink -f "$0")")
# shellcheck source=/dev/null
. $res/job.env # RS_KERNEL, RS_VERSION, RS_SHELL, RS_CWD, RS_COMMAND (array, run in RS_CWD)

say() { echo "realstack: $*" >/dev/console; }
finish() {
    sync
    busybox poweroff -f
}
trap finish EXIT
fail() {
    say "SETUP FAILED: $*"
    echo "$*" >$res/setup-failed
    exit 1
}
# Polls a command until it succeeds: wait_for SECONDS WHAT COMMAND...
wait_for() {
    local limit=$1 what=$2 start=$SECONDS
    shift 2
    until "$@" >/dev/null 2>&1; do
        ((SECONDS - start < limit)) || fail "$what (not within $limit s)"
        sleep 0.2
    done
    say "$what after $((SECONDS - start)) s"
}

mounts() {
    mount -t tmpfs -o mode=755 tmpfs /run
    # The guest gets a clean /tmp, but the sources and the build may lie in the host's (a clone made with
    # mktemp): their folders stay where they were.
    mkdir -p /run/host-tmp
    mount --bind /tmp /run/host-tmp
    mount -t tmpfs tmpfs /tmp
    local path top
    for path in "$here" "$RS_KERNEL" "$RS_CWD"; do
        [[ $path == /tmp/?* ]] || continue
        top=${path#/tmp/}
        top=${top%%/*}
        mountpoint -q "/tmp/$top" && continue
        mkdir -p "/tmp/$top"
        mount --bind "/run/host-tmp/$top" "/tmp/$top"
    done
    mkdir -p /dev/pts /dev/shm /run/lock
    mount -t devpts devpts /dev/pts
    mount -t tmpfs tmpfs /dev/shm
    ln -sfn /proc/self/fd /dev/fd
    ln -sf /proc/self/fd/0 /dev/stdin
    ln -sf /proc/self/fd/1 /dev/stdout
    ln -sf /proc/self/fd/2 /dev/stderr
    # The kernel's modules come from the unpacked package in the build folder.
    mkdir -p /usr/lib/modules
    rm -rf "/usr/lib/modules/$RS_VERSION"
    ln -s "$RS_KERNEL/lib/modules/$RS_VERSION" "/usr/lib/modules/$RS_VERSION"
    hostname realstack
    [ -s /etc/machine-id ] || dbus-uuidgen >/etc/machine-id
    ip link set lo up
}

# The table of networks: radios[NAME]=CHANNEL, nets as "ID RADIO SSID SECURITY SECRET SUBNET FLAGS" in order.
declare -A radios macs
radio_order=()
nets=()
logins=()
read_networks() {
    local kind rest
    while read -r kind rest; do
        case $kind in
        radio)
            read -r name channel <<<"$rest"
            radios[$name]=$channel
            radio_order+=("$name")
            ;;
        net) nets+=("$rest") ;;
        login) logins+=("$rest") ;;
        esac
    done < <(grep -v '^#' "$here/networks.conf")
}

# hwsim radio 0 is the station's (wlan0, the manager's); the others go to the namespace "ap", renamed rs-NAME.
radios_up() {
    local count=$((${#radio_order[@]} + 1))
    modprobe mac80211_hwsim radios=$count || fail "mac80211_hwsim does not load"
    wait_for 30 "$count radios" radio_count_at_least $count
    wait_for 30 "the station's interface" test -e /sys/class/net/wlan0/phy80211
    local ifaces i=0 name
    mapfile -t ifaces < <(cd /sys/class/net && ls -d -- */phy80211 | sed 's,/.*,,' | grep -vx wlan0 | sort -V)
    ip netns add ap
    for name in "${radio_order[@]}"; do
        local iface=${ifaces[i]}
        i=$((i + 1))
        macs[$name]=$(cat "/sys/class/net/$iface/address")
        ip link set "$iface" name "rs-$name"
        iw phy "$(cat "/sys/class/net/rs-$name/phy80211/name")" set netns name ap || fail "radio $name does not move to the namespace"
    done
    ip -n ap link set lo up
}

radio_count_at_least() {
    [ "$(ls /sys/class/ieee80211 | wc -l)" -ge "$1" ]
}

# hostapd's lines for one network's security. A busy emulated machine answers the key handshake late: the
# access point repeats its messages more often before it gives up on the station.
security_conf() { # SECURITY SECRET
    [[ $1 == wpa* || $1 == eap ]] && printf 'wpa_pairwise_update_count=10\n'
    case $1 in
    open) ;;
    wpa2) printf 'wpa=2\nwpa_key_mgmt=WPA-PSK\nrsn_pairwise=CCMP\nwpa_passphrase=%s\n' "$2" ;;
    wpa) printf 'wpa=1\nwpa_key_mgmt=WPA-PSK\nwpa_pairwise=TKIP\nwpa_passphrase=%s\n' "$2" ;;
    wep) printf 'auth_algs=3\nwep_default_key=0\nwep_key0=%s\n' "$2" ;;
    eap)
        printf 'ieee8021x=1\nwpa=2\nwpa_key_mgmt=WPA-EAP\nrsn_pairwise=CCMP\neap_server=1\n'
        printf 'eap_user_file=/run/ap/eap_users\nca_cert=%s\nserver_cert=%s\nprivate_key=%s\n' \
            "$RS_KERNEL/pki/ca.pem" "$RS_KERNEL/pki/server.pem" "$RS_KERNEL/pki/server.key"
        ;;
    *) fail "unknown security $1 in networks.conf" ;;
    esac
}

eap_users() {
    local method user password
    echo '* PEAP,TTLS,TLS'
    for line in "${logins[@]}"; do
        read -r method user password <<<"$line"
        case $method in
        peap) echo "\"$user\" MSCHAPV2 \"$password\" [2]" ;;
        ttls) echo "\"$user\" TTLS-PAP \"$password\" [2]" ;;
        esac
    done
}

# One hostapd per radio (several BSS each), then the addresses and one dnsmasq for every network with DHCP.
access_points() {
    mkdir -p /run/ap
    eap_users >/run/ap/eap_users
    local name line id radio ssid security secret subnet flags
    declare -A count
    local ifaces=() dhcp=()
    for line in "${nets[@]}"; do
        read -r id radio ssid security secret subnet flags <<<"$line"
        local conf=/run/ap/$radio.conf n=${count[$radio]:-0}
        local iface=rs-$radio
        if [ "$n" -eq 0 ]; then
            printf 'interface=%s\ndriver=nl80211\nctrl_interface=/run/hostapd\nhw_mode=g\nchannel=%s\n' \
                "$iface" "${radios[$radio]}" >"$conf"
            printf 'ieee80211n=1\nwmm_enabled=1\nht_capab=[SHORT-GI-20]\n' >>"$conf"
        else
            iface=rs-$radio$n
            local base=${macs[$radio]}
            printf '\nbss=%s\nbssid=%s:%02x\n' "$iface" "${base%:*}" "$n" >>"$conf"
        fi
        count[$radio]=$((n + 1))
        printf 'ssid=%s\n' "$ssid" >>"$conf"
        [[ ,$flags, == *,hidden,* ]] && echo 'ignore_broadcast_ssid=1' >>"$conf"
        security_conf "$security" "$secret" >>"$conf"
        ifaces+=("$iface $subnet")
        [[ ,$flags, == *,nodhcp,* ]] || dhcp+=("--interface=$iface" "--dhcp-range=$subnet.100,$subnet.199,255.255.255.0,12h")
    done
    for name in "${radio_order[@]}"; do
        ip netns exec ap hostapd -B -t -f "$res/hostapd-$name.log" -P "/run/ap/$name.pid" "/run/ap/$name.conf" ||
            fail "hostapd does not start on radio $name (see hostapd-$name.log)"
    done
    local entry
    for entry in "${ifaces[@]}"; do
        read -r iface subnet <<<"$entry"
        wait_for 60 "access point $iface" ap_enabled "$iface"
        ip -n ap addr add "$subnet.1/24" dev "$iface"
    done
    ip netns exec ap dnsmasq --port=0 --bind-interfaces --except-interface=lo "${dhcp[@]}" --user=root \
        --dhcp-leasefile=/run/ap/leases --pid-file=/run/ap/dnsmasq.pid --log-facility="$res/dnsmasq.log" \
        --log-dhcp || fail "dnsmasq does not start (see dnsmasq.log)"
}

ap_enabled() { # IFACE: an access point with its network name
    ip netns exec ap iw dev "$1" info 2>/dev/null | grep -q '^[[:space:]]*ssid '
}

station() {
    mkdir -p /run/dbus /etc/NetworkManager/conf.d /var/lib/NetworkManager
    dbus-daemon --system --fork || fail "the system bus does not start"
    /lib/systemd/systemd-udevd --daemon 2>"$res/udevd.log" || fail "udevd does not start"
    udevadm trigger --action=add
    udevadm settle --timeout=60 || say "udev did not settle within 60 s"
    wpa_supplicant -u -B -t -f "$res/wpa_supplicant.log" -P /run/wpa_supplicant.pid ||
        fail "wpa_supplicant does not start"
    rm -f /etc/NetworkManager/conf.d/*
    cat >/etc/NetworkManager/conf.d/realstack.conf <<CONF
[main]
plugins=keyfile
dns=none
auth-polkit=root-only
[keyfile]
unmanaged-devices=except:interface-name:wlan0
[device]
wifi.scan-rand-mac-address=no
[logging]
level=INFO
CONF
    NetworkManager --debug >"$res/NetworkManager.log" 2>&1 &
    wait_for 120 "NetworkManager manages wlan0" station_ready
}

station_ready() {
    nmcli -t -f DEVICE,STATE device 2>/dev/null | grep -qx 'wlan0:disconnected'
}

run_job() {
    export REALSTACK_PKI=$RS_KERNEL/pki REALSTACK_RESULTS=$res
    if [ "${RS_SHELL:-0}" = 1 ]; then
        say "shell: the test bed is up; the command would be: ${RS_COMMAND[*]}; exit the shell to power off"
        setsid bash -c 'exec bash -i </dev/ttyS0 >/dev/ttyS0 2>&1'
        echo 0 >$res/exit-status
        return
    fi
    say "running: ${RS_COMMAND[*]}"
    local status=0
    cd "$RS_CWD" || fail "no folder $RS_CWD"
    "${RS_COMMAND[@]}" >"$res/test-output.log" 2>&1 || status=$?
    say "command exit status $status"
    echo $status >$res/exit-status
}

start=$SECONDS
mounts
read_networks
radios_up
access_points
station
say "test bed up after $((SECONDS - start)) s"
run_job
