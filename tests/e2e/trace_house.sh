#!/usr/bin/env bash
# The outline tool in the real editor under Xvfb: one click on the sample
# picture's roof, with the tolerance set to 90 in the settings file, traces
# the whole house (roof, wall and door); the pane gets its polygon, the same
# one that `zer-evizi-cli trace` prints for that pixel.
#
# The picture's origin on the screen is found by a marker colour put into its
# top-left pixel (sky, far from the house).
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
mkdir -p "$XDG_CONFIG_HOME/SEKKA"
printf '[General]\nTraceTolerance=90\n' > "$XDG_CONFIG_HOME/SEKKA/Zer Evizi SEKKA.conf"

picture=$work/house.bmp
convert "$ZE_SOURCE_DIR/resources/sample.bmp" -fill '#FE01FD' -draw 'point 0,0' \
  -type TrueColor "BMP3:$picture"
roof_x=75 roof_y=50  # a roof pixel, RGB(120, 60, 40)
expected_line=$("$cli" trace "$picture" $roof_x $roof_y | tr -d '\r')
coords=$(sed -E 's/.*coords="([^"]*)".*/\1/' <<<"$expected_line")
# The house: roof and wall, door included, reaching the ground at y = 126.
case ",$coords," in
  *,111,126,40,126,*) ;;
  *) echo "the traced region is not the house: $coords"; exit 1 ;;
esac
export roof_x roof_y

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
fail() { echo "$*" >&2; exit 1; }
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
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
until_true 15 wm_running || fail "the window manager did not start"
"$bin" "$picture" >"$work/editor.log" 2>&1 &
editor=$!
win=$(timeout 30 xdotool search --sync --onlyvisible --name 'house\.bmp - Zer Evizi SEKKA' | head -1 || true)
[ -n "$win" ] || fail "the editor's window did not appear"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
xdotool mousemove --sync 1020 760

find_marker() {
  import -window root "$work/shot.png" 2>/dev/null || return 1
  local found
  found=$(convert "$work/shot.png" -fill black +opaque '#FE01FD' -trim \
          -format '%w %h %X %Y' info: 2>/dev/null) || return 1
  read -r mw mh mx my <<<"$found"
  [ "$mw" = 1 ] && [ "$mh" = 1 ] || return 1
  origin_x=$((mx)) origin_y=$((my))
  [ "$(convert "$work/shot.png" -format "%[hex:u.p{$origin_x,$origin_y}]" info:)" = FE01FD ]
}
until_true 15 find_marker || fail "the marker colour is not on the screen"

# The Areas menu (領域, Alt+R), then 輪郭 (O).
xdotool key --delay 100 alt+r o
x=$((origin_x + roof_x)) y=$((origin_y + roof_y))
xdotool mousemove --sync "$x" "$y"
# The preview: the outline crosses the wall's left edge (x 40) in white
# exclusive-or, so the wall's colour is gone there.
wall_edge_changed() {
  import -window root "$work/shot.png" 2>/dev/null || return 1
  [ "$(convert "$work/shot.png" -format "%[hex:u.p{$((origin_x + 40)),$((origin_y + 100))}]" info:)" != C8503C ]
}
until_true 10 wall_edge_changed || fail "no outline previewed"
xdotool click 1

dlg=$(timeout 10 xdotool search --sync --onlyvisible --name 'ﾘﾝｸの設定' | head -1 || true)
[ -n "$dlg" ] || fail "no link dialog"
xdotool windowactivate --sync "$dlg" >/dev/null 2>&1 || true
xdotool key --delay 30 Tab Tab
xdotool type --delay 20 house.html
xdotool key Tab
xdotool type --delay 20 House
xdotool key Return
until_true 10 bash -c '! xdotool search --onlyvisible --name "ﾘﾝｸの設定" >/dev/null 2>&1' ||
  fail "the link dialog stayed open"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true

eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove --sync $((X + 60)) $((Y + HEIGHT - 100)) click 1
xdotool key --window "$win" ctrl+a ctrl+c
until_true 5 bash -c 'xclip -o -selection clipboard > "$0" 2>/dev/null && grep -q "</map>" "$0"' \
  "$work/pane.txt" || fail "nothing came through the clipboard"
INNER

xvfb-run -a -s "-screen 0 1024x768x24" \
  bash ${E2E_TRACE:+-x} "$work/run.sh" "$bin" "$picture" "$work" || {
  echo "--- editor log"; cat "$work/editor.log" 2>/dev/null || true; exit 1; }

# The trace's corners through the area command: the same line, with the link.
read -r -a points <<<"$(sed -E 's/([0-9]+),([0-9]+),?/\1,\2 /g' <<<"$coords")"
expected=$("$cli" skeleton "$picture" |
  "$cli" area poly "${points[@]}" --href house.html --alt House | tr -d '\r')
actual=$(tr -d '\r' < "$work/pane.txt")
if [ "$actual" != "$expected" ]; then
  echo "pane text differs; expected:"
  printf '%s\n' "$expected"
  echo "--- got:"
  printf '%s\n' "$actual"
  exit 1
fi
echo "ok: one click traced the house into ${#points[@]} corners"
