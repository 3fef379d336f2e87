#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Opens a 4032 x 3024 photo-sized picture, zooms out with Ctrl+0 until the
# whole of it fits in the window, draws a rectangle from its top-left corner
# to its bottom-right one with the mouse and checks the line in the pane:
# the corners are whole picture pixels at the picture's corners.
set -euo pipefail
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
e2e_setup
picture=$work/photo.bmp
convert -size 4032x3024 'xc:#408020' -fill '#FE01FD' -draw 'point 0,0' -type TrueColor \
  "BMP3:$picture"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
# At actual size the marker shows the picture's corner, which stays at the
# view's corner once the whole picture fits.
start_editor_on_marker 'photo\.bmp - Zer Evizi SEKKA'
xdotool key --window "$win" ctrl+0

# The edge line right of and below the picture: the picture's size on screen.
edge() {  # $1: -crop geometry of a one-pixel line from the corner
  import -window root "$work/shot.png" 2>/dev/null || return 1
  convert "$work/shot.png" -crop "$1" +repage txt:- |
    awk -F'[,:]' '/#000000/ { print ($1 > $2 ? $1 : $2); exit }'
}
fitted() {
  wide=$(edge "1024x1+$origin_x+$((origin_y + 3))")
  high=$(edge "1x768+$((origin_x + 3))+$origin_y")
  [ -n "$wide" ] && [ -n "$high" ] && [ "$wide" -lt 700 ]
}
until_true 15 fitted || fail "the picture did not fit the window"
echo "the picture is $wide x $high on the screen"
echo "$wide $high" > "$work/size.txt"

tool r
drag 0,0 "$wide,$high"
answer_link whole.html "Whole"
copy_pane "$work/pane.txt"
INNER

run_in_xvfb

# The tighter side spans the picture exactly; the other ends where its
# last screen pixel does: floor(size on screen / scale).
read -r wide high < "$work/size.txt"
if (( wide * 3024 >= high * 4032 )); then
  x=$(( wide * 3024 / high )) y=3024
else
  x=4032 y=$(( high * 4032 / wide ))
fi
(( x >= 4032 && x < 4032 + 4032 / wide + 1 && y >= 3024 )) || fail "corner $x,$y off the picture"
line="<area shape=\"rect\" coords=\"0,0,$x,$y\" alt=\"Whole\" href=\"whole.html\">"
grep -qF "$line" "$work/pane.txt" || { echo "expected $line"; cat "$work/pane.txt"; exit 1; }
echo "ok: at the fit level a rectangle across the whole picture reads 0,0,$x,$y"
