#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Unsaved markup survives `kill -9`: type into the pane, wait for the copy in
# the state folder, kill the editor, start it again, take the offer (Return)
# and find the typed text in the pane and "*" in the title.
set -euo pipefail
bin=$ZE_BINARY_DIR/shell/zer-evizi
[ -x "$bin" ] || { echo "the editor is not built"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state HOME=$work
unset QT_QPA_PLATFORM  # the editor draws on the X server below
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0"
cp "$ZE_SOURCE_DIR/resources/sample.bmp" "$work/pic.bmp"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 work=$2
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
start_wm
window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
has_window() { [ -n "$(window "$1")" ]; }
wait_window() {  # SECONDS NAME: prints the window's id once it is there
  until_true "$1" has_window "$2" && window "$2"
}
answer_return() {  # NAME: Return in that window until it has gone
  local id attempt
  for attempt in 1 2 3 4 5 6 7 8; do
    id=$(window "$1")
    [ -n "$id" ] || return 0
    xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
    xdotool windowfocus --sync "$id" >/dev/null 2>&1 || true
    xdotool key Return
    until_true 3 bash -c "! xdotool search --onlyvisible --name '$1' >/dev/null 2>&1" && return 0
  done
  return 1
}

"$bin" "$work/pic.bmp" >"$work/editor1.log" 2>&1 &
editor=$!
win=$(wait_window 30 '^pic\.bmp - Zer Evizi SEKKA$') ||
  fail "no editor window"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
eval "$(xdotool getwindowgeometry --shell "$win")"
point $((X + 60)) $((Y + HEIGHT - 100)) click 1
xdotool key --window "$win" ctrl+End
xdotool type --delay 30 'kept after kill'
until_true 10 bash -c "xdotool getwindowname $win | grep -q '^\*pic\.bmp'" ||
  fail "the title shows no change: $(xdotool getwindowname "$win")"
until_true 15 bash -c "grep -qs 'kept after kill' '$work'/state/zer-evizi/recovery-*.txt" ||
  fail "no copy in the state folder"
kill -9 "$editor"
wait "$editor" 2>/dev/null || true

"$bin" >"$work/editor2.log" 2>&1 &
editor=$!
wait_window 30 '^Zer Evizi SEKKA$' >/dev/null || fail "no offer to restore"
answer_return '^Zer Evizi SEKKA$' || fail "the offer stayed open"
win=$(wait_window 20 '^\*pic\.bmp - Zer Evizi SEKKA$') ||
  fail "the restored markup is not shown"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
copy_pane "$work/pane.txt"
grep -q 'kept after kill' "$work/pane.txt" || fail "the pane lost the text: $(cat "$work/pane.txt")"
[ -z "$(ls "$work/state/zer-evizi" | grep -v "recovery-$editor\.")" ] ||
  fail "the old copy is still there: $(ls "$work/state/zer-evizi")"

INNER

xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -nolisten tcp -noreset" \
  bash ${E2E_TRACE:+-x} "$work/run.sh" "$bin" "$work" || {
  for log in "$work"/editor*.log; do echo "--- $log"; cat "$log"; done; exit 1; }
echo "ok: markup restored after kill -9"
