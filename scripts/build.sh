#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds one tree: scripts/build.sh DIR [cmake options...]
# Uses Ninja and every core the machine has; warnings are errors here.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
cmake -S "$top" -B "$dir" -G Ninja -DZE_WERROR=ON "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
