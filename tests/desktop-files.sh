#!/bin/sh
# Validates the desktop entry and the AppStream metainfo with the distribution's own tools.
# Prints "N passed, N failed"; exits non-zero if a check failed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
desktop=$here/../resources/desktop
passed=0
failed=0

check() { # NAME COMMAND...
    name=$1
    shift
    if out=$("$@" 2>&1); then
        passed=$((passed + 1))
        echo "PASS: $name"
    else
        failed=$((failed + 1))
        echo "FAIL: $name"
        printf '%s\n' "$out" | sed 's/^/    /'
    fi
}

for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "FAIL: $tool is not installed"
        failed=$((failed + 1))
    fi
done

# desktop-file-validate exits 0 despite warnings and hints; any output counts as a failure.
validate_desktop() {
    out=$(desktop-file-validate "$1" 2>&1) && [ -z "$out" ] && return 0
    printf '%s\n' "$out"
    return 1
}

if command -v desktop-file-validate >/dev/null 2>&1; then
    check "desktop entry" validate_desktop "$desktop/org.wakemere.Wakemere.desktop"
fi
if command -v appstreamcli >/dev/null 2>&1; then
    check "metainfo" appstreamcli validate --no-net --explain \
        "$desktop/org.wakemere.Wakemere.metainfo.xml"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
