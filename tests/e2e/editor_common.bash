# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers for end-to-end scripts that drive the editor under Xvfb. The first
# group is for the script itself; the rest for its inner script, run inside
# the X session with $bin (the editor), $picture and $work set.

# Sets $bin and $cli, fails unless both are built, and makes $work, the home
# and configuration folders inside it (removed on exit).
e2e_setup() {
  bin=$ZE_BINARY_DIR/shell/zer-evizi
  cli=$ZE_BINARY_DIR/cli/zer-evizi-cli
  local program
  for program in "$bin" "$cli"; do
    [ -x "$program" ] || { echo "not built: $program"; exit 1; }
  done
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  export XDG_CONFIG_HOME=$work/config HOME=$work
  mkdir -p "$XDG_CONFIG_HOME"
  # The editor draws on the X server these scripts start, even when the
  # caller's environment chose another Qt platform (such as offscreen).
  unset QT_QPA_PLATFORM
}

# Writes a 24-bit BMP $1: picture $2, or 160 x 120 of one colour, with the
# marker colour #FE01FD in its top-left pixel.
marker_picture() {
  local from=(-size 160x120 'xc:#408020')
  [ $# -lt 2 ] || from=("$2")
  convert "${from[@]}" -fill '#FE01FD' -draw 'point 0,0' -type TrueColor "BMP3:$1"
}

# Runs $work/run.sh under Xvfb with $bin, $picture and $work; shows the
# editor's log if it fails.
run_in_xvfb() {
  # A server of its own (random first number: parallel tests race for -a's
  # first free one) that does not reset when a client goes.
  xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -nolisten tcp -noreset" \
    bash ${E2E_TRACE:+-x} "$work/run.sh" "$bin" "$picture" "$work" || {
    echo "--- editor log"; cat "$work/editor.log" 2>/dev/null || true; exit 1; }
}

# Fails unless file $2, carriage returns dropped, reads as text $1.
expect_text() {
  local actual
  actual=$(tr -d '\r' < "$2")
  [ "$actual" = "$1" ] && return 0
  echo "pane text differs; expected:"
  printf '%s\n' "$1"
  echo "--- got:"
  printf '%s\n' "$actual"
  exit 1
}

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

# Moves the pointer to screen point $1 $2, waits until the server has it
# there, then hands the rest of the arguments to xdotool (click 1,
# mousedown 1...). xdotool's own `mousemove --sync` waits 15 s for a move
# when the pointer is at that point already.
point() {
  local x=$1 y=$2
  shift 2
  xdotool mousemove "$x" "$y"
  until_true 5 pointer_at "$x" "$y" || fail "the pointer did not come to $x,$y"
  [ $# -eq 0 ] || xdotool "$@"
}
pointer_at() { [ "$(xdotool getmouselocation 2>/dev/null | cut -d' ' -f1,2)" = "x:$1 y:$2" ]; }

# Starts openbox and waits until it has announced itself: a window mapped
# while it is still starting may stay unmapped. $editor is ended on exit too.
start_wm() {
  openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  editor=
  trap 'kill $editor "$wm" 2>/dev/null || true' EXIT
  wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
  until_true 30 wm_running || fail "the window manager did not start"
}

# Prints the first visible window whose name matches $1, polling for up to
# $2 seconds. Each poll is a fresh query: xdotool's --sync dies on an X error
# when some other window (a closing file dialog) vanishes while it looks.
find_window() {
  local limit=$(( $2 * 10 )) i id
  for ((i = 0; i < limit; ++i)); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -z "$id" ] || { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Starts the window manager, then the editor on $picture, and sets $win to
# the editor's window, whose title matches $1.
start_editor() {
  start_wm
  "$bin" "$picture" >"$work/editor.log" 2>&1 &
  editor=$!
  win=$(find_window "$1" 30 || true)
  [ -n "$win" ] || fail "the editor's window did not appear"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  point 1020 760  # keep the pointer off the picture
}

# start_editor, then finds the picture's origin on the screen by its marker
# colour ($origin_x, $origin_y).
start_editor_on_marker() {
  start_editor "$1"
  until_true 15 find_marker || fail "the marker colour is not on the screen"
  echo "picture origin on the screen: $origin_x,$origin_y"
}

# The colour of screen pixel X Y as RRGGBB, from a fresh screenshot.
screen_colour() {
  import -window root "$work/shot.png" 2>/dev/null || return 1
  convert "$work/shot.png" -format "%[hex:u.p{$1,$2}]" info:
}

# Sets $origin_x, $origin_y to the screen position of the one pixel of the
# marker colour #FE01FD (the picture's top-left pixel).
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

# Waits for the link dialog, types the link ($1) and the alternative text
# ($2) (the link field has the focus; Tab goes on to the text) and confirms
# with Enter.
answer_link() {
  local dialog='ﾘﾝｸの設定' dlg
  dlg=$(find_window "$dialog" 10 || true)
  [ -n "$dlg" ] || fail "no link dialog for $1"
  xdotool windowactivate --sync "$dlg" >/dev/null 2>&1 || true
  xdotool type --delay 20 "$1"
  xdotool key Tab
  xdotool type --delay 20 "$2"
  xdotool key Return
  until_true 10 bash -c '! xdotool search --onlyvisible --name "$0" >/dev/null 2>&1' \
    "$dialog" || fail "the link dialog stayed open"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
}

# Copies the pane's text (docked along the bottom, above the status bar)
# through the clipboard into file $1.
copy_pane() {
  eval "$(xdotool getwindowgeometry --shell "$win")"
  point $((X + 60)) $((Y + HEIGHT - 100)) click 1
  xdotool key --window "$win" ctrl+a ctrl+c
  until_true 10 bash -c 'xclip -o -selection clipboard > "$0" 2>/dev/null && grep -q "</map>" "$0"' \
    "$1" || fail "nothing came through the clipboard"
}

# Screen coordinates of client point "x,y" (after find_marker).
at() { echo "$((origin_x + ${1%,*})) $((origin_y + ${1#*,}))"; }
# Drags the mouse from client point $1 to $2.
drag() {
  read -r fx fy <<<"$(at "$1")"
  read -r tx ty <<<"$(at "$2")"
  point "$fx" "$fy" mousedown 1
  point $(((fx + tx) / 2)) $(((fy + ty) / 2))
  point "$tx" "$ty"
  sleep 0.1
  xdotool mouseup 1
}
tool() { xdotool key --delay 100 alt+r "$1"; }  # the Areas menu (領域, Alt+R), then the item's key

# Waits for the window named $1 and gives it the focus; gone: waits until
# no window named $1 shows, then gives the editor ($win) the focus.
dialog() {
  local id
  id=$(find_window "$1" 15 || true)
  [ -n "$id" ] || fail "no window \"$1\""
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
  # Keys go to the window with the input focus, which may follow late.
  until_true 5 focused "$id" || fail "the window \"$1\" did not take the focus"
}
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
gone() {
  until_true 10 bash -c '! xdotool search --onlyvisible --name "$0" >/dev/null 2>&1' "$1" ||
    fail "the window \"$1\" stayed open"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
}
