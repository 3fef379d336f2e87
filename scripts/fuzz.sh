#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets in a clang tree and replays each over its seed
# corpus (fuzz/corpus/NAME) for a few seconds: scripts/fuzz.sh [SECONDS]
# As many targets run at once as the machine has cores. scripts/fuzz.sh
# --build only builds them.
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
# Only the targets: the editor's other programs are built in the other trees.
shopt -s nullglob
names=()
for src in "$top"/fuzz/*.cpp; do
  name=${src##*/}
  names+=("${name%.cpp}")
done
link=()
command -v ld.lld >/dev/null && link=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld)
CC=clang CXX=clang++ bash "$top/scripts/build.sh" "$top/build-fuzz" \
  -DZE_FUZZ=ON -DZE_GUI=OFF -DZE_TESTS=OFF -DZE_BENCH=OFF "${link[@]}" \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" "${lib_args[@]}" -- "${names[@]/#/fuzz_}"
[ "$secs" != --build ] || exit 0

# One target over a copy of its seeds; its report (the last lines) and exit
# status go to $out/NAME.log and $out/NAME.status.
replay() {
  local name=$1 bin=$top/build-fuzz/fuzz/fuzz_$1 seeds=$top/fuzz/corpus/$1 work status=0
  work=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
  # The text readers take inputs of a few megabytes, so that what grows with
  # the size of a page or a map (lines, tags, attributes) is within reach.
  local size_args=()
  case $name in
    html_page | area_model) size_args=(-max_len=4194304) ;;
  esac
  echo "== fuzz $name: ${secs}s over $(ls "$work" | wc -l) seeds" >"$out/$name.log"
  # The readers run with the production limits (pictures up to 16384 x 16384),
  # whose largest single block is 768 MiB; beyond these bounds a small input
  # has cost too much, and that is a finding.
  "$bin" -max_total_time="$secs" -rss_limit_mb=1024 -malloc_limit_mb=1024 -timeout=10 "${size_args[@]}" \
    -print_final_stats=1 "$work" >"$out/$name.run" 2>&1 || status=$?
  tail -n 12 "$out/$name.run" >>"$out/$name.log"
  echo "$status" >"$out/$name.status"
  rm -rf "$work"
}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for name in "${names[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n || true; done
  replay "$name" &
done
wait
failed=0
for name in "${names[@]}"; do
  cat "$out/$name.log"
  [ "$(cat "$out/$name.status" 2>/dev/null)" = 0 ] || { echo "fuzz: $name FAILED"; failed=$((failed + 1)); }
done
echo "fuzz: ${#names[@]} targets replayed, $failed failed"
[ "$failed" -eq 0 ]
