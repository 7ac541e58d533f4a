#!/bin/bash
# Installs the Debian packages Wakemere needs to build (BUILD) and to run its desktop tests (TEST).
# Usage: scripts/install-deps.sh [--build-only]
# Idempotent: when everything is already installed it prints nothing and touches no package list.
set -euo pipefail

BUILD=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins
    libgl-dev libpulse-dev libasound2-dev
    # GIO: the desktop's applications and MIME associations, for opening documents
    libglib2.0-dev
    # libsndfile decodes the sound files (WAV, FLAC, Ogg; MP3 through mpg123)
    libsndfile1-dev
    fonts-liberation ccache
)
TEST=(
    xvfb x11-utils xdotool dbus dbus-x11 at-spi2-core
    python3-pyatspi python3-dbus python3-gi
    pulseaudio pulseaudio-utils trayer openbox faketime libfaketime sox
    # sox writes the MP3 files of the sound test with it
    libsox-fmt-mp3
    xdg-utils desktop-file-utils appstream imagemagick
    # libFuzzer and the sanitizers for the fuzz targets
    clang libclang-rt-14-dev
    # gio (gio open, gdbus) for the desktop harness and its self-test
    libglib2.0-bin
    # mimetype, which xdg-open's generic path uses to tell a file's type
    libfile-mimeinfo-perl
    # the shared-mime-info database behind gio's and Qt's type detection
    shared-mime-info
    # fakes of systemd's user manager and of logind for the sleep tests
    python3-dbusmock
    # finds and works the controls of the end-to-end scenarios over AT-SPI
    python3-dogtail
    # pidwait: the test desktop waits for each part to end before the next
    procps
)

usage() {
    echo "usage: $0 [--build-only]" >&2
    exit 2
}

want=("${BUILD[@]}")
case "${1:-}" in
    "") want+=("${TEST[@]}") ;;
    --build-only) ;;
    -h|--help) usage ;;
    *) usage ;;
esac
[ $# -le 1 ] || usage

missing=()
for pkg in "${want[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "$0: not root and no sudo; missing: ${missing[*]}" >&2
        exit 1
    fi
    exec sudo -- "$(readlink -f "$0")" "$@"
fi

echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get -o DPkg::Lock::Timeout=600 update -qq
apt-get -o DPkg::Lock::Timeout=600 install -y -qq "${missing[@]}" >/dev/null
