#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The editor started where there is no display: one plain message on how to
# get one and exit status 1, instead of Qt's abort.
set -euo pipefail
bin=$ZE_BINARY_DIR/shell/zer-evizi
status=0
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin" \
  "$ZE_SOURCE_DIR/resources/sample.bmp" 2>&1) || status=$?
if [ "$status" -ne 1 ] || ! grep -q 'there is no display' <<<"$out" ||
  ! grep -q 'xvfb-run' <<<"$out"; then
  echo "exit status $status, output:"
  printf '%s\n' "$out"
  exit 1
fi
echo "ok: no display, status 1"
