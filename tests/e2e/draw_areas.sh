#!/usr/bin/env bash
# Draws a rectangle, a circle and a polygon with the mouse in the real editor
# under Xvfb, confirms each link dialog by typing, copies the pane out through
# the clipboard and compares it with what the command-line tool's area
# command makes of the same client points.
#
# The picture carries a marker colour in its top-left pixel. The view's
# picture origin on the screen is found by that colour on a screenshot, so a
# client point is a screen point minus that origin.
set -euo pipefail
bin=$ZE_BINARY_DIR/shell/zer-evizi
cli=$ZE_BINARY_DIR/tools/zer-evizi-cli
for program in "$bin" "$cli"; do
  if [ ! -x "$program" ]; then
    echo "not built: $program"
    exit 1
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config HOME=$work
mkdir -p "$XDG_CONFIG_HOME"

# A 160 x 120 24-bit BMP: one colour, and the marker (254, 1, 253) top left.
width=160 height=120
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
row_bytes=$((width * 3))  # 480, already a multiple of 4
picture=$work/pic.bmp
{
  printf 'BM'
  le32 $((54 + row_bytes * height)); le32 0; le32 54
  le32 40; le32 $width; le32 $height; le16 1; le16 24
  le32 0; le32 $((row_bytes * height)); le32 2835; le32 2835; le32 0; le32 0
  pixel='\x20\x80\x40'  # blue, green, red
  row=$(for ((x = 0; x < width; ++x)); do printf '%s' "$pixel"; done)
  # Rows bottom up: the top row comes last and starts with the marker.
  for ((y = 0; y < height - 1; ++y)); do printf "$row"; done
  printf '\xfd\x01\xfe'
  for ((x = 1; x < width; ++x)); do printf "$pixel"; done
} > "$picture"

# Client points of the three areas (inside the picture, no scrolling).
rect_a=50,40 rect_b=10,5  # dragged up and to the left
circle_a=100,60 circle_b=103,64
poly=(20,100 80,100 60,115)
export rect_a rect_b circle_a circle_b poly_1=${poly[0]} poly_2=${poly[1]} poly_3=${poly[2]}

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
start_editor 'pic\.bmp - Zer Evizi SEKKA'
until_true 15 find_marker || fail "the marker colour is not on the screen"
echo "picture origin on the screen: $origin_x,$origin_y"

at() {  # screen coordinates of client point "x,y"
  echo "$((origin_x + ${1%,*})) $((origin_y + ${1#*,}))"
}
drag() {
  read -r fx fy <<<"$(at "$1")"
  read -r tx ty <<<"$(at "$2")"
  xdotool mousemove --sync "$fx" "$fy" mousedown 1
  xdotool mousemove --sync $(((fx + tx) / 2)) $(((fy + ty) / 2))
  xdotool mousemove --sync "$tx" "$ty"
  sleep 0.1
  xdotool mouseup 1
}
tool() {  # the Areas menu (領域, Alt+R), then the item's key
  xdotool key --delay 100 alt+r "$1"
}

# The rectangle tool is the one at start; choose it anyway.
tool r
drag "$rect_a" "$rect_b"
answer_link rect.html "Rect area"

tool c
drag "$circle_a" "$circle_b"
answer_link circle.html "Circle area"

tool p
read -r x y <<<"$(at "$poly_1")"
xdotool mousemove --sync "$x" "$y" click 1
sleep 0.6  # longer than a double-click: two separate clicks
read -r x y <<<"$(at "$poly_2")"
xdotool mousemove --sync "$x" "$y" click 1
sleep 0.6
read -r x y <<<"$(at "$poly_3")"
xdotool mousemove --sync "$x" "$y" click --repeat 2 --delay 80 1
answer_link poly.html "Poly area"

copy_pane "$work/pane.txt"
INNER

xvfb-run -a -s "-screen 0 1024x768x24" \
  bash ${E2E_TRACE:+-x} "$work/run.sh" "$bin" "$picture" "$work" || {
  echo "--- editor log"; cat "$work/editor.log" 2>/dev/null || true; exit 1; }

# The same areas through the command-line tool, one after the other.
expected=$("$cli" skeleton "$picture" |
  "$cli" area rect "$rect_a" "$rect_b" --href rect.html --alt "Rect area" |
  "$cli" area circle "$circle_a" "$circle_b" --href circle.html --alt "Circle area" |
  "$cli" area poly "${poly[@]}" --href poly.html --alt "Poly area" | tr -d '\r')
actual=$(tr -d '\r' < "$work/pane.txt")
if [ "$actual" != "$expected" ]; then
  echo "pane text differs; expected:"
  printf '%s\n' "$expected"
  echo "--- got:"
  printf '%s\n' "$actual"
  exit 1
fi
echo "ok: three areas drawn with the mouse match the command-line tool"
