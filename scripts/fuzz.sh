#!/usr/bin/env bash
# Builds the libFuzzer targets in a clang tree and replays each over its seed
# corpus (fuzz/corpus/NAME) for a few seconds: scripts/fuzz.sh [SECONDS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-10}
bash "$top/scripts/install-deps.sh"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ bash "$top/scripts/build.sh" "$top/build-fuzz" \
  -DZE_FUZZ=ON -DZE_GUI=OFF -DZE_TESTS=OFF -DZE_BENCH=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags"
shopt -s nullglob
ran=0
for bin in "$top"/build-fuzz/fuzz/fuzz_*; do
  name=${bin##*/fuzz_}
  seeds="$top/fuzz/corpus/$name"
  work=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
  echo "== fuzz $name: ${secs}s over $(ls "$work" | wc -l) seeds"
  "$bin" -max_total_time="$secs" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 "$work" 2>&1 | tail -n 12
  rm -rf "$work"
  ran=$((ran + 1))
done
echo "fuzz: $ran targets replayed"
