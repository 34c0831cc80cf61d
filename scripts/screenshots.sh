#!/usr/bin/env bash
# Builds and redraws the README's pictures offscreen into doc/images/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
build=${QUILLMOVE_BUILD_DIR:-$root/build}
QT_QPA_PLATFORM=offscreen "$build/app/quillmove-screenshot" "$root/doc/images" "$root/demo/people.dbf"
