#!/usr/bin/env bash
# Runs the comparison benchmarks and prints their tables: reading a dBASE table and importing it
# into the embedded engine, beside GDAL's ogr2ogr, Python's dbfread with sqlite3, pgdbf, a program
# copying into SQLite with one prepared statement and a plain read of the bytes, and the main
# window's import (offscreen) beside the batch program's, on generated
# tables of 10,000, 100,000 and 1,000,000 records and on a real one: efas/ExtendedDomain/lines.dbf
# of Debian's libmagics++-data (595,470 records of one N(24,15) field), fetched with
# `apt-get download` into the scratch folder when it is not there. Then the preview window opened
# on the largest generated table, and the table of the goals.
#
# Environment: QUILLMOVE_BENCH_BUILD_DIR (default build-bench/, a Release build),
# QUILLMOVE_BENCH_DIR (scratch folder for the tables and databases, default
# ${TMPDIR:-/tmp}/quillmove-bench), QUILLMOVE_BENCH_SIZES (default "10000 100000 1000000"),
# QUILLMOVE_BENCH_SEED (default 1). Further arguments go to bench/run_comparison.py (e.g.
# --max-seek-records 100000 to leave out the slowest runs, --reps 5).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLMOVE_BENCH_BUILD_DIR:-$root/build-bench}
scratch=${QUILLMOVE_BENCH_DIR:-${TMPDIR:-/tmp}/quillmove-bench}
sizes=${QUILLMOVE_BENCH_SIZES:-10000 100000 1000000}
seed=${QUILLMOVE_BENCH_SEED:-1}

"$root/scripts/setup.sh"
# The tools a user would pick instead, and /usr/bin/time for the peak memory.
packages=(gdal-bin python3-dbfread pgdbf time)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if ((${#missing[@]})); then
  echo "bench: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q >&2
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
fi

# Warnings are left to the test build: g++ 12 at -O3 warns where -O0 does not.
[ -f "$build/build.ninja" ] ||
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLMOVE_WERROR=OFF >&2
cmake --build "$build" --target quillmove-import ocilite ocisql dbfview read_source_bench \
  import_statements_bench sqlite_prepared_copy preview_bench window_import_bench >&2

tables=$scratch/tables
stamp="seed $seed sizes $sizes $(sha1sum "$root/scripts/bench_workloads.py" | cut -c1-12)"
if [ "$(cat "$tables/stamp" 2>/dev/null)" != "$stamp" ]; then
  echo "bench: generating the tables ($sizes records)" >&2
  rm -rf "$tables"
  # shellcheck disable=SC2086  # the sizes are separate arguments
  /usr/bin/python3 "$root/scripts/bench_workloads.py" --seed "$seed" "$tables" $sizes
  echo "$stamp" >"$tables/stamp"
fi

# The real table, alone in the tables folder: beside its .shp, ogr2ogr would read the shapes too.
if [ ! -f "$tables/lines.dbf" ]; then
  real=$scratch/real
  mkdir -p "$real"
  deb=$(find "$real" -maxdepth 1 -name 'libmagics++-data_*.deb' | head -1)
  if [ -z "$deb" ]; then
    echo "bench: fetching libmagics++-data for lines.dbf" >&2
    (cd "$real" && { apt-get download libmagics++-data >&2 ||
      { "${sudo_cmd[@]}" apt-get update -q >&2 && apt-get download libmagics++-data >&2; }; })
    deb=$(find "$real" -maxdepth 1 -name 'libmagics++-data_*.deb' | head -1)
  fi
  rm -rf "$real/x"
  dpkg-deb -x "$deb" "$real/x"
  found=$(find "$real/x" -path '*/efas/ExtendedDomain/lines.dbf' | head -1)
  [ -n "$found" ] || { echo "bench: no efas/ExtendedDomain/lines.dbf in libmagics++-data" >&2; exit 1; }
  cp "$found" "$tables/lines.dbf"
  rm -rf "$real/x"
fi

# shellcheck disable=SC2086
/usr/bin/python3 "$root/bench/run_comparison.py" --build "$build" --workloads "$tables" \
  --work "$scratch/run" --sizes $sizes "$@"
