#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets in a clang tree and replays each over its seed
# corpus (fuzz/corpus/NAME) for a few seconds: scripts/fuzz.sh [SECONDS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-10}
bash "$top/scripts/install-deps.sh"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
# libpng and libjpeg-turbo built instrumented from their Debian sources when
# those can be had; otherwise the targets link the system's libraries.
libs=$top/build-fuzz/libs
lib_args=()
if bash "$top/scripts/fuzz-libs.sh" "$libs"; then
  lib_args=(-DPNG_LIBRARY="$libs/lib/libpng.a" -DPNG_PNG_INCLUDE_DIR="$libs/include"
    -DJPEG_LIBRARY="$libs/lib/libjpeg.a" -DJPEG_INCLUDE_DIR="$libs/include")
else
  echo "fuzz: the Debian sources of libpng and libjpeg-turbo could not be had;" \
    "the targets use the system's uninstrumented libraries"
fi
CC=clang CXX=clang++ bash "$top/scripts/build.sh" "$top/build-fuzz" \
  -DZE_FUZZ=ON -DZE_GUI=OFF -DZE_TESTS=OFF -DZE_BENCH=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" "${lib_args[@]}"
shopt -s nullglob
ran=0
for bin in "$top"/build-fuzz/fuzz/fuzz_*; do
  name=${bin##*/fuzz_}
  seeds="$top/fuzz/corpus/$name"
  work=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
  # The text readers take inputs of a few megabytes, so that what grows with
  # the size of a page or a map (lines, tags, attributes) is within reach.
  size_args=()
  case $name in
    html_page | area_model) size_args=(-max_len=4194304) ;;
  esac
  echo "== fuzz $name: ${secs}s over $(ls "$work" | wc -l) seeds"
  # The readers run with the production limits (pictures up to 16384 x 16384),
  # whose largest single block is 768 MiB; beyond these bounds a small input
  # has cost too much, and that is a finding.
  "$bin" -max_total_time="$secs" -rss_limit_mb=1024 -malloc_limit_mb=1024 -timeout=10 "${size_args[@]}" \
    -print_final_stats=1 "$work" 2>&1 | tail -n 12
  rm -rf "$work"
  ran=$((ran + 1))
done
echo "fuzz: $ran targets replayed"
