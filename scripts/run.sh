#!/usr/bin/env bash
# Installs what is missing, builds the release tree and starts the editor on
# the bundled sample picture (or on the picture given as the argument).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh" "$top/build"
picture=${1:-$top/resources/sample.bmp}
if [ -x "$top/build/shell/zer-evizi" ]; then
  exec "$top/build/shell/zer-evizi" "$picture"
fi
exec "$top/build/tools/zer-evizi-cli" info "$picture"
