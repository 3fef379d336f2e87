#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws a rectangle, a circle and a polygon with the mouse in the real editor
# under Xvfb, confirms each link dialog by typing, copies the pane out through
# the clipboard and compares it with what the command-line tool's area
# command makes of the same client points.
#
# The picture carries a marker colour in its top-left pixel. The view's
# picture origin on the screen is found by that colour on a screenshot, so a
# client point is a screen point minus that origin.
set -euo pipefail
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
e2e_setup
picture=$work/pic.bmp
marker_picture "$picture"

# Client points of the three areas (inside the picture, no scrolling).
rect_a=50,40 rect_b=10,5  # dragged up and to the left
circle_a=100,60 circle_b=103,64
poly=(20,100 80,100 60,115)
export rect_a rect_b circle_a circle_b poly_1=${poly[0]} poly_2=${poly[1]} poly_3=${poly[2]}

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
start_editor_on_marker 'pic\.bmp - Zer Evizi SEKKA'

# The rectangle tool is the one at start; choose it anyway.
tool r
drag "$rect_a" "$rect_b"
answer_link rect.html "Rect area"

tool c
drag "$circle_a" "$circle_b"
answer_link circle.html "Circle area"

tool p
read -r x y <<<"$(at "$poly_1")"
point "$x" "$y" click 1
sleep 0.6  # longer than a double-click: two separate clicks
read -r x y <<<"$(at "$poly_2")"
point "$x" "$y" click 1
sleep 0.6
read -r x y <<<"$(at "$poly_3")"
point "$x" "$y" click --repeat 2 --delay 40 1
answer_link poly.html "Poly area"

copy_pane "$work/pane.txt"
INNER

run_in_xvfb

# The same areas through the command-line tool, one after the other.
expected=$("$cli" skeleton "$picture" |
  "$cli" area rect "$rect_a" "$rect_b" --href rect.html --alt "Rect area" |
  "$cli" area circle "$circle_a" "$circle_b" --href circle.html --alt "Circle area" |
  "$cli" area poly "${poly[@]}" --href poly.html --alt "Poly area" | tr -d '\r')
expect_text "$expected" "$work/pane.txt"
echo "ok: three areas drawn with the mouse match the command-line tool"
