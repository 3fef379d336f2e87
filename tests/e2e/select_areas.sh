#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws two rectangles with the mouse in the real editor under Xvfb, moves
# one with the selection tool, undoes and redoes the move with the keys and
# deletes the area; after each step the pane is copied out through the
# clipboard and compared with what the command-line tool makes of the same
# areas.
#
# The picture carries a marker colour in its top-left pixel; a client point
# is a screen point minus where that colour shows.
set -euo pipefail
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
e2e_setup
picture=$work/pic.bmp
marker_picture "$picture"

# The texts expected after each step, from the command-line tool.
skeleton() { "$cli" skeleton "$picture"; }
r1() { "$cli" area rect "$@" --href r1.html --alt "R1"; }
r2() { "$cli" area rect 90,40 130,80 --href r2.html --alt "R2"; }
skeleton | r1 30,30 70,60 | r2 | tr -d '\r' > "$work/drawn.txt"
skeleton | r1 40,35 80,65 | r2 | tr -d '\r' > "$work/moved.txt"
skeleton | r2 | tr -d '\r' > "$work/deleted.txt"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
start_editor_on_marker 'pic\.bmp - Zer Evizi SEKKA'

# Copies the pane out until it reads as file $1 (the clipboard may still
# hold the last copy for a moment).
expect_pane() {
  eval "$(xdotool getwindowgeometry --shell "$win")"
  point $((X + 60)) $((Y + HEIGHT - 100)) click 1
  xdotool key --window "$win" ctrl+a ctrl+c
  if ! until_true 5 bash -c \
      '[ "$(xclip -o -selection clipboard 2>/dev/null | tr -d "\r")" = "$(cat "$0")" ]' \
      "$work/$1.txt"; then
    echo "after $2 the pane reads:" >&2
    xclip -o -selection clipboard 2>/dev/null | tr -d '\r' >&2 || true
    echo "--- expected:" >&2
    cat "$work/$1.txt" >&2
    exit 1
  fi
  echo "ok: $2"
}

drag 30,30 70,60
answer_link r1.html R1
drag 90,40 130,80
answer_link r2.html R2
expect_pane drawn "drawing two rectangles"

xdotool key --delay 100 alt+r s  # the selection tool
drag 50,45 60,50
expect_pane moved "moving the first with the mouse"
xdotool key ctrl+z
expect_pane drawn "undo"
xdotool key ctrl+y
expect_pane moved "redo"
read -r x y <<<"$(at 60,50)"
point "$x" "$y" click 1
xdotool key Delete
expect_pane deleted "Delete"
INNER

run_in_xvfb
echo "ok: areas drawn, moved, undone, redone and deleted in the editor"
