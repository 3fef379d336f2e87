#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Opens a picture in each format the editor reads and saves it with ファイル >
# 名前をつけて保存 in each format it writes; after every save the view zooms in
# and scrolls down and back; then a rectangle is drawn and the picture is
# saved in each format again. The editor must live through it all, and every
# file it wrote must read back at the picture's size.
#   save_as_formats.sh [FORMAT...]
# takes the pictures in the formats named (bmp gif png jpg webp avif), all
# six when none is: CTest runs one test a format, side by side.
set -euo pipefail
formats=("$@")
[ ${#formats[@]} -gt 0 ] || formats=(bmp gif png jpg webp avif)
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
e2e_setup
mkdir -p "$work/in" "$work/out"
# 800 x 600 (scrollable at double size), a 16 x 16 marker block at the top
# left that survives lossy coding, 8-bit where the format allows it.
convert -size 800x600 'xc:#408020' -fill '#2050C0' -draw 'rectangle 100,80 700,520' \
  -fill '#FE01FD' -draw 'rectangle 0,0 15,15' "$work/in/source.png"
for from in "${formats[@]}"; do
  case $from in
    bmp) convert "$work/in/source.png" -type Palette "BMP3:$work/in/p.bmp" ;;
    gif) convert "$work/in/source.png" -type Palette "$work/in/p.gif" ;;
    png) convert "$work/in/source.png" -type Palette "PNG8:$work/in/p.png" ;;
    jpg) convert "$work/in/source.png" -quality 95 "$work/in/p.jpg" ;;
    webp) cwebp -quiet -lossless "$work/in/source.png" -o "$work/in/p.webp" ;;
    avif) avifenc -s 10 --min 5 --max 10 "$work/in/source.png" "$work/in/p.avif" >/dev/null ;;
    *) fail "no such format: $from" ;;
  esac
done
echo "${formats[*]}" > "$work/formats.txt"
picture=

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"

# The marker block's top-left corner on the screen, allowing for lossy coding.
find_block() {
  import -window root "$work/shot.png" 2>/dev/null || return 1
  local found
  found=$(convert "$work/shot.png" -fuzz 12% -fill black +opaque '#FE01FD' -trim \
          -format '%w %h %X %Y' info: 2>/dev/null) || return 1
  read -r bw bh bx by <<<"$found"
  (( bw >= 14 && bw <= 18 && bh >= 14 && bh <= 18 )) || return 1
  origin_x=$((bx)) origin_y=$((by))
}
# Waits until no window named $1 shows, up to $2 seconds (10). The editor's
# window is not activated meanwhile: another dialog may be on its way, and
# activating a window under a modal one waits for long.
closed() {
  until_true "${2:-10}" bash -c '! xdotool search --onlyvisible --name "$0" >/dev/null 2>&1' "$1" ||
    fail "the window \"$1\" stayed open"
}
# Answers the dialog named $1 with the keys $2...
answer() {
  local name=$1; shift
  dialog "$name"
  xdotool "$@"
  closed "$name"
}
alive() { kill -0 "$editor" 2>/dev/null || fail "the editor died ($3: $1 -> $2)"; }
# Answers the format's options (JPEG, WebP, AVIF) with their defaults, and
# the offer to point the image tag at the new file, made when the format is
# not the picture's own, with yes.
save_as() {
  local ext=${1##*.}
  xdotool key --delay 100 alt+f s
  dialog '名前を付けて保存'
  xdotool key ctrl+a type --delay 12 "$1"
  xdotool key Return
  # It once stayed open past 10 s: the sanitizer tree's editor, on a
  # machine busy building. Slower typing, and a longer wait.
  closed '名前を付けて保存' 30
  case $ext in
    jpg) options='^JPEG の保存$' ;;
    webp) options='^WebP の保存$' ;;
    avif) options='^AVIF の保存$' ;;
    *) options= ;;
  esac
  [ -z "$options" ] || answer "$options" key Return
  [ "$ext" = "$from" ] || answer '^Zer Evizi SEKKA$' key Return
  until_true 10 test -s "$1" || fail "nothing was written to $1"
  xdotool windowactivate "$win" >/dev/null 2>&1 || true
}

start_wm
n=0
for from in $(cat "$work/formats.txt"); do
  # An editor of its own for each picture, with its own recovery folder:
  # no question about the areas drawn in the one before.
  XDG_STATE_HOME=$work/state-$from "$bin" "$work/in/p.$from" >"$work/editor.log" 2>&1 &
  editor=$!
  win=$(timeout 30 xdotool search --sync --onlyvisible --name "p\.$from - Zer Evizi SEKKA" | head -1 || true)
  [ -n "$win" ] || fail "the editor's window did not appear for p.$from"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  point 1020 760
  until_true 15 find_block || fail "the picture p.$from is not on the screen"
  for to in bmp gif png jpg webp avif; do
    save_as "$work/out/$from-$to.$to"
    alive "$from" "$to" "after the save"
    # Double size, down and back up with the wheel: every row is painted again.
    xdotool key --window "$win" ctrl+plus
    read -r cx cy <<<"$(at 200,150)"
    xdotool mousemove "$cx" "$cy"
    # Four wheel steps down and four back, 50 ms apart.
    xdotool click --repeat 4 --delay 50 5
    sleep 0.2
    xdotool click --repeat 4 --delay 50 4
    alive "$from" "$to" "zoomed and scrolled"
    xdotool key --window "$win" ctrl+minus
  done
  # Drawn on at double size after all those saves, then saved again in each.
  xdotool key --window "$win" ctrl+plus
  # The zoom kept the window's centre in place: back to the top left corner.
  read -r cx cy <<<"$(at 200,150)"
  xdotool mousemove "$cx" "$cy"
  xdotool click --repeat 20 --delay 10 4 click --repeat 20 --delay 10 6
  sleep 0.2
  tool r
  drag 40,40 120,100
  answer_link "$from.html" "$from"
  n=$((n + 1))
  xdotool key --window "$win" ctrl+minus  # the next editor starts at this zoom
  for to in bmp gif png jpg webp avif; do
    save_as "$work/out/$from-$to-again.$to"
    alive "$from" "$to" "after the second save"
  done
  copy_pane "$work/pane-$from.txt"
  kill "$editor"
  wait "$editor" 2>/dev/null || true
done
echo "$n" > "$work/drawn.txt"
INNER

run_in_xvfb

areas=$(cat "$work"/pane-*.txt | grep -c '<area shape="rect" coords="20,20,60,50"' || true)
[ "$areas" = "$(cat "$work/drawn.txt")" ] || fail "drew $(cat "$work/drawn.txt"), the panes hold $areas"
# Every file written reads back at the picture's size.
for from in "${formats[@]}"; do
  for to in bmp gif png jpg webp avif; do
    for f in "$work/out/$from-$to.$to" "$work/out/$from-$to-again.$to"; do
      size=$("$cli" info "$f" | cut -d' ' -f1) || fail "$f does not read back"
      [ "$size" = 800x600 ] || fail "$f reads back as $size"
    done
  done
done
echo "ok: ${formats[*]} each saved as six formats, zoomed and scrolled, drawn on and saved again"
