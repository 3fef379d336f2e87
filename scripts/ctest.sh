#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs CTest in the build tree DIR with the given options:
#   scripts/ctest.sh DIR [ctest options...]
# One test a core, except the end-to-end tests, which wait on the editor and
# their X server most of the time: one more of them than there are cores
# runs beside the others (the "cores" and "displays" resources of
# tests/CMakeLists.txt).
# With ZE_BROWSER_CACHE naming a folder, the browser tests' pages go through
# scripts/browser-cache/chromium, which keeps what the browser made of each
# page there: a second tree's run reads only the pages that came out
# differently from the first's.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
if [ -n "${ZE_BROWSER_CACHE:-}" ]; then
  export PATH=$top/scripts/browser-cache:$PATH
fi
cores=$(nproc)
resources=$(mktemp)
trap 'rm -f "$resources"' EXIT
cat >"$resources" <<RESOURCES
{"version": {"major": 1, "minor": 0},
 "local": [{"cores": [{"id": "0", "slots": $cores}],
            "displays": [{"id": "0", "slots": $((cores + 1))}]}]}
RESOURCES
cd "$dir"
# CTest starts the tests that took longest before first. A fresh clone has
# no timings yet: it takes those of the last run in a tree of the same name
# on this machine, and leaves its own for the next.
timings=${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/zer-evizi/ctest-timings-${PWD##*/}.txt
costs=Testing/Temporary/CTestCostData.txt
if [ ! -f "$costs" ] && [ -f "$timings" ]; then
  mkdir -p "${costs%/*}" && cp "$timings" "$costs" || true
fi
status=0
ctest --resource-spec-file "$resources" -j "$((2 * cores + 1))" "$@" || status=$?
if [ -f "$costs" ] && mkdir -p "${timings%/*}" 2>/dev/null; then
  cp "$costs" "$timings.$$" 2>/dev/null && mv "$timings.$$" "$timings" || true
fi
exit $status
