#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Compile check of the Windows-only sources with the MinGW-w64 cross compiler:
# every *_win32.cpp under view/, markup/ and transfer/, and the file helpers io/file_io.cpp and
# io/own_file.cpp.
# Syntax and types only; nothing is linked or run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
cxx=${MINGW_CXX:-x86_64-w64-mingw32-g++}
if ! command -v "$cxx" >/dev/null; then
  bash "$top/scripts/install-deps.sh"
fi
mapfile -t files < <({ find view markup transfer -name '*_win32.cpp'; ls io/file_io.cpp io/own_file.cpp 2>/dev/null; } | sort)
status=0
for f in "${files[@]}"; do
  if "$cxx" -std=c++20 -fsyntax-only -Wall -Wextra -Werror -I. "$f"; then
    echo "windows-check: $f ok"
  else
    echo "windows-check: $f FAILED"
    status=1
  fi
done
echo "windows-check: ${#files[@]} files checked"
exit $status
