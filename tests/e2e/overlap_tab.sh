#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Under openbox, which takes Alt+click for itself, an area covered by another
# is still reached: a click with the selection tool picks the area a browser
# picks there, Tab goes on to the one under it, and Delete removes that one.
set -euo pipefail
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
e2e_setup
picture=$work/pic.bmp
marker_picture "$picture"
"$cli" skeleton "$picture" | "$cli" area rect 30,30 70,60 --href r1.html --alt R1 |
  tr -d '\r' >"$work/kept.txt"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
start_editor_on_marker 'pic\.bmp - Zer Evizi SEKKA'
drag 30,30 70,60
answer_link r1.html R1
drag 50,40 90,80
answer_link r2.html R2
xdotool key --delay 100 alt+r s  # the selection tool
read -r x y <<<"$(at 60,50)"
point "$x" "$y" click 1
sleep 0.3
xdotool key Tab
sleep 0.3
xdotool key Delete
copy_pane "$work/pane.txt"
INNER

run_in_xvfb
expect_text "$(cat "$work/kept.txt")" "$work/pane.txt"
echo "ok: Tab reached the covered area under openbox and Delete removed it"
