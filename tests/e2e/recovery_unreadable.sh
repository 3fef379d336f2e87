#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copies in the state folder that cannot be read back (a link to /dev/zero,
# a link to a FIFO, a cut-off copy) neither stop nor hang the editor: started
# without a picture, it names each of them in its message, stays responsive
# and leaves them where they are.
set -euo pipefail
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
e2e_setup
picture=
export XDG_STATE_HOME=$work/state
state=$XDG_STATE_HOME/zer-evizi
mkdir -p "$state"
chmod 700 "$state"
mkfifo "$work/fifo"
ln -s /dev/zero "$state/recovery-11111.txt"
ln -s "$work/fifo" "$state/recovery-22222.txt"
printf 'ZER-EVIZI-RECOVERY 1\npicture 0\n\nmarkup 0\n\npage 0\n\ntext 40\n<map' \
  > "$state/recovery-33333.txt"
cp "$state/recovery-33333.txt" "$work/cut.txt"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
start_wm
"$bin" >"$work/editor.log" 2>&1 &
editor=$!
# The message box: titled without a picture's name, unlike the main window.
message() {
  kill -0 "$editor" 2>/dev/null || fail "the editor ended"
  xdotool search --onlyvisible --name '^Zer Evizi SEKKA$' 2>/dev/null | head -1 | grep .
}
until_true 30 message >/dev/null || fail "no message about the unreadable copies"
box=$(message)
xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
# The text can be selected: a click into it, then all of it to the clipboard.
eval "$(xdotool getwindowgeometry --shell "$box")"
point $((X + WIDTH / 2)) $((Y + HEIGHT / 3)) click 1
xdotool key --delay 100 ctrl+a ctrl+c
until_true 5 bash -c 'xclip -o -selection clipboard > "$0" 2>/dev/null && grep -q 33333 "$0"' \
  "$work/message.txt" || fail "the message was not copied: $(xclip -o -selection clipboard 2>&1)"
for n in 11111 22222 33333; do
  grep -q "zer-evizi/recovery-$n.txt" "$work/message.txt" ||
    fail "recovery-$n.txt is not named: $(cat "$work/message.txt")"
done
grep -q 'シンボリックリンク' "$work/message.txt" && grep -q '途中で切れている' "$work/message.txt" ||
  fail "no reasons given: $(cat "$work/message.txt")"
xdotool key Return
until_true 10 bash -c '! xdotool search --onlyvisible --name "^Zer Evizi SEKKA$" >/dev/null' ||
  fail "the message stayed open"

# Responsive: typing into the pane marks the markup changed.
win=$(xdotool search --onlyvisible --name '^無題 - Zer Evizi SEKKA$' | head -1)
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
eval "$(xdotool getwindowgeometry --shell "$win")"
point $((X + 60)) $((Y + HEIGHT - 100)) click 1
xdotool type --delay 30 'still here'
until_true 10 bash -c "xdotool getwindowname $win | grep -q '^\*無題 - Zer Evizi SEKKA$'" ||
  fail "the editor does not respond: $(xdotool getwindowname "$win")"
INNER

run_in_xvfb
[ "$(readlink "$state/recovery-11111.txt")" = /dev/zero ] || fail "the link to /dev/zero went"
[ "$(readlink "$state/recovery-22222.txt")" = "$work/fifo" ] || fail "the link to the FIFO went"
cmp -s "$work/cut.txt" "$state/recovery-33333.txt" || fail "the cut-off copy went or changed"
echo "ok: unreadable copies named and left in place"
