#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The area list (領域一覧) and a page with two maps, in the real editor under
# Xvfb:
# 1. a page with two images and maps opens with the first one chosen;
# 2. an area clicked on the picture is the list's row, moved by Ctrl+Up; a
#    row clicked in the list is the picture's area, moved by Ctrl+Down; a row
#    dragged onto the first moves its tag there;
# 3. Ctrl+S writes the map back in place; 別のマップ opens the second map of
#    the same page, an area drawn there is written back by Ctrl+S too;
# the page read back with `zer-evizi-cli areas` shows the tags in their new
# order, and every byte outside the two maps is as it was.
set -euo pipefail
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
e2e_setup
mkdir "$work/pics"
picture=$work/pics/house.bmp
marker_picture "$picture"
cat >"$work/pics/p.html" <<'PAGE'
<body>
<img src="house.bmp" usemap="#a">
<map name="a">
<area shape="rect" coords="10,10,60,60" href="one.html" alt="1">
<area shape="rect" coords="40,40,90,90" href="two.html" alt="2">
<area shape="circle" coords="120,40,20" href="three.html" alt="3">
</map>
<p>middle</p>
<img src="house.bmp" usemap="#b">
<map name="b">
<area shape="rect" coords="0,0,20,20" href="b1.html" alt="B">
</map>
<p>end</p>
PAGE

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
page=$work/pics/p.html
start_editor_on_marker 'house\.bmp - Zer Evizi SEKKA'

# The screen point of the list's row $1 (from 1), in its href column. The
# list sits beside the pane, below the picture: found from the picture's
# top-left, the window's size being the same at every first start.
row() { echo "$((origin_x + row_x)) $((origin_y + row_y + ($1 - 1) * row_h))"; }
click_row() {
  read -r rx ry <<<"$(row "$1")"
  point "$rx" "$ry" click 1
  sleep 0.3
}
saved() { grep -q "$1" "$page"; }

# 1. The page; the first of its maps is chosen.
xdotool key ctrl+shift+o
dialog 'マップを開く'
xdotool key ctrl+a
xdotool type --delay 20 "$page"
xdotool key Return
sleep 1.5
dialog 'マップを開く'
xdotool key Return
gone 'マップを開く'
until_true 10 bash -c '[[ "$(xdotool getwindowname "$0")" == "p.html (house.bmp)"* ]]' "$win" ||
  fail "the page did not open: $(xdotool getwindowname "$win")"

# 2. Picture to list, list to picture, and a drag in the list.
xdotool key --delay 100 alt+r s  # the selection tool
read -r cx cy <<<"$(at 120,40)"
point "$cx" "$cy" click 1
sleep 0.3
xdotool key ctrl+Up  # three before two
click_row 1
xdotool key ctrl+Down  # one after three
read -r fx fy <<<"$(row 3)"
read -r tx ty <<<"$(row 1)"
point "$fx" "$fy" mousedown 1
for step in 1 2 3 4 5 6 7 8; do
  point "$fx" $((fy - (fy - ty) * step / 8))
  sleep 0.05
done
sleep 0.3
xdotool mouseup 1
sleep 0.3
xdotool key ctrl+s
until_true 10 saved 'href="two.html" alt="2">
<area shape="circle"' || fail "Ctrl+S did not write the new order"
cp "$page" "$work/first.html"

# 3. The page's other map, changed and written back as well.
xdotool key --delay 100 alt+f n
dialog '別のマップ'
xdotool key Down Return
gone '別のマップ'
sleep 0.5
xdotool key --delay 100 alt+r r  # the rectangle tool
drag 100,80 130,110
answer_link b2.html B2
xdotool key ctrl+s
until_true 10 saved b2.html || fail "Ctrl+S did not write the second map"
INNER

# Where the list's first row is (its href column) from the picture's
# top-left, and the rows' height.
export row_x=560 row_y=416 row_h=20
run_in_xvfb

"$cli" areas <"$work/pics/p.html" >"$work/areas.txt"
expected='4 rect 40,40,90,90 href=two.html alt=2
5 circle 120,40,20 href=three.html alt=3
6 rect 10,10,60,60 href=one.html alt=1
11 rect 0,0,20,20 href=b1.html alt=B
12 rect 100,80,130,110 href=b2.html alt=B2'
expect_text "$expected" "$work/areas.txt"
expect_text '<body>
<img src="house.bmp" usemap="#a">
<map name="a">
<area shape="rect" coords="40,40,90,90" href="two.html" alt="2">
<area shape="circle" coords="120,40,20" href="three.html" alt="3">
<area shape="rect" coords="10,10,60,60" href="one.html" alt="1">
</map>
<p>middle</p>
<img src="house.bmp" usemap="#b">
<map name="b">
<area shape="rect" coords="0,0,20,20" href="b1.html" alt="B">
<area shape="rect" coords="100,80,130,110" alt="B2" href="b2.html">
</map>
<p>end</p>' "$work/pics/p.html"
echo "ok: the list follows the picture and leads it, rows reorder by keys and drag, two maps of one page written back in place"
