#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in ./build-fuzz, then runs each in turn.
#   scripts/fuzz.sh [seconds per target, default 30] [target...]
# A crash, a sanitizer report, a leak, a timeout or more memory than the
# target may take fails the run; the input that caused it is kept in
# build-fuzz/findings/<target>/. Inputs that reach new code gather in
# fuzz/corpus-work/<target>/ and are used again by the next run.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_native fuzz_text fuzz_sprite fuzz_bmp fuzz_png fuzz_palette)
fi

build=build-fuzz
jobs=$(nproc 2>/dev/null || echo 2)
# Configured every time, so that a target added since the last run is known.
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_FUZZ=ON \
  -DTAVREL_BUILD_APP=OFF -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

seeds=$build/seeds
python3 fuzz/make_seeds.py "$seeds"

# Sprite inputs must reach past a whole SPR sheet to have a trailing block.
longest_input() {
  case $1 in
    fuzz_sprite) echo 40000 ;;
    fuzz_bmp) echo 16384 ;;
    fuzz_png) echo 16384 ;;
    fuzz_palette) echo 8192 ;;
    *) echo 4096 ;;
  esac
}

# A PNG's reading costs the picture it holds and no more, however its
# chunks or compressed data lie: far below what the other targets may take.
# AddressSanitizer's quarantine of freed memory (256 MB by default) would
# fill that limit alone; a smaller one still catches use after free.
rss_limit_mb() {
  case $1 in
    fuzz_png) echo 256 ;;
    *) echo 2048 ;;
  esac
}
asan_options() {
  case $1 in
    fuzz_png) echo "quarantine_size_mb=64" ;;
    *) echo "" ;;
  esac
}

for target in "${targets[@]}"; do
  work=fuzz/corpus-work/$target
  findings=$build/findings/$target
  log=$build/$target.log
  mkdir -p "$work" "$findings"
  echo "Fuzzing $target for ${seconds}s (log: $log)"
  if ! ASAN_OPTIONS="$(asan_options "$target")${ASAN_OPTIONS:+:$ASAN_OPTIONS}" \
      "$build/fuzz/$target" -max_total_time="$seconds" -max_len="$(longest_input "$target")" \
      -rss_limit_mb="$(rss_limit_mb "$target")" -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/" \
      "$work" "fuzz/corpus/$target" "$seeds/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "$target failed; the input is in $findings/" >&2
    exit 1
  fi
  grep -E "^(Done|stat::number_of_executed_units|stat::new_units_added)" "$log" || true
done
