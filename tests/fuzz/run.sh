#!/usr/bin/env bash
# Builds the fuzz target with clang's libFuzzer, AddressSanitizer and UBSan, and runs it for a
# bounded time (first argument, seconds; default 30) from the seed corpus.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
engine=$(cd "$here/../../src/engine" && pwd)
out=${WAKEMERE_FUZZ_DIR:-$here/../../build/fuzz}
mkdir -p "$out"
clang++ -std=c++17 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$engine" $(pkg-config --cflags Qt6Core) "$here/fuzz_numtext.cpp" "$engine/numtext.cpp" \
    "$engine/timeentry.cpp" "$engine/snoozeentry.cpp" $(pkg-config --libs Qt6Core) \
    -o "$out/fuzz_numtext"
# A copy of the corpus: libFuzzer adds what it finds to it.
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "$here/corpus/fuzz_numtext"/* "$corpus"/
if ASAN_OPTIONS=detect_leaks=1 "$out/fuzz_numtext" "$corpus" -max_total_time="${1:-30}" \
    -max_len=16 -print_final_stats=1 -artifact_prefix="$out/fuzz_numtext-" >"$out/log" 2>&1; then
    echo "fuzz_numtext: $(awk '/number_of_executed_units/ {print $2}' "$out/log") inputs, no fault"
else
    echo "fuzz_numtext: FAULT"; tail -30 "$out/log"; exit 1
fi
