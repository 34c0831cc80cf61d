#!/usr/bin/env bash
# Builds and redraws the README's pictures into doc/images/, as a virtual X server shows the
# windows (offscreen when xvfb-run is missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
build=${QUILLMOVE_BUILD_DIR:-$root/build}
if command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
    "$build/app/quillmove-screenshot" "$root/doc/images" "$root/demo/people.dbf"
else
  QT_QPA_PLATFORM=offscreen "$build/app/quillmove-screenshot" "$root/doc/images" "$root/demo/people.dbf"
fi
