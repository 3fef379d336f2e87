#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds one tree:
#   scripts/build.sh DIR [cmake options...] [-- targets...]
# every target unless some are named after "--". Uses Ninja and every core
# the machine has; warnings are errors here.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
options=() targets=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do options+=("$1"); shift; done
[ $# -eq 0 ] || { shift; targets=("$@"); }
# ccache, where the machine has it, keeps rebuilding a second tree cheap;
# with the paths below the checkout taken relative to it, a fresh clone in
# another folder hits what an earlier one left in the cache.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$top}
fi
cmake -S "$top" -B "$dir" -G Ninja -DZE_WERROR=ON "${launcher[@]}" "${options[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" ${targets[@]:+--target "${targets[@]}"}
