#!/usr/bin/env bash
# Saves a picture of every window of Wakemere, for the README's tour: builds, then runs the real
# program on the private virtual test desktop (scripts/testdesk) and works it as a user would.
# Usage: scripts/screenshots.sh [OUTPUT-FOLDER]   (default: docs/screenshots)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${WAKEMERE_BUILD_DIR:-$top/build}
out=${1:-$top/docs/screenshots}
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
exec "$top/scripts/testdesk/testdesk" --all -- /usr/bin/python3 "$top/scripts/screenshots.py" \
    --program "$build/src/app/wakemere" --output "$out"
