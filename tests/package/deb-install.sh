#!/usr/bin/env bash
# Proves the Debian package installs and starts on a clean Debian 12: builds a Release package,
# bootstraps a minimal Debian 12 into a scratch folder, installs the package there with
# `apt-get install ./wakemere_*.deb` and starts the program on Qt's offscreen platform.
# Needs root and Debian's archive; takes a few minutes.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${WAKEMERE_RELEASE_DIR:-$top/build-release}
root=$(mktemp -d /var/tmp/wakemere-clean.XXXXXX)
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

cleanup() {
    for m in proc dev/pts dev; do
        mountpoint -q "$root/$m" && umount -l "$root/$m"
    done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT

# Stops at the first check that fails.
check() {
    local what=$1; shift
    "$@" || { echo "FAIL: $what"; exit 1; }
    echo "PASS: $what"
}

[ "$(id -u)" -eq 0 ] || { echo "$0: needs root (chroot, mounts)" >&2; exit 2; }
command -v debootstrap >/dev/null || { apt-get update -qq; apt-get install -y -qq debootstrap dpkg-dev >/dev/null; }
command -v dpkg-shlibdeps >/dev/null || apt-get install -y -qq dpkg-dev >/dev/null

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" >/dev/null
(cd "$build" && rm -f wakemere_*.deb && cpack >/dev/null)
deb=$(ls "$build"/wakemere_*.deb)
echo "package: $deb"

echo "bootstrapping a minimal Debian 12 into $root" >&2
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 \
    || { tail -20 "$root.log"; exit 1; }
rm -f "$root.log"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
cp "$deb" "$root/tmp/"

in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }

in_root apt-get update -qq >/dev/null
check "apt-get install ./$(basename "$deb")" \
    in_root sh -c "DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/$(basename "$deb") >/tmp/install.log 2>&1 || { tail -20 /tmp/install.log; exit 1; }"
check "every library the program needs is there" \
    in_root sh -c '! ldd /usr/bin/wakemere | grep -q "not found"'
check "the desktop entry and the icon are installed" \
    in_root test -f /usr/share/applications/org.wakemere.Wakemere.desktop \
        -a -f /usr/share/icons/hicolor/48x48/apps/org.wakemere.Wakemere.png
# Started means still running after a few seconds; timeout's 124 says it had to be stopped.
started() {
    local rc=0
    in_root sh -c 'XDG_RUNTIME_DIR=/tmp/rt; mkdir -m 700 -p $XDG_RUNTIME_DIR; export XDG_RUNTIME_DIR
                   QT_QPA_PLATFORM=offscreen timeout 5 wakemere' || rc=$?
    [ "$rc" -eq 124 ]
}
check "the program starts and keeps running" started

