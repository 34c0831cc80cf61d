#!/usr/bin/env bash
# Configures (once) and builds everything into build/ (or $QUILLMOVE_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLMOVE_BUILD_DIR:-$root/build}
[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja "$@"
cmake --build "$build"
