#!/usr/bin/env bash
# Builds a Release Wakemere and the minimal Qt window, and prints their start-up, memory, idle
# and alarm figures, measured on a private virtual desktop (scripts/testdesk). Run by hand; it
# is not part of the tests.
# Usage: bench/run.sh [--quick] [bench.py options, e.g. --runs 7 --hidden 60]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${WAKEMERE_BENCH_BUILD_DIR:-$top/build-release}

generator=()
command -v ninja >/dev/null && [ ! -f "$build/Makefile" ] && generator=(-G Ninja)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

echo "building Release binaries in $build" >&2
cmake -S "$top" -B "$build" "${generator[@]}" "${launcher[@]}" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target wakemere --parallel 2 >/dev/null
cmake -S "$top/bench/minimal" -B "$build/minimal" "${generator[@]}" "${launcher[@]}" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/minimal" --parallel 2 >/dev/null

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
    "$(uname -sr), Qt $(qtpaths6 --qt-version 2>/dev/null || echo '?'), load $(cut -d' ' -f1-3 /proc/loadavg)"

exec "$top/scripts/testdesk/testdesk" --x --wm --tray --pulse --xdg -- \
    /usr/bin/python3 "$top/bench/bench.py" \
    --wakemere "$build/src/app/wakemere" --minimal "$build/minimal/minimal" "$@"
