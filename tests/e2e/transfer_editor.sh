#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The editor's transfer command (その他 > ZURI Zezez SEKKAにデータ転送) sends
# the pane's text to the reference receiver, byte for byte, under openbox; a
# second send carries the same bytes, so the first left the pane alone.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/transfer_common.bash"
EDITOR_BIN=$ZE_BINARY_DIR/shell/zer-evizi
[ -x "$EDITOR_BIN" ] || fail "the editor is not built"
start_openbox

# In the sanitizer tree: libxkbcommon-x11 (Qt's X11 start-up) calls strndup
# on a buffer without a NUL, which strict string checks take for an overflow.
ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0 \
  "$EDITOR_BIN" "$ZE_SOURCE_DIR/resources/sample.bmp" >"$WORK/editor.log" 2>&1 &
EDITOR_PID=$!
PIDS+=("$EDITOR_PID")
wait_for 20 bash -c "xdotool search --onlyvisible --name 'sample\\.bmp - Zer Evizi SEKKA' | grep -q ." ||
  fail "the editor window did not appear: $(cat "$WORK/editor.log")"
EDITOR_WID=$(xdotool search --onlyvisible --name 'sample\.bmp - Zer Evizi SEKKA' | head -n 1)

# transfer_from_editor NAME: a receiver NAME takes one transfer that the
# editor's menu command starts; the menu is tried again if a key got lost.
transfer_from_editor() {
  start_receiver "$1" "ZURI Zezez SEKKA $1"
  wait_for 10 is_viewable "$WID" || fail "receiver $1 not mapped"
  local attempt
  for attempt in 1 2 3; do
    xdotool windowactivate --sync "$EDITOR_WID" >/dev/null 2>&1 || true
    xdotool key --clearmodifiers Escape alt+o
    sleep 0.5
    xdotool key h
    wait_for 5 test -e "$WORK/$1.out" && break
  done
  wait_exit "$RPID" 5
  [ "$EXIT_RC" -eq 0 ] || fail "receiver $1 answered $EXIT_RC: $(cat "$WORK/$1.err")"
}

transfer_from_editor first
printf '<img src="sample.bmp" width=240 height=160 alt="" usemap="#map_sample.bmp">\r\n<map name="map_sample.bmp">\r\n</map>\0' >"$WORK/expected"
cmp "$WORK/expected" "$WORK/first.out" || {
  od -c "$WORK/first.out" | head; fail "the editor sent other bytes"; }
grep -qx "dwData=0 cbData=$(stat -c %s "$WORK/expected")" "$WORK/first.err" ||
  fail "receiver reported: $(cat "$WORK/first.err")"

transfer_from_editor second
cmp "$WORK/first.out" "$WORK/second.out" || fail "the second transfer differs: the pane changed"
kill -0 "$EDITOR_PID" || fail "the editor ended"
echo "transfer from the editor: ok"
