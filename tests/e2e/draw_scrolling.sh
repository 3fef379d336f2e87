#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Drawing on a picture larger than the window in the real editor under Xvfb:
# Esc gives up a rubber band and a polygon, a right-click ends a polygon, a
# drag keeps its start on the picture while the wheel scrolls, and a drag
# held at the window's edge scrolls the view and ends beyond the first view.
#
# The picture carries a marker colour in its top-left pixel; a client point
# is a screen point minus where that colour shows.
set -euo pipefail
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
e2e_setup
picture=$work/pic.bmp
convert -size 2000x1500 'xc:#408020' "$work/big.png"
marker_picture "$picture" "$work/big.png"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
start_editor_on_marker 'pic\.bmp - Zer Evizi SEKKA'
# The view's size: the picture fills it, so its colour covers it all.
import -window root "$work/shot.png"
read -r view_w view_h <<<"$(convert "$work/shot.png" -fill black +opaque '#408020' -trim \
  -format '%w %h' info:)"
echo "$view_w $view_h" > "$work/view.txt"

press() { read -r x y <<<"$(at "$1")"; point "$x" "$y" mousedown 1; }
move() { read -r x y <<<"$(at "$1")"; point "$x" "$y"; sleep 0.1; }
click() { read -r x y <<<"$(at "$1")"; point "$x" "$y" click "${2:-1}"; sleep 0.6; }

# A rubber band given up by Esc: its release writes nothing.
press 40,40
move 120,90
xdotool key Escape
xdotool mouseup 1

# A polygon given up by Esc, then one ended by a right-click.
tool p
click 30,120
click 90,120
xdotool key Escape
click 30,140
click 90,140
click 60,170 3
answer_link poly.html Poly

# A drag with the wheel turned in the middle: the start stays on the picture.
tool r
press 100,100
xdotool click --repeat 3 --delay 100 5
move 300,150
xdotool mouseup 1
answer_link wheel.html Wheel
xdotool click --repeat 40 --delay 20 4  # back to the top

# A drag held at the bottom-right corner: the view scrolls by itself.
corner=$((view_w - 4)),$((view_h - 4))
press 50,50
move "$corner"
sleep 2
move "$corner"
xdotool mouseup 1
answer_link edge.html Edge

copy_pane "$work/pane.txt"
INNER

run_in_xvfb
read -r view_w view_h < "$work/view.txt"
echo "view: $view_w x $view_h"
lines=$(tr -d '\r' < "$work/pane.txt" | grep '<area' || true)
printf '%s\n' "$lines"
[ "$(printf '%s\n' "$lines" | grep -c '<area')" = 3 ] || fail "expected three areas"
printf '%s\n' "$lines" | grep -qx '<area shape="poly" coords="30,140,90,140,60,170" alt="Poly" href="poly.html">' ||
  fail "the polygon ended by a right-click is not as clicked"
wheel=$(printf '%s\n' "$lines" | sed -n 's/.*shape="rect" coords="\([0-9,]*\)" alt="Wheel".*/\1/p')
IFS=, read -r ax ay ex ey <<<"$wheel"
[ "$ax,$ay,$ex" = 100,100,300 ] && [ "$ey" -gt 150 ] ||
  fail "the wheel drag wrote $wheel: the start should stay at 100,100 and the end lie below 150"
edge=$(printf '%s\n' "$lines" | sed -n 's/.*shape="rect" coords="\([0-9,]*\)" alt="Edge".*/\1/p')
IFS=, read -r ax ay ex ey <<<"$edge"
[ "$ax,$ay" = 50,50 ] && [ "$ex" -gt "$view_w" ] && [ "$ey" -gt "$view_h" ] ||
  fail "the drag at the edge wrote $edge: it should start at 50,50 and reach beyond the first view"
echo "ok: Esc, right-click, wheel and edge scrolling while drawing"
