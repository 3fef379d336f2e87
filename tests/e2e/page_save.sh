#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Saving the markup with Ctrl+S in the real editor under Xvfb:
# 1. the first Ctrl+S of a picture's markup offers the picture's folder with
#    NAME.html (Return in Qt's file dialog writes it there);
# 2. a page opened with マップを開く and changed by another program (a banner
#    image and map put before ours, an area added to the banner) keeps those
#    changes at Ctrl+S, ours written in place;
# 3. once our own map changed on disk, Ctrl+S asks, and キャンセル (Escape)
#    writes nothing.
set -euo pipefail
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
e2e_setup
mkdir "$work/pics"
picture=$work/pics/house.bmp
marker_picture "$picture"
printf '<body>\n<img src="house.bmp" usemap="#m">\n<map name="m">\n</map>\n<p>end</p>\n' \
  >"$work/pics/p.html"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
page=$work/pics/p.html
start_editor_on_marker 'house\.bmp - Zer Evizi SEKKA'

title_is() { [ "$(xdotool getwindowname "$win")" = "$1" ]; }

# 1. The first Ctrl+S: the picture's folder and house.html, taken with Return.
drag 10,5 50,40
answer_link r.html R
xdotool key ctrl+s
dialog '名前を付けてマップを保存'
xdotool key Return
gone '名前を付けてマップを保存'
until_true 10 test -s "$work/pics/house.html" || fail "no house.html beside the picture"
until_true 10 title_is 'house.bmp - Zer Evizi SEKKA' || fail "still unsaved: $(xdotool getwindowname "$win")"

# 2. The page, changed behind the editor's back between opening and saving.
xdotool key ctrl+shift+o
dialog 'マップを開く'
# The dialog opens where the last one was, the picture's folder: the name
# alone picks the page.
xdotool key ctrl+a
xdotool type --delay 20 p.html
xdotool key Return
gone 'マップを開く'
copy_pane "$work/pane2.txt"
grep -q '<map name="m">' "$work/pane2.txt" || fail "the page's map is not in the pane"
drag 60,50 90,70
answer_link s.html S
cat >"$page" <<'PAGE'
<body>
<img src="banner.bmp" usemap="#banner">
<map name="banner">
<area href="o.html">
</map>
<img src="house.bmp" usemap="#m">
<map name="m">
</map>
<p>end</p>
PAGE
cp "$page" "$work/before-save.html"
xdotool key ctrl+s
until_true 10 grep -q s.html "$page" || fail "Ctrl+S did not save into the page"
sleep 0.5
xdotool search --onlyvisible --name '^マップを保存$' >/dev/null 2>&1 && fail "asked about a page whose map was untouched"
cp "$page" "$work/saved.html"

# 3. Our map changed on disk: asked; キャンセル (Escape) writes nothing.
sed -i 's|^<map name="m">$|<map name="m">\n<area href="t.html">|' "$page"
cp "$page" "$work/theirs.html"
drag 100,60 120,80
answer_link u.html U
xdotool key ctrl+s
dialog '^マップを保存$'
xdotool key Escape
gone '^マップを保存$'
sleep 0.5
cmp -s "$page" "$work/theirs.html" || fail "キャンセル wrote the page"
title_is '*p.html (house.bmp) - Zer Evizi SEKKA' || fail "the markup no longer shows unsaved: $(xdotool getwindowname "$win")"
INNER

run_in_xvfb

printf -v area1 '<area shape="rect" coords="10,5,50,40" alt="R" href="r.html">'
expect_text "$(printf '<img src="house.bmp" width=160 height=120 alt="" usemap="#map_house.bmp">\n<map name="map_house.bmp">\n%s\n</map>' "$area1")" \
  "$work/pics/house.html"
expected='<body>
<img src="banner.bmp" usemap="#banner">
<map name="banner">
<area href="o.html">
</map>
<img src="house.bmp" usemap="#m">
<map name="m">
<area shape="rect" coords="60,50,90,70" alt="S" href="s.html">
</map>
<p>end</p>'
expect_text "$expected" "$work/saved.html"
echo "ok: first Ctrl+S beside the picture; a page changed on disk keeps the other program's work, and a changed map is asked about"
