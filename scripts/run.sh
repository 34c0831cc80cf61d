#!/usr/bin/env bash
# Sets up the machine, builds and starts Quillmove.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
build=${QUILLMOVE_BUILD_DIR:-$root/build}
exec "$build/app/quillmove" "$@"
