#!/bin/sh
# Validates the desktop entry and the AppStream metainfo with the distribution's own tools.
set -eu
desktop=$(dirname "$0")/../resources/desktop
# desktop-file-validate exits 0 despite warnings and hints: any output is a failure.
out=$(desktop-file-validate "$desktop/org.wakemere.Wakemere.desktop" 2>&1) && [ -z "$out" ] ||
    { printf 'FAIL: desktop entry\n%s\n' "$out"; exit 1; }
appstreamcli validate --no-net --explain "$desktop/org.wakemere.Wakemere.metainfo.xml"
echo "PASS: desktop entry and metainfo"
