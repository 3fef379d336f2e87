#!/usr/bin/env bash
# Builds a second tree with address and undefined-behaviour sanitizers and
# runs the whole test suite there again. Benchmarks are left out of it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh" "$top/build-asan" -DZE_SANITIZE=ON -DZE_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$top/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$top/build-asan"
ctest --output-on-failure -j "$(nproc)" "$@"
