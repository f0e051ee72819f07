#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each: `smoke` for a short run (CI), or SECONDS each.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-smoke}
seconds=20
[ "$mode" = smoke ] || seconds=$mode
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQV_FUZZ=ON -DQV_TESTS=OFF -DQV_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)"
shopt -s nullglob
targets=(build-fuzz/bin/fuzz_*)
for t in "${targets[@]}"; do
  name=$(basename "$t")
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
  time=$seconds
  # Nine LH decoder targets share what one target gets in a smoke run.
  [ "$mode" = smoke ] && [[ $name == fuzz_lh_l[hz]? ]] && time=2
  echo "fuzz: $name for ${time}s"
  "$t" -max_total_time="$time" -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
    "$corpus" "${seeds[@]}" 2>build-fuzz/$name.log || { tail -50 build-fuzz/$name.log; exit 1; }
done
echo "fuzz: ${#targets[@]} targets clean"
