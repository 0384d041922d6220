#!/usr/bin/env bash
# Builds the Debian package from the build folder (build/ unless given), checks it as the archive's tools do,
# then unpacks it into a throw-away root and starts the installed program there, on the simulated adapter,
# under a virtual display.
#   bash tools/package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

fail() {
    echo "package: $*" >&2
    exit 1
}

cmake --build "$build" -j"$(nproc)" --target wlanutil tsrwl tsrwlreal wlanutil_files wlanutil_docs
# Two builds of one commit give the same package: every time stamp in it is the commit's.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || echo 0)
export SOURCE_DATE_EPOCH
# The package as cpack makes it, then rebuilt by dpkg-deb: without the maintainer scripts cpack adds to call
# ldconfig for the library (it is private, in the program's folder, loaded by its path), and with the time
# stamps and owners fixed.
make_deb() {
    rm -rf "$build/package"
    (cd "$build" && cpack -G DEB >/dev/null)
    local deb tree
    deb=$(ls "$build"/package/wlanutil_*.deb)
    tree=$build/package/tree
    dpkg-deb -R "$deb" "$tree"
    rm -f "$tree/DEBIAN/postinst" "$tree/DEBIAN/postrm"
    find "$tree" -newermt "@$SOURCE_DATE_EPOCH" -exec touch --no-dereference --date="@$SOURCE_DATE_EPOCH" {} +
    dpkg-deb --root-owner-group -Zxz --build "$tree" "$deb" >/dev/null
    rm -rf "$tree"
    echo "$deb"
}
deb=$(make_deb)
first=$(sha256sum <"$deb")
[ "$(sha256sum <"$(make_deb)")" = "$first" ] || fail "two builds of the package differ"
echo "package: $deb"
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || fail "no dependencies were found from the binaries"
dpkg-deb --field "$deb" Depends | grep -q qt6-qpa-plugins || fail "the display plugins are not a dependency"
for p in xdg-utils qt6-translations-l10n; do
    dpkg-deb --field "$deb" Recommends | grep -q "$p" || fail "$p is not recommended"
done

lintian --fail-on error,warning --suppress-tags executable-in-usr-lib "$deb"
# Shown only as information by lintian, and still a fault: the binaries must carry the hardening flags.
if lintian --tags hardening-no-relro,hardening-no-bindnow,hardening-no-fortify-functions "$deb" | grep -q .; then
    fail "the binaries lack the hardening flags (package an optimised build)"
fi
desktop-file-validate resources/wlanutil.desktop
appstreamcli validate --no-net resources/package/org.wlanutil.wlanutil.metainfo.xml

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root/fs"
prog=$root/fs/usr/lib/wlanutil
for f in usr/bin/wlanutil usr/share/man/man1/wlanutil.1.gz usr/share/applications/wlanutil.desktop \
    usr/share/icons/hicolor/64x64/apps/wlanutil.png usr/share/doc/wlanutil/copyright \
    usr/lib/wlanutil/wlanutil.de.ini usr/share/doc/wlanutil/wlanutil-help.html; do
    [ -e "$root/fs/$f" ] || fail "$f is missing"
done
if find "$root/fs" -path '*autostart*' | grep -q .; then fail "the package installs an autostart entry"; fi
if grep -qiE "simulat|^HWID" "$root/fs/usr/lib/wlanutil/wlanutil.bin"; then fail "the shipped settings name the simulator"; fi
"$root/fs/usr/bin/wlanutil" --version | grep -qx "wlanutil [0-9.]*" || fail "--version of the installed program"

# The installed program on the simulated adapter in place of the real one.
cp "$build/bin/libtsrwl.so" "$build/bin/tsrwl-sim.ini" "$prog/"
mkdir -m 700 "$root/run"
export XDG_RUNTIME_DIR=$root/run XDG_CONFIG_HOME=$root/config XDG_DATA_HOME=$root/data LANGUAGE=de
: >"$prog/wlanutil.Log"
xvfb-run -a "$root/fs/usr/bin/wlanutil" --ui &
runner=$!
for _ in $(seq 100); do
    [ -S "$root/run/Tessaro_NotifyMsg" ] && break
    sleep 0.2
done
[ -S "$root/run/Tessaro_NotifyMsg" ] || fail "the installed program did not start"
QT_QPA_PLATFORM=offscreen "$root/fs/usr/bin/wlanutil" --close
wait "$runner" || fail "the installed program ended with an error"
grep -q "WPM_CLOSEALL" "$prog/wlanutil.Log" || fail "the installed program did not close on request"
grep -q "Failed to load" "$prog/wlanutil.Log" && fail "the installed program did not load its adapter library"
echo "package: installed program started and closed in a throw-away root"
