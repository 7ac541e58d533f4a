#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and UBSan, and runs each for
# a bounded time (first argument, seconds; default 30) from the seed corpus.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
seconds=${1:-30}
out=${WAKEMERE_FUZZ_DIR:-$top/build/fuzz}
mkdir -p "$out"

build() {
    local name=$1; shift
    clang++ -std=c++17 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I"$top/src/engine" $(pkg-config --cflags Qt6Core) \
        "$here/$name.cpp" "$@" $(pkg-config --libs Qt6Core) -o "$out/$name"
}

build fuzz_numtext "$top/src/engine/numtext.cpp" "$top/src/engine/timeentry.cpp" \
    "$top/src/engine/snoozeentry.cpp"

status=0
for target in fuzz_numtext; do
    corpus=$(mktemp -d)
    cp "$here/corpus/$target"/* "$corpus"/ 2>/dev/null || true
    if ASAN_OPTIONS=detect_leaks=1 "$out/$target" "$corpus" -max_total_time="$seconds" \
        -max_len=16 -print_final_stats=1 -artifact_prefix="$out/$target-" >"$out/$target.log" 2>&1
    then
        echo "$target: $(grep -E 'stat::number_of_executed_units' "$out/$target.log" | awk '{print $2}') inputs, no fault"
    else
        status=1
        echo "$target: FAULT"; tail -30 "$out/$target.log"
    fi
    rm -rf "$corpus"
done
exit $status
