#!/usr/bin/env bash
# Sets up the machine, builds from scratch if needed, checks every include against the libraries
# its target links and runs every test: once in the normal build, then again in a second build
# under AddressSanitizer and UndefinedBehaviorSanitizer; in between, the programs are linked once
# more with the one-definition check.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build=${QUILLMOVE_BUILD_DIR:-$root/build}
# Every include stays within the libraries its target links, and no folder reaches into another
# one's internal/ headers.
python3 "$root/scripts/check_includes.py" "$build"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)

# The programs linked with link-time optimisation, which refuses two different definitions of one
# type anywhere in a program.
odr=${QUILLMOVE_ODR_DIR:-$root/build-odr}
[ -f "$odr/build.ninja" ] || cmake -S "$root" -B "$odr" -G Ninja -DQUILLMOVE_ODR_CHECK=ON >/dev/null
cmake --build "$odr" --target quillmove quillmove-import ocilite ocisql dbfview

sanitize=${QUILLMOVE_SANITIZE_DIR:-$root/build-sanitize}
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -O1"
QUILLMOVE_BUILD_DIR=$sanitize "$root/scripts/build.sh" -DCMAKE_BUILD_TYPE=Debug \
  "-DCMAKE_C_FLAGS=$flags" "-DCMAKE_CXX_FLAGS=$flags" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" \
  "-DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
# Leaks are not checked: the toolkit's and the font library's process-lifetime allocations would
# drown ours.
cd "$sanitize"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
