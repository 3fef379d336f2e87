#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs CTest in the build tree DIR with the given options:
#   scripts/ctest.sh DIR [ctest options...]
# One test a core, except the end-to-end tests, which wait on the editor and
# their X server most of the time: one more of them than there are cores
# runs beside the others (the "cores" and "displays" resources of
# tests/CMakeLists.txt).
set -euo pipefail
dir=$1; shift
cores=$(nproc)
resources=$(mktemp)
trap 'rm -f "$resources"' EXIT
cat >"$resources" <<RESOURCES
{"version": {"major": 1, "minor": 0},
 "local": [{"cores": [{"id": "0", "slots": $cores}],
            "displays": [{"id": "0", "slots": $((cores + 1))}]}]}
RESOURCES
cd "$dir"
ctest --resource-spec-file "$resources" -j "$((2 * cores + 1))" "$@"
