#!/usr/bin/env bash
# Sets up the machine, builds, prepares the demo on the embedded engine when missing, and starts
# Quillmove on it. The demo lives in ${QUILLMOVE_DEMO_DIR:-~/.local/share/quillmove-demo}.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
build=${QUILLMOVE_BUILD_DIR:-$root/build}
demo=${QUILLMOVE_DEMO_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/quillmove-demo}
"$root/scripts/demo-setup.sh" "$build" "$demo"
export OCILITE_HOME="$demo/ocilite"
export TNS_ADMIN="$demo/network/admin"
echo "Demo: log on as demo/demo at DEMO; source file $demo/files/people.dbf," \
  "field links $demo/files/people.ini"
exec "$build/app/quillmove" "OCIDLL=$build/ocilite/libocilite.so" "$@"
