#!/usr/bin/env bash
# Draws a rectangle, a circle and a polygon with the mouse in the real editor
# under Xvfb, confirms each link dialog with typed texts, and compares the
# pane (copied out through the clipboard) with what `zer-evizi-cli area`
# gives for the same client points. The picture is found on a screenshot by
# the marker colour of its top-left pixel.
set -euo pipefail
bin=$ZE_BINARY_DIR/shell/zer-evizi
cli=$ZE_BINARY_DIR/tools/zer-evizi-cli
if [ ! -x "$bin" ] || [ ! -x "$cli" ]; then
  echo "the editor or the command-line tool is not built"
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config HOME=$work

# A 200 x 150 picture, its top-left pixel in the marker colour.
convert -size 200x150 xc:'#3070b0' -fill '#01fe03' -draw 'point 0,0' BMP3:"$work/pic.bmp"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
work=$3
trap 'echo "step failed: line $LINENO: $BASH_COMMAND" >&2' ERR
openbox >/dev/null 2>&1 &
wm=$!
# A window mapped while the window manager is still starting can stay
# unmapped: start the editor once openbox has announced itself.
for i in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
"$1" "$2" >"$work/editor.log" 2>&1 &
editor=$!
cleanup() { kill "$editor" "$wm" 2>/dev/null || true; }
trap cleanup EXIT
# Searched again until found: a search can fail while windows come and go.
find_window() {
  local found="" tries=0
  while [ -z "$found" ] && [ $tries -lt 100 ]; do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$found" ] || sleep 0.2
    tries=$((tries + 1))
  done
  [ -n "$found" ] && echo "$found"
}
win=$(find_window 'pic\.bmp - Zer Evizi SEKKA') || {
  kill -0 "$editor" 2>/dev/null && echo "editor running" >&2 || echo "editor gone" >&2
  for w in $(xdotool search --name 'pic' 2>/dev/null); do xwininfo -id "$w" | grep -E "xwininfo|Map State|geometry" >&2 || true; done
  false
}
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
sleep 1

# The picture's top-left corner on the screen: client point 0,0.
import -window root "$work/shot.png"
convert "$work/shot.png" -depth 8 txt:"$work/shot.txt"
marker=$(grep -m1 -i '#01FE03' "$work/shot.txt" | cut -d: -f1 || true)
if [ -z "$marker" ]; then
  echo "marker colour not found on the screen" >&2
  exit 1
fi
ox=${marker%,*}
oy=${marker#*,}
echo "picture at $ox,$oy" >"$work/origin.txt"

# Answers the link dialog: focus starts on OK; two tabs reach the link field.
answer() {
  find_window 'ﾘﾝｸの設定' >/dev/null
  sleep 0.3
  xdotool key Tab Tab
  xdotool type "$1"
  xdotool key Tab
  xdotool type "$2"
  xdotool key Return
  sleep 0.5
}
at() { echo $((ox + $1)) $((oy + $2)); }

# The rectangle tool is the one at start.
xdotool mousemove $(at 50 40) mousedown 1
xdotool mousemove $(at 30 20) sleep 0.1 mousemove $(at 10 5) sleep 0.1 mouseup 1
answer r.html R

xdotool key alt+r c
sleep 0.3
xdotool mousemove $(at 100 60) mousedown 1
xdotool mousemove $(at 102 62) sleep 0.1 mousemove $(at 103 64) sleep 0.1 mouseup 1
answer c.html C

xdotool key alt+r p
sleep 0.3
xdotool mousemove $(at 20 100) click 1
sleep 0.5
xdotool mousemove $(at 80 100) click 1
sleep 0.5
xdotool mousemove $(at 60 140) click --repeat 2 --delay 80 1
answer p.html P

# The pane is docked along the bottom, above the status bar.
eval "$(xdotool getwindowgeometry --shell "$win")"
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  xdotool mousemove --window "$win" 60 $((HEIGHT - 100)) click 1
  sleep 0.3
  xdotool key --window "$win" ctrl+a ctrl+c
  sleep 0.5
  if xclip -o -selection clipboard >"$work/pane.txt" 2>/dev/null && [ -s "$work/pane.txt" ]; then
    break
  fi
done
INNER

if ! xvfb-run -a -s "-screen 0 1024x768x24" bash ${ZE_E2E_TRACE:+-x} "$work/run.sh" "$bin" \
    "$work/pic.bmp" "$work"; then
  echo "the session under Xvfb failed; editor output:"
  cat "$work/editor.log" 2>/dev/null || true
  exit 1
fi

# The same areas through the command-line tool, from the skeleton on.
"$cli" skeleton "$work/pic.bmp" --lower >"$work/skeleton.txt"
"$cli" area rect 50,40 10,5 --alt R --href r.html --lower <"$work/skeleton.txt" >"$work/1.txt"
"$cli" area circle 100,60 103,64 --alt C --href c.html --lower <"$work/1.txt" >"$work/2.txt"
"$cli" area poly 20,100 80,100 60,140 --alt P --href p.html --lower <"$work/2.txt" >"$work/3.txt"
expected=$(tr -d '\r' <"$work/3.txt")
actual=$(tr -d '\r' <"$work/pane.txt")
if [ "$actual" != "$expected" ]; then
  echo "pane text differs from the command-line tool's:"
  printf '%s\n--- expected:\n%s\n' "$actual" "$expected"
  cat "$work/origin.txt" "$work/editor.log" 2>/dev/null || true
  exit 1
fi
echo "ok: rectangle, circle and polygon drawn with the mouse match the command-line tool"
