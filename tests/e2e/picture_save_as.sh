#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Saves the sample picture as a lossless WebP as a person does: ファイル >
# 名前をつけて保存, the name typed into the file dialog, ロスレス ticked in the
# format's options, and Yes to pointing the image tag's src at the new file.
set -euo pipefail
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
e2e_setup
cp "$ZE_SOURCE_DIR/resources/sample.bmp" "$work/sample.bmp"
picture=$work/sample.bmp
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
start_editor '^sample\.bmp - Zer Evizi SEKKA$'
xdotool key --delay 150 alt+f
xdotool key --delay 150 s
dialog '^名前を付けて保存$'
xdotool key ctrl+a
xdotool type --delay 20 "$work/out.webp"
xdotool key Return
dialog '^WebP の保存$'
sleep 1  # the dialog takes keys once it has the focus
xdotool key --delay 200 alt+l Return
dialog '^Zer Evizi SEKKA$'
xdotool key Return
gone '^Zer Evizi SEKKA$'
copy_pane "$work/pane.txt"
INNER

run_in_xvfb
[ "$(head -c 16 "$work/out.webp" | tail -c 4)" = VP8L ] || fail "out.webp is not a lossless WebP"
[ "$(dwebp -quiet "$work/out.webp" -ppm -o - | md5sum)" = \
  "$(convert "$work/sample.bmp" ppm:- | md5sum)" ] || fail "out.webp does not hold the sample's pixels"
grep -q '<img src="out.webp" width=240 height=160' "$work/pane.txt" ||
  fail "the src does not name out.webp: $(cat "$work/pane.txt")"
echo "ok: saved as a lossless WebP and the src points at it"
