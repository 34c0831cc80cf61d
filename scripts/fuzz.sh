#!/usr/bin/env bash
# Builds the libFuzzer harnesses (fuzz/) with clang, address and undefined-behaviour sanitizers,
# and runs each one for a while on a scratch copy of its seed corpus.
#
#   scripts/fuzz.sh [seconds] [harness...]
#
# seconds: run time per harness (default 600). harness: names from fuzz/corpus (default all).
# Runs two harnesses at a time (QUILLMOVE_FUZZ_JOBS), at the lowest priority. Prints for each
# harness its executions, final coverage (cov/ft) and any crash, leak or timeout file; exits 1
# when one was found. Build folder: build-fuzz (QUILLMOVE_FUZZ_BUILD_DIR); logs and findings go
# to <build>/fuzz-runs/<time>/<harness>/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLMOVE_FUZZ_BUILD_DIR:-$root/build-fuzz}
jobs=${QUILLMOVE_FUZZ_JOBS:-2}
seconds=600
if [[ ${1:-} =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
harnesses=("$@")
if ((${#harnesses[@]} == 0)); then
  for dir in "$root"/fuzz/corpus/*/; do harnesses+=("$(basename "$dir")"); done
fi

"$root/scripts/setup.sh"
missing=()
for p in clang-14 libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "fuzz: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
cc=$(command -v clang || command -v clang-14)
cxx=$(command -v clang++ || command -v clang++-14)

[ -f "$build/build.ninja" ] ||
  CC=$cc CXX=$cxx cmake -S "$root" -B "$build" -G Ninja -DQUILLMOVE_FUZZ=ON
targets=()
for h in "${harnesses[@]}"; do targets+=("${h}_fuzzer"); done
cmake --build "$build" --target "${targets[@]}" -j"$(nproc)"
# The harnesses exist only in this build, so their includes are checked here.
python3 "$root/scripts/check_includes.py" "$build"

runs="$build/fuzz-runs/$(date -u +%Y%m%dT%H%M%SZ)"
run_one() {
  local h=$1 out="$runs/$1"
  mkdir -p "$out/corpus"
  cp "$root/fuzz/corpus/$h/"* "$out/corpus/"
  local dict=()
  [ -f "$root/fuzz/$h.dict" ] && dict=("-dict=$root/fuzz/$h.dict")
  # The exit status tells nothing the log does not: a finding leaves its file in $out.
  nice -n 19 "$build/fuzz/${h}_fuzzer" "$out/corpus" "${dict[@]}" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$out/" >"$out/log" 2>&1 || true
}
running=0
for h in "${harnesses[@]}"; do
  if ((running >= jobs)); then
    wait -n
    running=$((running - 1))
  fi
  echo "fuzz: $h for ${seconds} s"
  run_one "$h" &
  running=$((running + 1))
done
wait

found=0
printf '\n%-16s %12s %8s %8s %8s  %s\n' harness executions exec/s cov ft findings
for h in "${harnesses[@]}"; do
  out="$runs/$h"
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$out/log" | tail -1)
  last=$(grep -E '^#[0-9]+.*cov: ' "$out/log" | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  artifacts=$(find "$out" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' \
    -o -name 'timeout-*' -o -name 'oom-*' \) | sort | tr '\n' ' ')
  [ -n "$artifacts" ] && found=1
  printf '%-16s %12s %8s %8s %8s  %s\n' "$h" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" \
    "${artifacts:-none}"
done
echo "logs: $runs"
exit $found
