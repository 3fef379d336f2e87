#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A page opened once comes back from ファイル's recent list after a restart
# with its map, and Ctrl+S then writes the page in place, not a new file
# beside the picture.
set -euo pipefail
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
e2e_setup
mkdir "$work/pics"
marker_picture "$work/pics/house.bmp"
printf '<body>\n<img src="house.bmp" usemap="#m">\n<map name="m">\n</map>\n<p>end</p>\n' \
  >"$work/pics/p.html"
picture=$work/pics/p.html

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
start_editor 'p\.html \(house\.bmp\) - Zer Evizi SEKKA'
xdotool key ctrl+q
until_true 10 bash -c '! kill -0 "$0" 2>/dev/null' "$editor" || fail "Ctrl+Q did not quit"

"$bin" >"$work/editor.log" 2>&1 &
editor=$!
win=$(find_window '無題 - Zer Evizi SEKKA' 30 || true)
[ -n "$win" ] || fail "the editor did not start again"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
xdotool key --delay 150 alt+f 1  # the first recent entry
until_true 15 bash -c '[[ "$(xdotool getwindowname "$0")" == "p.html (house.bmp) - Zer Evizi SEKKA" ]]' \
  "$win" || fail "the recent entry did not open the page: $(xdotool getwindowname "$win")"
until_true 15 find_marker || fail "the picture is not shown"
drag 10,5 50,40
answer_link r.html R
xdotool key ctrl+s
until_true 10 grep -q r.html "$work/pics/p.html" || fail "Ctrl+S did not write the page"
[ ! -e "$work/pics/house.html" ] || fail "Ctrl+S wrote a new file beside the picture"
INNER

run_in_xvfb
expect_text '<body>
<img src="house.bmp" usemap="#m">
<map name="m">
<area shape="rect" coords="10,5,50,40" alt="R" href="r.html">
</map>
<p>end</p>' "$work/pics/p.html"
echo "ok: the recent page came back with its map and Ctrl+S wrote it"
