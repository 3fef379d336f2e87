#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the manual's pictures from the real window: starts the built editor
# under a virtual display with a window manager, works through each task of
# the manual with xdotool and keeps what the screen shows. Run it again
# after the window changes:
#
#   docs/manual/screenshots.sh [BUILD]     (BUILD defaults to build/)
#
# Writes docs/manual/img/*.png and the README's docs/screenshot.png.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
bin=$build/shell/zer-evizi
[ -x "$bin" ] || { echo "not built: $bin" >&2; exit 1; }
for tool in Xvfb openbox xdotool xclip import convert; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  local i
  # The editor and the window manager before their display.
  for ((i = ${#pids[@]} - 1; i >= 0; --i)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "screenshots: $*" >&2; [ -f "$work/editor.log" ] && cat "$work/editor.log" >&2; exit 1; }
until_true() {
  local limit=$(($1 * 10)) i
  shift
  for ((i = 0; i < limit; ++i)); do "$@" && return 0; sleep 0.1; done
  return 1
}

# Fresh settings, the Japanese fonts the package recommends, a display of
# our own; the editor's first start takes four fifths of it.
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
Xvfb -displayfd 3 -screen 0 1200x820x24 -nolisten tcp 3>"$work/display" &
pids+=($!)
until_true 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
until_true 10 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'" ||
  fail "openbox did not start"

# The sample picture with one pixel of a colour it lacks at its top-left
# corner, which tells where the picture is on the screen.
mkdir "$work/site"
convert "$top/resources/sample.bmp" -fill '#FE01FD' -draw 'point 0,0' -type TrueColor \
  "BMP3:$work/site/sample.bmp"
printf '<!DOCTYPE html>\n<title>site</title>\n' > "$work/site/index.html"
(cd "$work/site" && exec "$bin" sample.bmp) >"$work/editor.log" 2>&1 &
pids+=($!)
win=$(timeout 30 xdotool search --sync --onlyvisible --name '^sample\.bmp - Zer Evizi SEKKA$' |
      head -1) || fail "no editor window"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
sleep 1

# Sets X, Y, WIDTH, HEIGHT to window $1's place on the screen, its frame left out.
place() {
  eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print "X=" $NF}
    /Absolute upper-left Y/ {print "Y=" $NF} /Width:/ {print "WIDTH=" $NF}
    /Height:/ {print "HEIGHT=" $NF}')"
}
place "$win"
# Keeps the screen within the window (menus and dialogs over it included).
shot() {
  sleep 0.6
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/shot.png"
  convert "$work/shot.png" -strip "$1"
  echo "screenshots: $1"
}
key() { xdotool key --delay 150 "$@"; sleep 0.3; }
# The screen point of picture pixel $1,$2 at 200 %: the picture's top-left
# pixel is found by its colour after the window showed it.
origin() {
  sleep 0.5
  import -window root "$work/full.png"
  read -r ox oy <<<"$(convert "$work/full.png" -fill black +opaque '#FE01FD' -trim \
    -format '%X %Y' info:)"
  ox=$((ox)) oy=$((oy))
}
at() { echo "$((ox + 2 * $1 + 1)) $((oy + 2 * $2 + 1))"; }
click_at() { xdotool mousemove --sync $(at "$1" "$2") click 1; sleep 0.3; }

# The picture at double size with the house, its roof, the sun and the
# door; the door (no alternative text, inside the house) gives the check
# something to find. Paste moves areas 10 pixels right and down.
key ctrl+equal
origin
[ "$(convert "$work/full.png" -format "%[hex:u.p{$ox,$oy}]" info:)" = FE01FD ] ||
  fail "the picture is not on the screen"
key alt+r s
click_at 230 150
cat > "$work/areas.txt" <<'AREAS'
<area shape="rect" coords="30,60,100,115" href="house.html" alt="家">
<area shape="poly" coords="65,30,31,59,99,59" href="roof.html" alt="屋根">
<area shape="circle" coords="180,25,20" href="sun.html" alt="太陽">
<area shape="rect" coords="55,85,75,115" href="door.html">
AREAS
xclip -selection clipboard -i "$work/areas.txt"
key ctrl+v
click_at 230 150
xdotool mousemove --sync $(at 185 40)
shot "$top/docs/screenshot.png"
cp "$top/docs/screenshot.png" "$top/docs/manual/img/open.png"

# Drawing: a polygon of three corners, the fourth side following the mouse.
key alt+r p
click_at 130 122
click_at 175 118
click_at 215 150
xdotool mousemove --sync $(at 150 152)
shot "$top/docs/manual/img/draw.png"
key Escape

# Editing: the house selected, its row in the area list and its tag marked.
key alt+r s
click_at 45 110
shot "$top/docs/manual/img/edit.png"

# The picture's tag and its map as fields: 編集 > 画像とマップの設定.
key alt+e i
sleep 1
shot "$top/docs/manual/img/image_map.png"
key Escape

# Checking: the 問題 panel beside the picture.
key alt+o p
shot "$top/docs/manual/img/check.png"

# Exporting: ファイル > 書き出し.
key alt+f e
shot "$top/docs/manual/img/export.png"
key Escape Escape Escape

# Saving under a name: the dialog F12 opens.
key F12
sleep 1
shot "$top/docs/manual/img/save.png"
key Escape

# Help: the menu, then the keys window.
key alt+h
shot "$top/docs/manual/img/help.png"
key k
sleep 1
keys=$(timeout 10 xdotool search --sync --onlyvisible --name 'キーボードショートカット' | head -1) ||
  fail "no keys window"
place "$keys"
shot "$top/docs/manual/img/keys.png"
key Escape
