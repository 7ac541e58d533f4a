#!/usr/bin/env bash
# Builds the random-input test with AddressSanitizer and UBSan in a tree of its own and runs it
# on Qt's offscreen platform. Arguments go to the monkey: --seed N replays a run, --events N
# sets how many events, --log prints each one.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=${WAKEMERE_MONKEY_DIR:-$top/build/asan}

args=(-S "$top" -B "$build" -DWAKEMERE_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo)
command -v ninja >/dev/null && [ ! -f "$build/Makefile" ] && args+=(-G Ninja)
command -v ccache >/dev/null && args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
mkdir -p "$build"
if ! { cmake "${args[@]}" && cmake --build "$build" --target monkey --parallel "$(nproc)"; } \
    >"$build/monkey-build.log" 2>&1; then
    tail -40 "$build/monkey-build.log"
    exit 1
fi

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1
export LSAN_OPTIONS=suppressions=$here/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec "$build/tests/monkey" --events "${WAKEMERE_MONKEY_EVENTS:-30000}" \
    --max-seconds "${WAKEMERE_MONKEY_SECONDS:-120}" "$@"
