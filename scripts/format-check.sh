#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when clang-format would change any C++ file the repository tracks;
# names each such file. `scripts/format-check.sh --fix` formats them instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
fix=0
[ "${1:-}" = "--fix" ] && fix=1
bad=0
while IFS= read -r f; do
  if [ $fix -eq 1 ]; then
    clang-format -i "$f"
  elif ! clang-format "$f" | cmp -s - "$f"; then
    echo "format-check: $f differs from clang-format's output"
    bad=1
  fi
done < <(git ls-files '*.cpp' '*.h')
[ $bad -eq 0 ] && echo "format-check: every C++ file is formatted"
exit $bad
