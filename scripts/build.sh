#!/usr/bin/env bash
# Configures and builds Wakemere into build/ (or $WAKEMERE_BUILD_DIR).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${WAKEMERE_BUILD_DIR:-$top/build}

args=(-S "$top" -B "$build")
command -v ninja >/dev/null && [ ! -f "$build/Makefile" ] && args+=(-G Ninja)
command -v ccache >/dev/null && args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake "${args[@]}" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
