#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the release tree and runs every test
# through CTest; the last line is CTest's summary.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh" "$top/build" -DCMAKE_BUILD_TYPE=Release
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
bash "$top/scripts/ctest.sh" "$top/build" --output-on-failure "$@" 2>&1 | tee "$log" || status=$?
# CTest lists skipped tests after its summary; repeat the summary last.
grep -E '^[0-9]+% tests passed' "$log" | tail -n 1 || true
exit $status
