#!/usr/bin/env bash
# Draws two rectangles with the mouse in the real editor under Xvfb, moves
# one with the selection tool, undoes and redoes the move with the keys and
# deletes the area; after each step the pane is copied out through the
# clipboard and compared with what the command-line tool makes of the same
# areas.
#
# The picture carries a marker colour in its top-left pixel; a client point
# is a screen point minus where that colour shows.
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

# The texts expected after each step, from the command-line tool.
skeleton() { "$cli" skeleton "$picture"; }
r1() { "$cli" area rect "$@" --href r1.html --alt "R1"; }
r2() { "$cli" area rect 90,40 130,80 --href r2.html --alt "R2"; }
skeleton | r1 30,30 70,60 | r2 | tr -d '\r' > "$work/drawn.txt"
skeleton | r1 40,35 80,65 | r2 | tr -d '\r' > "$work/moved.txt"
skeleton | r2 | tr -d '\r' > "$work/deleted.txt"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
fail() { echo "$*" >&2; exit 1; }
# Polls `$@` every 0.1 s for up to $1 seconds until it succeeds.
until_true() {
  local limit=$(( $1 * 10 )) i; shift
  for ((i = 0; i < limit; ++i)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}

openbox >/dev/null 2>&1 &
wm=$!
editor=
cleanup() { kill $editor "$wm" 2>/dev/null || true; }
trap cleanup EXIT
# A window mapped while the window manager is still starting may stay
# unmapped: start the editor once the manager has announced itself.
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
until_true 15 wm_running || fail "the window manager did not start"
"$bin" "$picture" >"$work/editor.log" 2>&1 &
editor=$!

win=$(timeout 30 xdotool search --sync --onlyvisible --name 'pic\.bmp - Zer Evizi SEKKA' | head -1 || true)
[ -n "$win" ] || fail "the editor's window did not appear"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
xdotool mousemove --sync 1020 760  # keep the pointer off the picture

# The marker's screen position: everything else painted black, then trimmed.
find_marker() {
  import -window root "$work/shot.png" 2>/dev/null || return 1
  local found
  found=$(convert "$work/shot.png" -fill black +opaque '#FE01FD' -trim \
          -format '%w %h %X %Y' info: 2>/dev/null) || return 1
  read -r mw mh mx my <<<"$found"
  [ "$mw" = 1 ] && [ "$mh" = 1 ] || return 1
  origin_x=$((mx)) origin_y=$((my))
  # An all-black screen trims to one black pixel: check it is the marker.
  [ "$(convert "$work/shot.png" -format "%[hex:u.p{$origin_x,$origin_y}]" info:)" = FE01FD ]
}
until_true 15 find_marker || fail "the marker colour is not on the screen"
echo "picture origin on the screen: $origin_x,$origin_y"

at() {  # screen coordinates of client point "x,y"
  echo "$((origin_x + ${1%,*})) $((origin_y + ${1#*,}))"
}
dialog='ﾘﾝｸの設定'  # the link dialog's title
# Waits for the link dialog, types the link and the alternative text (OK has
# the focus; Tab goes to Cancel, then the link, then the text) and confirms.
answer_link() {
  local dlg
  dlg=$(timeout 10 xdotool search --sync --onlyvisible --name "$dialog" | head -1 || true)
  [ -n "$dlg" ] || fail "no link dialog for $1"
  xdotool windowactivate --sync "$dlg" >/dev/null 2>&1 || true
  xdotool key --delay 30 Tab Tab
  xdotool type --delay 20 "$1"
  xdotool key Tab
  xdotool type --delay 20 "$2"
  xdotool key Return
  until_true 10 bash -c '! xdotool search --onlyvisible --name "$0" >/dev/null 2>&1' \
    "$dialog" || fail "the link dialog stayed open"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
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

# Copies the pane out until it reads as file $1 (the clipboard may still
# hold the last copy for a moment).
expect_pane() {
  eval "$(xdotool getwindowgeometry --shell "$win")"
  xdotool mousemove --sync $((X + 60)) $((Y + HEIGHT - 100)) click 1
  xdotool key --window "$win" ctrl+a ctrl+c
  if ! until_true 5 bash -c \
      '[ "$(xclip -o -selection clipboard 2>/dev/null | tr -d "\r")" = "$(cat "$0")" ]' \
      "$work/$1.txt"; then
    echo "after $2 the pane reads:" >&2
    xclip -o -selection clipboard 2>/dev/null | tr -d '\r' >&2 || true
    echo "--- expected:" >&2
    cat "$work/$1.txt" >&2
    exit 1
  fi
  echo "ok: $2"
}

drag 30,30 70,60
answer_link r1.html R1
drag 90,40 130,80
answer_link r2.html R2
expect_pane drawn "drawing two rectangles"

xdotool key --delay 100 alt+r s  # the selection tool
drag 50,45 60,50
expect_pane moved "moving the first with the mouse"
xdotool key ctrl+z
expect_pane drawn "undo"
xdotool key ctrl+y
expect_pane moved "redo"
read -r x y <<<"$(at 60,50)"
xdotool mousemove --sync "$x" "$y" click 1
xdotool key Delete
expect_pane deleted "Delete"
INNER

xvfb-run -a -s "-screen 0 1024x768x24" \
  bash ${E2E_TRACE:+-x} "$work/run.sh" "$bin" "$picture" "$work" || {
  echo "--- editor log"; cat "$work/editor.log" 2>/dev/null || true; exit 1; }
echo "ok: areas drawn, moved, undone, redone and deleted in the editor"
