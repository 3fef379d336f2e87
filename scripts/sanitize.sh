#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds a second tree with address and undefined-behaviour sanitizers and
# runs the whole test suite there again. Benchmarks are left out of it. This
# tree is a Release build with Clang, so that both compilers build the whole
# program on every run (the release tree uses the system's default, GCC).
#   scripts/sanitize.sh [ctest options...]   builds and tests
#   scripts/sanitize.sh --build              only builds
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
# lld, where the machine has it, links the instrumented programs in a
# fraction of the time the default linker takes.
link=()
command -v ld.lld >/dev/null && link=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld)
CC=clang CXX=clang++ bash "$top/scripts/build.sh" "$top/build-asan" -DZE_SANITIZE=ON -DZE_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Release "${link[@]}"
[ "${1:-}" != --build ] || exit 0
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$top/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
bash "$top/scripts/ctest.sh" "$top/build-asan" --output-on-failure "$@"
