#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when clang-format would change any C++ file the repository tracks;
# names each such file. `scripts/format-check.sh --fix` formats them instead.
# clang-format takes the files in batches: starting it once a file cost more
# than the formatting.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
if [ "${1:-}" = "--fix" ]; then
  git ls-files -z '*.cpp' '*.h' | xargs -0 -r clang-format -i
  exit 0
fi
status=0
report=$(git ls-files -z '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run --Werror 2>&1) || status=$?
bad=$(printf '%s\n' "$report" | sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
if [ -n "$bad" ]; then
  while IFS= read -r f; do echo "format-check: $f differs from clang-format's output"; done <<<"$bad"
  exit 1
fi
if [ "$status" -ne 0 ]; then
  # Not a difference in format: clang-format itself failed.
  printf '%s\n' "$report" >&2
  echo "format-check: clang-format failed (status $status)" >&2
  exit 1
fi
echo "format-check: every C++ file is formatted"
