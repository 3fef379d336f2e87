#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds one tree: scripts/build.sh DIR [cmake options...]
# Uses Ninja and every core the machine has; warnings are errors here.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
# ccache, where the machine has it, keeps rebuilding a second tree cheap.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$dir" -G Ninja -DZE_WERROR=ON "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
