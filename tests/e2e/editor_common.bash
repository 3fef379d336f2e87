# Helpers for end-to-end scripts that drive the editor under Xvfb: sourced
# inside the X session, with $bin (the editor), $picture and $work set.

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

# Starts openbox, then the editor on $picture once the manager has announced
# itself (a window mapped while it is still starting may stay unmapped), and
# sets $win to the editor's window, whose title matches $1.
start_editor() {
  openbox >/dev/null 2>&1 &
  wm=$!
  editor=
  trap 'kill $editor "$wm" 2>/dev/null || true' EXIT
  wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
  until_true 15 wm_running || fail "the window manager did not start"
  "$bin" "$picture" >"$work/editor.log" 2>&1 &
  editor=$!
  win=$(timeout 30 xdotool search --sync --onlyvisible --name "$1" | head -1 || true)
  [ -n "$win" ] || fail "the editor's window did not appear"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  xdotool mousemove --sync 1020 760  # keep the pointer off the picture
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
# ($2) (OK has the focus; Tab goes to Cancel, then the link, then the text)
# and confirms.
answer_link() {
  local dialog='ﾘﾝｸの設定' dlg
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

# Copies the pane's text (docked along the bottom, above the status bar)
# through the clipboard into file $1.
copy_pane() {
  eval "$(xdotool getwindowgeometry --shell "$win")"
  xdotool mousemove --sync $((X + 60)) $((Y + HEIGHT - 100)) click 1
  xdotool key --window "$win" ctrl+a ctrl+c
  until_true 5 bash -c 'xclip -o -selection clipboard > "$0" 2>/dev/null && grep -q "</map>" "$0"' \
    "$1" || fail "nothing came through the clipboard"
}
