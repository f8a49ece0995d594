#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer + UndefinedBehaviorSanitizer) into
# build-fuzz and runs each, one after another, for SECONDS (default 60) on a scratch copy of its
# committed seed corpus (tests/fuzz/corpus/<target>, which is never changed). Fails when any
# target finds a crash, a leak, a broken check or a hang; the input is left in
# build-fuzz/fuzz-runs/<target>/ (replay it with build-fuzz/fuzz/fuzz_<target> FILE).
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${PELM_FUZZ_BUILD_DIR:-$root/build-fuzz}

bash "$root/scripts/deps.sh"
missing=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DPELM_FUZZ=ON >/dev/null
cmake --build "$dir" -j"$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
while read -r target; do
  [ -n "$target" ] || continue
  work=$dir/fuzz-runs/$target
  rm -rf "$work"
  mkdir -p "$work/corpus"
  cp -r "$root/tests/fuzz/corpus/$target/." "$work/corpus/"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$work/")
  dict=$root/tests/fuzz/$target.dict
  [ -f "$dict" ] && args+=(-dict="$dict")
  echo "fuzz_$target: ${seconds}s"
  if "$dir/fuzz/fuzz_$target" "${args[@]}" "$work/corpus" >"$work/log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log")
    echo "  clean: $runs runs, $rate exec/s, corpus $(ls "$work/corpus" | wc -l) inputs"
  else
    failed+=("$target")
    echo "  FAILED: see $work/log"
    grep -E "ERROR|FUZZ_CHECK|runtime error|Test unit written" "$work/log" | head -20 | sed 's/^/  /'
  fi
done <"$dir/fuzz/targets.txt"

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found problems in: ${failed[*]}"
  exit 1
fi
echo "Fuzzing: every target ran clean."
