#!/usr/bin/env bash
# Installs what is missing, builds the release tree and runs every test
# through CTest (which ends with its summary line).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh" "$top/build"
cd "$top/build"
ctest --output-on-failure -j "$(nproc)" "$@"
